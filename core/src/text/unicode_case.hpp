// Full Unicode lower-casing, for matching file extensions whatever their letter case.
#pragma once

#include <string>
#include <string_view>

namespace tarnevo::detail::text {

// `text` (well-formed UTF-8) with every character replaced by its full lower-case form: some
// characters become several (U+0130 becomes "i" and a combining dot), and a capital sigma at the
// end of a word becomes the final sigma.
std::string to_lower_full(std::string_view text);

}  // namespace tarnevo::detail::text
