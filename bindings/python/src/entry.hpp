// The wrapper around every function that CPython calls into. A body returns its result as a
// PyRef, or an empty PyRef with a Python exception pending. C++ exceptions (in practice
// std::bad_alloc from the core) must never unwind into the interpreter's C frames, so any that
// escapes a body becomes a pending PanicException here.
#pragma once

#include <exception>
#include <utility>

#include "errors.hpp"
#include "pyref.hpp"

namespace tarnevo::python {

template <class Body>
PyObject* run_entry(Body&& body) noexcept {
  try {
    return std::forward<Body>(body)().release();
  } catch (const std::exception& fault) {
    raise_panic(fault.what());
  } catch (...) {
    raise_panic("unknown internal fault");
  }
  return nullptr;
}

// Deallocation cannot raise, so a fault there is reported as unraisable instead.
template <class Body>
void run_dealloc_entry(PyObject* object, Body&& body) noexcept {
  try {
    std::forward<Body>(body)();
  } catch (const std::exception& fault) {
    report_unraisable_panic(object, fault.what());
  } catch (...) {
    report_unraisable_panic(object, "unknown internal fault");
  }
}

}  // namespace tarnevo::python
