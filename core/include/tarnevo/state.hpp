// Where a loader stands in its discover, serve, reload cycle.
#pragma once

#include <cstdint>
#include <expected>
#include <string_view>

namespace tarnevo {

enum class LoaderState : std::uint8_t { Uninitialized, Discovered, Idle, Reloading, Error };

// "Uninitialized", "Discovered", "Idle", "Reloading" or "Error".
std::string_view state_name(LoaderState state) noexcept;

// Whether the state machine allows moving from `from` to `to` (never to the same state).
bool transition_permitted(LoaderState from, LoaderState to) noexcept;

class LoaderError;

// Moves `state` to `to`, or leaves it and returns the Fsm error naming both states.
std::expected<void, LoaderError> transition_strict(LoaderState& state, LoaderState to);

// Moves `state` to `to` when permitted; otherwise leaves it as it is.
void transition_lenient(LoaderState& state, LoaderState to) noexcept;

}  // namespace tarnevo
