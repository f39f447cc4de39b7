#include "load_log.hpp"

#include <initializer_list>
#include <string>
#include <string_view>

#include "pyref.hpp"

namespace tarnevo::python {
namespace {

// The levels' values in `logging`, fixed since its first release.
constexpr int kInfo = 20;
constexpr int kWarning = 30;

PyRef text(std::string_view value) {
  return PyRef::steal(
      PyUnicode_DecodeUTF8(value.data(), static_cast<Py_ssize_t>(value.size()), "replace"));
}

// File names are the file system's bytes, shown as os.fsdecode shows them.
PyRef path_text(const std::string& path) {
  return PyRef::steal(
      PyUnicode_DecodeFSDefaultAndSize(path.data(), static_cast<Py_ssize_t>(path.size())));
}

// Fetched once per load that has something to say, never on a hit.
PyRef tarnevo_logger() {
  PyRef logging = PyRef::steal(PyImport_ImportModule("logging"));
  if (!logging) return {};
  return PyRef::steal(PyObject_CallMethod(logging.get(), "getLogger", "s", "tarnevo"));
}

// logger.log(level, format, *args): the record keeps the arguments, so handlers and filters can
// read the locale and the path apart from the text.
bool call_log(PyObject* logger, int level, const char* format,
              std::initializer_list<PyObject*> args) {
  PyRef call_args = PyRef::steal(PyTuple_New(static_cast<Py_ssize_t>(args.size() + 2)));
  if (!call_args) return false;
  // PyTuple_SetItem takes over each new reference; a tuple freed half filled is fine.
  PyObject* level_number = PyLong_FromLong(level);
  if (level_number == nullptr) return false;
  PyTuple_SetItem(call_args.get(), 0, level_number);
  PyObject* format_text = PyUnicode_FromString(format);
  if (format_text == nullptr) return false;
  PyTuple_SetItem(call_args.get(), 1, format_text);
  Py_ssize_t position = 2;
  for (PyObject* arg : args) {
    if (arg == nullptr) return false;
    Py_INCREF(arg);
    PyTuple_SetItem(call_args.get(), position++, arg);
  }
  PyRef method = PyRef::steal(PyObject_GetAttrString(logger, "log"));
  if (!method) return false;
  return PyRef::steal(PyObject_CallObject(method.get(), call_args.get())) ? true : false;
}

// As `logging` treats a handler that raises: the error is reported on stderr (through
// sys.unraisablehook) and the next record is logged; the load's result stays what it is.
void log(PyObject* logger, int level, const char* format, std::initializer_list<PyObject*> args) {
  if (!call_log(logger, level, format, args)) PyErr_WriteUnraisable(logger);
}

// Runs `body` with the logger; an exception that was pending before is kept.
template <class Body>
void with_logger(Body&& body) {
  PyObject *type, *value, *traceback;
  PyErr_Fetch(&type, &value, &traceback);
  if (PyRef logger = tarnevo_logger()) {
    body(logger.get());
  } else {
    PyErr_WriteUnraisable(nullptr);
  }
  PyErr_Restore(type, value, traceback);
}

}  // namespace

void log_load_notes(const LocaleLoader& loader, std::string_view locale, const LoadNotes& notes) {
  if (notes.dropped.empty()) return;
  with_logger([&](PyObject* logger) {
    const PyRef requested = text(locale);
    const PyRef served = text(notes.served_by);
    for (const DroppedError& dropped : notes.dropped) {
      const PyRef failed = text(dropped.locale);
      const PyRef message = text(dropped.error.message());
      if (dropped.error.kind() == LoaderError::Kind::LocaleNotFound) {
        // Asking for a language the application does not ship is normal.
        log(logger, kInfo, "locale %r is not in %s, so %r answers for %r",
            {failed.get(), path_text(loader.dir_path()).get(), served.get(), requested.get()});
      } else if (dropped.filling) {
        log(logger, kWarning, "locale %r does not load, so %r lacks what it fills: %s: %s",
            {failed.get(), requested.get(), path_text(dropped.error.path()).get(), message.get()});
      } else {
        log(logger, kWarning, "locale %r does not load, so %r answers for %r: %s: %s",
            {failed.get(), served.get(), requested.get(), path_text(dropped.error.path()).get(),
             message.get()});
      }
    }
  });
}

void log_missing_default(const LocaleLoader& loader) {
  if (loader.exists(loader.default_locale())) return;
  with_logger([&](PyObject* logger) {
    log(logger, kWarning,
        "default locale %r has no files in %s: nothing is filled in from it, and a "
        "locale that does not load fails",
        {text(loader.default_locale()).get(), path_text(loader.dir_path()).get()});
  });
}

}  // namespace tarnevo::python
