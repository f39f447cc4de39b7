#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <random>
#include <regex>

#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;

std::string float_text(double value) {
  detail::tree::ByteBuffer buffer;
  detail::tree::write_json_float(value, buffer);
  return std::string(buffer.view());
}

TEST(WriteJson, ScalarsAndContainers) {
  EXPECT_EQ(to_json(null()), "null");
  EXPECT_EQ(to_json(boolean(true)), "true");
  EXPECT_EQ(to_json(boolean(false)), "false");
  EXPECT_EQ(to_json(arr({})), "[]");
  EXPECT_EQ(to_json(obj({})), "{}");
  EXPECT_EQ(to_json(arr({u64(1), null(), arr({}), obj({{"k", str("v")}})})),
            R"([1,null,[],{"k":"v"}])");
  EXPECT_EQ(to_json(obj({{"b", u64(1)}, {"a", u64(2)}, {"B", u64(3)}, {"\xC3\xA9", u64(4)}})),
            "{\"B\":3,\"a\":2,\"b\":1,\"\xC3\xA9\":4}");
}

TEST(WriteJson, Integers) {
  EXPECT_EQ(to_json(u64(0)), "0");
  EXPECT_EQ(to_json(u64(18446744073709551615ULL)), "18446744073709551615");
  EXPECT_EQ(to_json(i64(-1)), "-1");
  EXPECT_EQ(to_json(i64(std::numeric_limits<std::int64_t>::min())), "-9223372036854775808");
}

TEST(WriteJsonString, EscapesControlQuoteAndBackslashOnly) {
  const std::string text = std::string("\x01\t\"\\/\x7F\xC3\xA9");
  EXPECT_EQ(to_json(str(text)), "\"\\u0001\\t\\\"\\\\/\x7F\xC3\xA9\"");
  std::string all_controls;
  for (int c = 0; c < 0x20; ++c) all_controls.push_back(static_cast<char>(c));
  EXPECT_EQ(
      to_json(str(all_controls)),
      R"("\u0000\u0001\u0002\u0003\u0004\u0005\u0006\u0007\b\t\n\u000b\f\r\u000e\u000f)"
      R"(\u0010\u0011\u0012\u0013\u0014\u0015\u0016\u0017\u0018\u0019\u001a\u001b\u001c\u001d\u001e\u001f")");
}

// The eight-byte skip must not hide an escape at any position of a word or of the tail.
TEST(WriteJsonString, FindsEscapesAtEveryOffset) {
  for (std::size_t length = 1; length < 24; ++length) {
    for (std::size_t at = 0; at < length; ++at) {
      for (char special : {'"', '\\', '\n', '\x1f', '\0'}) {
        std::string text(length, 'x');
        text[at] = special;
        const std::string written = to_json(str(text));
        EXPECT_EQ(written.find('\0'), std::string::npos);
        const std::size_t escaped_at = 1 + at;
        ASSERT_EQ(written[escaped_at], '\\') << length << " " << at;
      }
    }
  }
}

struct FloatCase {
  double value;
  const char* text;
};

class WriteFloat : public ::testing::TestWithParam<FloatCase> {};

TEST_P(WriteFloat, FollowsTheNotationRules) {
  EXPECT_EQ(float_text(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WriteFloat,
    ::testing::Values(FloatCase{0.0, "0.0"}, FloatCase{-0.0, "-0.0"}, FloatCase{0.1, "0.1"},
                      FloatCase{1.0, "1.0"}, FloatCase{100.0, "100.0"}, FloatCase{120.0, "120.0"},
                      FloatCase{12.5, "12.5"}, FloatCase{-12.5, "-12.5"}, FloatCase{0.001, "0.001"},
                      FloatCase{1e-5, "0.00001"}, FloatCase{1.5e-5, "0.000015"},
                      FloatCase{1e-6, "1e-6"}, FloatCase{1e-7, "1e-7"}, FloatCase{1.5e-7, "1.5e-7"},
                      FloatCase{1e15, "1000000000000000.0"}, FloatCase{1e16, "1e+16"},
                      FloatCase{1e21, "1e+21"},
                      FloatCase{1.2345678901234568e17, "1.2345678901234568e+17"},
                      FloatCase{18446744073709551616.0, "1.8446744073709552e+19"},
                      FloatCase{123456789012345.6, "123456789012345.6"},
                      FloatCase{std::numeric_limits<double>::max(), "1.7976931348623157e+308"},
                      FloatCase{-std::numeric_limits<double>::max(), "-1.7976931348623157e+308"},
                      FloatCase{std::numeric_limits<double>::denorm_min(), "5e-324"},
                      FloatCase{std::numeric_limits<double>::infinity(), "null"}));

// Digits of a written float, without sign, point, leading zeros or exponent.
std::string significant_digits(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (c == 'e') break;
    if (c >= '0' && c <= '9') digits.push_back(c);
  }
  const std::size_t first = digits.find_first_not_of('0');
  digits.erase(0, first);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  return digits;
}

TEST(WriteFloat, RandomBitPatternsReadBackExactlyFromTheShortestText) {
  std::mt19937_64 random(20261208);
  const std::regex shape(R"(-?(\d+\.\d+|\d(\.\d+)?e[+-][1-9]\d*))");
  for (int round = 0; round < 300000; ++round) {
    const std::uint64_t bits = random();
    double value;
    std::memcpy(&value, &bits, sizeof value);
    if (!std::isfinite(value)) continue;
    const std::string text = float_text(value);

    double parsed = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    ASSERT_EQ(error, std::errc()) << text;
    ASSERT_EQ(end, text.data() + text.size()) << text;
    ASSERT_EQ(std::memcmp(&parsed, &value, sizeof value), 0) << text;
    if (round % 16 == 0) {
      ASSERT_TRUE(std::regex_match(text, shape)) << text;
    }

    // Shortest: rounding to one digit fewer must not read back to the same double.
    const std::size_t digits = significant_digits(text).size();
    if (digits > 1) {
      char shorter[64];
      std::snprintf(shorter, sizeof shorter, "%.*e", static_cast<int>(digits) - 2, value);
      ASSERT_NE(std::strtod(shorter, nullptr), value) << text << " vs " << shorter;
    }
  }
}

TEST(ByteBuffer, ReleasesItsOwnBlockSizedToTheText) {
  detail::tree::ByteBuffer buffer;
  EXPECT_EQ(buffer.capacity(), 128u);
  for (int i = 0; i < 100; ++i) buffer.append("abc", 3);
  char* block = buffer.release_c_string();
  EXPECT_EQ(std::strlen(block), 300u);
  EXPECT_EQ(buffer.size(), 0u);
  std::free(block);
}

}  // namespace
}  // namespace tarnevo
