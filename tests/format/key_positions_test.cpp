// Where keys are written, as the three readers record it for the command: each position is
// checked by reading the file's text at that line and column (in characters).
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "loader/locale_file.hpp"
#include "temp_tree.hpp"

namespace tarnevo {
namespace {

using detail::format::KeyPositions;
using Path = std::vector<std::string>;

struct Placed {
  Path path;
  // The text the key's position starts at; empty when the key must have no position.
  std::string text;
};

struct PositionCase {
  const char* name;
  std::string file_name;
  std::string content;
  std::vector<Placed> keys;
};

void PrintTo(const PositionCase& c, std::ostream* out) {
  *out << c.name;
}

// The text from a 1-based line and character column to the end of the file.
std::string_view text_at(std::string_view text, std::uint32_t line, std::uint32_t column) {
  std::size_t at = 0;
  for (; line > 1; --line) {
    const std::size_t end = text.find_first_of("\r\n", at);
    if (end == std::string_view::npos) return {};
    at = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  for (; column > 1 && at < text.size(); --column) {
    do ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80);
  }
  return text.substr(at);
}

// Every member outside arrays has a position.
void expect_every_member_placed(const LocaleValue& value, const KeyPositions& positions,
                                Path& path) {
  if (!value.is_object()) return;
  for (const LocaleMember& member : value.as_object().members()) {
    path.push_back(member.key);
    EXPECT_TRUE(positions.find(path)) << ::testing::PrintToString(path);
    expect_every_member_placed(member.value, positions, path);
    path.pop_back();
  }
}

class KeyPositionsOfFile : public ::testing::TestWithParam<PositionCase> {};

TEST_P(KeyPositionsOfFile, PointAtTheKeysOwnText) {
  const PositionCase& c = GetParam();
  const testing::TempTree tree({{c.file_name, c.content}});
  auto placed = detail::loader::read_locale_file_with_positions(
      detail::loader::LocaleFile{tree.path(c.file_name), std::nullopt});
  ASSERT_TRUE(placed) << placed.error().message();
  for (const Placed& key : c.keys) {
    const auto position = placed->positions.find(key.path);
    if (key.text.empty()) {
      EXPECT_FALSE(position) << ::testing::PrintToString(key.path);
      continue;
    }
    ASSERT_TRUE(position) << ::testing::PrintToString(key.path);
    EXPECT_TRUE(text_at(c.content, position->line, position->column).starts_with(key.text))
        << ::testing::PrintToString(key.path) << " at " << position->line << ":"
        << position->column;
  }
  Path path;
  expect_every_member_placed(placed->value, placed->positions, path);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, KeyPositionsOfFile,
    ::testing::Values(
        PositionCase{"Json",
                     "en.json",
                     "{\n  \"é\": \"ü\", \"greeting\": \"Hi\",\n  \"nav\": {\"home\": 1},\n"
                     "  \"a\": 1, \"a\": 2,\n  \"list\": [{\"inner\": 1}]\n}",
                     {{{"é"}, "\"é\""},
                      {{"greeting"}, "\"greeting\""},
                      {{"nav", "home"}, "\"home\""},
                      {{"a"}, "\"a\": 2"},
                      {{"list", "inner"}, ""},
                      {{"nav", "gone"}, ""}}},
        PositionCase{"JsonCarriageReturns",
                     "en.json",
                     "{\r\"a\": {\r\n\"b\": 1}}",
                     {{{"a"}, "\"a\""}, {{"a", "b"}, "\"b\""}}},
        PositionCase{"JsonCrLf",
                     "en.json",
                     "{\r\n \"é\": 1, \"a\": {\r\n\"b\": 1}}",
                     {{{"a"}, "\"a\""}, {{"a", "b"}, "\"b\""}}},
        PositionCase{"YamlBlockAndFlow",
                     "en.yaml",
                     "ünï: x\nnav:\n  \"quoted key\": v\n  plain: w\n"
                     "flow: {é: 1, after: {deep: 2}}\nbase: &b {k: 1}\ncopy: *b\n"
                     "list:\n  - inner: 1\n",
                     {{{"ünï"}, "ünï:"},
                      {{"nav", "quoted key"}, "\"quoted key\""},
                      {{"nav", "plain"}, "plain"},
                      {{"flow", "after"}, "after"},
                      {{"flow", "after", "deep"}, "deep"},
                      {{"copy", "k"}, "k: 1"},
                      {{"list", "inner"}, ""}}},
        PositionCase{"TomlStatementsAndHeaders",
                     "en.toml",
                     "\"ключ\" = \"v\"\na.b.c = 2\nt = { \"é\" = 1, after.x = 2 }\n"
                     "[nav.menu]\nhome = \"x\"\n[nav]\ntitle = 't'\n"
                     "[[list]]\ninner = 1\n[list.sub]\n",
                     {{{"ключ"}, "\"ключ\""},
                      {{"a"}, "a.b.c"},
                      {{"a", "b", "c"}, "c = 2"},
                      {{"t", "after", "x"}, "x = 2"},
                      {{"nav"}, "nav.menu]"},
                      {{"nav", "menu"}, "menu]"},
                      {{"nav", "menu", "home"}, "home"},
                      {{"nav", "title"}, "title"},
                      {{"list"}, "list]]"},
                      {{"list", "inner"}, ""},
                      {{"list", "sub"}, ""}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnevo
