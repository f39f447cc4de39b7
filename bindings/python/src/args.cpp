#include "args.hpp"

#include <string>

#include "errors.hpp"

namespace tarnevo::python {
namespace {

// The callable as messages name it: "TarnevoLoader.load()" or "create_locale_loader()".
std::string display_name(const ParameterSpec& signature) {
  std::string name;
  if (signature.class_name != nullptr) {
    name += signature.class_name;
    name += '.';
  }
  name += signature.function_name;
  name += "()";
  return name;
}

void raise_type_error(const std::string& message) {
  raise_message(PyExc_TypeError, message);
}

void raise_too_many(const ParameterSpec& signature, Py_ssize_t given) {
  const std::size_t count = signature.parameter_names.size();
  std::string message = display_name(signature) + " takes ";
  if (signature.required_count != count) {
    message += "from " + std::to_string(signature.required_count) + " to ";
  }
  // "arguments" stays plural even for one parameter; callers match these texts exactly.
  message +=
      std::to_string(count) + " positional arguments but " + std::to_string(given) + " were given";
  raise_type_error(message);
}

void raise_unexpected_keyword(const ParameterSpec& signature, PyObject* keyword) {
  // The keyword is shown as the caller wrote it, even when it is not encodable as UTF-8.
  PyRef message = PyRef::steal(PyUnicode_FromFormat("%s got an unexpected keyword argument '%U'",
                                                    display_name(signature).c_str(), keyword));
  if (message) PyErr_SetObject(PyExc_TypeError, message.get());
}

void raise_missing(const ParameterSpec& signature, const BoundArguments& bound) {
  std::string names;
  std::size_t missing = 0;
  for (std::size_t i = 0; i < signature.required_count; ++i) {
    if (bound[i] != nullptr) continue;
    if (missing != 0) names += " and ";
    // Appended piece by piece: GCC 12 at -O3 misreads "'" + std::string as an overlapping copy.
    names.append("'").append(signature.parameter_names[i]).append("'");
    ++missing;
  }
  raise_type_error(display_name(signature) + " missing " + std::to_string(missing) + " required " +
                   (missing == 1 ? "positional argument: " : "positional arguments: ") + names);
}

// The parameter named exactly `keyword`, or -1. Parameter names are ASCII, so comparing code
// points gives the same answer as comparing UTF-8 bytes, and a keyword that cannot be encoded
// (a lone surrogate) simply matches nothing.
Py_ssize_t parameter_index(const ParameterSpec& signature, PyObject* keyword) {
  if (!PyUnicode_Check(keyword)) return -1;
  for (std::size_t i = 0; i < signature.parameter_names.size(); ++i) {
    if (PyUnicode_CompareWithASCIIString(keyword, signature.parameter_names[i]) == 0) {
      return static_cast<Py_ssize_t>(i);
    }
  }
  return -1;
}

void raise_not_a_string(PyObject* argument, const char* parameter_name) {
  PyRef type_name = PyRef::steal(
      PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(argument)), "__qualname__"));
  if (!type_name || !PyUnicode_Check(type_name.get())) {
    PyErr_Clear();
    type_name = PyRef::steal(PyUnicode_FromString("<failed to extract type name>"));
    if (!type_name) return;
  }
  PyRef message = PyRef::steal(
      PyUnicode_FromFormat("argument '%s': '%U' object cannot be converted to 'PyString'",
                           parameter_name, type_name.get()));
  if (message) PyErr_SetObject(PyExc_TypeError, message.get());
}

}  // namespace

std::optional<BoundArguments> bind_arguments(const ParameterSpec& signature, PyObject* args,
                                             PyObject* kwargs) {
  BoundArguments bound;
  const std::size_t count = signature.parameter_names.size();
  const Py_ssize_t given = PyTuple_Size(args);
  if (given < 0) return std::nullopt;
  if (static_cast<std::size_t>(given) > count) {
    raise_too_many(signature, given);
    return std::nullopt;
  }
  for (Py_ssize_t i = 0; i < given; ++i) bound.slots[i] = PyTuple_GetItem(args, i);

  if (kwargs != nullptr) {
    Py_ssize_t position = 0;
    PyObject* keyword = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(kwargs, &position, &keyword, &value)) {
      const Py_ssize_t index = parameter_index(signature, keyword);
      if (index < 0) {
        raise_unexpected_keyword(signature, keyword);
        return std::nullopt;
      }
      if (bound.slots[index] != nullptr) {
        raise_type_error(display_name(signature) + " got multiple values for argument '" +
                         signature.parameter_names[index] + "'");
        return std::nullopt;
      }
      bound.slots[index] = value;
    }
  }

  for (std::size_t i = 0; i < signature.required_count; ++i) {
    if (bound[i] == nullptr) {
      raise_missing(signature, bound);
      return std::nullopt;
    }
  }
  return bound;
}

std::optional<TextArgument> text_argument(PyObject* argument, const char* parameter_name) {
  // A str subclass is read through the str's own data: none of its methods runs.
  if ((PyType_GetFlags(Py_TYPE(argument)) & Py_TPFLAGS_UNICODE_SUBCLASS) == 0) {
    raise_not_a_string(argument, parameter_name);
    return std::nullopt;
  }
  PyRef bytes = PyRef::steal(PyUnicode_AsUTF8String(argument));
  if (!bytes) return std::nullopt;  // UnicodeEncodeError, passed on as the codec raised it
  const char* data = PyBytes_AsString(bytes.get());
  const Py_ssize_t size = PyBytes_Size(bytes.get());
  if (data == nullptr || size < 0) return std::nullopt;
  const std::string_view text(data, static_cast<std::size_t>(size));
  return TextArgument(std::move(bytes), text);
}

}  // namespace tarnevo::python
