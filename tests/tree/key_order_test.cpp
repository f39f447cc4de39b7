#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <utility>

#include "tarnevo/value.hpp"

namespace tarnevo {
namespace {

int sign(int v) {
  return (v > 0) - (v < 0);
}

// The word-at-a-time comparison must order keys exactly as their unsigned bytes do, at every
// position relative to the eight-byte words and with a prefix first.
class CompareKeys : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(CompareKeys, OrdersAsTheBytesDo) {
  const auto& [a, b] = GetParam();
  const int expected = sign(std::string_view(a).compare(b));
  EXPECT_EQ(sign(compare_keys(a, b)), expected);
  EXPECT_EQ(sign(compare_keys(b, a)), -expected);
  EXPECT_EQ(key_less(a, b), expected < 0);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, CompareKeys,
    ::testing::Values(std::pair<std::string, std::string>{"", ""}, std::pair{"", "a"},
                      std::pair{"a", "b"}, std::pair{"a", "ab"}, std::pair{"B", "a"},
                      std::pair{"z", "\xC3\xA9"}, std::pair{"abcdefgh", "abcdefgh"},
                      std::pair{"abcdefgh", "abcdefgi"}, std::pair{"abcdefgh", "abcdefgh1"},
                      std::pair{"abcdefgh1", "abcdefgh2"}, std::pair{"abcdefghX", "abcdefgh\xFF"},
                      std::pair{"\x01zzzzzzz", "\xFF"}, std::pair{"aaaaaaa\x80", "aaaaaaa\x7F"},
                      std::pair{"same prefix, long tail 1", "same prefix, long tail 2"},
                      std::pair{std::string("a\0b", 3), std::string("a\0c", 3)}));

TEST(CompareKeysRandom, AgreesWithByteOrderOnRandomKeys) {
  std::mt19937 random(12345);
  std::uniform_int_distribution<int> length(0, 20);
  // Few distinct bytes, so that keys often share long prefixes.
  const std::string alphabet("a\x00\x7F\x80\xFF", 5);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  auto key = [&] {
    std::string k(static_cast<std::size_t>(length(random)), '\0');
    for (char& c : k) c = alphabet[pick(random)];
    return k;
  };
  for (int i = 0; i < 20000; ++i) {
    const std::string a = key();
    const std::string b = key();
    ASSERT_EQ(sign(compare_keys(a, b)), sign(std::string_view(a).compare(b))) << i;
  }
}

}  // namespace
}  // namespace tarnevo
