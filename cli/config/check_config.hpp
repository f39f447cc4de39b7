// The check's settings kept in a file, so that a repository states them once: `tarnevo.toml`, or
// the table [tool.tarnevo] of `pyproject.toml`. Its keys mirror the check's flags; the command
// lets its flags override them.
#pragma once

#include <cstdint>
#include <expected>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarnevo::cli::config {

enum class Severity : std::uint8_t { Error, Warning, Off };
enum class RootKeyMode : std::uint8_t { Auto, On, Off };
enum class OutputFormat : std::uint8_t { Text, Json, Github, Sarif };

// Each setting the file gives; what it leaves out stays unset, for the flags or the defaults.
struct CheckConfig {
  // The file read, as it was named (relative paths stay relative).
  std::filesystem::path file;
  // Relative entries resolved against the file's directory.
  std::optional<std::vector<std::filesystem::path>> directories;
  std::optional<std::string> default_locale;
  std::optional<std::vector<std::string>> locales;
  // Patterns, as written: they match inside each checked directory.
  std::optional<std::vector<std::string>> exclude;
  std::optional<std::vector<std::string>> ignore;
  std::optional<bool> strict;
  // Finding kinds (names as finding_kinds() spells them), in the file's order.
  std::optional<std::vector<std::string>> only;
  // Finding kinds; `show = "all"` gives every kind.
  std::optional<std::vector<std::string>> show;
  std::optional<RootKeyMode> root_key;
  std::optional<OutputFormat> format;
  // Per finding kind, in the file's order.
  std::vector<std::pair<std::string, Severity>> severity;
};

// The finding kinds a file may name, in the order `show = "all"` lists them.
const std::vector<std::string_view>& finding_kinds();

// The settings file that applies in `start_dir`: from it up to the file system's root, the first
// directory holding `tarnevo.toml`, or a `pyproject.toml` with a [tool.tarnevo] table (tarnevo.toml
// first when both are there). Paths are `start_dir` followed by "../" steps, so a relative
// start gives relative paths. None when no directory has one. A pyproject.toml that mentions
// tarnevo but does not read as TOML is returned, so that read_config reports why.
std::optional<std::filesystem::path> find_config(const std::filesystem::path& start_dir);

// Reads and checks a settings file (pyproject.toml: its [tool.tarnevo] table). Fails with one
// line naming the file, the line and column of the key at fault, and the key: an unknown key, a
// value of the wrong type or an unknown finding kind, severity, root-key mode or format; or the
// loader's message when the file cannot be read as TOML.
std::expected<CheckConfig, std::string> read_config(const std::filesystem::path& path);

}  // namespace tarnevo::cli::config
