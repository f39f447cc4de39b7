// Typing of YAML scalars: which tag a node carries, and what a scalar's text becomes.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <string>
#include <string_view>

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

// What a scalar reads as: a typed value, or nothing when it is a string of its own text, which
// the caller builds once, where the tree keeps it. Fails for a tagged text that does not fit its
// tag, and for an integer that fits 128 bits but not the tree's 64-bit forms.
using TypedScalar = std::expected<std::optional<LocaleValue>, std::string>;

// An untagged plain scalar: null, booleans, integers and floats by their spellings, any other
// text a string.
TypedScalar type_plain(std::string_view text);

// A scalar whose tag is Null, Bool, Int or Float, by that tag's rules whatever its quoting.
TypedScalar type_tagged(Tag tag, std::string_view text);

// Any scalar but a Local-tagged one (which has no value): by its tag, or untagged by its style.
TypedScalar type_scalar(Tag tag, bool plain, std::string_view text);

}  // namespace tarnevo::detail::yaml
