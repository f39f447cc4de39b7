#include "usage.hpp"

namespace tarnevo::cli {
namespace {

constexpr std::string_view kUsageAll =
    "Usage: tarnevo languages DIR [--json]\n"
    "       tarnevo load DIR LOCALE [--default LOC] [--pretty]\n"
    "       tarnevo check DIR [--default LOC] [--json] [--strict]\n"
    "       tarnevo help [COMMAND]\n"
    "       tarnevo --version\n";

constexpr std::string_view kUsageLanguages = "Usage: tarnevo languages DIR [--json]\n";
constexpr std::string_view kUsageLoad =
    "Usage: tarnevo load DIR LOCALE [--default LOC] [--pretty]\n";
constexpr std::string_view kUsageCheck =
    "Usage: tarnevo check DIR [--default LOC] [--json] [--strict]\n";

constexpr std::string_view kOverview =
    "tarnevo: loads an application's translations from a locale directory\n"
    "(JSON, YAML and TOML files; en.json at the top, or any files under en/).\n"
    "\n"
    "Usage: tarnevo languages DIR [--json]\n"
    "       tarnevo load DIR LOCALE [--default LOC] [--pretty]\n"
    "       tarnevo check DIR [--default LOC] [--json] [--strict]\n"
    "       tarnevo help [COMMAND]\n"
    "       tarnevo --version\n"
    "\n"
    "Commands:\n"
    "  languages  List the locales found in DIR, one per line, in byte order.\n"
    "  load       Print LOCALE as JSON, completed from the default locale, or the default\n"
    "             locale itself when LOCALE cannot be loaded.\n"
    "  check      Read every locale file in DIR and report the files that fail, and for each\n"
    "             locale the keys it lacks or adds compared with the default locale.\n"
    "  help       Show this text, or one command's details.\n"
    "\n"
    "Options:\n"
    "  --default LOC  The default locale (en when not given).\n"
    "  --pretty       load: indent the JSON by two spaces.\n"
    "  --json         languages, check: machine-readable JSON output.\n"
    "  --strict       check: also fail when a locale lacks keys of the default locale.\n"
    "  -h, --help     Show help.\n"
    "\n"
    "Exit status: 0 success; 1 a loader error or, for check, a file that fails;\n"
    "2 a mistake on the command line.\n";

constexpr std::string_view kLanguagesHelp =
    "Usage: tarnevo languages DIR [--json]\n"
    "\n"
    "Lists the locales that DIR holds, one name per line, in ascending byte order (EN before\n"
    "de before en). A locale is a file at the top of DIR (en.json, fr_FR.yaml) or a\n"
    "sub-directory holding at least one .json, .yaml, .yml or .toml file (en/common.json).\n"
    "\n"
    "  --json  Print the names as one JSON array instead: [\"de\",\"en\"].\n"
    "\n"
    "Exit status: 0, or 1 when DIR is not a directory.\n";

constexpr std::string_view kLoadHelp =
    "Usage: tarnevo load DIR LOCALE [--default LOC] [--pretty]\n"
    "\n"
    "Prints LOCALE as one line of compact JSON, exactly the text that the C function\n"
    "tarnevo_load_json returns: all of the locale's files joined, keys that it lacks and its\n"
    "null values taken from the default locale. When LOCALE is not in DIR or one of its files\n"
    "fails, the default locale is printed instead.\n"
    "\n"
    "  --default LOC  The default locale (en when not given).\n"
    "  --pretty       Indent by two spaces, one member or element per line.\n"
    "\n"
    "Exit status: 0; 1 when DIR is not a directory or neither LOCALE nor the default locale\n"
    "loads (the loader's message goes to standard error).\n";

constexpr std::string_view kCheckHelp =
    "Usage: tarnevo check DIR [--default LOC] [--json] [--strict]\n"
    "\n"
    "Reads every file of every locale in DIR and reports each file that fails, with its path\n"
    "and the loader's message. Then, for every locale but the default one: the keys (dotted\n"
    "paths of leaf values) that the default locale has and it lacks (or holds as null), which\n"
    "loading fills from the default locale; the keys it has that the default locale lacks; the\n"
    "keys where one holds a value and the other an object (conflicts, never filled); and the\n"
    "share of the default locale's keys that it provides itself.\n"
    "\n"
    "  --default LOC  The default locale to compare with (en when not given).\n"
    "  --json         Print the report as one JSON object (its shape is in the README).\n"
    "  --strict       Also fail when a locale lacks keys of the default locale.\n"
    "\n"
    "Exit status: 0 when every file reads; 1 when a file fails, the default locale is not in\n"
    "DIR, DIR is not a directory, or (--strict) a locale lacks keys.\n";

}  // namespace

std::string_view overview_help() noexcept {
  return kOverview;
}

std::string_view command_help(Command command) noexcept {
  switch (command) {
    case Command::Languages:
      return kLanguagesHelp;
    case Command::Load:
      return kLoadHelp;
    case Command::Check:
      return kCheckHelp;
    case Command::Help:
    case Command::Version:
      break;
  }
  return kOverview;
}

std::string_view usage_lines(Command command) noexcept {
  switch (command) {
    case Command::Languages:
      return kUsageLanguages;
    case Command::Load:
      return kUsageLoad;
    case Command::Check:
      return kUsageCheck;
    case Command::Help:
    case Command::Version:
      break;
  }
  return kUsageAll;
}

std::string_view usage_lines() noexcept {
  return kUsageAll;
}

}  // namespace tarnevo::cli
