// Reading YAML only to fill another tree (the default locale's files) leaves out what filling
// could not use, and nothing else: filling from that read gives the tree that filling from the
// whole read gives, and the read fails exactly where the whole read fails. Run over the YAML
// documents the suite reads elsewhere (the reader's fuzzing seeds, the examples, values that
// fail only when typed), each against
// targets made from its own tree; and against the tree itself, where nothing is worth keeping,
// it keeps no text.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "fill_targets.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/merge.hpp"
#include "text/utf8.hpp"
#include "tree/fill_place.hpp"
#include "tree_builders.hpp"
#include "yaml/reader.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;
namespace fs = std::filesystem;

std::vector<std::string> documents() {
  // Values that fail only when typed, where a skipping read must still type them.
  std::vector<std::string> texts = {"a: {b: !!int x}", "a: [1, !!float y]",
                                    "a: 170141183460469231731687303715884105727", "a: !!null z"};
  const fs::path repo(TARNEVO_REPO_DIR);
  for (const fs::path& dir : {repo / "fuzz/corpus/yaml_reader", repo / "examples"}) {
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
      const fs::path& path = entry.path();
      if (!entry.is_regular_file()) continue;
      if (dir.filename() == "examples" && path.extension() != ".yml") continue;
      std::string text = read_file(path);
      if (detail::text::is_valid_utf8(text)) texts.push_back(std::move(text));
    }
  }
  return texts;
}

TEST(YamlFill, FillingFromTheSkippingReadEqualsFillingFromTheWholeRead) {
  std::mt19937 random(24);
  std::size_t read = 0;
  for (const std::string& text : documents()) {
    SCOPED_TRACE(text.substr(0, 200));
    const auto whole = parse_locale_text(text, FileFormat::Yaml);
    if (!whole) {
      // A target holding a leaf everywhere a key could go: everything is skipped, nothing
      // excused.
      const auto skipping =
          detail::yaml::parse_yaml_text_to_fill(text, detail::tree::FillPlace::in(str("leaf"), {}));
      ASSERT_FALSE(skipping.has_value()) << to_json(*skipping);
      EXPECT_EQ(skipping.error().message(), whole.error().message());
      continue;
    }
    ++read;
    expect_fill_equivalence(text, *whole, detail::yaml::parse_yaml_text_to_fill, random);
  }
  EXPECT_GE(read, 20u) << read;  // the documents are where this test looks for them
}

}  // namespace
}  // namespace tarnevo
