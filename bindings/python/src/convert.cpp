#include "convert.hpp"

#include <cstdint>
#include <limits>
#include <vector>

#include "errors.hpp"
#include "key_strings.hpp"
#include "text_object.hpp"

namespace tarnevo::python {
namespace {

// A constructor that returns null here has run out of memory (the tree's strings are valid
// UTF-8), which is an internal fault rather than an error of the call.
PyRef made_or_panic(PyObject* made) {
  if (made == nullptr) raise_api_call_failed();
  return PyRef::steal(made);
}

PyRef number_to_python(const LocaleNumber& number) {
  switch (number.repr()) {
    case LocaleNumber::Repr::Unsigned: {
      const std::uint64_t value = number.as_unsigned();
      // Integers beyond the signed 64-bit range are handed out as the nearest double (ties to
      // even), the documented conversion for them.
      if (value > static_cast<std::uint64_t>(std::numeric_limits<long long>::max())) {
        return made_or_panic(PyFloat_FromDouble(static_cast<double>(value)));
      }
      return made_or_panic(PyLong_FromLongLong(static_cast<long long>(value)));
    }
    case LocaleNumber::Repr::Signed:
      return made_or_panic(PyLong_FromLongLong(number.as_signed()));
    case LocaleNumber::Repr::Float:
      return made_or_panic(PyFloat_FromDouble(number.as_float()));
  }
  raise_panic("a locale number has an unknown representation");
  return {};
}

// Containers are converted by plain recursion down to this depth, which real locale files never
// reach, and level by level with an explicit list below it: namespaces can nest a tree thousands
// of levels deep, and the conversion must not run out of stack.
constexpr std::size_t kRecursionDepth = 48;

// One conversion: the tree it walks outlives it, so the key strs it shares can point into it.
class Converter {
 public:
  PyRef convert(const LocaleValue& value, std::size_t depth = 0) {
    switch (value.kind()) {
      case LocaleValue::Kind::Null:
        return PyRef::borrow(Py_None);
      case LocaleValue::Kind::Bool:
        return PyRef::borrow(value.as_bool() ? Py_True : Py_False);
      case LocaleValue::Kind::Number:
        return number_to_python(value.as_number());
      case LocaleValue::Kind::String:
        return new_text(value.as_string());
      case LocaleValue::Kind::Array:
        if (depth >= kRecursionDepth) return level_by_level(value);
        return array(value.as_array(), depth);
      case LocaleValue::Kind::Object:
        if (depth >= kRecursionDepth) return level_by_level(value);
        return object(value.as_object(), depth);
    }
    raise_panic("a locale value has an unknown kind");
    return {};
  }

 private:
  // The list is made at its final length and filled in place.
  PyRef array(const LocaleArray& items, std::size_t depth) {
    PyRef list = made_or_panic(PyList_New(static_cast<Py_ssize_t>(items.size())));
    if (!list) return {};
    for (std::size_t i = 0; i < items.size(); ++i) {
      PyRef element = convert(items[i], depth + 1);
      if (!element) return {};
      // Takes over the reference; cannot fail for an index in range.
      PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), element.release());
    }
    return list;
  }

  // Members are stored in ascending key order and dicts keep insertion order, so iterating the
  // result yields the keys in that order.
  PyRef object(const LocaleObject& members, std::size_t depth) {
    PyRef dict = made_or_panic(PyDict_New());
    if (!dict) return {};
    const std::vector<LocaleMember>& list = members.members();
    for (std::size_t i = 0; i < list.size(); ++i) {
      // A cached tree's strings lie wherever the allocator put them: ask for the next member's
      // while this one is converted.
      if (i + 1 < list.size()) {
        __builtin_prefetch(list[i + 1].key.data());
        if (list[i + 1].value.is_string()) __builtin_prefetch(list[i + 1].value.as_string().data());
      }
      const LocaleMember& member = list[i];
      PyRef value = convert(member.value, depth + 1);
      if (!value) return {};
      PyRef key = made_or_panic(keys_.get(member.key).release());
      if (!key) return {};
      if (PyDict_SetItem(dict.get(), key.get(), value.get()) != 0) return {};
    }
    return dict;
  }

  // A leaf's object, or a container's list (at its final length) or dict, still to be filled.
  PyRef shell(const LocaleValue& value) {
    if (value.is_array()) {
      return made_or_panic(PyList_New(static_cast<Py_ssize_t>(value.as_array().size())));
    }
    if (value.is_object()) return made_or_panic(PyDict_New());
    return convert(value);
  }

  // A list or dict of the result whose items are still to be added: the tree's container, the
  // Python container (kept alive by its parent, the root by this function) and the next index.
  struct OpenContainer {
    const LocaleValue* value;
    PyObject* made;
    std::size_t next;
  };

  // Each container is made and put into its parent first, then filled; items keep their order
  // and members are set in ascending key order, so the result equals the recursive one.
  PyRef level_by_level(const LocaleValue& root_value) {
    PyRef root = shell(root_value);
    if (!root) return {};
    std::vector<OpenContainer> open;
    open.push_back(OpenContainer{&root_value, root.get(), 0});
    while (!open.empty()) {
      OpenContainer& top = open.back();
      const LocaleValue* child;
      PyRef made;
      if (top.value->is_array()) {
        const LocaleArray& items = top.value->as_array();
        if (top.next == items.size()) {
          open.pop_back();
          continue;
        }
        const std::size_t index = top.next++;
        child = &items[index];
        made = shell(*child);
        if (!made) return {};
        Py_INCREF(made.get());  // PyList_SetItem takes one reference; `made` keeps its own
        PyList_SetItem(top.made, static_cast<Py_ssize_t>(index), made.get());
      } else {
        const std::vector<LocaleMember>& members = top.value->as_object().members();
        if (top.next == members.size()) {
          open.pop_back();
          continue;
        }
        const LocaleMember& member = members[top.next++];
        child = &member.value;
        made = shell(*child);
        if (!made) return {};
        PyRef key = made_or_panic(keys_.get(member.key).release());
        if (!key) return {};
        if (PyDict_SetItem(top.made, key.get(), made.get()) != 0) return {};
      }
      // The parent holds the new container, so it outlives `made`; `top` is not used after this.
      if (child->is_array() || child->is_object()) {
        open.push_back(OpenContainer{child, made.get(), 0});
      }
    }
    return root;
  }

  KeyStrings keys_;
};

}  // namespace

PyRef new_text(std::string_view text) {
  return made_or_panic(make_text(text));
}

PyRef to_python(const LocaleValue& value) {
  Converter converter;
  return converter.convert(value);
}

}  // namespace tarnevo::python
