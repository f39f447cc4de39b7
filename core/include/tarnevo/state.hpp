// Where a loader stands in its discover, serve, reload cycle.
#pragma once

#include <cstdint>
#include <string_view>

namespace tarnevo {

enum class LoaderState : std::uint8_t { Uninitialized, Discovered, Idle, Reloading, Error };

// "Uninitialized", "Discovered", "Idle", "Reloading" or "Error".
std::string_view state_name(LoaderState state) noexcept;

}  // namespace tarnevo
