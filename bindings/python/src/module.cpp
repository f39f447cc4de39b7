// The module's initialization: single-phase, and only once per process, since the type object
// and the exception class are process-wide and cannot be shared safely with a second module
// object (for instance one made in a sub-interpreter).
#include "entry.hpp"
#include "errors.hpp"
#include "loader_type.hpp"
#include "methods.hpp"
#include "pyref.hpp"

#include <tarnevo/version.hpp>

namespace tarnevo::python {
namespace {

PyModuleDef module_definition = {
    PyModuleDef_HEAD_INIT,
    "tarnevo",
    "",       // a docstring that is present but empty
    0,        // no per-module state
    nullptr,  // the function is added by the initializer
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// The one module object of the process, kept for its life once initialization succeeded.
PyObject* initialized_module = nullptr;

// The module's __all__ list, made and set if the module has none yet.
PyRef all_list(PyObject* module) {
  PyRef all = PyRef::steal(PyObject_GetAttrString(module, "__all__"));
  if (all) return all;
  if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return {};
  PyErr_Clear();
  all = PyRef::steal(PyList_New(0));
  if (!all || PyObject_SetAttrString(module, "__all__", all.get()) != 0) return {};
  return all;
}

// Sets `name` on the module and lists it in __all__.
bool add_public(PyObject* module, PyObject* all, PyObject* name, PyObject* value) {
  return PyList_Append(all, name) == 0 && PyObject_SetAttr(module, name, value) == 0;
}

PyRef initialize() {
  if (initialized_module != nullptr) {
    raise_message(PyExc_ImportError,
                  "the tarnevo module may only be initialized once per interpreter process");
    return {};
  }
  PyRef module = PyRef::steal(PyModule_Create2(&module_definition, 3));
  if (!module) return {};

  PyTypeObject* type = loader_type();
  if (type == nullptr) return {};
  PyRef all = all_list(module.get());
  if (!all) return {};
  PyRef type_name = PyRef::steal(PyUnicode_FromString("TarnevoLoader"));
  if (!type_name ||
      !add_public(module.get(), all.get(), type_name.get(), reinterpret_cast<PyObject*>(type))) {
    return {};
  }

  const char* module_name = PyModule_GetName(module.get());
  if (module_name == nullptr) return {};
  PyRef module_name_text = PyRef::steal(PyUnicode_FromString(module_name));
  if (!module_name_text) return {};
  PyRef function = PyRef::steal(
      PyCFunction_NewEx(create_locale_loader_definition(), module.get(), module_name_text.get()));
  if (!function) return {};
  PyRef function_name = PyRef::steal(PyObject_GetAttrString(function.get(), "__name__"));
  if (!function_name || !add_public(module.get(), all.get(), function_name.get(), function.get())) {
    return {};
  }

  // The package's version, from the project's one version line; not part of __all__.
  if (PyModule_AddStringConstant(module.get(), "__version__", TARNEVO_VERSION_STRING) != 0) {
    return {};
  }

  initialized_module = module.get();
  Py_INCREF(initialized_module);  // kept for the life of the process
  return module;
}

}  // namespace
}  // namespace tarnevo::python

PyMODINIT_FUNC PyInit_tarnevo(void) {
  return tarnevo::python::run_entry(tarnevo::python::initialize);
}
