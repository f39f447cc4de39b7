// The Python-callable functions of the module besides construction: the five TarnevoLoader
// methods and the module function create_locale_loader.
#pragma once

#include "python.hpp"

namespace tarnevo::python {

// The method table of TarnevoLoader (languages, exists, load, reload, clear_cache), ended by an
// empty entry. Static, as CPython keeps pointing at it.
PyMethodDef* loader_methods();

// The definition of create_locale_loader. Static for the same reason.
PyMethodDef* create_locale_loader_definition();

}  // namespace tarnevo::python
