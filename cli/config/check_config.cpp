// Reading a settings file: TOML through the core's own reader, with the positions of its keys,
// so that every fault names the file, the line and column, and the key.
#include <algorithm>
#include <initializer_list>
#include <string>
#include <utility>

#include "check/finding_kinds.hpp"
#include "config/check_config.hpp"
#include "format/key_positions.hpp"
#include "loader/file_read.hpp"
#include "text/utf8.hpp"
#include "toml/reader.hpp"

namespace tarnevo::cli::config {

namespace {

using detail::format::KeyPosition;
using detail::format::KeyPositions;

constexpr std::string_view kKeys =
    "directories, default, locale, exclude, ignore, strict, only, show, root-key, format, severity";

std::string in_quotes(std::string_view text) {
  std::string out = "\"";
  out.append(text).append("\"");
  return out;
}

std::string kinds_list() {
  std::string out;
  for (const std::string_view kind : finding_kinds()) {
    if (!out.empty()) out += ", ";
    out += kind;
  }
  return out;
}

bool is_kind(std::string_view name) {
  const auto& kinds = finding_kinds();
  return std::find(kinds.begin(), kinds.end(), name) != kinds.end();
}

// Checks the settings table's members one by one. Of several faults, the one written first in
// the file is reported, so that fixing faults from the top down works.
class ConfigReader {
 public:
  ConfigReader(const std::filesystem::path& file, const KeyPositions& positions,
               std::vector<std::string> prefix)
      : file_(file), positions_(positions), prefix_(std::move(prefix)) {}

  std::expected<CheckConfig, std::string> read(const LocaleObject& table) {
    CheckConfig config;
    config.file = file_;
    for (const LocaleMember& member : table.members()) read_member(member, config);
    if (fault_) return std::unexpected(std::move(fault_->second));
    return config;
  }

 private:
  void read_member(const LocaleMember& member, CheckConfig& config) {
    const std::string& key = member.key;
    const LocaleValue& value = member.value;
    if (key == "directories") {
      if (auto list = strings(key, value)) {
        std::vector<std::filesystem::path> paths;
        const std::filesystem::path base = file_.parent_path();
        for (const std::string& entry : *list) paths.push_back((base / entry).lexically_normal());
        config.directories = std::move(paths);
      }
    } else if (key == "default") {
      if (value.is_string()) {
        config.default_locale = value.as_string();
      } else {
        fail({key}, in_quotes(key) + " must be a string");
      }
    } else if (key == "locale") {
      config.locales = strings(key, value);
    } else if (key == "exclude") {
      config.exclude = strings(key, value);
    } else if (key == "ignore") {
      config.ignore = strings(key, value);
    } else if (key == "strict") {
      if (value.is_bool()) {
        config.strict = value.as_bool();
      } else {
        fail({key}, in_quotes(key) + " must be true or false");
      }
    } else if (key == "only") {
      config.only = kinds(key, value, false);
    } else if (key == "show") {
      config.show = kinds(key, value, true);
    } else if (key == "root-key") {
      config.root_key = choice<RootKeyMode>(
          key, value,
          {{"auto", RootKeyMode::Auto}, {"on", RootKeyMode::On}, {"off", RootKeyMode::Off}});
    } else if (key == "format") {
      config.format = choice<OutputFormat>(key, value,
                                           {{"text", OutputFormat::Text},
                                            {"json", OutputFormat::Json},
                                            {"github", OutputFormat::Github},
                                            {"sarif", OutputFormat::Sarif}});
    } else if (key == "severity") {
      read_severity(value, config);
    } else {
      fail({key}, "unknown key " + in_quotes(key) + " (the keys are: " + std::string(kKeys) + ")");
    }
  }

  std::optional<std::vector<std::string>> strings(const std::string& key,
                                                  const LocaleValue& value) {
    const bool fits =
        value.is_array() && std::all_of(value.as_array().begin(), value.as_array().end(),
                                        [](const LocaleValue& item) { return item.is_string(); });
    if (!fits) {
      fail({key}, in_quotes(key) + " must be a list of strings");
      return std::nullopt;
    }
    std::vector<std::string> list;
    for (const LocaleValue& item : value.as_array()) list.push_back(item.as_string());
    return list;
  }

  std::optional<std::vector<std::string>> kinds(const std::string& key, const LocaleValue& value,
                                                bool all_allowed) {
    if (all_allowed && value.is_string() && value.as_string() == "all") {
      return std::vector<std::string>(finding_kinds().begin(), finding_kinds().end());
    }
    if (!value.is_array() ||
        !std::all_of(value.as_array().begin(), value.as_array().end(),
                     [](const LocaleValue& item) { return item.is_string(); })) {
      fail({key}, in_quotes(key) + " must be " + (all_allowed ? "\"all\" or " : "") +
                      "a list of finding kinds");
      return std::nullopt;
    }
    auto list = strings(key, value);
    for (const std::string& kind : *list) {
      if (!is_kind(kind)) {
        fail({key}, in_quotes(key) + " names an unknown finding kind " + in_quotes(kind) +
                        " (the kinds are: " + kinds_list() + ")");
        return std::nullopt;
      }
    }
    return list;
  }

  template <class Choice>
  std::optional<Choice> choice(const std::string& key, const LocaleValue& value,
                               std::initializer_list<std::pair<std::string_view, Choice>> choices) {
    if (value.is_string()) {
      for (const auto& [name, chosen] : choices) {
        if (value.as_string() == name) return chosen;
      }
    }
    std::string names;
    std::size_t i = 0;
    for (const auto& entry : choices) {
      if (i > 0) names += i + 1 == choices.size() ? " or " : ", ";
      names += in_quotes(entry.first);
      ++i;
    }
    fail({key}, in_quotes(key) + " must be " + names);
    return std::nullopt;
  }

  void read_severity(const LocaleValue& value, CheckConfig& config) {
    if (!value.is_object()) {
      fail({"severity"}, "\"severity\" must be a table of finding kinds");
      return;
    }
    for (const LocaleMember& member : value.as_object().members()) {
      const std::vector<std::string> path{"severity", member.key};
      if (!is_kind(member.key)) {
        fail(path, "\"severity\" names an unknown finding kind " + in_quotes(member.key) +
                       " (the kinds are: " + kinds_list() + ")");
        continue;
      }
      const std::string& level = member.value.is_string() ? member.value.as_string() : "";
      const Severity severity = level == "error"     ? Severity::Error
                                : level == "warning" ? Severity::Warning
                                                     : Severity::Off;
      if (level != "error" && level != "warning" && level != "off") {
        fail(path,
             in_quotes("severity." + member.key) + " must be \"error\", \"warning\" or \"off\"");
        continue;
      }
      config.severity.emplace_back(member.key, severity);
    }
  }

  // Keeps the fault written first in the file.
  void fail(const std::vector<std::string>& key, std::string description) {
    std::vector<std::string> path = prefix_;
    path.insert(path.end(), key.begin(), key.end());
    const KeyPosition at = positions_.find(path).value_or(KeyPosition{1, 1});
    if (fault_ && (fault_->first.line < at.line ||
                   (fault_->first.line == at.line && fault_->first.column <= at.column))) {
      return;
    }
    std::string message = file_.string();
    message.append(":")
        .append(std::to_string(at.line))
        .append(":")
        .append(std::to_string(at.column))
        .append(": ")
        .append(description);
    fault_.emplace(at, std::move(message));
  }

  const std::filesystem::path& file_;
  const KeyPositions& positions_;
  const std::vector<std::string> prefix_;
  std::optional<std::pair<KeyPosition, std::string>> fault_;
};

}  // namespace

const std::vector<std::string_view>& finding_kinds() {
  // The command's own table of kinds, so that a new kind is known here too.
  static const std::vector<std::string_view> kinds = [] {
    std::vector<std::string_view> names;
    for (std::size_t i = 0; i < kFindingKindCount; ++i) {
      names.push_back(kind_info(static_cast<FindingKind>(i)).name);
    }
    return names;
  }();
  return kinds;
}

std::expected<CheckConfig, std::string> read_config(const std::filesystem::path& path) {
  const std::string name = path.string();
  auto bytes = detail::loader::read_whole_file(name);
  if (!bytes) return std::unexpected(name + ": " + bytes.error().message());
  if (!detail::text::is_valid_utf8(*bytes)) {
    return std::unexpected(name + ": " + LoaderError::invalid_utf8().message());
  }
  KeyPositions positions;
  auto tree = detail::toml::parse_toml_text_with_positions(*bytes, positions);
  if (!tree) return std::unexpected(name + ": " + tree.error().message());

  std::vector<std::string> prefix;
  const LocaleValue* table = &*tree;
  if (path.filename() == "pyproject.toml") {
    prefix = {"tool", "tarnevo"};
    table = tree->find({"tool", "tarnevo"});
    if (table == nullptr) return std::unexpected(name + ": no [tool.tarnevo] table");
    if (!table->is_object()) {
      const KeyPosition at = positions.find(prefix).value_or(KeyPosition{1, 1});
      return std::unexpected(name + ":" + std::to_string(at.line) + ":" +
                             std::to_string(at.column) + ": \"tool.tarnevo\" must be a table");
    }
  }
  return ConfigReader(path, positions, std::move(prefix)).read(table->as_object());
}

}  // namespace tarnevo::cli::config
