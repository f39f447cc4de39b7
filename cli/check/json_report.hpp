// The report of `tarnevo check --json`: one JSON object, for tools.
#pragma once

#include "check/report.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// The report as a tree, written with the library's own JSON writer (keys in byte order):
//   {"default_found": bool, "default_locale": str, "directory": str,
//    "failures": [{"error": str, "locale": str, "path": str,
//                  and when the message names one: "line": n, "column": n}, ...],
//    "locales": [{"name": str, "default": bool, "files": n, "failing_files": n, "loads": bool,
//                 "keys": n, "plural_categories": [str] or null,
//                 "plurals": [{"key": str, "missing": [str]}],
//                 "shadowed": [{"key": str, "files": [str], "wins": str}],
//                 and, unless it is the default or the default is missing:
//                 "missing": [str], "extra": [str], "conflicts": [str],
//                 "default_keys": n, "provided": n, "completeness": float,
//                 "placeholders": [{"key": str, "missing": [str], "unexpected": [str]}],
//                 "shapes": [{"key": str, "locale": str, "default": str}],
//                 "blank": [{"key": str}]}, ...],
//    "locales_not_found": [str], "ok": bool, "strict": bool}
LocaleValue check_report_tree(const CheckReport& report);

}  // namespace tarnevo::cli
