#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "message_shape.hpp"
#include "tarnevo/format.hpp"
#include "text/utf8.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;

std::expected<LocaleValue, FormatError> read_toml(std::string_view text) {
  return parse_locale_text(text, FileFormat::Toml);
}

LocaleValue datetime(std::string text) {
  return obj({{"$__toml_private_datetime", str(std::move(text))}});
}

// ---------------------------------------------------------------------------------------------
// Documents that read, and the tree each becomes.

struct MappingCase {
  std::string name;
  std::string toml;
  LocaleValue expected;
};

class TomlMapping : public ::testing::TestWithParam<MappingCase> {};

TEST_P(TomlMapping, ReadsIntoTheTree) {
  const auto result = read_toml(GetParam().toml);
  ASSERT_TRUE(result.has_value()) << result.error().message();
  EXPECT_EQ(*result, GetParam().expected) << to_json(*result);
}

const std::int64_t kI64Min = std::numeric_limits<std::int64_t>::min();
const std::int64_t kI64Max = std::numeric_limits<std::int64_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Structure, TomlMapping,
    ::testing::Values(
        MappingCase{"Empty", "", obj({})},
        MappingCase{"OnlyCommentsAndBlankLines", "# nothing\n\n   \n# here\n", obj({})},
        MappingCase{"ByteOrderMarkSkipped", "\xEF\xBB\xBFk = 1\n", obj({{"k", u64(1)}})},
        MappingCase{"ByteOrderMarkAlone", "\xEF\xBB\xBF", obj({})},
        MappingCase{"CrLfLineEnds", "a = 1\r\n[t]\r\nb = 'x'\r\n",
                    obj({{"a", u64(1)}, {"t", obj({{"b", str("x")}})}})},
        MappingCase{
            "NestedTables", "[a]\nx = 1\n[a.b]\ny = 2\n[c]\n",
            obj({{"a", obj({{"x", u64(1)}, {"b", obj({{"y", u64(2)}})}})}, {"c", obj({})}})},
        MappingCase{"SubTableBeforeItsParent", "[a.b]\ny = 2\n[a]\nx = 1\n",
                    obj({{"a", obj({{"x", u64(1)}, {"b", obj({{"y", u64(2)}})}})}})},
        MappingCase{
            "DottedKeysExtendATableAHeaderMadeImplicitly", "[a.b.c]\n[a]\nb.d = 1\nb.e = 2\n",
            obj({{"a", obj({{"b", obj({{"c", obj({})}, {"d", u64(1)}, {"e", u64(2)}})}})}})},
        MappingCase{"DottedKeys", "a.b.c = 1\na.d = 2\n[t]\nu.v = 3\n",
                    obj({{"a", obj({{"b", obj({{"c", u64(1)}})}, {"d", u64(2)}})},
                         {"t", obj({{"u", obj({{"v", u64(3)}})}})}})},
        MappingCase{
            "InlineTables", "p = { x = 1, y = { z = \"s\" }, e = {} }\n",
            obj({{"p", obj({{"x", u64(1)}, {"y", obj({{"z", str("s")}})}, {"e", obj({})}})}})},
        MappingCase{"Arrays", "a = [1, \"two\", [3, []], { k = true }, ]\n",
                    obj({{"a", arr({u64(1), str("two"), arr({u64(3), arr({})}),
                                    obj({{"k", boolean(true)}})})}})},
        MappingCase{"ArraysOfTables", "[[f]]\nn = 1\n[[f]]\nn = 2\n[f.sub]\nq = 3\n[[f.list]]\n",
                    obj({{"f", arr({obj({{"n", u64(1)}}), obj({{"n", u64(2)},
                                                               {"sub", obj({{"q", u64(3)}})},
                                                               {"list", arr({obj({})})}})})}})},
        MappingCase{"QuotedKeys", "\"a.b\" = 1\n'c d' = 2\n\"\" = 3\n\"\\u00e9\" = 4\n",
                    obj({{"a.b", u64(1)}, {"c d", u64(2)}, {"", u64(3)}, {"\xC3\xA9", u64(4)}})},
        MappingCase{"KeysInByteOrder", "b = 1\na = 2\n\"\xC3\xA9\" = 3\nB = 4\nab = 5\n",
                    obj({{"B", u64(4)},
                         {"a", u64(2)},
                         {"ab", u64(5)},
                         {"b", u64(1)},
                         {"\xC3\xA9", u64(3)}})}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Scalars, TomlMapping,
    ::testing::Values(
        MappingCase{"Strings",
                    "b = \"tab\\there \\\"q\\\" \\u00e9\\U0001F600\"\nl = 'C:\\path'\n"
                    "m = \"\"\"\nline1\nline2\"\"\"\nn = \"nul\\u0000byte\"\n",
                    obj({{"b", str("tab\there \"q\" \xC3\xA9\xF0\x9F\x98\x80")},
                         {"l", str("C:\\path")},
                         {"m", str("line1\nline2")},
                         {"n", str(std::string("nul\0byte", 8))}})},
        MappingCase{"Booleans", "t = true\nf = false\n",
                    obj({{"t", boolean(true)}, {"f", boolean(false)}})},
        MappingCase{"Integers",
                    "zero = 0\nplus_zero = +0\nminus_zero = -0\npos = +42\nneg = -17\n"
                    "hex = 0xff\noct = 0o17\nbin = 0b101\nsep = 1_000\n"
                    "min = -9223372036854775808\nmax = 9223372036854775807\n",
                    obj({{"zero", u64(0)},
                         {"plus_zero", u64(0)},
                         {"minus_zero", u64(0)},
                         {"pos", u64(42)},
                         {"neg", i64(-17)},
                         {"hex", u64(255)},
                         {"oct", u64(15)},
                         {"bin", u64(5)},
                         {"sep", u64(1000)},
                         {"min", i64(kI64Min)},
                         {"max", u64(static_cast<std::uint64_t>(kI64Max))}})},
        MappingCase{"Floats", "a = 1.5\nb = -0.0\nc = 1e3\nd = 6.25e-1\ne = 1.0\n",
                    obj({{"a", f64(1.5)},
                         {"b", f64(-0.0)},
                         {"c", f64(1000.0)},
                         {"d", f64(0.625)},
                         {"e", f64(1.0)}})},
        MappingCase{"NonFiniteFloatsAreNull",
                    "a = inf\nb = +inf\nc = -inf\nd = nan\ne = +nan\nf = -nan\ng = [nan, 1.0]\n",
                    obj({{"a", null()},
                         {"b", null()},
                         {"c", null()},
                         {"d", null()},
                         {"e", null()},
                         {"f", null()},
                         {"g", arr({null(), f64(1.0)})}})}),
    [](const auto& info) { return info.param.name; });

// One date or time value under the key v, and its normal form.
struct DatetimeCase {
  std::string name;
  std::string toml_value;
  std::string normal_form;
};

class TomlDatetime : public ::testing::TestWithParam<DatetimeCase> {};

TEST_P(TomlDatetime, BecomesAnObjectHoldingItsNormalForm) {
  const auto result = read_toml("v = " + GetParam().toml_value + "\n");
  ASSERT_TRUE(result.has_value()) << result.error().message();
  EXPECT_EQ(*result, obj({{"v", datetime(GetParam().normal_form)}})) << to_json(*result);
}

INSTANTIATE_TEST_SUITE_P(
    AllForms, TomlDatetime,
    ::testing::Values(
        DatetimeCase{"OffsetUtc", "1979-05-27T07:32:00Z", "1979-05-27T07:32:00Z"},
        DatetimeCase{"OffsetLowerZ", "1979-05-27T07:32:00z", "1979-05-27T07:32:00Z"},
        DatetimeCase{"OffsetSpaceSeparator", "1979-05-27 07:32:00Z", "1979-05-27T07:32:00Z"},
        DatetimeCase{"OffsetLowerT", "1979-05-27t07:32:00-07:00", "1979-05-27T07:32:00-07:00"},
        DatetimeCase{"ZeroOffsetInDigits", "1979-05-27T07:32:00+00:00",
                     "1979-05-27T07:32:00+00:00"},
        DatetimeCase{"NegativeZeroOffset", "1979-05-27T07:32:00-00:00",
                     "1979-05-27T07:32:00+00:00"},
        DatetimeCase{"HalfHourOffset", "1979-05-27T00:32:00.999999+05:30",
                     "1979-05-27T00:32:00.999999+05:30"},
        DatetimeCase{"FractionBeforeZ", "1979-05-27T07:32:00.5000Z", "1979-05-27T07:32:00.5Z"},
        DatetimeCase{"LocalDatetime", "1979-05-27T07:32:00", "1979-05-27T07:32:00"},
        DatetimeCase{"LocalDatetimeSpaceAndFraction", "1979-05-27 07:32:00.500",
                     "1979-05-27T07:32:00.5"},
        DatetimeCase{"LocalDate", "1979-05-27", "1979-05-27"},
        DatetimeCase{"LocalTime", "07:32:00", "07:32:00"},
        DatetimeCase{"ZeroFractionDropped", "00:32:00.000", "00:32:00"},
        DatetimeCase{"TrailingZerosTrimmed", "07:32:00.100000000", "07:32:00.1"},
        DatetimeCase{"OneNanosecond", "07:32:00.000000001", "07:32:00.000000001"},
        DatetimeCase{"DigitsPastTheNinthDropped", "07:32:00.1234567891234", "07:32:00.123456789"},
        DatetimeCase{"DigitsPastTheNinthDroppedBeforeZ", "1979-05-27T07:32:00.999999999999Z",
                     "1979-05-27T07:32:00.999999999Z"},
        DatetimeCase{"LeapDay", "2024-02-29", "2024-02-29"}),
    [](const auto& info) { return info.param.name; });

// Non-ASCII characters where the reader decides what may follow: after a line-ending backslash's
// line break (text), and where a value, a key or a table of values may end (refused, positioned).
TEST(TomlMapping, NonAsciiWhereTheParserChecksForWhitespace) {
  const auto joined = read_toml("s = \"\"\"a \\\n   \xC3\xA9t\xC3\xA9\"\"\"\n");
  ASSERT_TRUE(joined.has_value()) << joined.error().message();
  EXPECT_EQ(*joined, obj({{"s", str("a \xC3\xA9t\xC3\xA9")}}));

  for (const char* text : {"a = 1\xC3\xA9\n", "a\xD0\x96 = 1\n", "a = [1 \xE3\x81\x82]\n",
                           "a = 1\xE2\x80\x83\n", "\xEF\xAD\x90 = 1\n"}) {
    const auto result = read_toml(text);
    ASSERT_FALSE(result.has_value()) << text;
    EXPECT_TRUE(result.error().detail().starts_with("TOML parse error at line 1, column "));
  }
}

TEST(TomlDatetime, InsideArraysAndInlineTables) {
  // Later lines shift the source positions that tell Z from +00:00.
  const auto result = read_toml(
      "# leading comment with \xC3\xA9\n"
      "a = [1979-05-27T07:32:00Z, 1979-05-27T07:32:00+00:00]\n"
      "[t]\n\"\xC3\xA9\" = { when = 2001-01-01 00:00:00z }\n");
  ASSERT_TRUE(result.has_value()) << result.error().message();
  EXPECT_EQ(
      *result,
      obj({{"a", arr({datetime("1979-05-27T07:32:00Z"), datetime("1979-05-27T07:32:00+00:00")})},
           {"t", obj({{"\xC3\xA9", obj({{"when", datetime("2001-01-01T00:00:00Z")}})}})}}));
}

// ---------------------------------------------------------------------------------------------
// Failures and their whole message.

struct FailureCase {
  std::string name;
  std::string toml;
  std::string message;  // the reader's message, after "Failed to parse TOML: "
};

class TomlFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(TomlFailure, ReportsTheExactMessage) {
  const auto result = read_toml(GetParam().toml);
  ASSERT_FALSE(result.has_value()) << to_json(*result);
  EXPECT_EQ(result.error().kind(), FormatError::Kind::Toml);
  EXPECT_EQ(result.error().detail(), GetParam().message);
  EXPECT_EQ(result.error().message(), "Failed to parse TOML: " + GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    DuplicateKeys, TomlFailure,
    ::testing::Values(FailureCase{"KeyInRoot", "a = 1\na = 2\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | a = 2\n"
                                  "  | ^\n"
                                  "duplicate key `a` in document root\n"},
                      // The value is read before the key is entered: a malformed one is
                      // reported at its place, not the key that is taken.
                      FailureCase{"TakenKeyWithoutValue", "a = 1\na = ",
                                  "TOML parse error at line 2, column 5\n"
                                  "  |\n"
                                  "2 | a = \n"
                                  "  |     ^\n"
                                  "Error while parsing key-value pair: expected value, saw "
                                  "end-of-file\n"},
                      FailureCase{"TakenKeyWithMalformedValue", "[t]\na = 1\na = [1,,]\n",
                                  "TOML parse error at line 3, column 8\n"
                                  "  |\n"
                                  "3 | a = [1,,]\n"
                                  "  |        ^\n"
                                  "Error while parsing array: expected value or closing ']', "
                                  "saw comma\n"},
                      FailureCase{"KeyInTable", "[t]\na = 1\na = \"two\"\n",
                                  "TOML parse error at line 3, column 1\n"
                                  "  |\n"
                                  "3 | a = \"two\"\n"
                                  "  | ^\n"
                                  "duplicate key `a` in table `t`\n"},
                      FailureCase{"DottedKeyInTable", "[t]\nx.a = 1\nx.a = 2\n",
                                  "TOML parse error at line 3, column 3\n"
                                  "  |\n"
                                  "3 | x.a = 2\n"
                                  "  |   ^\n"
                                  "duplicate key `a` in table `t.x`\n"},
                      FailureCase{"KeyInInlineTable", "p = { a = 1, a = 2 }\n",
                                  "TOML parse error at line 1, column 14\n"
                                  "  |\n"
                                  "1 | p = { a = 1, a = 2 }\n"
                                  "  |              ^\n"
                                  "duplicate key `a` in table `p`\n"},
                      FailureCase{"KeyInArrayOfTables", "[[f]]\nx = 1\n[[f]]\nx = 1\nx = 2\n",
                                  "TOML parse error at line 5, column 1\n"
                                  "  |\n"
                                  "5 | x = 2\n"
                                  "  | ^\n"
                                  "duplicate key `x` in table `f`\n"},
                      FailureCase{"DottedKeyThroughAValue", "a = 1\na.b = 2\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | a.b = 2\n"
                                  "  | ^\n"
                                  "duplicate key `a` in document root\n"},
                      FailureCase{"DottedKeyIntoAnInlineTable", "[t]\nn.p = { x = 1 }\nn.p.y = 2\n",
                                  "TOML parse error at line 3, column 3\n"
                                  "  |\n"
                                  "3 | n.p.y = 2\n"
                                  "  |   ^\n"
                                  "duplicate key `p` in table `t.n`\n"},
                      FailureCase{"TableInRoot", "[a]\nx = 1\n[a]\n",
                                  "TOML parse error at line 3, column 1\n"
                                  "  |\n"
                                  "3 | [a]\n"
                                  "  | ^^^\n"
                                  "duplicate key `a` in document root\n"},
                      FailureCase{"TableInTable", "[x.a]\n[x.a] # again\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | [x.a] # again\n"
                                  "  | ^^^^^\n"
                                  "duplicate key `a` in table `x`\n"},
                      FailureCase{"TableOverAValue", "a = 1\n[a]\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | [a]\n"
                                  "  | ^^^\n"
                                  "duplicate key `a` in document root\n"},
                      FailureCase{"ArrayOfTablesOverAStaticArray", "a = [1]\n[[a]]\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | [[a]]\n"
                                  "  | ^^^^^\n"
                                  "duplicate key `a` in document root\n"},
                      // The parser notices these only after the header's line; the message points
                      // at the header and names the key in the way, not the last one.
                      FailureCase{"HeaderThroughAValue", "a.b = 1\n[a.b.c]\n[d]\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | [a.b.c]\n"
                                  "  | ^^^^^^^\n"
                                  "duplicate key `b` in table `a`\n"},
                      FailureCase{"HeaderIntoAnInlineTable", "a = { b = 1 }\n[a.c]",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | [a.c]\n"
                                  "  | ^^^^^\n"
                                  "duplicate key `a` in document root\n"},
                      FailureCase{"QuotedKeysInThePath", "[\"x y\".'t']\n[ \"x y\" . t ]\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | [ \"x y\" . t ]\n"
                                  "  | ^^^^^^^^^^^^^\n"
                                  "duplicate key `t` in table `\"x y\"`\n"},
                      FailureCase{"NonAsciiKey",
                                  "\"\xC3\xA4 \xC3\xB6\" = 1\n\"\xC3\xA4 \xC3\xB6\" = 2\n",
                                  "TOML parse error at line 2, column 1\n"
                                  "  |\n"
                                  "2 | \"\xC3\xA4 \xC3\xB6\" = 2\n"
                                  "  | ^^^^^\n"
                                  "duplicate key `\xC3\xA4 \xC3\xB6` in document root\n"}),
    [](const auto& info) { return info.param.name; });

INSTANTIATE_TEST_SUITE_P(
    Syntax, TomlFailure,
    ::testing::Values(
        FailureCase{"MissingValue", "a = \n",
                    "TOML parse error at line 1, column 5\n"
                    "  |\n"
                    "1 | a = \n"
                    "  |     ^\n"
                    "Error while parsing key-value pair: expected value, saw '\\n'\n"},
        FailureCase{
            "TwoDigitLineNumberWidensTheGutter", "\n\n\n\n\n\n\n\n\n[t]\nk = 1 2\n",
            "TOML parse error at line 11, column 7\n"
            "   |\n"
            "11 | k = 1 2\n"
            "   |       ^\n"
            "Error while parsing key-value pair: expected a comment or whitespace, saw '2'\n"},
        FailureCase{
            "ColumnCountsCharactersNotBytes", "k = \"\xC3\xB1\x61nd\xC3\xBA\" x\n",
            "TOML parse error at line 1, column 13\n"
            "  |\n"
            "1 | k = \"\xC3\xB1\x61nd\xC3\xBA\" x\n"
            "  |             ^\n"
            "Error while parsing key-value pair: expected a comment or whitespace, saw 'x'\n"},
        FailureCase{"UnterminatedStringAtEndOfFile", "a = \"abc",
                    "TOML parse error at line 1, column 9\n"
                    "  |\n"
                    "1 | a = \"abc\n"
                    "  |         ^\n"
                    "Error while parsing string: encountered end-of-file\n"},
        FailureCase{"CarriageReturnNotShown", "a = 1\r\nb = [1,,2]\r\n",
                    "TOML parse error at line 2, column 8\n"
                    "  |\n"
                    "2 | b = [1,,2]\n"
                    "  |        ^\n"
                    "Error while parsing array: expected value or closing ']', saw comma\n"},
        FailureCase{
            "HourOutOfRange", "t = 24:00:00\n",
            "TOML parse error at line 1, column 5\n"
            "  |\n"
            "1 | t = 24:00:00\n"
            "  |     ^^^^^^^^\n"
            "Error while parsing time: expected hour between 0 and 23 (inclusive), saw 24\n"},
        FailureCase{"ByteOrderMarkNotCounted",
                    "\xEF\xBB\xBF"
                    "a = b\n",
                    "TOML parse error at line 1, column 5\n"
                    "  |\n"
                    "1 | a = b\n"
                    "  |     ^\n"
                    "Error while parsing value: could not determine value type\n"}),
    [](const auto& info) { return info.param.name; });

// Where the carets go: under the whole offending value or escape, at the end of the last line
// for an end of text (not on the empty line after it), at one stray character.
INSTANTIATE_TEST_SUITE_P(
    Spans, TomlFailure,
    ::testing::Values(
        FailureCase{"EndOfTextAfterALineBreak", "a = [1,\n",
                    "TOML parse error at line 1, column 8\n  |\n1 | a = [1,\n  |        ^\n"
                    "Error while parsing array: expected value or closing ']', saw end-of-file\n"},
        FailureCase{"IntegerOutOfRange", "x = 9223372036854775808\n",
                    "TOML parse error at line 1, column 5\n  |\n1 | x = 9223372036854775808\n"
                    "  |     ^^^^^^^^^^^^^^^^^^^\n"
                    "Error while parsing integer: value out of the 64-bit signed range\n"},
        FailureCase{
            "DateNotInTheCalendar", "d = 2023-02-29\n",
            "TOML parse error at line 1, column 5\n  |\n1 | d = 2023-02-29\n"
            "  |     ^^^^^^^^^^\n"
            "Error while parsing date: expected day between 1 and 28 (inclusive), saw 29\n"},
        FailureCase{"EndOfTextAfterACrLf", "a = [\r\n",
                    "TOML parse error at line 1, column 6\n  |\n1 | a = [\n  |      ^\n"
                    "Error while parsing array: expected value or closing ']', saw end-of-file\n"},
        FailureCase{"SurrogateEscapeHigh", "s = \"\\uD800\"\n",
                    "TOML parse error at line 1, column 6\n  |\n1 | s = \"\\uD800\"\n"
                    "  |      ^^^^^^\nError while parsing string: escape sequence is not a "
                    "Unicode scalar value\n"},
        FailureCase{"SurrogateEscapeLow", "s = \"\\uDFFF\"\n",
                    "TOML parse error at line 1, column 6\n  |\n1 | s = \"\\uDFFF\"\n"
                    "  |      ^^^^^^\nError while parsing string: escape sequence is not a "
                    "Unicode scalar value\n"},
        FailureCase{"UnknownEscape", "s = \"a\\qb\"\n",
                    "TOML parse error at line 1, column 7\n  |\n1 | s = \"a\\qb\"\n"
                    "  |       ^^\nError while parsing string: invalid escape sequence '\\q'\n"},
        FailureCase{"ByteOrderMarkAfterAValue", "a = 1 \xEF\xBB\xBF\n",
                    "TOML parse error at line 1, column 7\n  |\n1 | a = 1 \xEF\xBB\xBF\n"
                    "  |       ^\nError while parsing key-value pair: expected a comment or "
                    "whitespace, saw a byte-order mark (U+FEFF)\n"},
        FailureCase{"HeaderOverDottedKeys", "[a]\nb.c = 1\n[a.b]\n",
                    "TOML parse error at line 3, column 1\n  |\n3 | [a.b]\n  | ^^^^^\n"
                    "duplicate key `b` in table `a`\n"}),
    [](const auto& info) { return info.param.name; });

// ---------------------------------------------------------------------------------------------
// Nesting: arrays nest at most 128 deep within a value, tables and arrays at most 512 levels from
// the root (dotted keys and headers nest tables as deep as the text is long). The reader counts
// levels rather than recursing, so it stops at the limit however deep the text goes.

TEST(TomlNesting, DeepArraysFailWithTheParsersLimit) {
  const auto result = read_toml("x = " + std::string(300, '[') + std::string(300, ']') + "\n");
  ASSERT_FALSE(result.has_value());
  EXPECT_TRUE(result.error().detail().starts_with("TOML parse error at line 1, column 133\n"));
  EXPECT_TRUE(result.error().detail().ends_with(
      "\nError while parsing value: exceeded maximum nested value depth of 128\n"));
}

TEST(TomlNesting, ModeratelyDeepDocumentsRead) {
  std::string dotted;
  for (int i = 0; i < 100; ++i) dotted += "a.";
  const auto result = read_toml("[" + dotted + "t]\n" + dotted + "b = " + std::string(100, '[') +
                                std::string(100, ']') + "\n");
  ASSERT_TRUE(result.has_value()) << result.error().message();
}

TEST(TomlNesting, DeepDottedKeysAndHeadersFailCleanly) {
  for (const int segments : {600, 1'000'000}) {
    std::string dotted;
    for (int i = 0; i < segments; ++i) dotted += "k.";
    for (const std::string& text : {dotted + "k = 1\n", "[" + dotted + "k]\n",
                                    "x = {" + dotted + "k = { " + dotted + "k = 1 } }\n"}) {
      const auto result = read_toml(text);
      ASSERT_FALSE(result.has_value());
      EXPECT_TRUE(result.error().detail().starts_with("TOML parse error at line 1, column "));
      EXPECT_TRUE(result.error().detail().ends_with("\nexceeded maximum nesting depth of 512\n"));
    }
  }
}

TEST(TomlNesting, DeepInlineTablesFailCleanly) {
  std::string text = "x = ";
  for (int i = 0; i < 200'000; ++i) text += "{a=";
  const auto result = read_toml(text);
  ASSERT_FALSE(result.has_value());
  EXPECT_TRUE(result.error().detail().ends_with("\nexceeded maximum nesting depth of 512\n"));
}

// ---------------------------------------------------------------------------------------------
// Robustness: whatever the text, an error or a value, never a crash (run under sanitizers).

const char* const kValidDocuments[] = {
    "# app\ntitle = \"Tarn \xC3\xA9v\xC3\xB6\"\n[owner]\nname = 'x'\ndob = "
    "1979-05-27T07:32:00-08:00\n"
    "[db]\nports = [ 8000, 8001 ]\nlimits = { max = 5_000, ratio = 0.5, on = true }\n"
    "[[items]]\nid = 1\n[[items]]\nid = 2\n[items.meta]\nnote = \"\"\"\nmulti\n\"line\\\"\"\"\"\n",
    "a.b.\"c d\".e = 0x0\nlit = '''\nraw \\n'''\n[x.y]\nz = [[1, 2], ['a'], [{ k = 1979-05-27 "
    "}]]\n"
    "t = 07:32:00.25\nf = [ -inf, nan, 6.02e23 ]\n",
    "\xEF\xBB\xBF[\"\xE2\x82\xAC\"]\r\nk = \"\\u20AC \\U0001F600\"\r\n[[\"\xE2\x82\xAC\".l]]\r\n",
};

void expect_value_or_positioned_error(const std::string& text) {
  const auto result = read_toml(text);
  if (result.has_value()) {
    EXPECT_TRUE(result->is_object());
    return;
  }
  // Every failure is placed, on a line of the text and within it.
  EXPECT_TRUE(is_positioned_toml_message(text, result.error().detail()));
}

// U+FEFF counts as a byte-order mark only as the very first character; inside strings and
// comments it is text, anywhere else a stray character.
TEST(TomlByteOrderMark, OnlyAtTheVeryStart) {
  const std::string bom = "\xEF\xBB\xBF";
  for (const std::string& text : {bom + bom + "a = 1\n", "a = 1\n" + bom + "b = 2\n",
                                  "a = 1 " + bom + "\n", "a = 1\n" + bom + "# c\n"}) {
    expect_value_or_positioned_error(text);
    EXPECT_FALSE(read_toml(text).has_value()) << text;
  }
  const auto inside = read_toml(bom + "a = \"" + bom + "\" # " + bom + "\n");
  ASSERT_TRUE(inside.has_value()) << inside.error().message();
  EXPECT_EQ(*inside, obj({{"a", str(bom)}}));
}

// Small tables are searched key by key, larger ones through an index that grows with them: a
// key set twice is found at every size, wherever the first one stands.
TEST(TomlDuplicates, FoundInTablesOfEverySize) {
  for (const int size : {1, 7, 8, 9, 16, 17, 33, 200}) {
    std::string table = "[t]\n";
    for (int k = 0; k < size; ++k)
      table += "key" + std::to_string(k) + " = " + std::to_string(k) + "\n";
    const auto whole = read_toml(table);
    ASSERT_TRUE(whole.has_value()) << whole.error().message();
    EXPECT_EQ(whole->as_object().find("t")->as_object().size(), static_cast<std::size_t>(size));
    for (const int again : {0, size / 2, size - 1}) {
      const std::string key = "key" + std::to_string(again);
      for (const std::string& twice : {key + " = 0\n", "'" + key + "' = 0\n", key + ".x = 0\n"}) {
        const auto result = read_toml(table + twice);
        ASSERT_FALSE(result.has_value()) << size << ": " << twice;
        EXPECT_NE(result.error().detail().find("duplicate key `" + key + "` in table `t`"),
                  std::string::npos)
            << result.error().detail();
      }
    }
  }
}

TEST(TomlRobustness, ValidDocumentsRead) {
  for (const char* document : kValidDocuments) {
    const auto result = read_toml(document);
    EXPECT_TRUE(result.has_value()) << result.error().message();
  }
}

// Inputs that broke an earlier parser's own assumptions (an assertion, an unreachable branch).
TEST(TomlRobustness, InputsThatTripTheParsersAssumptions) {
  for (const char* text : {"a = 1979-05-27T:00\n", "a = 1979-05-27 :00:00\n", "\xC2\xA7 = 1\n",
                           "s = \"\"\"\\\n\xC2\xA7\"\"\"\n"}) {
    expect_value_or_positioned_error(text);
  }
}

TEST(TomlRobustness, EveryTruncation) {
  for (const std::string document : kValidDocuments) {
    for (std::size_t length = 0; length <= document.size(); ++length) {
      expect_value_or_positioned_error(document.substr(0, length));
    }
  }
}

TEST(TomlRobustness, RandomMutations) {
  std::mt19937 random(20240501);
  static const std::string kSignificant = "[]{}=.,\"'#\n\r\t \\-+:_0123456789eEZTtfnaix\xC3\xA9";
  for (int round = 0; round < 4000; ++round) {
    std::string text = kValidDocuments[random() % std::size(kValidDocuments)];
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int e = 0; e < edits && !text.empty(); ++e) {
      const std::size_t at = random() % text.size();
      const char byte = random() % 4 == 0 ? static_cast<char>(random() % 256)
                                          : kSignificant[random() % kSignificant.size()];
      switch (random() % 4) {
        case 0:
          text[at] = byte;
          break;
        case 1:
          text.insert(at, 1, byte);
          break;
        case 2:
          text.erase(at, 1 + random() % 8);
          break;
        default:
          text.insert(at, text.substr(random() % text.size(), 1 + random() % 20));
          break;
      }
    }
    expect_value_or_positioned_error(text);
  }
}

TEST(TomlRobustness, RandomTokenSoup) {
  std::mt19937 random(7);
  static const char* const kTokens[] = {
      "[",    "]",      "[[",    "]]",         "{",        "}",   "=",    ".",  ",",
      "a",    "b",      "\"k\"", "'l'",        "1",        "1.5", "true", "\n", " ",
      "#c\n", "\"\"\"", "'''",   "1979-05-27", "07:32:00", "Z",   "nan"};
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const int length = 1 + static_cast<int>(random() % 40);
    for (int i = 0; i < length; ++i) text += kTokens[random() % std::size(kTokens)];
    expect_value_or_positioned_error(text);
  }
}

}  // namespace
}  // namespace tarnevo
