// What the fill-equivalence tests of the readers share: a file's bytes, and the locales that a
// tree read only to fill would fill.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tarnevo/value.hpp"
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

}  // namespace tarnevo::testing
