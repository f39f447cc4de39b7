// Scoped access to an instance's loader through its borrow counter. Shared access is refused
// while a reload holds the loader exclusively, and a reload is refused while any access is held;
// either can only happen when Python code (a finalizer run by the garbage collector while a
// result is being built) calls back into the same instance.
#pragma once

#include <optional>
#include <utility>

#include "errors.hpp"
#include "loader_type.hpp"

namespace tarnevo::python {

class LoaderAccess {
 public:
  // Shared access, or RuntimeError "Already mutably borrowed".
  static std::optional<LoaderAccess> shared(LoaderObject& object) {
    if (object.borrow_count == -1) {
      raise_message(PyExc_RuntimeError, "Already mutably borrowed");
      return std::nullopt;
    }
    ++object.borrow_count;
    return LoaderAccess(object);
  }

  // Exclusive access, or RuntimeError "Already borrowed".
  static std::optional<LoaderAccess> exclusive(LoaderObject& object) {
    if (object.borrow_count != 0) {
      raise_message(PyExc_RuntimeError, "Already borrowed");
      return std::nullopt;
    }
    object.borrow_count = -1;
    return LoaderAccess(object);
  }

  LoaderAccess(LoaderAccess&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  LoaderAccess& operator=(LoaderAccess&&) = delete;
  LoaderAccess(const LoaderAccess&) = delete;
  LoaderAccess& operator=(const LoaderAccess&) = delete;

  ~LoaderAccess() {
    if (object_ == nullptr) return;
    if (object_->borrow_count == -1) {
      object_->borrow_count = 0;
    } else {
      --object_->borrow_count;
    }
  }

  LocaleLoader& loader() const noexcept { return object_->loader; }
  ResultCache& results() const noexcept { return object_->results; }

 private:
  explicit LoaderAccess(LoaderObject& object) noexcept : object_(&object) {}

  LoaderObject* object_;
};

}  // namespace tarnevo::python
