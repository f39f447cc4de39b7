#include <gtest/gtest.h>

#include "text/utf8.hpp"

namespace tarnevo {
namespace {

struct Utf8Case {
  const char* name;
  std::string bytes;
  bool valid;
};

class Utf8Validity : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Validity, MatchesTheUnicodeDefinition) {
  EXPECT_EQ(detail::text::is_valid_utf8(GetParam().bytes), GetParam().valid);
  // The same bytes after a long ASCII run exercise the word-at-a-time path.
  EXPECT_EQ(detail::text::is_valid_utf8(std::string(37, 'a') + GetParam().bytes), GetParam().valid);
}

INSTANTIATE_TEST_SUITE_P(Cases, Utf8Validity,
                         ::testing::Values(Utf8Case{"empty", "", true},
                                           Utf8Case{"ascii_with_nul", std::string("a\0b", 3), true},
                                           Utf8Case{"two_byte", "\xC3\xA9", true},
                                           Utf8Case{"three_byte", "\xE2\x82\xAC", true},
                                           Utf8Case{"four_byte", "\xF0\x9F\x98\x80", true},
                                           Utf8Case{"max_scalar", "\xF4\x8F\xBF\xBF", true},
                                           Utf8Case{"overlong_two", "\xC0\xAF", false},
                                           Utf8Case{"overlong_c1", "\xC1\xBF", false},
                                           Utf8Case{"overlong_three", "\xE0\x80\xAF", false},
                                           Utf8Case{"overlong_four", "\xF0\x80\x80\xAF", false},
                                           Utf8Case{"surrogate", "\xED\xA0\x80", false},
                                           Utf8Case{"above_max", "\xF4\x90\x80\x80", false},
                                           Utf8Case{"f5_lead", "\xF5\x80\x80\x80", false},
                                           Utf8Case{"lone_continuation", "\x80", false},
                                           Utf8Case{"truncated", "\xE2\x82", false},
                                           Utf8Case{"ff", "\xFF", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Utf8Lossy, ReplacesMaximalIllFormedSubparts) {
  EXPECT_EQ(detail::text::to_utf8_lossy("plain"), "plain");
  EXPECT_EQ(detail::text::to_utf8_lossy("a\xFF"
                                        "b"),
            "a\xEF\xBF\xBD"
            "b");
  // A truncated three-byte sequence is one subpart; a surrogate's bytes are three.
  EXPECT_EQ(detail::text::to_utf8_lossy("\xE2\x82x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(detail::text::to_utf8_lossy("\xED\xA0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");
}

}  // namespace
}  // namespace tarnevo
