// Readers collect an object's members in text order; the tree wants them sorted by key bytes.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo::detail::tree {

// Moves the members of `given` into a new, exactly sized object in key order; of equal keys the
// one given last stays. Positions are sorted rather than the members themselves, so that each
// kept member moves once (`order` is scratch space, kept by the caller between objects).
LocaleObject object_in_key_order(std::span<LocaleMember> given, std::vector<std::size_t>& order);

}  // namespace tarnevo::detail::tree
