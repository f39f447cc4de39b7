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
    expect_fill_equivalence(text, *whole, detail::toml::parse_toml_text_to_fill, random,
                            "$__toml_private_datetime");
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
