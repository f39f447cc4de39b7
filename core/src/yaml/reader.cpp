// The YAML reader: libyaml's event parser, and the tree of the stream's one document.
#include "yaml/reader.hpp"
#include "yaml/document_reader.hpp"
#include "yaml/events.hpp"

namespace tarnevo::detail::yaml {

std::expected<LocaleValue, FormatError> parse_yaml_text(std::string_view text) {
  yaml::EventParser parser(text);
  auto tree = yaml::read_single_document(parser, text);
  if (!tree) return std::unexpected(FormatError(FormatError::Kind::Yaml, std::move(tree.error())));
  return std::move(*tree);
}

std::expected<LocaleValue, FormatError> parse_yaml_text_to_fill(std::string_view text,
                                                                tree::FillPlace place) {
  yaml::EventParser parser(text);
  auto tree = yaml::read_single_document(parser, text, nullptr, place);
  if (!tree) return std::unexpected(FormatError(FormatError::Kind::Yaml, std::move(tree.error())));
  return std::move(*tree);
}

std::expected<LocaleValue, FormatError> parse_yaml_text_with_positions(
    std::string_view text, format::KeyPositions& positions) {
  yaml::EventParser parser(text);
  auto tree = yaml::read_single_document(parser, text, &positions);
  if (!tree) return std::unexpected(FormatError(FormatError::Kind::Yaml, std::move(tree.error())));
  return std::move(*tree);
}

}  // namespace tarnevo::detail::yaml
