#include "convert.hpp"

#include <cstdint>
#include <limits>
#include <vector>

#include "errors.hpp"

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

// A new object for a leaf; for a container, a new empty list or dict that the caller fills.
PyRef new_node(const LocaleValue& value) {
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
      return made_or_panic(PyList_New(0));
    case LocaleValue::Kind::Object:
      return made_or_panic(PyDict_New());
  }
  raise_panic("a locale value has an unknown kind");
  return {};
}

// A list or dict of the result whose items are still to be added: the tree's container, the
// Python container (kept alive by its parent, and the root by the conversion), and the index of
// the next item.
struct OpenContainer {
  const LocaleValue* value;
  PyObject* made;
  std::size_t next;
};

}  // namespace

PyRef new_text(std::string_view text) {
  return made_or_panic(
      PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

// Depth-first with an explicit list of open containers instead of recursion, since namespaces
// can make trees thousands of levels deep. Each list or dict is made empty and put in its
// parent first, then filled; items are appended in order and members set in ascending key
// order, so the result is the same as converting each child before adding it.
PyRef to_python(const LocaleValue& value) {
  PyRef root = new_node(value);
  if (!root || !(value.is_array() || value.is_object())) return root;
  std::vector<OpenContainer> open;
  open.push_back(OpenContainer{&value, root.get(), 0});
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
      child = &items[top.next++];
      made = new_node(*child);
      if (!made) return {};
      if (PyList_Append(top.made, made.get()) != 0) return {};
    } else {
      const std::vector<LocaleMember>& members = top.value->as_object().members();
      if (top.next == members.size()) {
        open.pop_back();
        continue;
      }
      const LocaleMember& member = members[top.next++];
      child = &member.value;
      made = new_node(*child);
      if (!made) return {};
      PyRef key = new_text(member.key);
      if (!key) return {};
      if (PyDict_SetItem(top.made, key.get(), made.get()) != 0) return {};
    }
    if (child->is_array() || child->is_object()) {
      open.push_back(OpenContainer{child, made.get(), 0});  // `top` is not used after this
    }
  }
  return root;
}

}  // namespace tarnevo::python
