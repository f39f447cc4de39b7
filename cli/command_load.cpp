#include <optional>
#include <string>

#include "commands.hpp"
#include "exit_status.hpp"
#include "locale_reading.hpp"
#include "output.hpp"
#include "pretty_json.hpp"
#include "tarnevo/loader.hpp"
#include "tree/write_json.hpp"

namespace tarnevo::cli {
namespace {

// Why the loader answers `locale` with the default locale instead (it does so silently, as an
// application wants): the locale is not in the directory, or a file of it fails. Nothing when
// the locale itself is loaded.
struct Fallback {
  std::string reason;
  bool broken;
};

std::optional<Fallback> fallback_reason(const LocaleLoader& loader, const std::string& locale,
                                        const LoadNotes& notes) {
  if (notes.served_by == locale) return std::nullopt;
  if (!loader.exists(locale)) {
    return Fallback{"no locale '" + locale + "' in " + loader.dir_path(), false};
  }
  // The loader stops at the locale's first failing file in listing order; the note names the
  // first in path order, as check lists them.
  const detail::loader::LocaleIndex index = detail::loader::scan_directory(loader.dir_path());
  const auto entry = index.find(locale);
  if (entry == index.end()) return std::nullopt;
  const LocaleReading reading = read_locale(locale, entry->second);
  if (reading.loads()) return std::nullopt;
  const FileFailure& first = reading.failures.front();
  return Fallback{
      "locale '" + locale + "' does not load (" + first.path + ": " + first.message + ")", true};
}

}  // namespace

int run_load(const Arguments& arguments) {
  const std::string& locale = arguments.operands[1];
  auto loader = LocaleLoader::create(arguments.operands[0], arguments.default_locale,
                                     arguments.loader_options);
  if (!loader) {
    report_error(loader.error().message());
    return kFailure;
  }
  const auto report = loader->load_report(locale);
  if (!report) {
    report_error(report.error().message());
    return kFailure;
  }
  const LoadNotes& notes = *report->notes;
  // Someone at a terminal wants to know when the default locale stands in; with --strict, a
  // script wants it to fail.
  if (const auto fallback = fallback_reason(*loader, locale, notes)) {
    const std::string hint = fallback->broken ? " (tarnevo check lists every failing file)" : "";
    if (arguments.strict) {
      report_error(fallback->reason + hint);
      return kFailure;
    }
    const std::string printed = notes.served_by == loader->default_locale()
                                    ? "the default locale '" + notes.served_by + "'"
                                    : "locale '" + notes.served_by + "'";
    report_error("note: " + fallback->reason + "; printing " + printed + hint);
  }
  // Locales of the chain other than LOCALE that failed: a regional parent passed over, or a
  // locale whose keys could not fill LOCALE's.
  for (const DroppedError& dropped : notes.dropped) {
    if (!dropped.filling && dropped.locale == locale) continue;
    report_error("note: locale '" + dropped.locale + "' does not load (" + dropped.error.path() +
                 ": " + dropped.error.message() + "); " +
                 (dropped.filling ? "nothing is filled in from it" : "passed over"));
  }
  // The same buffer and writer as tarnevo_load_json, so the bytes are the same.
  detail::tree::ByteBuffer text(128);
  if (arguments.pretty) {
    write_pretty_json(*report->tree, text);
  } else {
    detail::tree::write_json(*report->tree, text);
  }
  text.push_back('\n');
  write_out(text.view());
  return kSuccess;
}

}  // namespace tarnevo::cli
