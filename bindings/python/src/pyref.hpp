// An owning handle for one strong reference to a Python object. Every reference the module
// makes or receives is held in one of these, so each early return releases what it owns.
#pragma once

#include <utility>

#include "python.hpp"

namespace tarnevo::python {

class PyRef {
 public:
  PyRef() noexcept = default;

  // Takes over a new reference (the result of a CPython call that returns one); null stays null.
  static PyRef steal(PyObject* object) noexcept { return PyRef(object); }
  // Adds a reference of its own to a borrowed object.
  static PyRef borrow(PyObject* object) noexcept {
    Py_XINCREF(object);
    return PyRef(object);
  }

  PyRef(PyRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  PyRef& operator=(PyRef&& other) noexcept {
    PyRef taken(std::move(other));
    std::swap(object_, taken.object_);
    return *this;
  }
  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  ~PyRef() { Py_XDECREF(object_); }

  PyObject* get() const noexcept { return object_; }
  // Hands the reference to the caller (to return it to CPython or to a stealing call).
  [[nodiscard]] PyObject* release() noexcept { return std::exchange(object_, nullptr); }
  explicit operator bool() const noexcept { return object_ != nullptr; }

 private:
  explicit PyRef(PyObject* object) noexcept : object_(object) {}

  PyObject* object_ = nullptr;
};

}  // namespace tarnevo::python
