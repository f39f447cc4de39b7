// Binding CPython's (args tuple, kwargs dict) to named parameters the way a Python function
// binds them, with this module's own TypeError texts, and reading str arguments as UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

#include "pyref.hpp"

namespace tarnevo::python {

// No callable of the module has more parameters than this.
inline constexpr std::size_t kMaxParameters = 2;

// One callable's parameters: each may be given by position or by keyword, the first
// `required_count` must be given.
struct ParameterSpec {
  const char* function_name;
  const char* class_name;  // null for a module-level function
  std::span<const char* const> parameter_names;
  std::size_t required_count;
};

// Borrowed references to the arguments, one slot per parameter in declaration order; a null
// slot is an optional argument that was not given. Valid for the duration of the call.
struct BoundArguments {
  std::array<PyObject*, kMaxParameters> slots{};

  PyObject* operator[](std::size_t index) const noexcept { return slots[index]; }
};

// Fills the slots from `args` (a tuple) and `kwargs` (a dict or null), or sets a TypeError.
std::optional<BoundArguments> bind_arguments(const ParameterSpec& signature, PyObject* args,
                                             PyObject* kwargs);

// A str argument's UTF-8 bytes, kept alive by the bytes object that holds them.
class TextArgument {
 public:
  TextArgument(PyRef bytes, std::string_view text) noexcept
      : bytes_(std::move(bytes)), text_(text) {}

  std::string_view view() const noexcept { return text_; }

 private:
  PyRef bytes_;
  std::string_view text_;
};

// Reads `argument` (bound to `parameter_name`) as text. A non-str fails with TypeError
// "argument 'NAME': 'T' object cannot be converted to 'PyString'"; a str that cannot be encoded
// (a lone surrogate) fails with the codec's own UnicodeEncodeError.
std::optional<TextArgument> text_argument(PyObject* argument, const char* parameter_name);

}  // namespace tarnevo::python
