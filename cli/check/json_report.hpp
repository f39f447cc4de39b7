// The report of `tarnevo check --json`: one JSON object, for tools.
#pragma once

#include "check/report.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// The report as a tree, written with the library's own JSON writer (keys in byte order):
//   {"default_found": bool, "default_locale": str, "directory": str,
//    "failures": [{"error": str, "locale": str, "path": str}, ...],
//    "locales": [{"name": str, "default": bool, "files": n, "failing_files": n, "loads": bool,
//                 "keys": n,
//                 and, unless it is the default or the default is missing:
//                 "missing": [str], "extra": [str], "conflicts": [str],
//                 "default_keys": n, "provided": n, "completeness": float}, ...],
//    "ok": bool, "strict": bool}
LocaleValue check_report_tree(const CheckReport& report);

}  // namespace tarnevo::cli
