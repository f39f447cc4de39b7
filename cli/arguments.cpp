#include "arguments.hpp"

#include <algorithm>
#include <array>

#include "text/utf8.hpp"

namespace tarnevo::cli {
namespace {

enum Option : unsigned {
  kDefault = 1,
  kPretty = 2,
  kJson = 4,
  kStrict = 8,
  kLocale = 16,
  kIgnore = 32,
  kFallback = 64,
  kRootKey = 128,
};

constexpr unsigned kTakesValue = kDefault | kLocale | kIgnore | kFallback | kRootKey;

struct CommandShape {
  Command command;
  std::string_view name;
  // The operands' names, in order; every one is required.
  std::array<std::string_view, 2> operands;
  std::size_t operand_count;
  unsigned options;
};

constexpr std::array<CommandShape, 3> kShapes = {{
    {Command::Languages, "languages", {"DIR", ""}, 1, kJson},
    {Command::Load,
     "load",
     {"DIR", "LOCALE"},
     2,
     kDefault | kPretty | kStrict | kFallback | kRootKey},
    {Command::Check, "check", {"DIR", ""}, 1, kDefault | kJson | kStrict | kLocale | kIgnore},
}};

const CommandShape* shape_of(Command command) noexcept {
  for (const CommandShape& shape : kShapes) {
    if (shape.command == command) return &shape;
  }
  return nullptr;
}

bool is_help_flag(std::string_view arg) noexcept {
  return arg == "-h" || arg == "--help";
}

std::unexpected<UsageError> usage_error(std::string message, std::optional<Command> command) {
  return std::unexpected(UsageError{std::move(message), command});
}

// Locale names in the index are always text, so a name that is not UTF-8 could never be found;
// saying so beats silently loading the default locale instead.
std::optional<UsageError> check_locale_text(std::string_view what, std::string_view name,
                                            Command command) {
  if (detail::text::is_valid_utf8(name)) return std::nullopt;
  return UsageError{std::string(what) + " is not UTF-8", command};
}

// --fallback default|regional and --root-key auto|on|off into the loader's options.
bool parse_loader_option(unsigned option, std::string_view value, LoaderOptions& options) {
  if (option == kFallback) {
    if (value == "default") options.fallback = Fallback::Default;
    if (value == "regional") options.fallback = Fallback::Regional;
    return value == "default" || value == "regional";
  }
  if (value == "auto") options.root_key = RootKey::Auto;
  if (value == "on") options.root_key = RootKey::On;
  if (value == "off") options.root_key = RootKey::Off;
  return value == "auto" || value == "on" || value == "off";
}

std::expected<Arguments, UsageError> parse_help(std::span<const char* const> rest) {
  Arguments parsed;
  parsed.command = Command::Help;
  if (rest.empty()) return parsed;
  if (rest.size() > 1) return usage_error("help takes one command name at most", std::nullopt);
  const std::string_view topic = rest[0];
  if (topic == "help") return parsed;
  parsed.help_topic = command_from_name(topic);
  if (!parsed.help_topic) return usage_error("unknown command '" + std::string(topic) + "'", {});
  return parsed;
}

std::expected<Arguments, UsageError> parse_command(const CommandShape& shape,
                                                   std::span<const char* const> rest) {
  Arguments parsed;
  parsed.command = shape.command;
  // --help anywhere before "--" wins over every other mistake on the line.
  const auto options_end = std::find_if(
      rest.begin(), rest.end(), [](const char* arg) { return std::string_view(arg) == "--"; });
  if (std::any_of(rest.begin(), options_end, [](const char* arg) { return is_help_flag(arg); })) {
    parsed.command = Command::Help;
    parsed.help_topic = shape.command;
    return parsed;
  }

  bool options_done = false;
  for (std::size_t i = 0; i < rest.size(); ++i) {
    const std::string_view arg = rest[i];
    if (options_done || arg == "-" || !arg.starts_with("-")) {
      if (parsed.operands.size() == shape.operand_count) {
        return usage_error("unexpected operand '" + std::string(arg) + "'", shape.command);
      }
      parsed.operands.emplace_back(arg);
      continue;
    }
    if (arg == "--") {
      options_done = true;
      continue;
    }
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    // "--name=value": the text after the first "="; has_value tells "--default=" (empty) apart.
    const bool has_value = equals != std::string_view::npos;
    const std::string_view value = has_value ? arg.substr(equals + 1) : std::string_view();
    unsigned option = 0;
    if (name == "--default") option = kDefault;
    if (name == "--pretty") option = kPretty;
    if (name == "--json") option = kJson;
    if (name == "--strict") option = kStrict;
    if (name == "--locale") option = kLocale;
    if (name == "--ignore") option = kIgnore;
    if (name == "--fallback") option = kFallback;
    if (name == "--root-key") option = kRootKey;
    if ((shape.options & option) == 0) {
      return usage_error(
          "unknown option '" + std::string(name) + "' for '" + std::string(shape.name) + "'",
          shape.command);
    }
    if ((option & kTakesValue) == 0) {
      if (has_value) {
        return usage_error("option '" + std::string(name) + "' takes no value", shape.command);
      }
      if (option == kPretty) parsed.pretty = true;
      if (option == kJson) parsed.json = true;
      if (option == kStrict) parsed.strict = true;
      continue;
    }
    std::string argument;
    if (has_value) {
      argument = std::string(value);
    } else if (i + 1 < rest.size()) {
      argument = rest[++i];
    } else {
      const std::string_view what = option == kIgnore     ? "a key pattern"
                                    : option == kFallback ? "default or regional"
                                    : option == kRootKey  ? "auto, on or off"
                                                          : "a locale name";
      return usage_error("option '" + std::string(name) + "' needs " + std::string(what),
                         shape.command);
    }
    if (option == kIgnore) {
      auto pattern = KeyPattern::parse(argument);
      if (!pattern) {
        return usage_error("--ignore '" + argument + "': " + pattern.error(), shape.command);
      }
      parsed.ignore.push_back(std::move(*pattern));
      continue;
    }
    if (option == kFallback || option == kRootKey) {
      if (!parse_loader_option(option, argument, parsed.loader_options)) {
        return usage_error("option '" + std::string(name) + "' takes " +
                               (option == kFallback ? "default or regional" : "auto, on or off") +
                               ", not '" + argument + "'",
                           shape.command);
      }
      continue;
    }
    const std::string_view what =
        option == kDefault ? "the default locale name" : "the locale name";
    if (auto error = check_locale_text(what, argument, shape.command)) {
      return std::unexpected(std::move(*error));
    }
    if (option == kDefault) {
      parsed.default_locale = std::move(argument);
    } else if (std::find(parsed.locales.begin(), parsed.locales.end(), argument) ==
               parsed.locales.end()) {
      parsed.locales.push_back(std::move(argument));
    }
  }

  if (parsed.operands.size() < shape.operand_count) {
    return usage_error("missing " + std::string(shape.operands[parsed.operands.size()]),
                       shape.command);
  }
  if (shape.command == Command::Load) {
    if (auto error = check_locale_text("the locale name", parsed.operands[1], shape.command)) {
      return std::unexpected(std::move(*error));
    }
  }
  return parsed;
}

}  // namespace

std::string_view command_name(Command command) noexcept {
  if (command == Command::Help) return "help";
  if (command == Command::Version) return "--version";
  return shape_of(command)->name;
}

std::optional<Command> command_from_name(std::string_view name) noexcept {
  for (const CommandShape& shape : kShapes) {
    if (shape.name == name) return shape.command;
  }
  return std::nullopt;
}

std::expected<Arguments, UsageError> parse_arguments(std::span<const char* const> args) {
  if (args.empty()) return usage_error("no command given", std::nullopt);
  const std::string_view first = args[0];
  const auto rest = args.subspan(1);
  if (first == "help" || is_help_flag(first)) return parse_help(rest);
  if (first == "--version") {
    if (!rest.empty()) return usage_error("--version takes no arguments", std::nullopt);
    Arguments parsed;
    parsed.command = Command::Version;
    return parsed;
  }
  const auto command = command_from_name(first);
  if (!command) {
    const std::string what = first.starts_with("-") ? "unknown option '" : "unknown command '";
    return usage_error(what + std::string(first) + "'", std::nullopt);
  }
  return parse_command(*shape_of(*command), rest);
}

}  // namespace tarnevo::cli
