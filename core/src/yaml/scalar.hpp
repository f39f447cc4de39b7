// Typing of YAML scalars: which tag a node carries, and what a scalar's text becomes.
#pragma once

#include <cstdint>
#include <expected>
#include <string>

#include "tarnevo/value.hpp"

namespace tarnevo::detail::yaml {

// The tags that change how a node is read. Every other standard or global tag reads a scalar
// as a string and leaves a sequence or mapping alone.
enum class Tag : std::uint8_t {
  None,   // untagged
  Null,   // !!null
  Bool,   // !!bool
  Int,    // !!int
  Float,  // !!float
  Other,  // !!str, !!seq, !!map and any other standard or global tag
  Local,  // begins with a single "!" (!custom, or the bare "!"): not representable
};

// Classifies libyaml's resolved tag text (libyaml has already expanded "!!x" to
// "tag:yaml.org,2002:x"); a null pointer means no tag.
Tag classify_tag(const char* tag) noexcept;

// Reads an untagged plain scalar: null, booleans, integers and floats by their spellings, any
// other text as a string. `text` is moved from only when the result is a string. Fails only for
// an integer that fits 128 bits but not the tree's 64-bit forms.
std::expected<LocaleValue, std::string> resolve_plain(std::string& text);

// Reads a scalar whose tag is Null, Bool, Int or Float by that tag's rules whatever its quoting;
// fails when the text does not fit.
std::expected<LocaleValue, std::string> resolve_tagged(Tag tag, std::string& text);

}  // namespace tarnevo::detail::yaml
