#include "conversion/result_template.hpp"

#include <vector>

#include "errors.hpp"

namespace tarnevo::python {

std::shared_ptr<const ResultTemplate> ResultTemplate::make(LocaleValue&& tree, KeyStrings& keys) {
  ResultShape shape;
  PyRef root = to_python(std::move(tree), keys, &shape);
  if (!root) return nullptr;
  if (shape.containers.empty()) shape.containers.push_back(root.get());  // a leaf: copied as is
  return std::make_shared<const ResultTemplate>(std::move(root), std::move(shape));
}

// Every container is copied shallowly first, then each nested copy replaces, in its parent's
// copy, the template's container that the shallow copy still points to; two flat passes, so no
// depth of nesting matters.
PyRef ResultTemplate::copy() const {
  std::vector<PyRef> copies;
  copies.reserve(shape_.containers.size());
  for (PyObject* container : shape_.containers) {
    PyObject* copy;
    if (PyDict_Check(container)) {
      copy = PyDict_Copy(container);
    } else if (PyList_Check(container)) {
      copy = PyList_GetSlice(container, 0, PyList_Size(container));
    } else {
      Py_INCREF(container);  // a leaf result
      copy = container;
    }
    if (copy == nullptr) {
      raise_api_call_failed();
      return {};
    }
    copies.push_back(PyRef::steal(copy));
  }
  for (const ResultShape::Link& link : shape_.links) {
    PyObject* parent = copies[link.parent].get();
    PyObject* child = copies[link.child].get();
    if (link.key != nullptr) {
      if (PyDict_SetItem(parent, link.key, child) != 0) return {};
    } else {
      Py_INCREF(child);  // PyList_SetItem takes this reference and drops the template's child
      PyList_SetItem(parent, link.index, child);
    }
  }
  return std::move(copies.front());
}

}  // namespace tarnevo::python
