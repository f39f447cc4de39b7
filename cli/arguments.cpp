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
  kExclude = 64,
  kRootKey = 128,
  kShow = 256,
  kOnly = 512,
  kFallback = 1024,
  kFormat = 2048,
  kConfig = 4096,
  kNoConfig = 8192,
};

constexpr unsigned kTakesValue = kDefault | kLocale | kIgnore | kExclude | kRootKey | kShow |
                                 kOnly | kFallback | kFormat | kConfig;

struct CommandShape {
  Command command;
  std::string_view name;
  // The operands' names, in order; every one is required.
  std::array<std::string_view, 2> operands;
  std::size_t operand_count;
  unsigned options;
  // The last operand may be repeated (check DIR...).
  bool repeats_last = false;
};

constexpr std::array<CommandShape, 3> kShapes = {{
    {Command::Languages, "languages", {"DIR", ""}, 1, kJson},
    {Command::Load,
     "load",
     {"DIR", "LOCALE"},
     2,
     kDefault | kPretty | kStrict | kFallback | kRootKey},
    {Command::Check,
     "check",
     {"DIR", ""},
     // DIR may come from the settings file instead (run_check says when it does not).
     0,
     kDefault | kJson | kStrict | kLocale | kIgnore | kExclude | kRootKey | kShow | kOnly |
         kFallback | kFormat | kConfig | kNoConfig,
     true},
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

// What an option's value is, for the message when it is left out.
std::string_view value_name(unsigned option) noexcept {
  switch (option) {
    case kIgnore:
      return "a key pattern";
    case kExclude:
      return "a file pattern";
    case kRootKey:
      return "auto, on or off";
    case kFallback:
      return "default or regional";
    case kFormat:
      return "text, json, github or sarif";
    case kConfig:
      return "a file path";
    case kShow:
    case kOnly:
      return "kind names";
    default:
      break;
  }
  return "a locale name";
}

// --exclude, --root-key, --fallback, --show and --only; false when `option` is none of them.
std::expected<bool, std::string> parse_check_value(unsigned option, const std::string& value,
                                                   Arguments& parsed) {
  if (option == kExclude) {
    auto pattern = KeyPattern::parse_path_glob(value);
    if (!pattern) return std::unexpected("--exclude '" + value + "': " + pattern.error());
    parsed.exclude.push_back(std::move(*pattern));
    return true;
  }
  if (option == kRootKey) {
    if (value == "auto")
      parsed.loader_options.root_key = RootKey::Auto;
    else if (value == "on")
      parsed.loader_options.root_key = RootKey::On;
    else if (value == "off")
      parsed.loader_options.root_key = RootKey::Off;
    else
      return std::unexpected("--root-key '" + value + "': give auto, on or off");
    return true;
  }
  if (option == kFallback) {
    if (value == "default")
      parsed.loader_options.fallback = Fallback::Default;
    else if (value == "regional")
      parsed.loader_options.fallback = Fallback::Regional;
    else
      return std::unexpected("--fallback '" + value + "': give default or regional");
    return true;
  }
  if (option == kConfig) {
    parsed.config = value;
    return true;
  }
  if (option == kFormat) {
    if (value == "text")
      parsed.format = ReportFormat::Text;
    else if (value == "json")
      parsed.format = ReportFormat::Json;
    else if (value == "github")
      parsed.format = ReportFormat::Github;
    else if (value == "sarif")
      parsed.format = ReportFormat::Sarif;
    else
      return std::unexpected("--format '" + value + "': give text, json, github or sarif");
    return true;
  }
  if (option != kShow && option != kOnly) return false;
  auto kinds = KindSet::parse(value);
  const std::string_view name = option == kShow ? "--show" : "--only";
  if (!kinds) return std::unexpected(std::string(name) + " '" + value + "': " + kinds.error());
  KindSet& target = option == kShow ? parsed.show : parsed.only;
  // The first --only replaces "every kind"; later ones add to it.
  if (option == kOnly && target == KindSet::all() && !parsed.only_given) target = KindSet();
  if (option == kOnly) parsed.only_given = true;
  for (std::size_t i = 0; i < kFindingKindCount; ++i) {
    if (kinds->has(static_cast<FindingKind>(i))) target.add(static_cast<FindingKind>(i));
  }
  return true;
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
  // check finds root-keyed directories by itself unless told; the loader keeps files as they
  // are unless asked.
  if (shape.command == Command::Check) parsed.loader_options.root_key = RootKey::Auto;
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
      if (parsed.operands.size() == shape.operand_count && !shape.repeats_last) {
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
    if (name == "--exclude") option = kExclude;
    if (name == "--root-key") option = kRootKey;
    if (name == "--show") option = kShow;
    if (name == "--only") option = kOnly;
    if (name == "--fallback") option = kFallback;
    if (name == "--format") option = kFormat;
    if (name == "--config") option = kConfig;
    if (name == "--no-config") option = kNoConfig;
    if ((shape.options & option) == 0) {
      return usage_error(
          "unknown option '" + std::string(name) + "' for '" + std::string(shape.name) + "'",
          shape.command);
    }
    parsed.given.emplace_back(name);
    if ((option & kTakesValue) == 0) {
      if (has_value) {
        return usage_error("option '" + std::string(name) + "' takes no value", shape.command);
      }
      if (option == kPretty) parsed.pretty = true;
      if (option == kJson) {
        parsed.json = true;
        parsed.format = ReportFormat::Json;
      }
      if (option == kStrict) parsed.strict = true;
      if (option == kNoConfig) parsed.no_config = true;
      continue;
    }
    std::string argument;
    if (has_value) {
      argument = std::string(value);
    } else if (i + 1 < rest.size()) {
      argument = rest[++i];
    } else {
      return usage_error(
          "option '" + std::string(name) + "' needs " + std::string(value_name(option)),
          shape.command);
    }
    if (auto handled = parse_check_value(option, argument, parsed); !handled) {
      return usage_error(std::move(handled.error()), shape.command);
    } else if (*handled) {
      continue;
    }
    if (option == kIgnore) {
      auto pattern = KeyPattern::parse(argument);
      if (!pattern) {
        return usage_error("--ignore '" + argument + "': " + pattern.error(), shape.command);
      }
      parsed.ignore.push_back(std::move(*pattern));
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
