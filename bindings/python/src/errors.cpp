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

// RuntimeError(text) with a note naming the file the error came from, where the running CPython
// has BaseException.add_note (3.11 and later; looked up by name, as the module is built for
// 3.8's stable ABI). Elsewhere, or should the note fail, the exception is as it would be
// without it.
PyRef with_file_note(PyRef text, const std::string& path) {
  PyRef exception = PyRef::steal(PyObject_CallFunctionObjArgs(PyExc_RuntimeError, text.get(),
                                                              static_cast<PyObject*>(nullptr)));
  if (!exception) return {};
  PyRef add_note = PyRef::steal(PyObject_GetAttrString(exception.get(), "add_note"));
  if (!add_note) {
    PyErr_Clear();
    return exception;
  }
  const std::string note = "in file " + path;
  PyRef note_text = PyRef::steal(
      PyUnicode_DecodeFSDefaultAndSize(note.data(), static_cast<Py_ssize_t>(note.size())));
  PyRef added;
  if (note_text) {
    added = PyRef::steal(PyObject_CallFunctionObjArgs(add_note.get(), note_text.get(),
                                                      static_cast<PyObject*>(nullptr)));
  }
  if (!added) PyErr_Clear();
  return exception;
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
  PyRef value = std::move(text);
  if (!error.path().empty()) value = with_file_note(std::move(value), error.path());
  if (!value) return;
  Py_INCREF(PyExc_RuntimeError);
  PyErr_Restore(PyExc_RuntimeError, value.release(), nullptr);
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
