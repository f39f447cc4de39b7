// The command line, parsed into the subcommand, its operands and its options.
#pragma once

#include <cstdint>
#include <expected>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "check/finding_kinds.hpp"
#include "check/key_filter.hpp"
#include "tarnevo/options.hpp"

namespace tarnevo::cli {

enum class Command { Help, Version, Languages, Load, Check };

// The subcommand's name as typed, for messages and help.
std::string_view command_name(Command command) noexcept;
// The subcommand that `name` selects; Help and Version are selected by their options instead.
std::optional<Command> command_from_name(std::string_view name) noexcept;

// check: how the report is written (--format; --json is --format json).
enum class ReportFormat : std::uint8_t { Text, Json, Github, Sarif };

struct Arguments {
  Command command = Command::Help;
  // For Help: the subcommand whose help is wanted, if one was named.
  std::optional<Command> help_topic;
  // DIR, then LOCALE for `load`; for `check`, every DIR given.
  std::vector<std::string> operands;
  std::string default_locale = "en";
  bool pretty = false;
  bool json = false;
  bool strict = false;
  // load and check: --fallback and --root-key.
  LoaderOptions loader_options;
  // check: --locale, each name once in the order given; --ignore, parsed.
  std::vector<std::string> locales;
  std::vector<KeyPattern> ignore;
  // check: --exclude (file path globs), --show and --only.
  std::vector<KeyPattern> exclude;
  KindSet show;
  KindSet only = KindSet::all();
  bool only_given = false;
  ReportFormat format = ReportFormat::Text;
  // check: --config PATH, --no-config; the options given on the line (as "--name"), which
  // override the settings file's.
  std::optional<std::string> config;
  bool no_config = false;
  std::vector<std::string> given;
  // check: severities from the settings file.
  KindSeverities severities = {};
};

struct UsageError {
  std::string message;
  // The subcommand whose usage line helps, when the mistake was made inside one.
  std::optional<Command> command;
};

// `args` is argv without the program name. Options may come before, between or after the
// operands; "--" ends them. Options with a value (`--default`, `--locale`, `--ignore`,
// `--exclude`, `--root-key`, `--show`, `--only`) take it as the next argument or after "=";
// `--locale`, `--ignore` and `--exclude` may be given more than once, and repeated `--show` or
// `--only` add to each other.
std::expected<Arguments, UsageError> parse_arguments(std::span<const char* const> args);

}  // namespace tarnevo::cli
