#include "check/check_settings.hpp"

#include <algorithm>
#include <filesystem>

#include "config/check_config.hpp"

namespace tarnevo::cli {
namespace {

using config::CheckConfig;

bool given(const Arguments& arguments, std::string_view option) {
  return std::find(arguments.given.begin(), arguments.given.end(), option) != arguments.given.end();
}

// The file's kind names (read_config has checked each one) as a set.
KindSet kind_set(const std::vector<std::string>& names) {
  KindSet kinds;
  for (const std::string& name : names) {
    if (const auto kind = kind_from_name(name)) kinds.add(*kind);
  }
  return kinds;
}

std::expected<void, std::string> apply_patterns(const CheckConfig& file, Arguments& arguments) {
  const std::string name = file.file.string();
  if (file.exclude && !given(arguments, "--exclude")) {
    for (const std::string& written : *file.exclude) {
      auto pattern = KeyPattern::parse_path_glob(written);
      if (!pattern)
        return std::unexpected(name + ": exclude '" + written + "': " + pattern.error());
      arguments.exclude.push_back(std::move(*pattern));
    }
  }
  if (file.ignore && !given(arguments, "--ignore")) {
    for (const std::string& written : *file.ignore) {
      auto pattern = KeyPattern::parse(written);
      if (!pattern) return std::unexpected(name + ": ignore '" + written + "': " + pattern.error());
      arguments.ignore.push_back(std::move(*pattern));
    }
  }
  return {};
}

void apply_choices(const CheckConfig& file, Arguments& arguments) {
  if (file.root_key && !given(arguments, "--root-key")) {
    switch (*file.root_key) {
      case config::RootKeyMode::Auto:
        arguments.loader_options.root_key = RootKey::Auto;
        break;
      case config::RootKeyMode::On:
        arguments.loader_options.root_key = RootKey::On;
        break;
      case config::RootKeyMode::Off:
        arguments.loader_options.root_key = RootKey::Off;
        break;
    }
  }
  if (file.format && !given(arguments, "--format") && !given(arguments, "--json")) {
    switch (*file.format) {
      case config::OutputFormat::Text:
        arguments.format = ReportFormat::Text;
        break;
      case config::OutputFormat::Json:
        arguments.format = ReportFormat::Json;
        break;
      case config::OutputFormat::Github:
        arguments.format = ReportFormat::Github;
        break;
      case config::OutputFormat::Sarif:
        arguments.format = ReportFormat::Sarif;
        break;
    }
  }
  for (const auto& [name, severity] : file.severity) {
    const auto kind = kind_from_name(name);
    if (!kind) continue;
    if (severity == config::Severity::Error) arguments.severities.errors.add(*kind);
    if (severity == config::Severity::Warning) arguments.severities.warnings.add(*kind);
    // --only on the line names the kinds itself.
    if (severity == config::Severity::Off && !given(arguments, "--only")) {
      arguments.only.remove(*kind);
    }
  }
}

}  // namespace

std::expected<void, std::string> apply_check_settings(Arguments& arguments) {
  if (arguments.no_config) return {};
  std::optional<std::filesystem::path> path;
  if (arguments.config) {
    path = *arguments.config;
  } else {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    if (error) return {};
    path = config::find_config(here);
  }
  if (!path) return {};
  auto file = config::read_config(*path);
  if (!file) return std::unexpected(file.error());

  if (arguments.operands.empty() && file->directories) {
    for (const auto& directory : *file->directories) arguments.operands.push_back(directory);
  }
  if (file->default_locale && !given(arguments, "--default")) {
    arguments.default_locale = *file->default_locale;
  }
  if (file->locales && !given(arguments, "--locale")) arguments.locales = *file->locales;
  if (file->strict && !given(arguments, "--strict")) arguments.strict = *file->strict;
  if (file->only && !given(arguments, "--only")) arguments.only = kind_set(*file->only);
  if (file->show && !given(arguments, "--show")) arguments.show = kind_set(*file->show);
  if (auto patterns = apply_patterns(*file, arguments); !patterns) return patterns;
  apply_choices(*file, arguments);
  return {};
}

}  // namespace tarnevo::cli
