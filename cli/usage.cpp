#include "usage.hpp"

namespace tarnevo::cli {
namespace {

constexpr std::string_view kUsageAll =
    "Usage: tarnevo languages DIR [--json]\n"
    "       tarnevo load DIR LOCALE [--default LOC] [--pretty] [--strict] [--fallback F]\n"
    "                        [--root-key R]\n"
    "       tarnevo check [DIR...] [--default LOC] [--format F] [--strict] [--locale L]...\n"
    "                         [--ignore P]... [--exclude GLOB]... [--root-key MODE] [--show "
    "KINDS]\n"
    "                         [--only KINDS] [--fallback F] [--config FILE | --no-config]\n"
    "       tarnevo help [COMMAND]\n"
    "       tarnevo --version\n";

constexpr std::string_view kUsageLanguages = "Usage: tarnevo languages DIR [--json]\n";
constexpr std::string_view kUsageLoad =
    "Usage: tarnevo load DIR LOCALE [--default LOC] [--pretty] [--strict] [--fallback F]\n"
    "                        [--root-key R]\n";
constexpr std::string_view kUsageCheck =
    "Usage: tarnevo check [DIR...] [--default LOC] [--format F] [--strict] [--locale L]...\n"
    "                         [--ignore P]... [--exclude GLOB]... [--root-key MODE] [--show "
    "KINDS]\n"
    "                         [--only KINDS] [--fallback F] [--config FILE | --no-config]\n";

constexpr std::string_view kOverview =
    "tarnevo: loads an application's translations from a locale directory\n"
    "(JSON, YAML and TOML files; en.json at the top, or any files under en/).\n"
    "\n"
    "Usage: tarnevo languages DIR [--json]\n"
    "       tarnevo load DIR LOCALE [--default LOC] [--pretty] [--strict] [--fallback F]\n"
    "                        [--root-key R]\n"
    "       tarnevo check [DIR...] [--default LOC] [--format F] [--strict] [--locale L]...\n"
    "                         [--ignore P]... [--exclude GLOB]... [--root-key MODE] [--show "
    "KINDS]\n"
    "                         [--only KINDS] [--fallback F] [--config FILE | --no-config]\n"
    "       tarnevo help [COMMAND]\n"
    "       tarnevo --version\n"
    "\n"
    "Commands:\n"
    "  languages  List the locales found in DIR, one per line, in byte order.\n"
    "  load       Print LOCALE as JSON, completed from the default locale, or the default\n"
    "             locale itself when LOCALE cannot be loaded.\n"
    "  check      Read every locale file in DIR and report the files that fail, and for each\n"
    "             locale what differs from the default locale: keys, placeholders, plural\n"
    "             forms, shapes, blank strings; and keys that two files of a locale both give.\n"
    "  help       Show this text, or one command's details.\n"
    "\n"
    "Options:\n"
    "  --default LOC  The default locale (en when not given).\n"
    "  --pretty       load: indent the JSON by two spaces.\n"
    "  --json         languages, check: machine-readable JSON output.\n"
    "  --format F     check: text, json, github (annotations) or sarif.\n"
    "  --strict       check: also fail on missing keys, blank strings, plural gaps, shape\n"
    "                 mismatches and shadowed keys; load: fail instead of printing the\n"
    "                 default locale in LOCALE's place.\n"
    "  --fallback F   load, check: default, or regional (fr_CA, then fr, then the default).\n"
    "  --root-key R   load: off, on or auto: read files nesting under their locale's name\n"
    "                 beneath that key.\n"
    "  --locale L     check: check only L (repeatable).\n"
    "  --ignore P     check: leave key paths matching P out (repeatable; * within a\n"
    "                 segment, ** across segments).\n"
    "  --exclude G    check: leave files matching G (relative to DIR) out (repeatable).\n"
    "  --root-key M   check: auto, on or off: read each file beneath a key naming its locale.\n"
    "  --show K,...   check: list these kinds of finding in full (or all).\n"
    "  --only K,...   check: report only these kinds; only they can fail.\n"
    "  -h, --help     Show help.\n"
    "\n"
    "Exit status: 0 success; 1 a loader error or, for check, a file that fails or a\n"
    "placeholder mismatch; 2 a mistake on the command line.\n";

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
    "Usage: tarnevo load DIR LOCALE [--default LOC] [--pretty] [--strict] [--fallback F]\n"
    "                        [--root-key R]\n"
    "\n"
    "Prints LOCALE as one line of compact JSON, exactly the text that the C function\n"
    "tarnevo_load_json returns: all of the locale's files joined, keys that it lacks and its\n"
    "null values taken from the default locale. When LOCALE is not in DIR or one of its files\n"
    "fails, the default locale is printed instead, and standard error says why.\n"
    "\n"
    "  --default LOC  The default locale (en when not given).\n"
    "  --pretty       Indent by two spaces, one member or element per line.\n"
    "  --strict       When LOCALE is not in DIR or a file of it fails, print nothing, give\n"
    "                 the reason on standard error and exit with 1.\n"
    "  --fallback F   default (the default locale alone) or regional: LOCALE's tag cut back\n"
    "                 one subtag at a time first (fr_CA, fr, then the default; - and _ both\n"
    "                 separate subtags), for fallback and for filling, nearest first.\n"
    "  --root-key R   off (files as they are), on (a file whose one key names its locale is\n"
    "                 read beneath it: de.yml holding de: {...}) or auto (on when every file\n"
    "                 of the default locale is laid out so). off when not given.\n"
    "\n"
    "Exit status: 0; 1 when DIR is not a directory, neither LOCALE nor the default locale\n"
    "loads (the loader's message goes to standard error), or (--strict) LOCALE does not load.\n";

constexpr std::string_view kCheckHelp =
    "Usage: tarnevo check [DIR...] [--default LOC] [--format F] [--strict] [--locale L]...\n"
    "                         [--ignore P]... [--exclude GLOB]... [--root-key MODE] [--show "
    "KINDS]\n"
    "                         [--only KINDS] [--fallback F] [--config FILE | --no-config]\n"
    "\n"
    "Reads every file of every locale in DIR and reports what it finds, by kind. A key is the\n"
    "dotted path of a leaf value; every locale but the default one is compared with the default\n"
    "locale at the same key.\n"
    "  failure      a file that does not read (its path and the loader's message)   fails\n"
    "  placeholder  placeholders missing or unexpected: {name} {0} {{name}} %{name}  fails\n"
    "               %(name)s %s %d %1$s (in a plural group, {count} may differ)\n"
    "  icu-syntax   a string that does not read as ICU MessageFormat where the\n"
    "               default's does                                                    fails\n"
    "  missing      keys it lacks or holds as null, which loading fills from the\n"
    "               default; or a value on one side and keys below it on the other\n"
    "  extra        keys the default lacks                                            never\n"
    "  blank        empty or white-space strings where the default's is not\n"
    "  plural       plural groups lacking categories that CLDR gives the locale's\n"
    "               language, or holding ones it does not have\n"
    "  shape        a string, number, boolean or array where the default has another,\n"
    "               or an array of another length\n"
    "  shadowed     keys that more than one file of the locale gives; the first file\n"
    "               the loader reads wins, which follows the directory's listing order\n"
    "  not-object   a file at the top of DIR holding a list or a single value: it adds\n"
    "               nothing\n"
    "  root-key     in a root-keyed directory, a file whose one key names another locale\n"
    "  selector     an argument the default uses only to choose a plural or select form,\n"
    "               left out by the translation                                       never\n"
    "Kinds not marked fail only with --strict. Findings that fail are listed in full; other\n"
    "kinds are counted with three examples. A locale whose language CLDR does not know is\n"
    "marked in its header. A key segment holding a full stop is quoted: a.\"b.c\".d\n"
    "\n"
    "  --default LOC  The default locale to compare with (en when not given).\n"
    "  --format F     text (default); json: one JSON object (its shape is in the README; --json\n"
    "                 is the same); github: GitHub Actions annotations; sarif: a SARIF 2.1.0\n"
    "                 log for code scanning. Each finding gives its file, line and column.\n"
    "  --strict       Also fail on the kinds not marked above.\n"
    "  --locale L     Check only L (repeatable); the default locale is read to compare with.\n"
    "  --ignore P     Leave key paths matching P out of every finding (repeatable): * matches\n"
    "                 within one segment, ** any number of segments, and a pattern that\n"
    "                 matches an object leaves out everything below it.\n"
    "  --exclude GLOB Leave files out before anything is read (repeatable); GLOB is matched\n"
    "                 against the path below DIR: * within a folder or name, ** any folders.\n"
    "  --root-key M   auto (default): when every file of the default locale holds one key\n"
    "                 naming it (en.yml holding en: ...), compare each locale beneath its\n"
    "                 key; on: always; off: never.\n"
    "  --show KINDS   List these kinds in full (comma-separated, or all).\n"
    "  --only KINDS   Check and report only these kinds; only they can fail the run.\n"
    "  --fallback F   default, or regional: a key that the locale's regional parent gives\n"
    "                 (fr for fr_CA) is inherited, counted apart, and not missing.\n"
    "  --config FILE  Take settings from FILE. Otherwise tarnevo.toml, or [tool.tarnevo] in\n"
    "                 pyproject.toml, in the working directory or the nearest parent that has\n"
    "                 one: the options above by name, directories = [...] for DIR, and\n"
    "                 [severity] with error, warning or off per kind. Options given win.\n"
    "  --no-config    Read no settings file.\n"
    "Several DIRs are each reported in turn (one SARIF run holds them all); the exit\n"
    "status is the worst.\n"
    "\n"
    "Exit status: 0 when nothing fails; 1 when a finding fails the run, the default locale or\n"
    "a --locale is not in DIR, the default locale has no keys, or DIR is not a directory;\n"
    "2 a mistake on the command line or in the settings file.\n";

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
