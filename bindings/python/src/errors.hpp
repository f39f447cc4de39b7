// Turning failures into pending Python exceptions: loader errors become RuntimeError, internal
// faults become PanicException.
#pragma once

#include <string_view>

#include "python.hpp"
#include "tarnevo/error.hpp"

namespace tarnevo::python {

// Makes `error`'s display text the pending RuntimeError, exactly as the core words it.
void raise_loader_error(const LoaderError& error);

// Makes an internal fault the pending exception: PanicException carrying `description`.
void raise_panic(std::string_view description);

// For a CPython call that failed to make a new object: prints the pending error (so its cause
// is not lost) and replaces it with PanicException "Python API call failed".
void raise_api_call_failed();

// Reports a fault during the deallocation of `object` through sys.unraisablehook. An exception
// that was already pending when the object died (it may be dying during unwinding) is kept.
void report_unraisable_panic(PyObject* object, std::string_view description);

// Sets a pending exception of `type` whose message is `message` (UTF-8, shown as is).
void raise_message(PyObject* type, std::string_view message);

}  // namespace tarnevo::python
