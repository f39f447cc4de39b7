#include "conversion/convert.hpp"

#include <cstdint>
#include <limits>
#include <vector>

#include "conversion/text_object.hpp"
#include "errors.hpp"
#include "tree/walk.hpp"

namespace tarnevo::python {
namespace {

namespace tree = tarnevo::detail::tree;

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

// The result grows as the walk goes: a child's object is made when the walk reaches the child,
// and put at once into its parent's list or dict, which keeps it alive; items keep their order
// and members are set in ascending key order, so the dicts iterate in that order. A key met again
// reuses its str (see KeyStrings). Each container of the tree gives up its children when the walk
// closes it, so nothing is read from a part of the tree already converted.
// Given a shape, it also records every list and dict it makes and where each one sits.
class Converter {
 public:
  struct Link {
    PyObject* made = nullptr;  // the open container's list or dict (its parent holds it)
    std::uint32_t index = 0;   // its place in the shape's containers
  };

  Converter(KeyStrings& keys, ResultShape* shape) noexcept : shape_(shape), keys_(keys) {
    keys_.restart();
  }

  PyRef convert(LocaleValue& value) {
    PyRef root = made(value);
    if (!root) return {};
    if (shape_ != nullptr && is_container(value)) shape_->containers.push_back(root.get());
    if (!tree::is_filled_container(value)) return root;
    if (!tree::walk(value, Link{root.get(), 0}, *this)) return {};
    return root;
  }

  void open(const LocaleValue&, Link&) {}

  tree::Step child(const LocaleValue& parent, Link& link, std::size_t index, const std::string* key,
                   const LocaleValue& child, Link& child_link) {
    // A cached tree's strings lie wherever the allocator put them: ask for the next member's
    // while this one is converted (make bench, cache hit).
    if (key != nullptr && index + 1 < parent.as_object().size()) {
      const LocaleMember& next = parent.as_object().members()[index + 1];
      __builtin_prefetch(next.key.data());
      if (next.value.is_string()) __builtin_prefetch(next.value.as_string().data());
    }
    PyRef object = made(child);
    if (!object) return tree::Step::Stop;
    PyObject* const made_child = object.get();
    PyObject* name = nullptr;
    if (key == nullptr) {
      // Takes over the reference; cannot fail for an index in range of a list made at its
      // final length.
      PyList_SetItem(link.made, static_cast<Py_ssize_t>(index), object.release());
    } else {
      PyRef key_text = made_or_panic(keys_.get(*key).release());
      if (!key_text || PyDict_SetItem(link.made, key_text.get(), made_child) != 0) {
        return tree::Step::Stop;
      }
      name = key_text.get();  // the dict holds it from now on
    }
    if (!is_container(child)) return tree::Step::Skip;
    if (shape_ != nullptr) {
      const auto at = static_cast<std::uint32_t>(shape_->containers.size());
      shape_->containers.push_back(made_child);
      shape_->links.push_back(
          ResultShape::Link{link.index, at, name, static_cast<Py_ssize_t>(index)});
      child_link.index = at;
    }
    if (!tree::is_filled_container(child)) return tree::Step::Skip;
    child_link.made = made_child;
    return tree::Step::Descend;
  }

  // Nothing below the container is open any more, and everything in it is converted.
  void close(LocaleValue& container, Link&) {
    if (container.is_array()) {
      LocaleArray().swap(container.as_array());
    } else {
      std::vector<LocaleMember>().swap(container.as_object().members());
    }
  }

 private:
  static bool is_container(const LocaleValue& value) noexcept {
    return value.is_array() || value.is_object();
  }

  // A leaf's object, or a container's list (at its final length) or dict, still to be filled.
  PyRef made(const LocaleValue& value) {
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
        return made_or_panic(PyList_New(static_cast<Py_ssize_t>(value.as_array().size())));
      case LocaleValue::Kind::Object:
        return made_or_panic(PyDict_New());
    }
    raise_panic("a locale value has an unknown kind");
    return {};
  }

  ResultShape* shape_;
  KeyStrings& keys_;
};

}  // namespace

PyRef new_text(std::string_view text) {
  return made_or_panic(make_text(text));
}

PyRef to_python(LocaleValue&& value, KeyStrings& keys, ResultShape* shape) {
  Converter converter(keys, shape);
  return converter.convert(value);
}

}  // namespace tarnevo::python
