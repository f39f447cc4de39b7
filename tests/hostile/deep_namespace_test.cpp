// Namespaces nest a file's content as deep as its path is long: thousands of levels from a
// directory chain, or from directory names made of full stops (a name of 255 dots is 256 empty
// segments). Nothing may recurse once per level: every operation on such a tree runs here on a
// thread with a small stack.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstddef>
#include <string>
#include <vector>

#include "small_stack.hpp"
#include "tarnevo/loader.hpp"
#include "tarnevo/merge.hpp"
#include "temp_tree.hpp"
#include "tree/write_json.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using testing::obj;
using testing::run_on_small_stack;
using testing::str;
using testing::TempTree;
using testing::u64;

// Follows single-member objects down `keys`; null when the tree does not have that shape.
const LocaleValue* descend(const LocaleValue& root, const std::vector<std::string>& keys) {
  const LocaleValue* at = &root;
  for (const std::string& key : keys) {
    if (!at->is_object() || at->as_object().size() != 1) return nullptr;
    at = at->as_object().find(key);
    if (at == nullptr) return nullptr;
  }
  return at;
}

// The JSON text of `leaf` under the keys, outermost first.
std::string wrapped_json(const std::vector<std::string>& keys, const std::string& leaf) {
  std::string text;
  for (const std::string& key : keys) text += "{\"" + key + "\":";
  text += leaf;
  text.append(keys.size(), '}');
  return text;
}

std::string dotted(const std::vector<std::string>& keys) {
  std::string path;
  for (std::size_t i = 0; i < keys.size(); ++i) path += (i ? "." : "") + keys[i];
  return path;
}

// The core alone, far deeper than any path: 100000 levels merged, copied, compared, written and
// destroyed.
TEST(DeepNamespace, CoreOperationsDoNotRecursePerLevel) {
  constexpr std::size_t kLevels = 100'000;
  const std::vector<std::string> keys(kLevels, "a");
  run_on_small_stack([&] {
    std::vector<LocalePiece> pieces;
    pieces.push_back(LocalePiece{dotted(keys), obj({{"k", str("first")}, {"n", LocaleValue()}})});
    pieces.push_back(LocalePiece{dotted(keys), obj({{"k", str("second")}, {"n", u64(1)}})});
    LocaleValue tree = assemble_pieces(std::move(pieces));
    const LocaleValue* leaf = descend(tree, keys);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(*leaf, obj({{"k", str("first")}, {"n", u64(1)}}));

    LocaleValue copy = tree;
    EXPECT_TRUE(copy == tree);
    LocaleValue defaults = tree;
    fill_from(copy, defaults);  // every level shared: nothing changes
    EXPECT_TRUE(copy == tree);
    // A difference at the bottom is found.
    std::vector<LocalePiece> other;
    other.push_back(LocalePiece{dotted(keys), obj({{"k", str("other")}, {"n", u64(1)}})});
    EXPECT_FALSE(assemble_pieces(std::move(other)) == tree);

    detail::tree::ByteBuffer written;
    detail::tree::write_json(tree, written);
    EXPECT_EQ(written.view(), wrapped_json(keys, R"({"k":"first","n":1})"));
    copy = LocaleValue();  // destroyed level by level
  });
}

// Makes `levels` nested directories named `name` below `relative` and returns their path.
std::string make_chain(const TempTree& tree, std::string relative, const std::string& name,
                       std::size_t levels) {
  for (std::size_t i = 0; i < levels; ++i) {
    relative += "/" + name;
    if (::mkdir(tree.path(relative).c_str(), 0755) != 0) throw std::runtime_error("mkdir");
  }
  return relative;
}

struct DeepLayout {
  std::string name;       // each directory's name
  std::size_t levels;     // how many of them
  std::size_t per_level;  // namespace segments each one gives
  friend void PrintTo(const DeepLayout& layout, std::ostream* out) {
    *out << layout.levels << " directories of " << layout.name.size() << " bytes";
  }
};

class DeepNamespaceLoad : public ::testing::TestWithParam<DeepLayout> {};

// en has two files under the deep namespace (merged level by level), fr one (filled from en
// level by level), and an unknown locale falls back to en; the C interface's text and a
// cache hit's copy are made too.
TEST_P(DeepNamespaceLoad, LoadsOnASmallStack) {
  const DeepLayout& layout = GetParam();
  TempTree tree;
  for (const std::string locale : {"en", "fr"}) {
    tree.make_dir(locale);
    const std::string chain = make_chain(tree, locale, layout.name, layout.levels);
    if (locale == "en") {
      tree.write(chain + "/x.json", R"({"k":"en","n":null})");
      tree.write(chain + "/x.yaml", "n: filled\nm: 1\n");
    } else {
      tree.write(chain + "/x.json", R"({"k":"fr"})");
    }
  }
  ASSERT_LT(tree.root().size() + 3 + layout.levels * (layout.name.size() + 1) + 7, 4096u);

  // The namespace: every directory's segments, then the stem.
  std::vector<std::string> keys;
  for (std::size_t i = 0; i < layout.levels; ++i) {
    const std::string segment = layout.per_level == 1 ? layout.name : "";
    keys.insert(keys.end(), layout.per_level, segment);
  }
  keys.push_back("x");
  ASSERT_GT(keys.size(), 1900u);

  run_on_small_stack([&] {
    auto loader = LocaleLoader::create(tree.root(), "en");
    ASSERT_TRUE(loader.has_value());
    const auto en = loader->load("en");
    ASSERT_TRUE(en.has_value()) << en.error().message();
    const LocaleValue* leaf = descend(*en, keys);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(testing::to_json(*leaf), R"({"k":"en","m":1,"n":"filled"})");

    const auto fr = loader->load("fr");
    ASSERT_TRUE(fr.has_value()) << fr.error().message();
    leaf = descend(*fr, keys);
    ASSERT_NE(leaf, nullptr);
    EXPECT_EQ(testing::to_json(*leaf), R"({"k":"fr","m":1,"n":"filled"})");

    const auto unknown = loader->load("xx");
    ASSERT_TRUE(unknown.has_value());
    EXPECT_TRUE(*unknown == *en);
    const auto cached = loader->load("fr");
    ASSERT_TRUE(cached.has_value());
    EXPECT_TRUE(*cached == *fr);

    detail::tree::ByteBuffer written;
    detail::tree::write_json(*fr, written);
    EXPECT_EQ(written.view(), wrapped_json(keys, R"({"k":"fr","m":1,"n":"filled"})"));
    ASSERT_TRUE(loader->reload(std::nullopt).has_value());
  });
}

INSTANTIATE_TEST_SUITE_P(Layouts, DeepNamespaceLoad,
                         ::testing::Values(DeepLayout{"a", 2000, 1},
                                           DeepLayout{std::string(255, '.'), 15, 256}),
                         [](const auto& info) {
                           return info.param.per_level == 1 ? std::string("DirectoryChain")
                                                            : std::string("DotNamedDirectories");
                         });

}  // namespace
}  // namespace tarnevo
