// What the fill-equivalence tests of the readers share: a file's bytes, the locales that a tree
// read only to fill would fill, and the check itself.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tarnevo/merge.hpp"
#include "tarnevo/value.hpp"
#include "tree/fill_place.hpp"
#include "tree_builders.hpp"

namespace tarnevo::testing {

inline std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A locale that `source` would fill: the source's own tree with members kept (the target wins
// there), nulled or left out (the source's fills in), or turned into another kind.
inline LocaleValue target_from(const LocaleValue& source, std::mt19937& random) {
  if (!source.is_object()) return source;
  std::vector<LocaleMember> members;
  for (const LocaleMember& member : source.as_object()) {
    switch (random() % 5) {
      case 0:
        break;  // left out
      case 1:
        members.push_back(LocaleMember{member.key, null()});
        break;
      case 2:
        members.push_back(LocaleMember{
            member.key, member.value.is_object() ? str("leaf") : obj({{"x", u64(1)}})});
        break;
      default:
        members.push_back(LocaleMember{member.key, target_from(member.value, random)});
        break;
    }
  }
  return LocaleValue::object(LocaleObject::from_members(std::move(members)));
}

// Strings in a tree, but for those beneath a member named `kept_whole` (a reader may keep such
// an object whole, as the TOML reader does its dates and times).
inline std::size_t count_texts(const LocaleValue& value, std::string_view kept_whole = {}) {
  if (value.is_string()) return 1;
  std::size_t count = 0;
  if (value.is_array()) {
    for (const LocaleValue& item : value.as_array()) count += count_texts(item, kept_whole);
  } else if (value.is_object()) {
    for (const LocaleMember& member : value.as_object()) {
      if (kept_whole.empty() || member.key != kept_whole) {
        count += count_texts(member.value, kept_whole);
      }
    }
  }
  return count;
}

// `read_to_fill(text, place)` reads `text` only to fill the tree of `place`. Against the text's
// own tree `whole`, where every leaf wins, it keeps no text; against an empty locale and random
// locales made from `whole`, filling from it gives what filling from `whole` gives.
template <class ReadToFill>
void expect_fill_equivalence(const std::string& text, const LocaleValue& whole,
                             ReadToFill read_to_fill, std::mt19937& random,
                             std::string_view kept_whole = {}) {
  const auto against_itself = read_to_fill(text, detail::tree::FillPlace::in(whole, {}));
  ASSERT_TRUE(against_itself.has_value());
  EXPECT_EQ(count_texts(*against_itself, kept_whole), 0u) << to_json(*against_itself);
  for (int round = 0; round < 4; ++round) {
    const LocaleValue target = round == 0 ? obj({}) : target_from(whole, random);
    const auto skipping = read_to_fill(text, detail::tree::FillPlace::in(target, std::nullopt));
    ASSERT_TRUE(skipping.has_value()) << skipping.error().message();
    LocaleValue from_whole = target;
    fill_from(from_whole, whole);
    LocaleValue from_skipping = target;
    fill_from(from_skipping, *skipping);
    EXPECT_EQ(from_skipping, from_whole) << to_json(from_skipping) << "\n" << to_json(from_whole);
  }
}

}  // namespace tarnevo::testing
