// The YAML reader: libyaml's events for the stream's one document, then the tree built from them.
#include "readers.hpp"
#include "yaml_document.hpp"
#include "yaml_events.hpp"
#include "yaml_tree_builder.hpp"

namespace tarnevo::detail {

std::expected<LocaleValue, FormatError> parse_yaml_text(std::string_view text) {
  yaml::EventParser parser(text);
  auto document = yaml::read_single_document(parser, text);
  if (!document)
    return std::unexpected(FormatError(FormatError::Kind::Yaml, std::move(document.error())));
  if (!*document) return LocaleValue::null();
  auto tree = yaml::build_tree(**document, text);
  if (!tree) return std::unexpected(FormatError(FormatError::Kind::Yaml, std::move(tree.error())));
  return std::move(*tree);
}

}  // namespace tarnevo::detail
