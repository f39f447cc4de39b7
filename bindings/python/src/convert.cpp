#include "convert.hpp"

#include <cstdint>
#include <limits>

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

PyRef array_to_python(const LocaleArray& items) {
  PyRef list = made_or_panic(PyList_New(0));
  if (!list) return {};
  for (const LocaleValue& item : items) {
    PyRef element = to_python(item);
    if (!element) return {};
    if (PyList_Append(list.get(), element.get()) != 0) return {};
  }
  return list;
}

PyRef object_to_python(const LocaleObject& members) {
  PyRef dict = made_or_panic(PyDict_New());
  if (!dict) return {};
  // Members are stored in ascending key order and dicts keep insertion order, so iterating the
  // result yields the keys in that order.
  for (const LocaleMember& member : members) {
    PyRef value = to_python(member.value);
    if (!value) return {};
    PyRef key = new_text(member.key);
    if (!key) return {};
    if (PyDict_SetItem(dict.get(), key.get(), value.get()) != 0) return {};
  }
  return dict;
}

}  // namespace

PyRef new_text(std::string_view text) {
  return made_or_panic(
      PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size())));
}

PyRef to_python(const LocaleValue& value) {
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
      return array_to_python(value.as_array());
    case LocaleValue::Kind::Object:
      return object_to_python(value.as_object());
  }
  raise_panic("a locale value has an unknown kind");
  return {};
}

}  // namespace tarnevo::python
