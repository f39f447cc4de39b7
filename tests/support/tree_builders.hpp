// Short ways to write trees in tests.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tarnevo/value.hpp"
#include "tree/write_json.hpp"

namespace tarnevo::testing {

inline LocaleValue null() {
  return LocaleValue::null();
}
inline LocaleValue boolean(bool b) {
  return LocaleValue::boolean(b);
}
inline LocaleValue str(std::string text) {
  return LocaleValue::string(std::move(text));
}
inline LocaleValue u64(std::uint64_t v) {
  return LocaleValue::from_unsigned(v);
}
inline LocaleValue i64(std::int64_t v) {
  return LocaleValue::from_signed(v);
}
inline LocaleValue f64(double v) {
  return LocaleValue::from_float(v);
}

inline LocaleValue arr(std::initializer_list<LocaleValue> items) {
  return LocaleValue::array(LocaleArray(items));
}

// Members in any order; later duplicates win, as in a parsed file.
inline LocaleValue obj(std::initializer_list<std::pair<std::string, LocaleValue>> members) {
  std::vector<LocaleMember> list;
  for (const auto& [key, value] : members) list.push_back(LocaleMember{key, value});
  return LocaleValue::object(LocaleObject::from_members(std::move(list)));
}

inline std::string to_json(const LocaleValue& value) {
  detail::tree::ByteBuffer buffer;
  detail::tree::write_json(value, buffer);
  return std::string(buffer.view());
}

}  // namespace tarnevo::testing
