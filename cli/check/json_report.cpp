#include "check/json_report.hpp"

#include <utility>

#include "check/failure_position.hpp"
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

LocaleValue string_list(const std::vector<std::string>& items) {
  LocaleArray values;
  values.reserve(items.size());
  for (const std::string& item : items) values.push_back(LocaleValue::string(item));
  return LocaleValue::array(std::move(values));
}

LocaleValue path_list(const std::vector<std::string>& paths) {
  LocaleArray values;
  values.reserve(paths.size());
  for (const std::string& path : paths) values.push_back(text(path));
  return LocaleValue::array(std::move(values));
}

// One object per item, each built by `fill`, which receives the object and the item.
template <typename Item, typename Fill>
LocaleValue object_list(const std::vector<Item>& items, Fill fill) {
  LocaleArray values;
  values.reserve(items.size());
  for (const Item& item : items) {
    LocaleObject entry;
    fill(entry, item);
    values.push_back(LocaleValue::object(std::move(entry)));
  }
  return LocaleValue::array(std::move(values));
}

LocaleValue conflict_list(const std::vector<KeyConflict>& conflicts) {
  LocaleArray items;
  items.reserve(conflicts.size());
  for (const KeyConflict& conflict : conflicts) items.push_back(LocaleValue::string(conflict.key));
  return LocaleValue::array(std::move(items));
}

LocaleValue category_list(std::optional<PluralSet> categories) {
  if (!categories) return LocaleValue::null();
  LocaleArray names;
  for (PluralSet category = kZero; category <= kOther;
       category = static_cast<PluralSet>(category << 1)) {
    if (*categories & category) {
      names.push_back(LocaleValue::string(plural_category_name(category)));
    }
  }
  return LocaleValue::array(std::move(names));
}

void insert_findings(const LocaleCheck& locale, LocaleObject& entry) {
  const Findings& findings = locale.findings;
  entry.insert(
      "plurals", object_list(findings.plurals, [](LocaleObject& item, const PluralGap& gap) {
        static constexpr std::string_view kKinds[] = {"nested", "suffix", "icu"};
        item.insert("key", LocaleValue::string(gap.key));
        item.insert("kind", LocaleValue::string(kKinds[static_cast<std::size_t>(gap.style)]));
        item.insert("missing", string_list(gap.missing));
        item.insert("unexpected", string_list(gap.unexpected));
      }));
  entry.insert("shadowed",
               object_list(findings.shadowed, [](LocaleObject& item, const ShadowedKey& key) {
                 item.insert("key", LocaleValue::string(key.key));
                 item.insert("files", path_list(key.files));
                 item.insert("wins", text(key.files.front()));
               }));
  if (!locale.keys) return;
  entry.insert("icu_syntax",
               object_list(findings.icu_syntax, [](LocaleObject& item, const IcuSyntaxFinding& f) {
                 item.insert("key", LocaleValue::string(f.key));
                 item.insert("reason", LocaleValue::string(f.reason));
               }));
  entry.insert("dropped_selectors",
               object_list(findings.dropped_selectors,
                           [](LocaleObject& item, const DroppedSelector& dropped) {
                             item.insert("key", LocaleValue::string(dropped.key));
                             item.insert("arguments", string_list(dropped.arguments));
                           }));
  entry.insert("placeholders", object_list(findings.placeholders, [](LocaleObject& item,
                                                                     const PlaceholderFinding& f) {
                 item.insert("key", LocaleValue::string(f.key));
                 item.insert("missing", string_list(f.diff.missing));
                 item.insert("unexpected", string_list(f.diff.unexpected));
               }));
  entry.insert("shapes",
               object_list(findings.shapes, [](LocaleObject& item, const ShapeFinding& shape) {
                 item.insert("key", LocaleValue::string(shape.key));
                 item.insert("locale", LocaleValue::string(shape.locale));
                 item.insert("default", LocaleValue::string(shape.fallback));
               }));
  entry.insert("blank", object_list(findings.blank, [](LocaleObject& item, const std::string& key) {
                 item.insert("key", LocaleValue::string(key));
               }));
}

LocaleValue locale_tree(const LocaleCheck& locale) {
  LocaleObject entry;
  entry.insert("name", LocaleValue::string(locale.reading.name));
  entry.insert("default", LocaleValue::boolean(locale.is_default));
  entry.insert("files", count(locale.reading.file_count));
  entry.insert("failing_files", count(locale.reading.failures.size()));
  entry.insert("loads", LocaleValue::boolean(locale.reading.loads()));
  entry.insert("keys", count(locale.own_keys));
  entry.insert("plural_categories", category_list(locale.plural_categories));
  if (locale.keys) {
    const KeyDiff& keys = *locale.keys;
    entry.insert("missing", string_list(keys.missing));
    entry.insert("extra", string_list(keys.extra));
    entry.insert("conflicts", conflict_list(keys.conflicts));
    entry.insert("default_keys", count(keys.default_keys));
    entry.insert("provided", count(keys.provided));
    entry.insert("completeness",
                 LocaleValue::from_float(static_cast<double>(keys.completeness_tenths()) / 10.0));
  }
  insert_findings(locale, entry);
  return LocaleValue::object(std::move(entry));
}

LocaleValue failure_tree(const LocaleCheck& locale, const FileFailure& failure) {
  LocaleObject item;
  item.insert("locale", LocaleValue::string(locale.reading.name));
  item.insert("path", text(failure.path));
  item.insert("error", text(failure.message));
  if (const auto position = failure_position(failure.message)) {
    item.insert("line", count(position->line));
    item.insert("column", count(position->column));
  }
  return LocaleValue::object(std::move(item));
}

}  // namespace

LocaleValue check_report_tree(const CheckReport& report) {
  LocaleArray failures;
  LocaleArray locales;
  for (const LocaleCheck& locale : report.locales) {
    for (const FileFailure& failure : locale.reading.failures) {
      failures.push_back(failure_tree(locale, failure));
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
  root.insert("locales_not_found", string_list(report.not_found));
  return LocaleValue::object(std::move(root));
}

}  // namespace tarnevo::cli
