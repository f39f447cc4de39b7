// detail::loader::read_locale_file: one file, as the loader and the command-line check read it.
#include "loader/locale_file.hpp"

#include <gtest/gtest.h>

#include "temp_tree.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using testing::TempTree;
using testing::to_json;

struct FileCase {
  const char* name;
  std::string file_name;
  std::string content;
  // The tree as compact JSON, or the error's display text.
  std::string expected;
};

class ReadLocaleFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(ReadLocaleFile, GivesTheTreeOrTheLoadersError) {
  const FileCase& c = GetParam();
  const TempTree tree({{c.file_name, c.content}});
  // The namespace is carried, not applied: wrapping is assemble_pieces' job.
  const auto value = detail::loader::read_locale_file(
      detail::loader::LocaleFile{tree.path(c.file_name), "ns.sub"});
  EXPECT_EQ(value ? to_json(*value) : value.error().message(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Files, ReadLocaleFile,
    ::testing::Values(
        FileCase{"Json", "en/a.json", R"({"b": [1, null], "a": "x"})", R"({"a":"x","b":[1,null]})"},
        FileCase{"UpperCaseExtension", "fr.JSON", "\"top-level string\"", R"("top-level string")"},
        FileCase{"NotUtf8", "de.json", "{\"a\": \"\xE9\"}",
                 "IO Error: stream did not contain valid UTF-8"},
        FileCase{"NotJson", "es.json", "{\"a\": 1,}",
                 "Parse Error: Failed to parse JSON: trailing comma at line 1 column 9"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadLocaleFileErrors, MissingFileIsTheOperatingSystemsError) {
  const TempTree tree;
  const auto value = detail::loader::read_locale_file(
      detail::loader::LocaleFile{tree.path("gone.json"), std::nullopt});
  ASSERT_FALSE(value);
  EXPECT_EQ(value.error().message(), "IO Error: No such file or directory (os error 2)");
}

}  // namespace
}  // namespace tarnevo
