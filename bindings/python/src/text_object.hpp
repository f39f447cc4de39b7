// Making a str from UTF-8 bytes, cheaper than CPython's general decoder for the text locales
// hold: pure ASCII goes to the decoder's own ASCII path; other text is decoded here into code
// points and handed over at its final width, so CPython neither guesses nor widens nor shrinks.
#pragma once

#include <string_view>

#include "python.hpp"

namespace tarnevo::python {

// A new reference to a str holding `text`, or null with a Python error set. Bytes that are not
// well-formed UTF-8 get exactly the error that PyUnicode_FromStringAndSize gives them.
PyObject* make_text(std::string_view text);

}  // namespace tarnevo::python
