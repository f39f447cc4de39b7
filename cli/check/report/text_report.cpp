#include "check/report/text_report.hpp"

#include <array>
#include <string_view>

namespace tarnevo::cli {
namespace {

// A kind counted with at most this many examples when its findings are not listed in full.
constexpr std::size_t kExamples = 3;

std::string count_of(std::size_t count, std::string_view one, std::string_view many) {
  std::string text = std::to_string(count);
  text.push_back(' ');
  text.append(count == 1 ? one : many);
  return text;
}

std::string count_of(std::size_t count, FindingKind kind) {
  return count_of(count, kind_info(kind).one, kind_info(kind).many);
}

std::string percent(std::size_t tenths) {
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + "%";
}

// "a", "a and b", "a, b and c".
std::string join_phrases(const std::vector<std::string>& phrases) {
  std::string text;
  for (std::size_t i = 0; i < phrases.size(); ++i) {
    if (i != 0) text.append(i + 1 == phrases.size() ? " and " : ", ");
    text.append(phrases[i]);
  }
  return text;
}

const std::string& subject(const Finding& finding) {
  return finding.key.empty() ? finding.file : finding.key;
}

// Two spaces, the kind in a column of 13, then what the line is about.
std::string& kind_column(std::string& text, FindingKind kind) {
  const std::string_view name = kind_info(kind).name;
  return text.append("  ").append(name).append(name.size() < 13 ? 13 - name.size() : 1, ' ');
}

// Ends a finding's line with where it is written, as editors and terminals follow it:
// `path:line:column` (a missing key at its definition in the default locale).
void append_place(const Finding& finding, std::string& text) {
  if (finding.line == 0) return;
  text.append(finding.kind == FindingKind::Missing && finding.message.empty() ? "  defined at "
                                                                              : "  ");
  text.append(finding.file).append(":").append(std::to_string(finding.line));
  text.append(":").append(std::to_string(finding.column));
}

void append_finding(const Finding& finding, std::string& text) {
  kind_column(text, finding.kind).append(subject(finding));
  if (!finding.message.empty()) text.append(": ").append(finding.message);
  append_place(finding, text);
  text += '\n';
}

// One kind's findings in one locale: in full when they fail the run, when --show names the
// kind, or when there are no more than the examples would show; else a count, the first
// examples and how to see them all.
bool listed_in_full(std::span<const Finding> group, KindSet show) {
  return group.front().fails || show.has(group.front().kind) || group.size() <= kExamples;
}

void append_kind(std::span<const Finding> group, KindSet show, std::string& text) {
  const FindingKind kind = group.front().kind;
  if (listed_in_full(group, show)) {
    for (const Finding& finding : group) append_finding(finding, text);
    return;
  }
  kind_column(text, kind).append(std::to_string(group.size())).append(": ");
  for (std::size_t i = 0; i < kExamples; ++i) {
    text.append(subject(group[i])).append(", ");
  }
  text.append("... (--show ").append(kind_info(kind).name).append(" for all ");
  text.append(std::to_string(group.size())).append(")\n");
}

void append_header(const LocaleCheck& locale, const CheckReport& report,
                   std::span<const Finding> findings, std::string& text) {
  const LocaleReading& reading = locale.reading;
  text.append(reading.name);
  if (locale.is_default) text.append(" (default)");
  if (!locale.known_to_cldr()) text.append(" (not a locale CLDR knows)");
  text.append(": ").append(count_of(reading.file_count, "file", "files"));
  if (!reading.loads()) {
    text.append(" (").append(std::to_string(reading.failures.size())).append(" failing: loading ");
    text.append(reading.name);
    if (locale.is_default) {
      text.append(" fails, and no locale is filled from it)");
    } else if (report.default_loads) {
      text.append(" gives ").append(report.default_locale).append(" instead)");
    } else {
      text.append(" fails)");
    }
  }
  if (!locale.keys) {
    text.append(", ").append(count_of(locale.own_keys, "key", "keys"));
  } else {
    const KeyDiff& keys = *locale.keys;
    text.append(", ").append(std::to_string(keys.provided)).append(" of ");
    text.append(count_of(keys.default_keys, "key", "keys"));
    text.append(" (").append(percent(keys.completeness_tenths())).append(")");
  }
  if (!locale.inherited.empty()) {
    text.append(", ").append(std::to_string(locale.inherited.size())).append(" inherited from ");
    text.append(join_phrases(locale.inherited_from));
  }
  for (std::size_t i = 0; i < findings.size();) {
    std::size_t end = i;
    while (end < findings.size() && findings[end].kind == findings[i].kind) ++end;
    // The header already says how many files fail.
    if (findings[i].kind != FindingKind::Failure) {
      text.append(", ").append(count_of(end - i, findings[i].kind));
    }
    i = end;
  }
  text += '\n';
}

void append_locale(const LocaleCheck& locale, const CheckReport& report,
                   std::span<const Finding> findings, KindSet show, std::string& text) {
  append_header(locale, report, findings, text);
  for (std::size_t i = 0; i < findings.size();) {
    std::size_t end = i;
    while (end < findings.size() && findings[end].kind == findings[i].kind) ++end;
    if (findings[i].kind != FindingKind::Failure) {
      append_kind(findings.subspan(i, end - i), show, text);
    }
    i = end;
  }
}

void append_setup_problems(const CheckReport& report, std::string& text) {
  if (!report.default_found) {
    text.append("FAILED: Locale not found: ").append(report.default_locale);
    text.append(" (the default locale; name another with --default)\n");
  }
  for (const std::string& name : report.not_found) {
    text.append("FAILED: Locale not found: ").append(name).append(" (named by --locale)\n");
  }
  if (report.root_keyed) {
    text.append("Root-keyed: each file holds its locale's keys beneath the locale's name, and is ");
    text.append("compared beneath it (--root-key ");
    text.append(report.root_key == RootKey::Auto ? "auto" : "on").append(").\n");
  }
}

std::size_t failing(std::span<const Finding> findings, FindingKind kind) {
  std::size_t count = 0;
  for (const Finding& finding : findings) count += finding.fails && finding.kind == kind;
  return count;
}

void append_summary(const CheckReport& report, std::span<const Finding> findings, bool passed,
                    std::string& text) {
  std::vector<const std::string*> lacking;
  std::array<std::size_t, kFindingKindCount> counts{};
  for (const Finding& finding : findings) {
    ++counts[static_cast<std::size_t>(finding.kind)];
    if (finding.kind == FindingKind::Missing &&
        (lacking.empty() || *lacking.back() != finding.locale)) {
      lacking.push_back(&finding.locale);
    }
  }
  // The kinds that fail under --strict, missing keys aside (said per locale), as count phrases.
  std::vector<std::string> strict_only;
  for (std::size_t i = 0; i < kFindingKindCount; ++i) {
    const auto kind = static_cast<FindingKind>(i);
    if (kind_info(kind).fails == FailsWhen::Strict && kind != FindingKind::Missing &&
        counts[i] != 0) {
      strict_only.push_back(count_of(counts[i], kind));
    }
  }
  if (passed) {
    text.append("OK: ").append(count_of(report.file_count(), "file", "files")).append(" in ");
    text.append(count_of(report.locales.size(), "locale", "locales")).append(" read");
    if (!lacking.empty()) {
      text.append("; ").append(count_of(lacking.size(), "locale lacks", "locales lack"));
      text.append(" keys, which loading fills from ").append(report.default_locale);
    }
    if (!strict_only.empty()) {
      text.append("; --strict fails on ").append(join_phrases(strict_only));
    }
    text.append(".\n");
    return;
  }
  const std::size_t before = text.size();
  if (!report.empty_default.empty()) {
    text.append("FAILED: The default locale ").append(report.default_locale);
    text.append(" has no keys, so nothing can be compared: ");
    std::vector<std::string> notes;
    for (const DefaultFileNote& note : report.empty_default) {
      notes.push_back(note.path + " holds " + note.holds);
    }
    text.append(join_names(notes, "; ")).append(".\n");
  }
  if (const std::size_t files = failing(findings, FindingKind::Failure)) {
    text.append("FAILED: ").append(std::to_string(files)).append(" of ");
    text.append(count_of(report.file_count(), "file", "files")).append(" failed to read.\n");
  }
  if (const std::size_t mismatches = failing(findings, FindingKind::Placeholder)) {
    text.append("FAILED: ");
    text.append(
        count_of(mismatches, "string's placeholders differ", "strings' placeholders differ"));
    text.append(" from ").append(report.default_locale).append("'s.\n");
  }
  if (const std::size_t errors = failing(findings, FindingKind::IcuSyntax)) {
    text.append("FAILED: ").append(count_of(errors, "string does", "strings do"));
    text.append(" not read as ICU MessageFormat where ").append(report.default_locale);
    text.append("'s does.\n");
  }
  if (report.strict && !lacking.empty()) {
    text.append("FAILED (--strict): ");
    text.append(count_of(lacking.size(), "locale lacks", "locales lack"));
    text.append(" keys of ").append(report.default_locale).append(".\n");
  }
  if (report.strict && !strict_only.empty()) {
    text.append("FAILED (--strict): ").append(join_phrases(strict_only)).append(".\n");
  }
  if (text.size() == before) text.append("FAILED: see the first lines.\n");
}

}  // namespace

std::vector<bool> findings_listed_in_text(std::span<const Finding> findings, KindSet show) {
  std::vector<bool> listed(findings.size(), false);
  for (std::size_t i = 0; i < findings.size();) {
    std::size_t end = i;
    while (end < findings.size() && findings[end].kind == findings[i].kind &&
           findings[end].locale == findings[i].locale) {
      ++end;
    }
    // Failing files are listed above the locales, with the position their message gives.
    const bool full = findings[i].kind == FindingKind::Failure ||
                      listed_in_full(findings.subspan(i, end - i), show);
    std::fill(listed.begin() + static_cast<std::ptrdiff_t>(i),
              listed.begin() + static_cast<std::ptrdiff_t>(end), full);
    i = end;
  }
  return listed;
}

std::string render_check_text(const CheckReport& report, std::span<const Finding> findings,
                              KindSet show) {
  std::string text;
  append_setup_problems(report, text);
  for (const Finding& finding : findings) {
    if (finding.kind != FindingKind::Failure) continue;
    text.append(finding.file).append(": ").append(finding.message);
    // A TOML message already ends its last line.
    if (!text.ends_with('\n')) text += '\n';
  }
  if (!text.empty()) text += '\n';
  if (report.locales.empty() && report.not_found.empty()) {
    text.append("No locale files in ").append(report.directory).append(".\n");
  }
  // The default locale first, as the findings are: the others are described against it.
  std::size_t at = 0;
  const auto write = [&](const LocaleCheck& locale) {
    std::size_t end = at;
    while (end < findings.size() && findings[end].locale == locale.reading.name) ++end;
    append_locale(locale, report, findings.subspan(at, end - at), show, text);
    at = end;
  };
  for (const LocaleCheck& locale : report.locales) {
    if (locale.is_default) write(locale);
  }
  for (const LocaleCheck& locale : report.locales) {
    if (!locale.is_default) write(locale);
  }
  text += '\n';
  append_summary(report, findings, check_passes(report, findings), text);
  return text;
}

std::string render_check_summary(const CheckReport& report, std::span<const Finding> findings) {
  std::string text;
  append_summary(report, findings, check_passes(report, findings), text);
  return text;
}

}  // namespace tarnevo::cli
