// The one place that includes Python.h, so every file sees the same configuration: the stable
// ABI as of 3.8 (set by the build) and Py_ssize_t lengths for the argument parsers.
#pragma once

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#ifndef Py_LIMITED_API
#error "the module is built against the stable ABI; the build defines Py_LIMITED_API"
#endif
