#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <string>
#include <vector>

#include "tarnevo/format.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;

std::expected<LocaleValue, FormatError> parse(std::string_view text) {
  return parse_locale_text(text, FileFormat::Json);
}

// The compact text of a successful parse, or the failure's detail.
std::string outcome(std::string_view text) {
  const auto value = parse(text);
  if (!value) return value.error().detail();
  return to_json(*value);
}

struct TextCase {
  std::string input;
  std::string expected;
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << ::testing::PrintToString(c.input);
}

class JsonFailures : public ::testing::TestWithParam<TextCase> {};

TEST_P(JsonFailures, ReportTheMessageAndPosition) {
  const auto value = parse(GetParam().input);
  ASSERT_FALSE(value.has_value()) << to_json(*value);
  EXPECT_EQ(value.error().kind(), FormatError::Kind::Json);
  EXPECT_EQ(value.error().detail(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    EndOfText, JsonFailures,
    ::testing::Values(TextCase{"", "EOF while parsing a value at line 1 column 0"},
                      TextCase{"  \n ", "EOF while parsing a value at line 2 column 1"},
                      TextCase{"[1,\n", "EOF while parsing a value at line 2 column 0"},
                      TextCase{"{\"a\":", "EOF while parsing a value at line 1 column 5"},
                      TextCase{"tru", "EOF while parsing a value at line 1 column 3"},
                      TextCase{"\"abc", "EOF while parsing a string at line 1 column 4"},
                      TextCase{"\"a\\", "EOF while parsing a string at line 1 column 3"},
                      TextCase{"\"\\u12", "EOF while parsing a string at line 1 column 5"},
                      TextCase{"\"\\uD800", "EOF while parsing a string at line 1 column 7"},
                      TextCase{"\"\\uD800\\", "EOF while parsing a string at line 1 column 8"},
                      TextCase{"[", "EOF while parsing a list at line 1 column 1"},
                      TextCase{"[1", "EOF while parsing a list at line 1 column 2"},
                      TextCase{"[[]\n ", "EOF while parsing a list at line 2 column 1"},
                      TextCase{"{", "EOF while parsing an object at line 1 column 1"},
                      TextCase{"{\"a\"", "EOF while parsing an object at line 1 column 4"},
                      TextCase{"{\"a\":1", "EOF while parsing an object at line 1 column 6"},
                      TextCase{"{\"a\":1,", "EOF while parsing an object at line 1 column 7"}));

INSTANTIATE_TEST_SUITE_P(
    Syntax, JsonFailures,
    ::testing::Values(TextCase{"\xEF\xBB\xBF{}", "expected value at line 1 column 1"},
                      TextCase{"x", "expected value at line 1 column 1"},
                      TextCase{"[1,,2]", "expected value at line 1 column 4"},
                      TextCase{"[\n  ,]", "expected value at line 2 column 3"},
                      TextCase{"trUe", "expected value at line 1 column 3"},
                      TextCase{"NaN", "expected value at line 1 column 1"},
                      TextCase{"-Infinity", "invalid number at line 1 column 2"},
                      TextCase{"'a'", "expected value at line 1 column 1"},
                      TextCase{"/* c */ 1", "expected value at line 1 column 1"},
                      TextCase{"\f1", "expected value at line 1 column 1"},
                      TextCase{"{\"a\" 1}", "expected `:` at line 1 column 6"},
                      TextCase{"{\"a\"}", "expected `:` at line 1 column 5"},
                      TextCase{"[1 2]", "expected `,` or `]` at line 1 column 4"},
                      TextCase{"[1}", "expected `,` or `]` at line 1 column 3"},
                      TextCase{"{\"a\":1 \"b\":2}", "expected `,` or `}` at line 1 column 8"},
                      TextCase{"{\"a\":1]", "expected `,` or `}` at line 1 column 7"},
                      TextCase{"{1:2}", "key must be a string at line 1 column 2"},
                      TextCase{"{a:1}", "key must be a string at line 1 column 2"},
                      TextCase{"{,}", "key must be a string at line 1 column 2"},
                      TextCase{"{\"a\":1,2:3}", "key must be a string at line 1 column 8"},
                      TextCase{"[1,]", "trailing comma at line 1 column 4"},
                      TextCase{"{\"a\":1,}", "trailing comma at line 1 column 8"},
                      TextCase{"[1,\r\n  ]", "trailing comma at line 2 column 3"},
                      TextCase{"1 2", "trailing characters at line 1 column 3"},
                      TextCase{"{}\n\n x", "trailing characters at line 3 column 2"},
                      TextCase{"[1] // c", "trailing characters at line 1 column 5"},
                      TextCase{"\"a\"\"b\"", "trailing characters at line 1 column 4"},
                      TextCase{"[[[[[[1]]]]]]]", "trailing characters at line 1 column 14"}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, JsonFailures,
    ::testing::Values(
        TextCase{"01", "invalid number at line 1 column 2"},
        TextCase{"-00", "invalid number at line 1 column 3"},
        TextCase{"-", "invalid number at line 1 column 1"},
        TextCase{"[-]", "invalid number at line 1 column 3"},
        TextCase{"1.", "invalid number at line 1 column 2"},
        TextCase{"[1.]", "invalid number at line 1 column 4"},
        TextCase{"1.e5", "invalid number at line 1 column 3"},
        TextCase{"1e", "invalid number at line 1 column 2"},
        TextCase{"1e+", "invalid number at line 1 column 3"},
        TextCase{"[1E-x]", "invalid number at line 1 column 5"},
        TextCase{".5", "expected value at line 1 column 1"},
        TextCase{"+1", "expected value at line 1 column 1"},
        TextCase{"0x10", "trailing characters at line 1 column 2"},
        TextCase{"1e400", "number out of range at line 1 column 5"},
        TextCase{"\n [-1.5e400]", "number out of range at line 2 column 10"},
        TextCase{"1.7976931348623159e308", "number out of range at line 1 column 22"},
        TextCase{"1e99999999999999999999999", "number out of range at line 1 column 25"},
        TextCase{"0.0000000001e320", "number out of range at line 1 column 16"},
        TextCase{"1" + std::string(400, '0'), "number out of range at line 1 column 401"}));

INSTANTIATE_TEST_SUITE_P(
    Strings, JsonFailures,
    ::testing::Values(
        TextCase{"\"\\x\"", "invalid escape at line 1 column 3"},
        TextCase{"\"ab\\'\"", "invalid escape at line 1 column 5"},
        TextCase{"\"\\u12G4\"", "invalid escape at line 1 column 6"},
        TextCase{"\"\\u12\"", "invalid escape at line 1 column 6"},
        TextCase{"\"\\U0041\"", "invalid escape at line 1 column 3"},
        TextCase{"\"\\uDC00\"", "lone leading surrogate in hex escape at line 1 column 7"},
        TextCase{"\"\\uDFFF\\uDC00\"", "lone leading surrogate in hex escape at line 1 column 7"},
        TextCase{"{\"a\": \"\\udfff x\"}",
                 "lone leading surrogate in hex escape at line 1 column 13"},
        TextCase{"\"a\\ude00\"", "lone leading surrogate in hex escape at line 1 column 8"},
        TextCase{"\"\\uD800\\u0041\"", "lone leading surrogate in hex escape at line 1 column 13"},
        TextCase{"\"\\uDBFF\\uD800\"", "lone leading surrogate in hex escape at line 1 column 13"},
        TextCase{"\"\\uD800x\"", "unexpected end of hex escape at line 1 column 8"},
        TextCase{"\"\\uD800\"", "unexpected end of hex escape at line 1 column 8"},
        TextCase{"\"\\uD800\\n\"", "unexpected end of hex escape at line 1 column 9"},
        TextCase{
            "\"a\tb\"",
            "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 3"},
        TextCase{
            "{\n\"a\nb\":1}",
            "control character (\\u0000-\\u001F) found while parsing a string at line 2 column 3"},
        TextCase{
            std::string("\"\0\"", 3),
            "control character (\\u0000-\\u001F) found while parsing a string at line 1 column 2"},
        TextCase{"\"0123456789\x1f\"",
                 "control character (\\u0000-\\u001F) found while parsing a string at line 1 "
                 "column 12"}));

TEST(JsonReader, AViewWithoutDataIsAnEmptyText) {
  EXPECT_EQ(outcome(std::string_view()), "EOF while parsing a value at line 1 column 0");
}

TEST(JsonReader, FailureMessageCarriesTheJsonPrefix) {
  EXPECT_EQ(parse("[1,]").error().message(),
            "Failed to parse JSON: trailing comma at line 1 column 4");
}

std::string nested(int depth, bool objects) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += objects ? (i % 2 ? "{\"k\":" : "[") : "[";
  for (int i = depth - 1; i >= 0; --i) text += objects ? (i % 2 ? "}" : "]") : "]";
  return text;
}

TEST(JsonReader, NestsUpTo127Levels) {
  // With objects, the 128th opener follows 64 "[" and 63 "{\"k\":", so it is at byte 380.
  for (const bool objects : {false, true}) {
    EXPECT_TRUE(parse(nested(127, objects)).has_value());
    EXPECT_EQ(outcome(nested(128, objects)),
              "recursion limit exceeded at line 1 column " + std::to_string(objects ? 380 : 128));
  }
  // A deep text must fail at the limit, not exhaust the stack or the time.
  EXPECT_EQ(outcome(std::string(1'000'000, '[')), "recursion limit exceeded at line 1 column 128");
}

class JsonValues : public ::testing::TestWithParam<TextCase> {};

TEST_P(JsonValues, ReadAsExpected) {
  EXPECT_EQ(outcome(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, JsonValues,
    ::testing::Values(TextCase{"0", "0"}, TextCase{"-0", "-0.0"}, TextCase{"-0.0", "-0.0"},
                      TextCase{"0.0", "0.0"}, TextCase{"1.5", "1.5"}, TextCase{"1E2", "100.0"},
                      TextCase{"1e+2", "100.0"}, TextCase{"-1e-2", "-0.01"},
                      TextCase{"18446744073709551615", "18446744073709551615"},
                      TextCase{"18446744073709551616", "1.8446744073709552e+19"},
                      TextCase{"9223372036854775808", "9223372036854775808"},
                      TextCase{"-9223372036854775808", "-9223372036854775808"},
                      TextCase{"-9223372036854775809", "-9.223372036854776e+18"},
                      TextCase{"123456789012345678901234567890", "1.2345678901234568e+29"},
                      TextCase{"1e-400", "0.0"}, TextCase{"-1e-400", "-0.0"},
                      TextCase{"2.4e-324", "0.0"}, TextCase{"4.9e-324", "5e-324"},
                      TextCase{"1e-99999999999999999999", "0.0"}, TextCase{"0e999999", "0.0"},
                      TextCase{"1.7976931348623157e308", "1.7976931348623157e+308"},
                      TextCase{"100000000000000000000000000000000e-40", "1e-8"},
                      TextCase{" [1 , -2 ,3.25]\t\r\n", "[1,-2,3.25]"}));

INSTANTIATE_TEST_SUITE_P(
    Strings, JsonValues,
    ::testing::Values(TextCase{R"("")", R"("")"},
                      TextCase{R"("\"\\\/\b\f\n\r\t")", R"("\"\\/\b\f\n\r\t")"},
                      TextCase{R"("\u00e9\u20AC")", "\"\xC3\xA9\xE2\x82\xAC\""},
                      TextCase{R"("\uD83D\uDE00 \ud83d\ude00")",
                               "\"\xF0\x9F\x98\x80 \xF0\x9F\x98\x80\""},
                      TextCase{R"("\uDBFF\uDFFF")", "\"\xF4\x8F\xBF\xBF\""},
                      TextCase{R"("a\u0000b")", R"("a\u0000b")"},
                      TextCase{"\"caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC {name} \x7F\"",
                               "\"caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC {name} \x7F\""}));

INSTANTIATE_TEST_SUITE_P(
    Objects, JsonValues,
    ::testing::Values(TextCase{R"({"a":1,"b":2,"a":3})", R"({"a":3,"b":2})"},
                      TextCase{R"({"a":{"x":1},"a":"s"})", R"({"a":"s"})"},
                      TextCase{R"({"b":1,"a":2,"B":3,"":4})", R"({"":4,"B":3,"a":2,"b":1})"},
                      TextCase{R"({"\u0061":1,"a":2})", R"({"a":2})"}, TextCase{R"( { } )", "{}"},
                      TextCase{"[[],{},[{}]]", "[[],{},[{}]]"}, TextCase{"true", "true"},
                      TextCase{"null", "null"}, TextCase{"[false,null]", "[false,null]"}));

TEST(JsonReader, KeepsTheZeroCharacterInsideStrings) {
  const auto value = parse(R"({"k\u0000":"\u0000"})");
  ASSERT_TRUE(value.has_value());
  const LocaleValue* text = value->as_object().find(std::string_view("k\0", 2));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->as_string(), std::string(1, '\0'));
}

TEST(JsonReader, NumbersTakeTheRepresentationOfTheirValue) {
  using Repr = LocaleNumber::Repr;
  const auto value = parse("[0, 7, -7, -0, 1.0, 18446744073709551616, -9223372036854775809]");
  ASSERT_TRUE(value.has_value());
  const std::vector<Repr> expected{Repr::Unsigned, Repr::Unsigned, Repr::Signed, Repr::Float,
                                   Repr::Float,    Repr::Float,    Repr::Float};
  ASSERT_EQ(value->as_array().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(value->as_array()[i].as_number().repr(), expected[i]) << i;
  }
}

// The string scanner looks at eight bytes at a time: a special byte must be found at every
// position of a word and of the tail.
TEST(JsonReader, FindsQuotesEscapesAndControlsAtEveryOffset) {
  for (std::size_t length = 0; length < 24; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      std::string body(length, 'x');
      body[at] = '\x01';
      EXPECT_EQ(
          outcome('"' + body + '"'),
          "control character (\\u0000-\\u001F) found while parsing a string at line 1 column " +
              std::to_string(at + 2));
      body[at] = '"';
      EXPECT_EQ(outcome('"' + body + '"'),
                "trailing characters at line 1 column " + std::to_string(at + 3));
      body.replace(at, 1, "\\n");
      std::string expected = body;
      EXPECT_EQ(outcome('"' + body + '"'), '"' + expected + '"');
    }
    // Bytes above 0x7F must not be taken for specials by the word arithmetic.
    EXPECT_EQ(outcome('"' + std::string(length, '\xE9') + '"'),
              '"' + std::string(length, '\xE9') + '"');
  }
}

constexpr std::string_view kDocument = R"({
  "app": {"title": "Tarnevo \u2014 d\u00e9mo", "version": 3, "ratio": 0.75, "beta": false},
  "greeting": "Hello, {name}! \ud83d\udc4b",
  "plural": {"one": "{count} file", "other": "{count} files", "zero": null},
  "list": [1, -2, 3.5e-3, "x\ty", [], {}, [[{"deep": [true]}]]],
  "escapes": "quote \" backslash \\ slash \/ ctrl \u001f",
  "big": 18446744073709551615, "neg": -9223372036854775808, "frac": 1e21,
  "unicode": "\u65e5\u672c\u8a9e \u00fc\u00f1\u00ee\u00e7\u00f8d\u00e9",
  "app": {"title": "later title wins"}
})";

TEST(JsonReader, RoundTripsADocumentThroughTheWriter) {
  const auto value = parse(kDocument);
  ASSERT_TRUE(value.has_value()) << value.error().detail();
  const std::string written = to_json(*value);
  EXPECT_EQ(written,
            "{\"app\":{\"title\":\"later title wins\"},\"big\":18446744073709551615,"
            "\"escapes\":\"quote \\\" backslash \\\\ slash / ctrl \\u001f\",\"frac\":1e+21,"
            "\"greeting\":\"Hello, {name}! \xF0\x9F\x91\x8B\","
            "\"list\":[1,-2,0.0035,\"x\\ty\",[],{},[[{\"deep\":[true]}]]],"
            "\"neg\":-9223372036854775808,"
            "\"plural\":{\"one\":\"{count} file\",\"other\":\"{count} files\",\"zero\":null},"
            "\"unicode\":\"\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E "
            "\xC3\xBC\xC3\xB1\xC3\xAE\xC3\xA7\xC3\xB8\x64\xC3\xA9\"}");
  const auto again = parse(written);
  ASSERT_TRUE(again.has_value());
  EXPECT_EQ(*again, *value);
}

// Any bytes at all give a value or a well-formed failure, never a crash; a value read back from
// its own written text is the same value.
void expect_sound_outcome(std::string_view text) {
  static const std::regex failure_shape(R"(.+ at line [1-9][0-9]* column [0-9]+)");
  const auto value = parse(text);
  if (!value) {
    ASSERT_TRUE(std::regex_match(value.error().detail(), failure_shape))
        << ::testing::PrintToString(std::string(text)) << " -> " << value.error().detail();
    return;
  }
  const std::string written = to_json(*value);
  const auto again = parse(written);
  ASSERT_TRUE(again.has_value()) << written;
  ASSERT_EQ(*again, *value) << written;
}

TEST(JsonReader, EveryTruncationFailsCleanlyOrReads) {
  const std::vector<std::string_view> documents{
      kDocument, R"([{"a":[1,2,{"b":"\ud83d\ude00"}]},-0.5e-3,"\\\"",true,false,null])",
      "{\"k\":\"\xE6\x97\xA5\xE6\x9C\xAC\",\"n\":[123456789012345678901234567890,-1e-400]}"};
  for (const std::string_view document : documents) {
    for (std::size_t length = 0; length <= document.size(); ++length) {
      expect_sound_outcome(document.substr(0, length));
    }
  }
}

TEST(JsonReader, RandomAndMutatedBytesFailCleanlyOrRead) {
  std::mt19937 random(8675309);
  constexpr std::string_view alphabet =
      "{}[]:,\"\\/ \n\t\r0123456789-+.eEuabfnrtlsDdcC8\x01\x7F\xC3\xA9";
  auto any_of = [&](std::string_view bytes) { return bytes[random() % bytes.size()]; };
  const std::string document(kDocument);
  for (int round = 0; round < 4000; ++round) {
    std::string text;
    if (round % 2 == 0) {
      const std::size_t length = random() % 40;
      for (std::size_t i = 0; i < length; ++i) {
        text.push_back(round % 8 == 0 ? static_cast<char>(random()) : any_of(alphabet));
      }
    } else {
      text = document;
      for (unsigned edits = 1 + random() % 4; edits > 0; --edits) {
        const std::size_t at = random() % text.size();
        switch (random() % 3) {
          case 0:
            text[at] = round % 3 == 0 ? static_cast<char>(random()) : any_of(alphabet);
            break;
          case 1:
            text.insert(at, 1, any_of(alphabet));
            break;
          default:
            text.erase(at, 1 + random() % 8);
            if (text.empty()) text = "x";
            break;
        }
      }
    }
    expect_sound_outcome(text);
  }
}

}  // namespace
}  // namespace tarnevo
