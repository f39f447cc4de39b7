#include "tarnevo/state.hpp"

#include "loader/state_machine.hpp"

namespace tarnevo {

std::string_view state_name(LoaderState state) noexcept {
  switch (state) {
    case LoaderState::Uninitialized:
      return "Uninitialized";
    case LoaderState::Discovered:
      return "Discovered";
    case LoaderState::Idle:
      return "Idle";
    case LoaderState::Reloading:
      return "Reloading";
    case LoaderState::Error:
      return "Error";
  }
  return "Error";
}

}  // namespace tarnevo

namespace tarnevo::detail::loader {

bool transition_permitted(LoaderState from, LoaderState to) noexcept {
  using enum LoaderState;
  switch (to) {
    case Discovered:
      return from == Uninitialized || from == Reloading || from == Error;
    case Idle:
      return from == Discovered || from == Reloading;
    case Reloading:
      return from == Idle || from == Error;
    case Error:
      return from != Error;
    case Uninitialized:
      return false;
  }
  return false;
}

std::expected<void, LoaderError> transition_strict(LoaderState& state, LoaderState to) {
  if (!transition_permitted(state, to)) return std::unexpected(LoaderError::fsm(state, to));
  state = to;
  return {};
}

void transition_lenient(LoaderState& state, LoaderState to) noexcept {
  if (transition_permitted(state, to)) state = to;
}

}  // namespace tarnevo::detail::loader
