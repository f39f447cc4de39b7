#include "check/finding_list.hpp"

#include <algorithm>

namespace tarnevo::cli {
namespace {

class Flattener {
 public:
  Flattener(const CheckReport& report, std::vector<Finding>& out) : report_(report), out_(out) {}

  void locale(const LocaleCheck& check) {
    locale_ = &check.reading.name;
    const Findings& found = check.findings;
    for (const FileFailure& failure : check.reading.failures) {
      add(FindingKind::Failure, {}, failure.path, failure.message);
    }
    for (const PlaceholderFinding& finding : found.placeholders) {
      add(FindingKind::Placeholder, finding.key, {},
          missing_and_unexpected(finding.diff.missing, finding.diff.unexpected));
    }
    for (const IcuSyntaxFinding& finding : found.icu_syntax) {
      add(FindingKind::IcuSyntax, finding.key, {}, finding.reason);
    }
    if (check.keys) {
      for (const std::string& key : check.keys->missing) add(FindingKind::Missing, key, {}, {});
      for (const KeyConflict& conflict : check.keys->conflicts) {
        add(FindingKind::Missing, conflict.key, {}, conflict_text(conflict, *locale_));
      }
      for (const std::string& key : check.keys->extra) add(FindingKind::Extra, key, {}, {});
    }
    for (const std::string& key : found.blank) add(FindingKind::Blank, key, {}, {});
    for (const PluralGap& gap : found.plurals) {
      std::string text = missing_and_unexpected(gap.missing, gap.unexpected);
      if (gap.style == PluralStyle::Suffix) text.append(" (suffix keys)");
      if (gap.style == PluralStyle::Icu) text.append(" (ICU plural)");
      add(FindingKind::Plural, gap.key, {}, std::move(text));
    }
    for (const ShapeFinding& shape : found.shapes) {
      add(FindingKind::Shape, shape.key, {},
          shape.locale + ", " + report_.default_locale + " has " + shape.fallback);
    }
    for (const ShadowedKey& shadowed : found.shadowed) {
      const std::vector<std::string> others(shadowed.files.begin() + 1, shadowed.files.end());
      add(FindingKind::Shadowed, shadowed.key, shadowed.files.front(),
          shadowed.files.front() + " wins over " + join_names(others));
    }
    for (const FileWithoutKeys& file : check.reading.without_keys) {
      add(FindingKind::NotObject, {}, file.path,
          "holds " + file.holds + ", not an object, and adds nothing to " + *locale_);
    }
    for (const ForeignRootKey& root : check.reading.foreign_root_keys) {
      add(FindingKind::RootKey, {}, root.path,
          "its root key " + root.key + " names another locale than " + *locale_ +
              " (compared beneath it)");
    }
    for (const DroppedSelector& dropped : found.dropped_selectors) {
      add(FindingKind::Selector, dropped.key, {},
          "leaves out " + join_names(dropped.arguments) + ", which " + report_.default_locale +
              " uses only to choose a form");
    }
  }

 private:
  void add(FindingKind kind, std::string key, std::string file, std::string message) {
    if (!report_.only.has(kind)) return;
    out_.push_back(Finding{kind, *locale_, std::move(key), std::move(file), std::move(message),
                           report_.severities.fails(kind, report_.strict)});
  }

  static std::string missing_and_unexpected(const std::vector<std::string>& missing,
                                            const std::vector<std::string>& unexpected) {
    std::string text;
    if (!missing.empty()) text.append("missing ").append(join_names(missing));
    if (!missing.empty() && !unexpected.empty()) text.append("; ");
    if (!unexpected.empty()) text.append("unexpected ").append(join_names(unexpected));
    return text;
  }

  std::string conflict_text(const KeyConflict& conflict, const std::string& locale) const {
    const std::string& fallback = report_.default_locale;
    if (conflict.default_has_object) {
      return "keys below it in " + fallback + ", a value in " + locale;
    }
    return "a value in " + fallback + ", keys below it in " + locale;
  }

  const CheckReport& report_;
  std::vector<Finding>& out_;
  const std::string* locale_ = nullptr;
};

}  // namespace

std::vector<Finding> flatten_findings(const CheckReport& report) {
  std::vector<Finding> findings;
  Flattener flattener(report, findings);
  for (const LocaleCheck& locale : report.locales) {
    if (locale.is_default) flattener.locale(locale);
  }
  for (const LocaleCheck& locale : report.locales) {
    if (!locale.is_default) flattener.locale(locale);
  }
  return findings;
}

std::string describe_finding(const Finding& finding) {
  std::string text = finding.locale;
  text.append(" ").append(kind_info(finding.kind).name).append(" ");
  text.append(finding.key.empty() ? finding.file : finding.key);
  if (!finding.message.empty()) text.append(": ").append(finding.message);
  return text;
}

bool check_passes(const CheckReport& report, std::span<const Finding> findings) noexcept {
  if (report.setup_fails()) return false;
  return std::none_of(findings.begin(), findings.end(),
                      [](const Finding& finding) { return finding.fails; });
}

std::string join_names(const std::vector<std::string>& names, std::string_view separator) {
  std::string text;
  for (const std::string& name : names) {
    if (!text.empty()) text.append(separator);
    text.append(name);
  }
  return text;
}

}  // namespace tarnevo::cli
