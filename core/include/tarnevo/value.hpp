// The tree that every locale file becomes: null, bool, number, string, array, object.
#pragma once

#include <bit>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace tarnevo {

// One number: unsigned for every integer from 0 up, signed for negative integers only, or a
// finite double. The representation follows from the value, so one integer has one form.
class LocaleNumber {
 public:
  enum class Repr : std::uint8_t { Unsigned, Signed, Float };

  static constexpr LocaleNumber from_unsigned(std::uint64_t v) noexcept {
    LocaleNumber n;
    n.repr_ = Repr::Unsigned;
    n.unsigned_ = v;
    return n;
  }
  static constexpr LocaleNumber from_signed(std::int64_t v) noexcept {
    if (v >= 0) return from_unsigned(static_cast<std::uint64_t>(v));
    LocaleNumber n;
    n.repr_ = Repr::Signed;
    n.signed_ = v;
    return n;
  }
  // The caller guarantees a finite value; LocaleValue::from_float turns the others into Null.
  static constexpr LocaleNumber from_finite_float(double v) noexcept {
    LocaleNumber n;
    n.repr_ = Repr::Float;
    n.float_ = v;
    return n;
  }

  constexpr Repr repr() const noexcept { return repr_; }
  constexpr std::uint64_t as_unsigned() const noexcept { return unsigned_; }
  constexpr std::int64_t as_signed() const noexcept { return signed_; }
  constexpr double as_float() const noexcept { return float_; }

  // Floats compare by their bits, so 0.0 and -0.0 differ (trees never hold NaN).
  friend constexpr bool operator==(const LocaleNumber& a, const LocaleNumber& b) noexcept {
    if (a.repr_ != b.repr_) return false;
    return a.unsigned_ == b.unsigned_;
  }

 private:
  constexpr LocaleNumber() noexcept : unsigned_(0) {}

  Repr repr_ = Repr::Unsigned;
  union {
    std::uint64_t unsigned_;
    std::int64_t signed_;
    double float_;
  };
};

class LocaleValue;
struct LocaleMember;
using LocaleArray = std::vector<LocaleValue>;

// An object: members kept in one flat vector, sorted ascending by the bytes of their keys, each
// key unique. One allocation per object and linear merges; lookups are binary searches.
class LocaleObject {
 public:
  LocaleObject() noexcept = default;

  // Builds an object from members in any order: one stable sort by key bytes, after which of
  // several members with an equal key the last one given stays.
  static LocaleObject from_members(std::vector<LocaleMember> members);

  // Inserts or replaces the value under `key`.
  void insert(std::string key, LocaleValue value);

  const LocaleValue* find(std::string_view key) const noexcept;
  LocaleValue* find(std::string_view key) noexcept;

  // Defined below LocaleMember: clang instantiates std::vector's constexpr members where they
  // are used, and they need the complete member type.
  std::size_t size() const noexcept;
  bool empty() const noexcept;
  std::vector<LocaleMember>::const_iterator begin() const noexcept;
  std::vector<LocaleMember>::const_iterator end() const noexcept;

  // Direct access for code that keeps the key order itself (the merge passes, the readers).
  const std::vector<LocaleMember>& members() const noexcept { return members_; }
  std::vector<LocaleMember>& members() noexcept { return members_; }

  friend bool operator==(const LocaleObject& a, const LocaleObject& b);

 private:
  std::vector<LocaleMember> members_;
};

// Compares keys by their bytes as unsigned values; a proper prefix sorts first. Negative, zero
// or positive, as std::string_view::compare. Inline and a word at a time: objects are sorted,
// searched and merged by key all the time, and most keys differ within their first eight bytes
// (bench/cpp/tree_walks counts the instructions of each pass).
inline int compare_keys(std::string_view a, std::string_view b) noexcept {
  const std::size_t common = a.size() < b.size() ? a.size() : b.size();
  std::size_t i = 0;
  for (; i + 8 <= common; i += 8) {
    std::uint64_t x;
    std::uint64_t y;
    __builtin_memcpy(&x, a.data() + i, sizeof x);
    __builtin_memcpy(&y, b.data() + i, sizeof y);
    if (x != y) {
      if constexpr (std::endian::native == std::endian::little) {
        x = __builtin_bswap64(x);
        y = __builtin_bswap64(y);
      }
      return x < y ? -1 : 1;
    }
  }
  for (; i < common; ++i) {
    const auto x = static_cast<unsigned char>(a[i]);
    const auto y = static_cast<unsigned char>(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

inline bool key_less(std::string_view a, std::string_view b) noexcept {
  return compare_keys(a, b) < 0;
}

class LocaleValue {
 public:
  // Fixed numbering, used wherever a kind is stored or switched on.
  enum class Kind : std::uint8_t {
    Null = 0,
    Bool = 1,
    Number = 2,
    String = 3,
    Array = 4,
    Object = 5
  };

  LocaleValue() noexcept : kind_(Kind::Null) {}

  static LocaleValue null() noexcept { return LocaleValue(); }
  static LocaleValue boolean(bool b) noexcept;
  static LocaleValue number(LocaleNumber n) noexcept;
  static LocaleValue from_unsigned(std::uint64_t v) noexcept;
  static LocaleValue from_signed(std::int64_t v) noexcept;
  // NaN and the infinities become Null: no tree ever holds a non-finite float.
  static LocaleValue from_float(double v) noexcept;
  static LocaleValue string(std::string text) noexcept;
  static LocaleValue string(std::string_view text) { return string(std::string(text)); }
  static LocaleValue string(const char* text) { return string(std::string(text)); }
  static LocaleValue array(LocaleArray items) noexcept;
  static LocaleValue object(LocaleObject members) noexcept;
  static LocaleValue empty_object() noexcept;

  // Copies are deep: two trees never share a node.
  LocaleValue(const LocaleValue& other);
  LocaleValue& operator=(const LocaleValue& other);
  LocaleValue(LocaleValue&& other) noexcept;
  LocaleValue& operator=(LocaleValue&& other) noexcept;
  ~LocaleValue();

  Kind kind() const noexcept { return kind_; }
  bool is_null() const noexcept { return kind_ == Kind::Null; }
  bool is_bool() const noexcept { return kind_ == Kind::Bool; }
  bool is_number() const noexcept { return kind_ == Kind::Number; }
  bool is_string() const noexcept { return kind_ == Kind::String; }
  bool is_array() const noexcept { return kind_ == Kind::Array; }
  bool is_object() const noexcept { return kind_ == Kind::Object; }

  // Accessors; the kind must match (checked by assertions in debug builds).
  bool as_bool() const noexcept {
    assert(is_bool());
    return bool_;
  }
  const LocaleNumber& as_number() const noexcept {
    assert(is_number());
    return number_;
  }
  const std::string& as_string() const noexcept {
    assert(is_string());
    return string_;
  }
  const LocaleArray& as_array() const noexcept {
    assert(is_array());
    return array_;
  }
  LocaleArray& as_array() noexcept {
    assert(is_array());
    return array_;
  }
  const LocaleObject& as_object() const noexcept {
    assert(is_object());
    return object_;
  }
  LocaleObject& as_object() noexcept {
    assert(is_object());
    return object_;
  }

  // The value at a path of keys through nested objects, as in
  // `tree->find({"common", "nav", "home"})`; null when a key is missing or a step is not an
  // object. An empty path finds this value itself.
  const LocaleValue* find(std::initializer_list<std::string_view> path) const noexcept;

  friend bool operator==(const LocaleValue& a, const LocaleValue& b);

 private:
  explicit LocaleValue(Kind kind) noexcept : kind_(kind) {}
  void destroy() noexcept;
  // Frees a filled container's nested content without recursing once per level, so that a tree
  // nested thousands of levels deep (namespaces can make one) cannot exhaust the stack.
  static void release_nested(LocaleValue& container) noexcept;
  void construct_from(const LocaleValue& other);
  void construct_from(LocaleValue&& other) noexcept;

  Kind kind_;
  union {
    bool bool_;
    LocaleNumber number_;
    std::string string_;
    LocaleArray array_;
    LocaleObject object_;
  };
};

struct LocaleMember {
  std::string key;
  LocaleValue value;

  friend bool operator==(const LocaleMember& a, const LocaleMember& b) = default;
};

inline std::size_t LocaleObject::size() const noexcept {
  return members_.size();
}
inline bool LocaleObject::empty() const noexcept {
  return members_.empty();
}
inline std::vector<LocaleMember>::const_iterator LocaleObject::begin() const noexcept {
  return members_.cbegin();
}
inline std::vector<LocaleMember>::const_iterator LocaleObject::end() const noexcept {
  return members_.cend();
}

// Moving and destroying are inline: readers and merges move and drop values by the hundred
// thousand, and a call per value (most of them null after a move) cost more than the work
// (bench/cpp/reader_throughput).
inline void LocaleValue::construct_from(LocaleValue&& other) noexcept {
  switch (other.kind_) {
    case Kind::Null:
      break;
    case Kind::Bool:
      bool_ = other.bool_;
      break;
    case Kind::Number:
      ::new (&number_) LocaleNumber(other.number_);
      break;
    case Kind::String:
      ::new (&string_) std::string(std::move(other.string_));
      break;
    case Kind::Array:
      ::new (&array_) LocaleArray(std::move(other.array_));
      break;
    case Kind::Object:
      ::new (&object_) LocaleObject(std::move(other.object_));
      break;
  }
  kind_ = other.kind_;
}

inline void LocaleValue::destroy() noexcept {
  switch (kind_) {
    case Kind::String:
      string_.~basic_string();
      break;
    case Kind::Array:
      if (!array_.empty()) release_nested(*this);
      array_.~LocaleArray();
      break;
    case Kind::Object:
      if (!object_.empty()) release_nested(*this);
      object_.~LocaleObject();
      break;
    default:
      break;
  }
  kind_ = Kind::Null;
}

inline LocaleValue::LocaleValue(LocaleValue&& other) noexcept : kind_(Kind::Null) {
  construct_from(std::move(other));
}

inline LocaleValue& LocaleValue::operator=(LocaleValue&& other) noexcept {
  if (this != &other) {
    // Detach first: `other` may live inside this value, and destroying it there would free it.
    LocaleValue taken(Kind::Null);
    taken.construct_from(std::move(other));
    destroy();
    construct_from(std::move(taken));
  }
  return *this;
}

inline LocaleValue::~LocaleValue() {
  destroy();
}

inline LocaleValue LocaleValue::boolean(bool b) noexcept {
  LocaleValue v(Kind::Bool);
  v.bool_ = b;
  return v;
}

inline LocaleValue LocaleValue::number(LocaleNumber n) noexcept {
  LocaleValue v(Kind::Number);
  ::new (&v.number_) LocaleNumber(n);
  return v;
}

inline LocaleValue LocaleValue::from_unsigned(std::uint64_t n) noexcept {
  return number(LocaleNumber::from_unsigned(n));
}

inline LocaleValue LocaleValue::from_signed(std::int64_t n) noexcept {
  return number(LocaleNumber::from_signed(n));
}

inline LocaleValue LocaleValue::from_float(double n) noexcept {
  if (!std::isfinite(n)) return LocaleValue();
  return number(LocaleNumber::from_finite_float(n));
}

inline LocaleValue LocaleValue::string(std::string text) noexcept {
  LocaleValue v(Kind::String);
  ::new (&v.string_) std::string(std::move(text));
  return v;
}

inline LocaleValue LocaleValue::array(LocaleArray items) noexcept {
  LocaleValue v(Kind::Array);
  ::new (&v.array_) LocaleArray(std::move(items));
  return v;
}

inline LocaleValue LocaleValue::empty_object() noexcept {
  return object(LocaleObject());
}

inline LocaleValue LocaleValue::object(LocaleObject members) noexcept {
  LocaleValue v(Kind::Object);
  ::new (&v.object_) LocaleObject(std::move(members));
  return v;
}

}  // namespace tarnevo
