// The public toml-test suite's TOML 1.0 cases (toml-test/, see its README): every valid document
// reads to the tree its JSON describes, every invalid one fails with a positioned message.
#include <gtest/gtest.h>

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "message_shape.hpp"
#include "tarnevo/format.hpp"
#include "text/utf8.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;
namespace fs = std::filesystem;

const fs::path kSuite = TARNEVO_TOML_SUITE_DIR;

std::string read_file(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<fs::path> documents_in(const fs::path& folder) {
  std::vector<fs::path> paths;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.path().extension() == ".toml") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The reader's normal form of a date or time as toml-test writes it: a fraction of a second
// without trailing zeros, none when it is zero.
std::string normal_datetime(std::string text) {
  const std::size_t dot = text.find('.');
  if (dot == std::string::npos) return text;
  std::size_t digits_end = dot + 1;
  while (digits_end < text.size() && std::isdigit(static_cast<unsigned char>(text[digits_end])))
    ++digits_end;
  std::size_t kept = digits_end;
  while (kept > dot + 1 && text[kept - 1] == '0') --kept;
  if (kept == dot + 1) kept = dot;
  return text.erase(kept, digits_end - kept);
}

// toml-test's tagged JSON ({"type": ..., "value": ...} for each scalar) as the tree the reader
// gives for the same document.
LocaleValue expected_tree(const LocaleValue& tagged) {
  if (tagged.is_array()) {
    LocaleArray items;
    for (const LocaleValue& item : tagged.as_array()) items.push_back(expected_tree(item));
    return LocaleValue::array(std::move(items));
  }
  const LocaleObject& object = tagged.as_object();
  const LocaleValue* type = object.find("type");
  const LocaleValue* value = object.find("value");
  if (object.size() != 2 || type == nullptr || !type->is_string() || value == nullptr ||
      !value->is_string()) {
    std::vector<LocaleMember> members;
    for (const LocaleMember& member : object) {
      members.push_back(LocaleMember{member.key, expected_tree(member.value)});
    }
    return LocaleValue::object(LocaleObject::from_members(std::move(members)));
  }
  const std::string& kind = type->as_string();
  const std::string& text = value->as_string();
  if (kind == "string") return str(text);
  if (kind == "bool") return boolean(text == "true");
  if (kind == "integer") {
    std::int64_t number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return i64(number);
  }
  if (kind == "float") {
    if (text.find("inf") != std::string::npos || text.find("nan") != std::string::npos) {
      return null();
    }
    double number = 0;
    std::from_chars(text.data(), text.data() + text.size(), number);
    return f64(number);
  }
  return obj({{"$__toml_private_datetime", str(normal_datetime(text))}});
}

TEST(TomlSuite, EveryValidDocumentReadsToItsTree) {
  const std::vector<fs::path> documents = documents_in(kSuite / "valid");
  ASSERT_GT(documents.size(), 200u);
  for (const fs::path& path : documents) {
    SCOPED_TRACE(path.lexically_relative(kSuite).string());
    fs::path json_path = path;
    json_path.replace_extension(".json");
    const auto tagged = parse_locale_text(read_file(json_path), FileFormat::Json);
    ASSERT_TRUE(tagged.has_value()) << tagged.error().message();
    const auto result = parse_locale_text(read_file(path), FileFormat::Toml);
    ASSERT_TRUE(result.has_value()) << result.error().message();
    EXPECT_EQ(*result, expected_tree(*tagged)) << to_json(*result);
  }
}

TEST(TomlSuite, EveryInvalidDocumentFailsWithAPositionedMessage) {
  const std::vector<fs::path> documents = documents_in(kSuite / "invalid");
  ASSERT_GT(documents.size(), 400u);
  for (const fs::path& path : documents) {
    SCOPED_TRACE(path.lexically_relative(kSuite).string());
    const std::string text = read_file(path);
    // The loader refuses text that is not UTF-8 before a reader sees it.
    if (!detail::text::is_valid_utf8(text)) continue;
    const auto result = parse_locale_text(text, FileFormat::Toml);
    ASSERT_FALSE(result.has_value()) << to_json(*result);
    EXPECT_TRUE(is_positioned_toml_message(text, result.error().detail()));
  }
}

}  // namespace
}  // namespace tarnevo
