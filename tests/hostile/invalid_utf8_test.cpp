// Locale files whose bytes are not UTF-8, wherever the bad bytes sit and whatever the format:
// the file fails with the one message for it, and a locale other than the default falls back.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

struct BadBytes {
  const char* name;
  std::string bytes;
};

const BadBytes kBadBytes[] = {
    {"LoneContinuation", "\x80"},           {"Overlong", "\xC0\xAF"},
    {"OverlongThreeBytes", "\xE0\x80\xAF"}, {"Surrogate", "\xED\xA0\x80"},
    {"AboveUnicode", "\xF4\x90\x80\x80"},   {"InvalidLead", "\xFF"},
    {"TruncatedAtEnd", "\xE2\x82"},         {"Latin1", "caf\xE9"},
};

// Where the bytes go in a small file of each format.
struct Placement {
  const char* file;
  std::string before;
  std::string after;
};

const Placement kPlacements[] = {
    {"fr.json", R"({"k":")", R"("})"},
    {"fr.json", R"({")", R"(":1})"},
    {"fr.json", "{}", ""},  // after the value, at the very end
    {"fr.yml", "k: ", "\n"},
    {"fr.yml", "", ": v\n"},
    {"fr.toml", "k = \"", "\"\n"},
    {"fr.toml", "# ", "\nk = 1\n"},
    {"fr.toml", "k = 1\n", ""},
};

class InvalidUtf8 : public ::testing::TestWithParam<std::tuple<BadBytes, Placement>> {};

TEST_P(InvalidUtf8, FailsTheFileAndFallsBack) {
  const auto& [bad, placement] = GetParam();
  testing::TempTree tree({{"en.json", R"({"k":"en"})"},
                          {placement.file, placement.before + bad.bytes + placement.after}});
  for (const std::string default_locale : {"en", "fr"}) {
    auto loader = LocaleLoader::create(tree.root(), default_locale);
    ASSERT_TRUE(loader.has_value());
    const auto fr = loader->load("fr");
    if (default_locale == "fr") {
      ASSERT_FALSE(fr.has_value());
      EXPECT_EQ(fr.error().message(), "IO Error: stream did not contain valid UTF-8");
    } else {
      ASSERT_TRUE(fr.has_value()) << fr.error().message();
      EXPECT_EQ(testing::to_json(*fr), R"({"k":"en"})");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Everywhere, InvalidUtf8,
                         ::testing::Combine(::testing::ValuesIn(kBadBytes),
                                            ::testing::ValuesIn(kPlacements)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) + "_" +
                                  std::to_string(info.index % std::size(kPlacements));
                         });

// UTF-16 text (with its byte-order mark) is not UTF-8; UTF-16 without one happens to be valid
// UTF-8 for ASCII content, full of NUL bytes, and fails as the format.
TEST(InvalidUtf8Files, Utf16) {
  const std::string utf16le_bom("\xFF\xFE{\0}\0", 6);
  const std::string utf16le(std::string("{\0}\0", 4));
  testing::TempTree tree({{"a.json", utf16le_bom}, {"b.json", utf16le}});
  const auto failure = [&](const std::string& locale) {
    auto loader = LocaleLoader::create(tree.root(), locale);  // no fallback to hide the error
    return loader->load(locale).error().message();
  };
  EXPECT_EQ(failure("a"), "IO Error: stream did not contain valid UTF-8");
  EXPECT_TRUE(failure("b").starts_with("Parse Error: Failed to parse JSON: ")) << failure("b");
}

}  // namespace
}  // namespace tarnevo
