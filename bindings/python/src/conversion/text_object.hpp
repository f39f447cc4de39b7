// Making a str from UTF-8 bytes, the one place the module does so, with CPython's own decoder.
// A decoder of our own (ASCII runs and Latin-1 copied, other text decoded to its final width)
// made cache hits of the 20k bench corpus only 3% (fr), 7% (ja) and -1% (de) faster
// (bench/compare_builds.py), too little to keep a second UTF-8 decoder.
#pragma once

#include <string_view>

#include "python.hpp"

namespace tarnevo::python {

// A new reference to a str holding `text`, or null with a Python error set.
inline PyObject* make_text(std::string_view text) {
  return PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), nullptr);
}

}  // namespace tarnevo::python
