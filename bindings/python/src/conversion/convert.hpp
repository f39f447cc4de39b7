// Converting a locale tree into new Python objects: dicts (keys in ascending byte order),
// lists, str, int, float, bool and None.
#pragma once

#include <cstdint>
#include <vector>

#include "conversion/key_strings.hpp"
#include "pyref.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::python {

// Where the lists and dicts of a converted result sit: `containers` in the order they were made
// (the root first), and for every one but the root, its parent, and its key in the parent dict
// (a str the parent holds) or its index in the parent list (key null).
struct ResultShape {
  struct Link {
    std::uint32_t parent;
    std::uint32_t child;
    PyObject* key;
    Py_ssize_t index;
  };
  std::vector<PyObject*> containers;  // borrowed: the result holds them all
  std::vector<Link> links;
};

// A new object for `value`, made of containers of its own (nothing is shared with the tree or
// with earlier results but the key strs of `keys`), or an empty PyRef with an exception pending.
// With a shape, also records where its lists and dicts sit. The tree is used up: each list and
// object gives up its children once they are converted, so the objects made after them may take
// their memory, and the tree is an empty container or a leaf afterwards.
PyRef to_python(LocaleValue&& value, KeyStrings& keys, ResultShape* shape = nullptr);

// A new str for UTF-8 `text`; a failure becomes PanicException "Python API call failed".
PyRef new_text(std::string_view text);

}  // namespace tarnevo::python
