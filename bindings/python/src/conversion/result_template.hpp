// A locale's Python result kept to answer cache hits. Leaves (str, int, float, bool, None) are
// immutable, so every hit may share them; only lists and dicts must be new. A hit therefore
// copies the template's containers (a dict or list copies its items in one call, the leaves by
// reference) and puts the copies of nested containers in place: no str is decoded and no number
// made again (make bench, cache hit).
#pragma once

#include <memory>

#include "conversion/convert.hpp"
#include "pyref.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::python {

class ResultTemplate {
 public:
  // The template of `tree` (used up), its keys shared through `keys`, or null with an exception
  // pending.
  static std::shared_ptr<const ResultTemplate> make(LocaleValue&& tree, KeyStrings& keys);

  // A new result equal to the template: every list and dict new, the leaves shared. An empty
  // PyRef with an exception pending when Python runs out of memory.
  PyRef copy() const;

  ResultTemplate(PyRef root, ResultShape shape) noexcept
      : root_(std::move(root)), shape_(std::move(shape)) {}

 private:
  PyRef root_;  // never handed out, never changed; holds every container of the shape
  ResultShape shape_;
};

}  // namespace tarnevo::python
