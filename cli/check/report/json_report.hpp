// The report of `tarnevo check --json`: one JSON object, for tools.
#pragma once

#include <span>

#include "check/finding_list.hpp"
#include "check/report.hpp"
#include "tarnevo/value.hpp"

namespace tarnevo::cli {

// The report as a tree, written with the library's own JSON writer (keys in byte order):
//   {"default_found": bool, "default_locale": str, "directory": str,
//    "failures": [{"error": str, "locale": str, "path": str,
//                  and when the message names one: "line": n, "column": n}, ...],
//    "locales": [{"name": str, "default": bool, "files": n, "failing_files": n, "loads": bool,
//                 "keys": n, "plural_categories": [str] or null,
//                 "plurals": [{"key": str, "kind": str, "missing": [str], "unexpected": [str]}],
//                 "shadowed": [{"key": str, "files": [str], "wins": str}],
//                 and, unless it is the default or the default is missing:
//                 "missing": [place], "extra": [place], "conflicts": [str],
//                 "inherited": n, "inherited_from": [str] (--fallback regional),
//                 "default_keys": n, "provided": n, "completeness": float,
//                 "placeholders": [{"key": str, "missing": [str], "unexpected": [str]}],
//                 "shapes": [{"key": str, "locale": str, "default": str}],
//                 "blank": [{"key": str}]}, ...],
//    "locales_not_found": [str], "ok": bool, "strict": bool,
//    "root_keyed": bool, "only": [kind], "empty_default": [{"path": str, "holds": str}],
//    "findings": [{"kind": str, "locale": str, "key": str, "message": str, "fails": bool,
//                  "file": str ("" when none), "line": n or null, "column": n or null}, ...]}
// A place is {"key": str, "file", "line", "column"}: where the key is written (a missing key
// where the default locale defines it), null where unknown.
// Each locale also gives "known_to_cldr": bool, "not_object": [{"path", "holds"}],
// "root_key": [{"path", "key"}], and beside "placeholders": "icu_syntax": [{"key", "reason"}],
// "dropped_selectors": [{"key", "arguments": [str]}]; each "plurals" element gives "kind"
// ("nested", "suffix", "icu") and "unexpected": [str]. "findings" holds every finding of the
// kinds --only selects, whatever --show says.
LocaleValue check_report_tree(const CheckReport& report, std::span<const Finding> findings);

}  // namespace tarnevo::cli
