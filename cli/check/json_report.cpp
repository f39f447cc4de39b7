#include "check/json_report.hpp"

#include <utility>

#include "text/utf8.hpp"

namespace tarnevo::cli {
namespace {

// Paths are the file system's bytes; JSON needs text.
LocaleValue text(std::string_view bytes) {
  return LocaleValue::string(detail::text::to_utf8_lossy(bytes));
}

LocaleValue count(std::size_t n) {
  return LocaleValue::from_unsigned(n);
}

LocaleValue key_list(const std::vector<std::string>& keys) {
  LocaleArray items;
  items.reserve(keys.size());
  for (const std::string& key : keys) items.push_back(LocaleValue::string(key));
  return LocaleValue::array(std::move(items));
}

LocaleValue conflict_list(const std::vector<KeyConflict>& conflicts) {
  LocaleArray items;
  items.reserve(conflicts.size());
  for (const KeyConflict& conflict : conflicts) items.push_back(LocaleValue::string(conflict.key));
  return LocaleValue::array(std::move(items));
}

LocaleValue locale_tree(const LocaleCheck& locale) {
  LocaleObject entry;
  entry.insert("name", LocaleValue::string(locale.reading.name));
  entry.insert("default", LocaleValue::boolean(locale.is_default));
  entry.insert("files", count(locale.reading.file_count));
  entry.insert("failing_files", count(locale.reading.failures.size()));
  entry.insert("loads", LocaleValue::boolean(locale.reading.loads()));
  entry.insert("keys", count(locale.own_keys));
  if (locale.keys) {
    const KeyDiff& keys = *locale.keys;
    entry.insert("missing", key_list(keys.missing));
    entry.insert("extra", key_list(keys.extra));
    entry.insert("conflicts", conflict_list(keys.conflicts));
    entry.insert("default_keys", count(keys.default_keys));
    entry.insert("provided", count(keys.provided));
    entry.insert("completeness",
                 LocaleValue::from_float(static_cast<double>(keys.completeness_tenths()) / 10.0));
  }
  return LocaleValue::object(std::move(entry));
}

}  // namespace

LocaleValue check_report_tree(const CheckReport& report) {
  LocaleArray failures;
  LocaleArray locales;
  for (const LocaleCheck& locale : report.locales) {
    for (const FileFailure& failure : locale.reading.failures) {
      LocaleObject item;
      item.insert("locale", LocaleValue::string(locale.reading.name));
      item.insert("path", text(failure.path));
      item.insert("error", text(failure.message));
      failures.push_back(LocaleValue::object(std::move(item)));
    }
    locales.push_back(locale_tree(locale));
  }
  LocaleObject root;
  root.insert("directory", text(report.directory));
  root.insert("default_locale", LocaleValue::string(report.default_locale));
  root.insert("default_found", LocaleValue::boolean(report.default_found));
  root.insert("strict", LocaleValue::boolean(report.strict));
  root.insert("ok", LocaleValue::boolean(report.passed()));
  root.insert("failures", LocaleValue::array(std::move(failures)));
  root.insert("locales", LocaleValue::array(std::move(locales)));
  return LocaleValue::object(std::move(root));
}

}  // namespace tarnevo::cli
