// Reading TOML only to fill another tree (the default locale's files) leaves out what filling
// could not use, and nothing else: filling from that read gives the tree that filling from the
// whole read gives, and the read fails exactly where the whole read fails. Run over the
// toml-test suite's documents, each against targets made from its own tree; and against the
// tree itself, where nothing is worth keeping, it keeps no text.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fill_targets.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/merge.hpp"
#include "text/utf8.hpp"
#include "toml/reader.hpp"
#include "tree/fill_place.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;
namespace fs = std::filesystem;

// Strings in a tree, but for those of dates and times (which the reader keeps whole: filling
// merges the object they are into member by member).
std::size_t count_texts(const LocaleValue& value) {
  if (value.is_string()) return 1;
  std::size_t count = 0;
  if (value.is_array()) {
    for (const LocaleValue& item : value.as_array()) count += count_texts(item);
  } else if (value.is_object()) {
    for (const LocaleMember& member : value.as_object()) {
      if (member.key != "$__toml_private_datetime") count += count_texts(member.value);
    }
  }
  return count;
}

std::vector<fs::path> suite_documents(std::string_view kind) {
  std::vector<fs::path> paths;
  for (const auto& entry :
       fs::recursive_directory_iterator(fs::path(TARNEVO_TOML_SUITE_DIR) / kind)) {
    if (entry.path().extension() == ".toml") paths.push_back(entry.path());
  }
  return paths;
}

TEST(TomlFill, FillingFromTheSkippingReadEqualsFillingFromTheWholeRead) {
  std::mt19937 random(14);
  for (const fs::path& path : suite_documents("valid")) {
    SCOPED_TRACE(path.string());
    const std::string text = read_file(path);
    const auto whole = parse_locale_text(text, FileFormat::Toml);
    ASSERT_TRUE(whole.has_value()) << whole.error().message();
    // Against its own tree, where every leaf wins, no text is kept.
    const auto against_itself =
        detail::toml::parse_toml_text_to_fill(text, detail::tree::FillPlace::in(*whole, {}));
    ASSERT_TRUE(against_itself.has_value());
    EXPECT_EQ(count_texts(*against_itself), 0u) << to_json(*against_itself);
    for (int round = 0; round < 4; ++round) {
      const LocaleValue target = round == 0 ? obj({}) : target_from(*whole, random);
      const auto skipping = detail::toml::parse_toml_text_to_fill(
          text, detail::tree::FillPlace::in(target, std::nullopt));
      ASSERT_TRUE(skipping.has_value()) << skipping.error().message();
      LocaleValue from_whole = target;
      fill_from(from_whole, *whole);
      LocaleValue from_skipping = target;
      fill_from(from_skipping, *skipping);
      EXPECT_EQ(from_skipping, from_whole) << to_json(from_skipping) << "\n" << to_json(from_whole);
    }
  }
}

TEST(TomlFill, TheSkippingReadFailsWithTheSameMessage) {
  // A target holding a leaf everywhere a key could go: everything is skipped, nothing excused.
  const LocaleValue target = str("leaf");
  for (const fs::path& path : suite_documents("invalid")) {
    SCOPED_TRACE(path.string());
    const std::string text = read_file(path);
    if (!detail::text::is_valid_utf8(text)) continue;
    const auto skipping = detail::toml::parse_toml_text_to_fill(
        text, detail::tree::FillPlace::in(target, std::nullopt));
    ASSERT_FALSE(skipping.has_value()) << to_json(*skipping);
    EXPECT_EQ(skipping.error().message(),
              parse_locale_text(text, FileFormat::Toml).error().message());
  }
}

}  // namespace
}  // namespace tarnevo
