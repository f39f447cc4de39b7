// The TOML reader: TOML 1.0, read in one pass straight into the tree (document_reader.cpp),
// with failures shown in the multi-line form (failure.cpp).
#include "toml/reader.hpp"

#include <string_view>

#include "toml/document_reader.hpp"

namespace tarnevo::detail::toml {

std::expected<LocaleValue, FormatError> parse_toml_text(std::string_view text) {
  // A byte-order mark is skipped as the very first character only; anywhere else outside strings
  // and comments it is a stray character. Positions count from after it.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  auto value = read_toml_document(text);
  if (!value) {
    return std::unexpected(
        FormatError(FormatError::Kind::Toml, describe_toml_failure(text, value.error())));
  }
  return std::move(*value);
}

}  // namespace tarnevo::detail::toml
