#include "check/report/json_report.hpp"

#include <utility>

#include "check/report/failure_position.hpp"
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

std::string_view style_name(PluralStyle style) noexcept {
  switch (style) {
    case PluralStyle::Nested:
      return "nested";
    case PluralStyle::Suffix:
      return "suffix";
    case PluralStyle::Icu:
      break;
  }
  return "icu";
}

void insert_reading_findings(const LocaleReading& reading, LocaleObject& entry) {
  entry.insert("not_object", object_list(reading.without_keys,
                                         [](LocaleObject& item, const FileWithoutKeys& file) {
                                           item.insert("path", text(file.path));
                                           item.insert("holds", LocaleValue::string(file.holds));
                                         }));
  entry.insert("root_key", object_list(reading.foreign_root_keys,
                                       [](LocaleObject& item, const ForeignRootKey& root) {
                                         item.insert("path", text(root.path));
                                         item.insert("key", LocaleValue::string(root.key));
                                       }));
}

void insert_findings(const LocaleCheck& locale, LocaleObject& entry) {
  const Findings& findings = locale.findings;
  entry.insert("plurals",
               object_list(findings.plurals, [](LocaleObject& item, const PluralGap& gap) {
                 item.insert("key", LocaleValue::string(gap.key));
                 item.insert("kind", LocaleValue::string(std::string(style_name(gap.style))));
                 item.insert("missing", string_list(gap.missing));
                 item.insert("unexpected", string_list(gap.unexpected));
               }));
  entry.insert("shadowed",
               object_list(findings.shadowed, [](LocaleObject& item, const ShadowedKey& key) {
                 item.insert("key", LocaleValue::string(key.key));
                 item.insert("files", path_list(key.files));
                 item.insert("wins", text(key.files.front()));
               }));
  insert_reading_findings(locale.reading, entry);
  if (!locale.keys) return;
  entry.insert("icu_syntax",
               object_list(findings.icu_syntax, [](LocaleObject& item, const IcuSyntaxFinding& f) {
                 item.insert("key", LocaleValue::string(f.key));
                 item.insert("reason", LocaleValue::string(f.reason));
               }));
  entry.insert(
      "dropped_selectors",
      object_list(findings.dropped_selectors, [](LocaleObject& item, const DroppedSelector& d) {
        item.insert("key", LocaleValue::string(d.key));
        item.insert("arguments", string_list(d.arguments));
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

void insert_place(const Finding* finding, LocaleObject& item) {
  const bool placed = finding != nullptr && finding->line != 0;
  item.insert("file", placed ? text(finding->file) : LocaleValue::null());
  item.insert("line", placed ? count(finding->line) : LocaleValue::null());
  item.insert("column", placed ? count(finding->column) : LocaleValue::null());
}

// Missing or extra keys, each with where it is written (a missing key where the default
// defines it), as its finding says.
LocaleValue placed_keys(const std::vector<std::string>& keys, std::span<const Finding> findings,
                        FindingKind kind) {
  std::vector<const Finding*> matching;
  for (const Finding& finding : findings) {
    if (finding.kind == kind && finding.message.empty()) matching.push_back(&finding);
  }
  LocaleArray items;
  items.reserve(keys.size());
  // The findings follow the keys' order, so one forward step pairs them (none when --only left
  // the kind out).
  std::size_t at = 0;
  for (const std::string& key : keys) {
    const Finding* match = nullptr;
    if (at < matching.size() && matching[at]->key == key) match = matching[at++];
    LocaleObject item;
    item.insert("key", LocaleValue::string(key));
    insert_place(match, item);
    items.push_back(LocaleValue::object(std::move(item)));
  }
  return LocaleValue::array(std::move(items));
}

LocaleValue locale_tree(const LocaleCheck& locale, std::span<const Finding> findings) {
  LocaleObject entry;
  entry.insert("name", LocaleValue::string(locale.reading.name));
  entry.insert("default", LocaleValue::boolean(locale.is_default));
  entry.insert("files", count(locale.reading.file_count));
  entry.insert("failing_files", count(locale.reading.failures.size()));
  entry.insert("loads", LocaleValue::boolean(locale.reading.loads()));
  entry.insert("keys", count(locale.own_keys));
  entry.insert("known_to_cldr", LocaleValue::boolean(locale.known_to_cldr()));
  entry.insert("plural_categories", category_list(locale.plural_categories));
  if (locale.keys) {
    const KeyDiff& keys = *locale.keys;
    entry.insert("missing", placed_keys(keys.missing, findings, FindingKind::Missing));
    entry.insert("extra", placed_keys(keys.extra, findings, FindingKind::Extra));
    entry.insert("conflicts", conflict_list(keys.conflicts));
    entry.insert("inherited", count(locale.inherited.size()));
    entry.insert("inherited_from", string_list(locale.inherited_from));
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

LocaleValue finding_tree(const Finding& finding) {
  LocaleObject item;
  item.insert("kind", LocaleValue::string(std::string(kind_info(finding.kind).name)));
  item.insert("locale", LocaleValue::string(finding.locale));
  item.insert("key", LocaleValue::string(finding.key));
  item.insert("message", text(finding.message));
  item.insert("fails", LocaleValue::boolean(finding.fails));
  item.insert("file", text(finding.file));
  const bool placed = finding.line != 0;
  item.insert("line", placed ? count(finding.line) : LocaleValue::null());
  item.insert("column", placed ? count(finding.column) : LocaleValue::null());
  return LocaleValue::object(std::move(item));
}

LocaleValue kind_names(KindSet kinds) {
  LocaleArray names;
  for (std::size_t i = 0; i < kFindingKindCount; ++i) {
    const auto kind = static_cast<FindingKind>(i);
    if (kinds.has(kind)) names.push_back(LocaleValue::string(std::string(kind_info(kind).name)));
  }
  return LocaleValue::array(std::move(names));
}

// The findings of one locale: they are grouped by locale.
std::span<const Finding> locale_findings(std::span<const Finding> findings,
                                         const std::string& name) {
  std::size_t begin = 0;
  while (begin < findings.size() && findings[begin].locale != name) ++begin;
  std::size_t end = begin;
  while (end < findings.size() && findings[end].locale == name) ++end;
  return findings.subspan(begin, end - begin);
}

}  // namespace

LocaleValue check_report_tree(const CheckReport& report, std::span<const Finding> findings) {
  LocaleArray failures;
  LocaleArray locales;
  for (const LocaleCheck& locale : report.locales) {
    for (const FileFailure& failure : locale.reading.failures) {
      if (report.only.has(FindingKind::Failure)) failures.push_back(failure_tree(locale, failure));
    }
    locales.push_back(locale_tree(locale, locale_findings(findings, locale.reading.name)));
  }
  LocaleObject root;
  root.insert("directory", text(report.directory));
  root.insert("default_locale", LocaleValue::string(report.default_locale));
  root.insert("default_found", LocaleValue::boolean(report.default_found));
  root.insert("strict", LocaleValue::boolean(report.strict));
  root.insert("ok", LocaleValue::boolean(check_passes(report, findings)));
  root.insert("root_keyed", LocaleValue::boolean(report.root_keyed));
  root.insert("only", kind_names(report.only));
  root.insert("empty_default", object_list(report.empty_default,
                                           [](LocaleObject& item, const DefaultFileNote& note) {
                                             item.insert("path", text(note.path));
                                             item.insert("holds", LocaleValue::string(note.holds));
                                           }));
  LocaleArray flat;
  flat.reserve(findings.size());
  for (const Finding& finding : findings) flat.push_back(finding_tree(finding));
  root.insert("findings", LocaleValue::array(std::move(flat)));
  root.insert("failures", LocaleValue::array(std::move(failures)));
  root.insert("locales", LocaleValue::array(std::move(locales)));
  root.insert("locales_not_found", string_list(report.not_found));
  return LocaleValue::object(std::move(root));
}

}  // namespace tarnevo::cli
