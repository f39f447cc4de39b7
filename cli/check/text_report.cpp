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

void append_key_lines(const LocaleCheck& locale, const std::string& default_name,
                      std::string& text) {
  for (const std::string& key : locale.keys->missing)
    text.append("  missing   ").append(key) += '\n';
  for (const std::string& key : locale.keys->extra) text.append("  extra     ").append(key) += '\n';
  for (const KeyConflict& conflict : locale.keys->conflicts) {
    text.append("  conflict  ").append(conflict.key).append(" (");
    if (conflict.default_has_object) {
      text.append("keys below it in ").append(default_name).append(", a value in ");
    } else {
      text.append("a value in ").append(default_name).append(", keys below it in ");
    }
    text.append(locale.reading.name).append(")\n");
  }
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
    } else if (report.default_loads()) {
      text.append(" gives ").append(report.default_locale).append(" instead)");
    } else {
      text.append(" fails)");
    }
  }
  if (!locale.keys) {
    text.append(", ").append(count_of(locale.own_keys, "key", "keys")) += '\n';
    return;
  }
  const KeyDiff& keys = *locale.keys;
  text.append(", ").append(std::to_string(keys.provided)).append(" of ");
  text.append(count_of(keys.default_keys, "key", "keys"));
  text.append(" (").append(percent(keys.completeness_tenths())).append(")");
  if (!keys.missing.empty())
    text.append(", ").append(std::to_string(keys.missing.size())).append(" missing");
  if (!keys.extra.empty())
    text.append(", ").append(std::to_string(keys.extra.size())).append(" extra");
  if (!keys.conflicts.empty()) {
    text.append(", ").append(count_of(keys.conflicts.size(), "conflict", "conflicts"));
  }
  text += '\n';
  append_key_lines(locale, report.default_locale, text);
}

void append_summary(const CheckReport& report, std::string& text) {
  const std::size_t failing = report.failing_file_count();
  const std::size_t lacking = report.locales_lacking_keys();
  if (report.passed()) {
    text.append("OK: ").append(count_of(report.file_count(), "file", "files")).append(" in ");
    text.append(count_of(report.locales.size(), "locale", "locales")).append(" read");
    if (lacking != 0) {
      text.append("; ").append(count_of(lacking, "locale lacks", "locales lack"));
      text.append(" keys, which loading fills from ").append(report.default_locale);
    }
    text.append(".\n");
    return;
  }
  if (!report.default_found) {
    text.append("FAILED: Locale not found: ").append(report.default_locale);
    text.append(" (the default locale; name another with --default)\n");
  }
  if (failing != 0) {
    text.append("FAILED: ").append(std::to_string(failing)).append(" of ");
    text.append(count_of(report.file_count(), "file", "files")).append(" failed to read.\n");
  }
  if (report.strict && lacking != 0) {
    text.append("FAILED (--strict): ").append(count_of(lacking, "locale lacks", "locales lack"));
    text.append(" keys of ").append(report.default_locale).append(".\n");
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
  if (report.locales.empty()) {
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
