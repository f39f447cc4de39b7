// The loader's state machine: which moves between states are allowed, and making them.
#pragma once

#include <expected>

#include "tarnevo/error.hpp"
#include "tarnevo/state.hpp"

namespace tarnevo::detail::loader {

// Whether the state machine allows moving from `from` to `to` (never to the same state).
bool transition_permitted(LoaderState from, LoaderState to) noexcept;

// Moves `state` to `to`, or leaves it and returns the Fsm error naming both states.
std::expected<void, LoaderError> transition_strict(LoaderState& state, LoaderState to);

// Moves `state` to `to` when permitted; otherwise leaves it as it is.
void transition_lenient(LoaderState& state, LoaderState to) noexcept;

}  // namespace tarnevo::detail::loader
