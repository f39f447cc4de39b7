#include <gtest/gtest.h>

#include <chrono>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <string_view>

#include "tarnevo/format.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;

std::expected<LocaleValue, FormatError> parse(std::string_view text) {
  return parse_locale_text(text, FileFormat::Yaml);
}

// The reader's message for a text that must fail, or a note of what it parsed instead.
std::string failure_of(std::string_view text) {
  auto result = parse(text);
  if (result) return "parsed as " + to_json(*result);
  EXPECT_EQ(result.error().kind(), FormatError::Kind::Yaml);
  return result.error().detail();
}

std::string repeat(std::string_view part, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out.append(part);
  return out;
}

struct ScalarCase {
  std::string plain;
  LocaleValue expected;
  friend std::ostream& operator<<(std::ostream& out, const ScalarCase& c) {
    return out << "v: " << c.plain;
  }
};

class YamlScalarTyping : public ::testing::TestWithParam<ScalarCase> {};

TEST_P(YamlScalarTyping, ValueFollowsTheTable) {
  const auto result = parse("v: " + GetParam().plain);
  ASSERT_TRUE(result) << result.error().message();
  const LocaleValue* value = result->as_object().find("v");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(*value, GetParam().expected) << to_json(*value);
}

constexpr std::int64_t kI64Min = std::numeric_limits<std::int64_t>::min();

INSTANTIATE_TEST_SUITE_P(
    Plain, YamlScalarTyping,
    ::testing::Values(
        // Null and booleans in their exact spellings only.
        ScalarCase{"", null()}, ScalarCase{"~", null()}, ScalarCase{"null", null()},
        ScalarCase{"Null", null()}, ScalarCase{"NULL", null()}, ScalarCase{"nULL", str("nULL")},
        ScalarCase{"true", boolean(true)}, ScalarCase{"True", boolean(true)},
        ScalarCase{"TRUE", boolean(true)}, ScalarCase{"false", boolean(false)},
        ScalarCase{"FALSE", boolean(false)}, ScalarCase{"yes", str("yes")},
        ScalarCase{"on", str("on")}, ScalarCase{"n", str("n")}, ScalarCase{"tRUE", str("tRUE")},
        // Integers.
        ScalarCase{"0", u64(0)}, ScalarCase{"-0", u64(0)}, ScalarCase{"+0", u64(0)},
        ScalarCase{"42", u64(42)}, ScalarCase{"+42", u64(42)}, ScalarCase{"-42", i64(-42)},
        ScalarCase{"0x1F", u64(31)}, ScalarCase{"0xff", u64(255)}, ScalarCase{"0o17", u64(15)},
        ScalarCase{"0b101", u64(5)}, ScalarCase{"-0b11", i64(-3)}, ScalarCase{"-0x10", i64(-16)},
        ScalarCase{"+0x10", u64(16)}, ScalarCase{"0x0001", u64(1)},
        ScalarCase{"18446744073709551615", u64(std::numeric_limits<std::uint64_t>::max())},
        ScalarCase{"-9223372036854775808", i64(kI64Min)},
        // Not integers: leading zeros, second signs, bare prefixes, separators, bad digits.
        ScalarCase{"012", str("012")}, ScalarCase{"+007", str("+007")},
        ScalarCase{"-01", str("-01")}, ScalarCase{"00", str("00")}, ScalarCase{"0x", str("0x")},
        ScalarCase{"0x-1", str("0x-1")}, ScalarCase{"+-1", str("+-1")},
        ScalarCase{"--1", str("--1")}, ScalarCase{"0X10", str("0X10")},
        ScalarCase{"0o8", str("0o8")}, ScalarCase{"0b2", str("0b2")},
        ScalarCase{"1_000", str("1_000")}, ScalarCase{"1,5", str("1,5")},
        ScalarCase{"2024-01-01", str("2024-01-01")}, ScalarCase{"12:30", str("12:30")},
        ScalarCase{"-e5", str("-e5")}, ScalarCase{"+", str("+")},
        // Beyond 128 bits an integer is read as a float; a hex one is then text.
        ScalarCase{"340282366920938463463374607431768211456",
                   f64(340282366920938463463374607431768211456.0)},
        ScalarCase{"-170141183460469231731687303715884105729",
                   f64(-170141183460469231731687303715884105729.0)},
        ScalarCase{"0x100000000000000000000000000000000",
                   str("0x100000000000000000000000000000000")},
        ScalarCase{"-0x80000000000000000000000000000001",
                   str("-0x80000000000000000000000000000001")},
        ScalarCase{"0340282366920938463463374607431768211456",
                   str("0340282366920938463463374607431768211456")},
        // Floats.
        ScalarCase{"1.5", f64(1.5)}, ScalarCase{"5.", f64(5.0)}, ScalarCase{".5", f64(0.5)},
        ScalarCase{"-.5", f64(-0.5)}, ScalarCase{"+.5", f64(0.5)}, ScalarCase{"1e3", f64(1000.0)},
        ScalarCase{"0e5", f64(0.0)}, ScalarCase{"+1.5e3", f64(1500.0)}, ScalarCase{"1e5", f64(1e5)},
        ScalarCase{"1E-2", f64(0.01)}, ScalarCase{"-0.0", f64(-0.0)},
        ScalarCase{"012.5", f64(12.5)}, ScalarCase{"1e-400", f64(0.0)},
        ScalarCase{"-1e-400", f64(-0.0)}, ScalarCase{".inf", null()}, ScalarCase{"+.Inf", null()},
        ScalarCase{"-.INF", null()}, ScalarCase{".nan", null()}, ScalarCase{".NaN", null()},
        ScalarCase{".NAN", null()},
        // Not floats.
        ScalarCase{"1e999", str("1e999")}, ScalarCase{"-1e999", str("-1e999")},
        ScalarCase{"inf", str("inf")}, ScalarCase{"nan", str("nan")},
        ScalarCase{"infinity", str("infinity")}, ScalarCase{"+.nan", str("+.nan")},
        ScalarCase{".iNf", str(".iNf")}, ScalarCase{".", str(".")}, ScalarCase{"1e", str("1e")},
        ScalarCase{"1.2.3", str("1.2.3")}, ScalarCase{"+-1.5", str("+-1.5")},
        // Quoted and block scalars are text whatever they spell.
        ScalarCase{"'true'", str("true")}, ScalarCase{"\"true\"", str("true")},
        ScalarCase{"'12'", str("12")}, ScalarCase{"\"~\"", str("~")}, ScalarCase{"''", str("")},
        ScalarCase{"|\n  12\n", str("12\n")}, ScalarCase{">\n  a\n  b\n", str("a b\n")},
        ScalarCase{"\"a\\0b\"", str(std::string("a\0b", 3))},
        // Standard and global tags.
        ScalarCase{"!!str 12", str("12")}, ScalarCase{"!!bool 'true'", boolean(true)},
        ScalarCase{"!!int \"0x10\"", u64(16)}, ScalarCase{"!!float '1'", f64(1.0)},
        ScalarCase{"!!float .inf", null()}, ScalarCase{"!!null ''", null()},
        ScalarCase{"!!null", null()}, ScalarCase{"!!seq x", str("x")},
        ScalarCase{"!<tag:example.com,2000:x> 12", str("12")}));

struct FailureCase {
  std::string yaml;
  std::string message;
  friend std::ostream& operator<<(std::ostream& out, const FailureCase& c) { return out << c.yaml; }
};

class YamlFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(YamlFailure, FailsWithMessage) {
  EXPECT_EQ(failure_of(GetParam().yaml), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Typing, YamlFailure,
    ::testing::Values(
        FailureCase{"v: 18446744073709551616", "JSON number out of range at line 1 column 4"},
        FailureCase{"v: -9223372036854775809", "JSON number out of range at line 1 column 4"},
        FailureCase{"v: -170141183460469231731687303715884105728",
                    "JSON number out of range at line 1 column 4"},
        FailureCase{"v: !!int 18446744073709551616", "JSON number out of range at line 1 column 4"},
        FailureCase{"v: !!bool yes",
                    "invalid value: string \"yes\", expected a boolean at line 1 column 4"},
        FailureCase{"v: !!int 012",
                    "invalid value: string \"012\", expected an integer at line 1 column 4"},
        FailureCase{"v: !!int 1.5",
                    "invalid value: string \"1.5\", expected an integer at line 1 column 4"},
        FailureCase{"v: !!float 1e999",
                    "invalid value: string \"1e999\", expected a float at line 1 column 4"},
        FailureCase{"v: !!null 'x'",
                    "invalid value: string \"x\", expected null at line 1 column 4"},
        // At the very start the position carries nothing and is left out.
        FailureCase{"!!int x", "invalid value: string \"x\", expected an integer"},
        FailureCase{"\xEF\xBB\xBF!!int x",
                    "invalid value: string \"x\", expected an integer at position 3"},
        FailureCase{"v: !custom x",
                    "invalid type: enum, expected any valid JSON value at line 1 column 4"},
        FailureCase{"v: ! x",
                    "invalid type: enum, expected any valid JSON value at line 1 column 4"},
        FailureCase{"v: !<!bar> [1]",
                    "invalid type: enum, expected any valid JSON value at line 1 column 4"},
        FailureCase{"!x {a: 1}", "invalid type: enum, expected any valid JSON value"},
        FailureCase{"!x a: 1", "invalid type: enum, expected any valid JSON value"},
        // Keys stay text, but a typed tag on a key still has to fit.
        FailureCase{"!!int k: 1", "invalid value: string \"k\", expected an integer"},
        FailureCase{"? [a]\n: b", "invalid type: sequence, expected a string at line 1 column 3"},
        FailureCase{"{a: 1}: b", "invalid type: map, expected a string"},
        FailureCase{"a: &m {x: 1}\n? *m\n: v",
                    "invalid type: map, expected a string at line 2 column 3"}));

INSTANTIATE_TEST_SUITE_P(
    Structure, YamlFailure,
    ::testing::Values(
        FailureCase{"a: 1\n---\nb: 2",
                    "deserializing from YAML containing more than one document is not supported at "
                    "line 2 column 1"},
        FailureCase{"a: 1\n---\n",
                    "deserializing from YAML containing more than one document is not supported at "
                    "line 2 column 1"},
        FailureCase{"a: *nowhere", "unknown anchor at line 1 column 4"},
        FailureCase{"- *a\n- &a x", "unknown anchor at line 1 column 3"},
        // An alias inside the node it names would nest that node in itself without end.
        FailureCase{"&a [*a]", "recursion limit exceeded at line 1 column 5"},
        FailureCase{"&a\nk: [1, *a]", "recursion limit exceeded at line 2 column 8"},
        // Whatever fails inside a replayed node is reported at the alias.
        // Failures come in the order of the text, libyaml's own included.
        FailureCase{"a: !!int x\nb: [",
                    "invalid value: string \"x\", expected an integer at line 1 column 4"},
        FailureCase{"&k 99999999999999999999: x\ny: *k",
                    "JSON number out of range at line 2 column 4"}));

// libyaml's own complaints: problem, position, context, context position.
INSTANTIATE_TEST_SUITE_P(
    Syntax, YamlFailure,
    ::testing::Values(
        FailureCase{"a: b: c", "mapping values are not allowed in this context at line 1 column 5"},
        FailureCase{"x: [a, b",
                    "did not find expected ',' or ']' at line 2 column 1, while parsing a flow "
                    "sequence at line 1 column 4"},
        FailureCase{
            "[a, b",
            "did not find expected ',' or ']' at line 2 column 1, while parsing a flow sequence"},
        FailureCase{"a: \"x",
                    "found unexpected end of stream at line 1 column 6, while scanning a quoted "
                    "scalar at line 1 column 4"},
        FailureCase{"key: \"\\q\"",
                    "found unknown escape character at line 1 column 7, while parsing a quoted "
                    "scalar at line 1 column 6"},
        FailureCase{"a: |\n  x\n b",
                    "did not find expected key at line 3 column 2, while parsing a block mapping"},
        FailureCase{"]", "did not find expected node content, while parsing a block node"},
        FailureCase{"%YAML 1.2\n%YAML 1.2\n---\na",
                    "found duplicate %YAML directive at line 2 column 1"},
        FailureCase{"a\n...\nb", "did not find expected <document start> at line 3 column 1"},
        // Reader errors have only a byte offset.
        FailureCase{"a: \x01", "control characters are not allowed at position 3"},
        FailureCase{"\xC3\xA9: \x01", "control characters are not allowed at position 4"}));

TEST(YamlReader, EmptyOrCommentOnlyTextIsNull) {
  EXPECT_EQ(parse(std::string_view()).value(), null());
  for (const char* text : {"", "\n\n", "# only a comment\n  # another\n", "\xEF\xBB\xBF"}) {
    const auto result = parse(text);
    ASSERT_TRUE(result) << result.error().message();
    EXPECT_TRUE(result->is_null()) << text;
  }
  // An explicit document without content is a null node, too.
  EXPECT_EQ(parse("---\n").value(), null());
}

TEST(YamlReader, ByteOrderMarkIsSkipped) {
  EXPECT_EQ(parse("\xEF\xBB\xBF"
                  "a: 1\n")
                .value(),
            obj({{"a", u64(1)}}));
}

TEST(YamlReader, MappingsAndSequencesNest) {
  const auto result = parse(
      "greeting: Hello %{name}\n"
      "menu:\n"
      "  items: [open, save, 3]\n"
      "  nested:\n"
      "    - {x: 1, y: [true, ~]}\n"
      "    - plain text with: colon inside quotes? no\n");
  ASSERT_TRUE(result) << result.error().message();
  EXPECT_EQ(
      to_json(*result),
      R"({"greeting":"Hello %{name}","menu":{"items":["open","save",3],)"
      R"("nested":[{"x":1,"y":[true,null]},{"plain text with":"colon inside quotes? no"}]}})");
}

TEST(YamlReader, LaterDuplicateKeyWins) {
  EXPECT_EQ(parse("b: 1\na: 2\nb: 3\nb: 4\nc: 5").value(),
            obj({{"a", u64(2)}, {"b", u64(4)}, {"c", u64(5)}}));
  EXPECT_EQ(parse("{k: 1, k: [2]}").value(), obj({{"k", arr({u64(2)})}}));
}

TEST(YamlReader, KeysAreTheTextAsWritten) {
  const auto result = parse(
      "1: a\ntrue: b\n~: c\n0x10: d\n'q': e\n\"\": f\n? \n: g\n<<: h\n!!str 9: i\n!!int 7: j");
  ASSERT_TRUE(result) << result.error().message();
  EXPECT_EQ(to_json(*result),
            R"({"":"g","0x10":"d","1":"a","7":"j","9":"i","<<":"h","q":"e","true":"b","~":"c"})");
}

TEST(YamlReader, AliasOfAScalarCanBeAKey) {
  EXPECT_EQ(parse("first: &k 12\n*k : copy").value(),
            obj({{"first", u64(12)}, {"12", str("copy")}}));
}

TEST(YamlReader, AliasesAreEqualIndependentCopies) {
  auto result = parse("base: &b {x: 1, list: [a, b]}\none: *b\ntwo: *b\nword: &w hi\nagain: *w");
  ASSERT_TRUE(result) << result.error().message();
  LocaleObject& root = result->as_object();
  const LocaleValue expected = obj({{"x", u64(1)}, {"list", arr({str("a"), str("b")})}});
  EXPECT_EQ(*root.find("base"), expected);
  EXPECT_EQ(*root.find("one"), expected);
  EXPECT_EQ(*root.find("two"), expected);
  EXPECT_EQ(*root.find("again"), str("hi"));
  root.find("one")->as_object().find("list")->as_array().clear();
  EXPECT_EQ(*root.find("two"), expected);
  EXPECT_EQ(*root.find("base"), expected);
}

struct AliasCase {
  std::string yaml;
  std::string json;
  friend std::ostream& operator<<(std::ostream& out, const AliasCase& c) { return out << c.yaml; }
};

class YamlAliases : public ::testing::TestWithParam<AliasCase> {};

TEST_P(YamlAliases, ExpandToCopies) {
  const auto result = parse(GetParam().yaml);
  ASSERT_TRUE(result) << result.error().message();
  EXPECT_EQ(to_json(*result), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, YamlAliases,
    ::testing::Values(
        // A later anchor of the same name hides the earlier one from then on.
        AliasCase{"- &a 1\n- *a\n- &a 2\n- *a", "[1,1,2,2]"},
        // Aliases inside an anchored node are expanded again in every copy of it.
        AliasCase{"- &o [&i x, *i, y]\n- *o\n- *i", R"([["x","x","y"],["x","x","y"],"x"])"},
        AliasCase{"a: &a {k: &b [1, {z: ~}]}\nb: *b\nc: *a",
                  R"({"a":{"k":[1,{"z":null}]},"b":[1,{"z":null}],"c":{"k":[1,{"z":null}]}})"},
        AliasCase{"&r {a: &x 1, b: *x}", R"({"a":1,"b":1})"},
        // An aliased key is text, and an anchored key's scalar is typed where it is a value.
        AliasCase{"{&k key: v, *k : w}", R"({"key":"w"})"},
        AliasCase{"&n 0x10: a\nv: *n", R"({"0x10":"a","v":16})"},
        AliasCase{"t: &t !!bool 'true'\nu: *t", R"({"t":true,"u":true})"}));

TEST(YamlReader, NestingIsLimitedTo128Levels) {
  EXPECT_TRUE(parse(repeat("[", 128) + repeat("]", 128)));
  EXPECT_EQ(failure_of(repeat("[", 129) + repeat("]", 129)),
            "recursion limit exceeded at line 1 column 129");
  std::string block;
  for (int depth = 0; depth < 129; ++depth)
    block += std::string(static_cast<std::size_t>(depth), ' ') + "k:\n";
  EXPECT_EQ(failure_of(block), "recursion limit exceeded at line 129 column 129");
  // Nesting through an alias counts too.
  const std::string deep = "a: &d " + repeat("[", 100) + repeat("]", 100) + "\n";
  EXPECT_TRUE(parse(deep + "b: " + repeat("[", 27) + "*d" + repeat("]", 27)));
  EXPECT_EQ(failure_of(deep + "b: " + repeat("[", 28) + "*d" + repeat("]", 28)),
            "recursion limit exceeded at line 2 column 32");
}

// Nine anchors, each a list of nine aliases of the previous one: a few hundred bytes that would
// expand to hundreds of millions of nodes.
std::string billion_laughs() {
  std::string text =
      "a: &a [\"lol\",\"lol\",\"lol\",\"lol\",\"lol\",\"lol\",\"lol\",\"lol\",\"lol\"]\n";
  for (char name = 'b'; name <= 'i'; ++name) {
    const char previous = static_cast<char>(name - 1);
    text += std::string(1, name) + ": &" + name + " [";
    for (int i = 0; i < 9; ++i) text += std::string(i == 0 ? "*" : ",*") + previous;
    text += "]\n";
  }
  return text;
}

TEST(YamlReader, BillionLaughsFailsFast) {
  // 112 events allow 11200 copied nodes; the first alias of d (7381 nodes each) on line 5
  // passes that, before anything of it is copied.
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(failure_of(billion_laughs()), "repetition limit exceeded at line 5 column 8");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// One anchored list of `items` scalars, then `aliases` aliases of it: the events are
// items + aliases + 6 (with the document's start and end), and every alias materialises
// items + 1 nodes.
std::string flat_aliases(std::size_t items, std::size_t aliases) {
  std::string text = "- &a [" + repeat("x,", items - 1) + "x]\n";
  text += repeat("- *a\n", aliases);
  return text;
}

TEST(YamlReader, NodesMaterialisedThroughAliasesAreBounded) {
  // 205 aliases of 200 nodes: 41000 nodes, exactly 100 per event of the 410.
  const auto within = parse(flat_aliases(199, 205));
  ASSERT_TRUE(within) << within.error().message();
  EXPECT_EQ(within->as_array().size(), 206u);
  EXPECT_EQ(failure_of(flat_aliases(199, 206)), "repetition limit exceeded at line 207 column 3");
  // A flat bomb: few alias expansions, but a tree quadratic in the size of the text. 6006 events
  // allow 600600 copied nodes, which the 301st alias of 2001 nodes passes.
  EXPECT_EQ(failure_of(flat_aliases(2000, 4000)), "repetition limit exceeded at line 302 column 3");
}

// A long anchored string aliased again and again is a bomb of few nodes: the text copied through
// aliases may reach 100 times the length of the input. With 10000 bytes and n aliases the input
// is 10006 + 5n bytes, so 105 aliases (1050000 bytes copied) pass and the 106th fails.
TEST(YamlReader, TextCopiedThroughAliasesIsBounded) {
  const auto aliased_string = [](std::size_t aliases) {
    return "- &s " + std::string(10000, 'x') + "\n" + repeat("- *s\n", aliases);
  };
  const auto within = parse(aliased_string(105));
  ASSERT_TRUE(within) << within.error().message();
  EXPECT_EQ(within->as_array().size(), 106u);
  EXPECT_EQ(failure_of(aliased_string(106)), "repetition limit exceeded at line 107 column 3");
}

// Every prefix of some valid documents, then random mutations of them: each gives a value or a
// message, never a crash (run under the sanitizers).
TEST(YamlReader, SurvivesTruncatedAndMutatedInput) {
  const std::string documents[] = {
      "greeting: \"Hello %{name}\"\nmenu:\n  items: [open, 'save', 3, -0x1F, .inf]\n  deep: {a: "
      "[1, {b: ~}]}\n",
      "base: &b {x: 1, y: [a, b]}\nuse: *b\nkeys:\n  ? complex\n  : !!int 12\n  <<: *b\nblock: |\n "
      " line\n   more\nfold: >-\n  a\n  b\n",
      "%YAML 1.1\n%TAG !e! tag:example.com,2000:\n--- !e!root\n- !!str 1\n- !!float '2.5'\n- \"esc "
      "\\u00e9 \\x41\"\n- &s scalar\n- *s\n...\n",
      billion_laughs(),
  };
  std::size_t parsed = 0;
  std::size_t failed = 0;
  auto check = [&](const std::string& text) {
    const auto result = parse(text);
    if (result) {
      ++parsed;
    } else {
      ++failed;
      ASSERT_EQ(result.error().kind(), FormatError::Kind::Yaml);
      ASSERT_FALSE(result.error().detail().empty());
    }
  };
  for (const std::string& document : documents) {
    for (std::size_t length = 0; length <= document.size(); ++length)
      check(document.substr(0, length));
  }
  std::mt19937 random(20240611);
  const std::string alphabet = "-:?[]{},&*!|>'\"#%@` \n\t\\.0123456789abcxyzé\xEF\xBB\xBF\x01";
  for (int round = 0; round < 3000; ++round) {
    std::string text = documents[random() % std::size(documents)];
    const int edits = 1 + static_cast<int>(random() % 6);
    for (int edit = 0; edit < edits && !text.empty(); ++edit) {
      const std::size_t at = random() % text.size();
      switch (random() % 4) {
        case 0:
          text[at] = alphabet[random() % alphabet.size()];
          break;
        case 1:
          text.insert(at, 1, alphabet[random() % alphabet.size()]);
          break;
        case 2:
          text.erase(at, 1 + random() % 8);
          break;
        default:
          text.insert(at, text.substr(random() % text.size(), random() % 16));
          break;
      }
    }
    check(text);
  }
  EXPECT_GT(parsed, 0u);
  EXPECT_GT(failed, 0u);
}

}  // namespace
}  // namespace tarnevo
