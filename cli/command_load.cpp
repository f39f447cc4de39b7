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

// The loader answers a locale that is missing or broken with the default locale, silently, as
// an application wants; someone at a terminal wants to know, so say it on standard error.
void note_fallback(const LocaleLoader& loader, const std::string& locale) {
  if (locale == loader.default_locale()) return;
  const std::string& fallback = loader.default_locale();
  if (!loader.exists(locale)) {
    report_error("note: no locale '" + locale + "' in " + loader.dir_path() +
                 "; printing the default locale '" + fallback + "'");
    return;
  }
  const detail::loader::LocaleIndex index = detail::loader::scan_directory(loader.dir_path());
  const auto entry = index.find(locale);
  if (entry == index.end()) return;
  const LocaleReading reading = read_locale(locale, entry->second);
  if (reading.loads()) return;
  const FileFailure& first = reading.failures.front();
  report_error("note: locale '" + locale + "' does not load (" + first.path + ": " + first.message +
               "); printing the default locale '" + fallback +
               "' (tarnevo check lists every failing file)");
}

}  // namespace

int run_load(const Arguments& arguments) {
  const std::string& locale = arguments.operands[1];
  auto loader = LocaleLoader::create(arguments.operands[0], arguments.default_locale);
  if (!loader) {
    report_error(loader.error().message());
    return kFailure;
  }
  const auto tree = loader->load_shared(locale);
  if (!tree) {
    report_error(tree.error().message());
    return kFailure;
  }
  note_fallback(*loader, locale);
  // The same buffer and writer as tarnevo_load_json, so the bytes are the same.
  detail::tree::ByteBuffer text(128);
  if (arguments.pretty) {
    write_pretty_json(**tree, text);
  } else {
    detail::tree::write_json(**tree, text);
  }
  text.push_back('\n');
  write_out(text.view());
  return kSuccess;
}

}  // namespace tarnevo::cli
