// The TarnevoLoader class: instance layout, the type object, construction and deallocation.
#pragma once

#include <optional>
#include <string_view>

#include "conversion/result_cache.hpp"
#include "pyref.hpp"
#include "tarnevo/loader.hpp"

namespace tarnevo::python {

// An instance: the object header, the loader it owns outright, the templates that answer its
// cache hits, and the borrow counter that keeps a reload from running while another call on the
// same instance is still using the loader (0: free, n > 0: n shared uses, -1: one exclusive
// use). The counter needs no atomics: every access happens with the GIL held.
struct LoaderObject {
  PyObject_HEAD LocaleLoader loader;
  ResultCache results;
  Py_ssize_t borrow_count;
};

inline LoaderObject& as_loader_object(PyObject* self) noexcept {
  return *reinterpret_cast<LoaderObject*>(self);
}

// The TarnevoLoader type object, made on first use and kept for the life of the process. Null
// with PanicException pending if it cannot be made.
PyTypeObject* loader_type();

// Creates the core loader; on failure sets the RuntimeError with the loader's message.
std::optional<LocaleLoader> create_core_loader(std::string_view dir_path,
                                               std::string_view default_locale);

// A new instance of `type` that owns `loader`, or an empty PyRef with the allocation error
// pending (the loader is then destroyed).
PyRef new_loader_object(PyTypeObject* type, LocaleLoader&& loader);

}  // namespace tarnevo::python
