#include "check/text_report.hpp"

#include <string_view>

namespace tarnevo::cli {
namespace {

std::string count_of(std::size_t count, std::string_view one, std::string_view many) {
  std::string text = std::to_string(count);
  text.push_back(' ');
  text.append(count == 1 ? one : many);
  return text;
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

std::string join_list(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    if (!text.empty()) text.append(", ");
    text.append(item);
  }
  return text;
}

// One finding per line: two spaces, the kind in a column of 13, the key and what is wrong there.
std::string& line(std::string& text, std::string_view kind, const std::string& key) {
  text.append("  ").append(kind).append(13 - kind.size(), ' ').append(key);
  return text;
}

// The findings that fail only with --strict, as count phrases.
std::vector<std::string> strict_only_counts(const CheckReport& report) {
  std::vector<std::string> phrases;
  if (const std::size_t n = report.blank_strings()) {
    phrases.push_back(count_of(n, "blank string", "blank strings"));
  }
  if (const std::size_t n = report.plural_gaps()) {
    phrases.push_back(count_of(n, "plural gap", "plural gaps"));
  }
  if (const std::size_t n = report.shape_mismatches()) {
    phrases.push_back(count_of(n, "shape mismatch", "shape mismatches"));
  }
  if (const std::size_t n = report.shadowed_keys()) {
    phrases.push_back(count_of(n, "shadowed key", "shadowed keys"));
  }
  return phrases;
}

void append_key_lines(const LocaleCheck& locale, const std::string& default_name,
                      std::string& text) {
  if (locale.keys) {
    for (const std::string& key : locale.keys->missing) line(text, "missing", key) += '\n';
    for (const std::string& key : locale.keys->extra) line(text, "extra", key) += '\n';
    for (const KeyConflict& conflict : locale.keys->conflicts) {
      line(text, "conflict", conflict.key).append(" (");
      if (conflict.default_has_object) {
        text.append("keys below it in ").append(default_name).append(", a value in ");
      } else {
        text.append("a value in ").append(default_name).append(", keys below it in ");
      }
      text.append(locale.reading.name).append(")\n");
    }
  }
  const Findings& findings = locale.findings;
  for (const std::string& key : findings.blank) line(text, "blank", key) += '\n';
  for (const PlaceholderFinding& finding : findings.placeholders) {
    line(text, "placeholder", finding.key).append(": ");
    const PlaceholderDiff& diff = finding.diff;
    if (!diff.missing.empty()) text.append("missing ").append(join_list(diff.missing));
    if (!diff.missing.empty() && !diff.unexpected.empty()) text.append("; ");
    if (!diff.unexpected.empty()) text.append("unexpected ").append(join_list(diff.unexpected));
    text += '\n';
  }
  for (const IcuSyntaxFinding& finding : findings.icu_syntax) {
    line(text, "icu-syntax", finding.key).append(": ").append(finding.reason) += '\n';
  }
  for (const DroppedSelector& dropped : findings.dropped_selectors) {
    line(text, "dropped", dropped.key).append(": ").append(join_list(dropped.arguments)) += '\n';
  }
  for (const PluralGap& gap : findings.plurals) {
    line(text, "plural", gap.key).append(":");
    if (!gap.missing.empty()) text.append(" missing ").append(join_list(gap.missing));
    if (!gap.missing.empty() && !gap.unexpected.empty()) text.append(";");
    if (!gap.unexpected.empty()) text.append(" unexpected ").append(join_list(gap.unexpected));
    text += '\n';
  }
  for (const ShapeFinding& shape : findings.shapes) {
    line(text, "shape", shape.key).append(": ").append(shape.locale).append(", ");
    text.append(default_name).append(" has ").append(shape.fallback) += '\n';
  }
  for (const ShadowedKey& shadowed : findings.shadowed) {
    line(text, "shadowed", shadowed.key).append(": ").append(shadowed.files.front());
    const std::vector<std::string> others(shadowed.files.begin() + 1, shadowed.files.end());
    text.append(" wins over ").append(join_list(others)) += '\n';
  }
}

void append_counts(const LocaleCheck& locale, std::string& text) {
  const auto add = [&](std::size_t count, std::string_view one, std::string_view many) {
    if (count != 0) text.append(", ").append(count_of(count, one, many));
  };
  if (locale.keys) {
    add(locale.keys->missing.size(), "missing", "missing");
    add(locale.keys->extra.size(), "extra", "extra");
    add(locale.keys->conflicts.size(), "conflict", "conflicts");
  }
  const Findings& findings = locale.findings;
  add(findings.blank.size(), "blank", "blank");
  add(findings.placeholders.size(), "placeholder mismatch", "placeholder mismatches");
  add(findings.icu_syntax.size(), "ICU syntax error", "ICU syntax errors");
  add(findings.dropped_selectors.size(), "dropped selector", "dropped selectors");
  add(findings.plurals.size(), "plural gap", "plural gaps");
  add(findings.shapes.size(), "shape mismatch", "shape mismatches");
  add(findings.shadowed.size(), "shadowed key", "shadowed keys");
}

void append_locale(const LocaleCheck& locale, const CheckReport& report, std::string& text) {
  const LocaleReading& reading = locale.reading;
  text.append(reading.name);
  if (locale.is_default) text.append(" (default)");
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
  append_counts(locale, text);
  text += '\n';
  append_key_lines(locale, report.default_locale, text);
}

void append_summary(const CheckReport& report, std::string& text) {
  const std::size_t failing = report.failing_file_count();
  const std::size_t lacking = report.locales_lacking_keys();
  const std::vector<std::string> strict_only = strict_only_counts(report);
  if (report.passed()) {
    text.append("OK: ").append(count_of(report.file_count(), "file", "files")).append(" in ");
    text.append(count_of(report.locales.size(), "locale", "locales")).append(" read");
    if (lacking != 0) {
      text.append("; ").append(count_of(lacking, "locale lacks", "locales lack"));
      text.append(" keys, which loading fills from ").append(report.default_locale);
    }
    if (!strict_only.empty()) {
      text.append("; --strict fails on ").append(join_phrases(strict_only));
    }
    text.append(".\n");
    return;
  }
  if (!report.default_found) {
    text.append("FAILED: Locale not found: ").append(report.default_locale);
    text.append(" (the default locale; name another with --default)\n");
  }
  for (const std::string& name : report.not_found) {
    text.append("FAILED: Locale not found: ").append(name).append(" (named by --locale)\n");
  }
  if (failing != 0) {
    text.append("FAILED: ").append(std::to_string(failing)).append(" of ");
    text.append(count_of(report.file_count(), "file", "files")).append(" failed to read.\n");
  }
  if (const std::size_t mismatches = report.placeholder_mismatches()) {
    text.append("FAILED: ");
    text.append(
        count_of(mismatches, "string's placeholders differ", "strings' placeholders differ"));
    text.append(" from ").append(report.default_locale).append("'s.\n");
  }
  if (const std::size_t errors = report.icu_syntax_errors()) {
    text.append("FAILED: ");
    text.append(count_of(errors, "string does not", "strings do not"));
    text.append(" read as ICU MessageFormat where ").append(report.default_locale);
    text.append("'s do.\n");
  }
  if (report.strict && lacking != 0) {
    text.append("FAILED (--strict): ").append(count_of(lacking, "locale lacks", "locales lack"));
    text.append(" keys of ").append(report.default_locale).append(".\n");
  }
  if (report.strict && !strict_only.empty()) {
    text.append("FAILED (--strict): ").append(join_phrases(strict_only)).append(".\n");
  }
}

}  // namespace

std::string render_check_text(const CheckReport& report) {
  std::string text;
  for (const LocaleCheck& locale : report.locales) {
    for (const FileFailure& failure : locale.reading.failures) {
      text.append(failure.path).append(": ").append(failure.message);
      // A TOML message already ends its last line.
      if (!text.ends_with('\n')) text += '\n';
    }
  }
  if (!text.empty()) text += '\n';
  if (report.locales.empty() && report.not_found.empty()) {
    text.append("No locale files in ").append(report.directory).append(".\n");
  }
  // The default locale first: the others are described against it.
  for (const LocaleCheck& locale : report.locales) {
    if (locale.is_default) append_locale(locale, report, text);
  }
  for (const LocaleCheck& locale : report.locales) {
    if (!locale.is_default) append_locale(locale, report, text);
  }
  text += '\n';
  append_summary(report, text);
  return text;
}

}  // namespace tarnevo::cli
