// Placeholder until the TOML reader lands.
#include "readers.hpp"

namespace tarnevo::detail {

std::expected<LocaleValue, FormatError> parse_toml_text(std::string_view) {
  return std::unexpected(FormatError(FormatError::Kind::Toml, "reader not built yet"));
}

}  // namespace tarnevo::detail
