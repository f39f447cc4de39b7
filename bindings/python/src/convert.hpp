// Converting a locale tree into new Python objects: dicts (keys in ascending byte order),
// lists, str, int, float, bool and None.
#pragma once

#include "pyref.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::python {

// A new object for `value`, made of containers of its own (nothing is shared with the tree or
// with earlier results), or an empty PyRef with an exception pending.
PyRef to_python(const LocaleValue& value);

// A new str for UTF-8 `text`; a failure becomes PanicException "Python API call failed".
PyRef new_text(std::string_view text);

}  // namespace tarnevo::python
