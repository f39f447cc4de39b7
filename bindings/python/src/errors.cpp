#include "errors.hpp"

#include <string>

#include "pyref.hpp"

namespace tarnevo::python {
namespace {

// Messages are normally valid UTF-8; should one not be, its stray bytes show as U+FFFD rather
// than turning the intended exception into a decoding error.
PyRef message_text(std::string_view message) {
  return PyRef::steal(
      PyUnicode_DecodeUTF8(message.data(), static_cast<Py_ssize_t>(message.size()), "replace"));
}

// Derived straight from BaseException so that `except Exception` in the caller's code does not
// swallow a fault of this module. Made on first use and kept for the life of the process.
PyObject* panic_exception_type() {
  static PyObject* type = nullptr;
  if (type == nullptr) {
    type = PyErr_NewExceptionWithDoc(
        "tarnevo.PanicException",
        "An internal fault of the tarnevo module (a broken invariant or exhausted memory).\n\n"
        "Derived from BaseException so that `except Exception` does not hide it.",
        PyExc_BaseException, nullptr);
  }
  return type;
}

}  // namespace

void raise_message(PyObject* type, std::string_view message) {
  PyRef text = message_text(message);
  if (!text) return;
  PyErr_SetObject(type, text.get());
}

void raise_loader_error(const LoaderError& error) {
  const std::string message = error.message();
  PyRef text = message_text(message);
  if (!text) return;
  // Type and bare message, no traceback: RuntimeError(text) once normalised, so `str(e)` and
  // `e.args[0]` are exactly the display text.
  Py_INCREF(PyExc_RuntimeError);
  PyErr_Restore(PyExc_RuntimeError, text.release(), nullptr);
}

void raise_panic(std::string_view description) {
  PyObject* type = panic_exception_type();
  if (type == nullptr) return;  // the class could not be made; its own error is pending
  raise_message(type, description);
}

void raise_api_call_failed() {
  if (PyErr_Occurred() != nullptr) PyErr_Print();
  raise_panic("Python API call failed");
}

void report_unraisable_panic(PyObject* object, std::string_view description) {
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  raise_panic(description);
  // The dying object has no references left, and the hook would take one; its type stands in
  // for it in the report.
  PyErr_WriteUnraisable(reinterpret_cast<PyObject*>(Py_TYPE(object)));
  PyErr_Restore(type, value, traceback);
}

}  // namespace tarnevo::python
