// The TOML reader: TOML 1.0, read in one pass straight into the tree (document_reader.cpp),
// with failures shown in the multi-line form (failure.cpp).
#include "toml/reader.hpp"

#include <optional>
#include <string_view>

#include "toml/document_reader.hpp"

namespace tarnevo::detail::toml {

namespace {

std::expected<LocaleValue, FormatError> read_toml(std::string_view text,
                                                  std::optional<tree::FillPlace> filling,
                                                  format::KeyPositions* positions) {
  // A byte-order mark is skipped as the very first character only; anywhere else outside strings
  // and comments it is a stray character. Positions count from after it.
  constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  auto value = read_toml_document(text, filling, positions);
  if (!value) {
    return std::unexpected(
        FormatError(FormatError::Kind::Toml, describe_toml_failure(text, value.error())));
  }
  if (positions != nullptr) positions->resolve_offsets(text);
  return std::move(*value);
}

}  // namespace

std::expected<LocaleValue, FormatError> parse_toml_text(std::string_view text) {
  return read_toml(text, std::nullopt, nullptr);
}

std::expected<LocaleValue, FormatError> parse_toml_text_to_fill(std::string_view text,
                                                                tree::FillPlace place) {
  return read_toml(text, place, nullptr);
}

std::expected<LocaleValue, FormatError> parse_toml_text_with_positions(
    std::string_view text, format::KeyPositions& positions) {
  return read_toml(text, std::nullopt, &positions);
}

}  // namespace tarnevo::detail::toml
