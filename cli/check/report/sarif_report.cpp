#include "check/report/sarif_report.hpp"

#include <filesystem>
#include <string>

#include "tarnevo/version.hpp"
#include "text/utf8.hpp"

namespace tarnevo::cli {
namespace {

LocaleValue str(std::string_view text) {
  return LocaleValue::string(detail::text::to_utf8_lossy(text));
}

LocaleValue message(std::string_view text) {
  LocaleObject object;
  object.insert("text", str(text));
  return LocaleValue::object(std::move(object));
}

std::string_view level(bool fails) noexcept {
  return fails ? "error" : "warning";
}

// A URI reference for a path: relative to the working directory where it can be, with every
// byte outside the unreserved characters and "/" percent-encoded.
std::string artifact_uri(const std::string& path) {
  std::filesystem::path file(path);
  std::string prefix;
  if (file.is_absolute()) {
    std::error_code error;
    const std::filesystem::path relative =
        file.lexically_relative(std::filesystem::current_path(error));
    if (!error && !relative.empty()) {
      file = relative;
    } else {
      prefix = "file://";
    }
  }
  const std::string text = file.lexically_normal().generic_string();
  std::string uri = prefix;
  constexpr std::string_view kHex = "0123456789ABCDEF";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool plain = (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
                       (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' ||
                       c == '~' || c == '/';
    if (plain) {
      uri.push_back(c);
    } else {
      uri.push_back('%');
      uri.push_back(kHex[byte >> 4]);
      uri.push_back(kHex[byte & 15]);
    }
  }
  return uri;
}

LocaleValue rule(const KindInfo& info) {
  LocaleObject object;
  object.insert("id", LocaleValue::string(std::string(info.name)));
  object.insert("shortDescription", message(info.description));
  std::string help(info.description);
  switch (info.fails) {
    case FailsWhen::Always:
      help.append(" It fails the check.");
      break;
    case FailsWhen::Strict:
      help.append(" It fails the check under --strict.");
      break;
    case FailsWhen::Never:
      help.append(" It never fails the check.");
      break;
  }
  object.insert("help", message(help));
  LocaleObject configuration;
  configuration.insert("level",
                       LocaleValue::string(std::string(level(info.fails == FailsWhen::Always))));
  object.insert("defaultConfiguration", LocaleValue::object(std::move(configuration)));
  return LocaleValue::object(std::move(object));
}

LocaleValue result(const Finding& finding) {
  LocaleObject object;
  object.insert("ruleId", LocaleValue::string(std::string(kind_info(finding.kind).name)));
  object.insert("ruleIndex", LocaleValue::from_unsigned(static_cast<unsigned>(finding.kind)));
  object.insert("level", LocaleValue::string(std::string(level(finding.fails))));
  object.insert("message", message(describe_finding(finding)));
  if (!finding.file.empty()) {
    LocaleObject artifact;
    artifact.insert("uri", LocaleValue::string(artifact_uri(finding.file)));
    LocaleObject physical;
    physical.insert("artifactLocation", LocaleValue::object(std::move(artifact)));
    if (finding.line != 0) {
      LocaleObject region;
      region.insert("startLine", LocaleValue::from_unsigned(finding.line));
      region.insert("startColumn", LocaleValue::from_unsigned(finding.column));
      physical.insert("region", LocaleValue::object(std::move(region)));
    }
    LocaleObject location;
    location.insert("physicalLocation", LocaleValue::object(std::move(physical)));
    LocaleArray locations;
    locations.push_back(LocaleValue::object(std::move(location)));
    object.insert("locations", LocaleValue::array(std::move(locations)));
  }
  return LocaleValue::object(std::move(object));
}

void add_notification(LocaleArray& notifications, std::string_view text) {
  LocaleObject object;
  object.insert("level", LocaleValue::string("error"));
  object.insert("message", message(text));
  notifications.push_back(LocaleValue::object(std::move(object)));
}

}  // namespace

LocaleValue check_sarif_tree(std::span<const CheckedDirectory> directories) {
  LocaleArray rules;
  for (std::size_t i = 0; i < kFindingKindCount; ++i) {
    rules.push_back(rule(kind_info(static_cast<FindingKind>(i))));
  }
  LocaleObject driver;
  driver.insert("name", LocaleValue::string("tarnevo"));
  driver.insert("version", LocaleValue::string(TARNEVO_VERSION_STRING));
  driver.insert("rules", LocaleValue::array(std::move(rules)));
  LocaleObject tool;
  tool.insert("driver", LocaleValue::object(std::move(driver)));

  LocaleArray results;
  LocaleArray notifications;
  for (const CheckedDirectory& directory : directories) {
    const CheckReport& report = *directory.report;
    if (!report.default_found) {
      add_notification(notifications, report.directory + ": Locale not found: " +
                                          report.default_locale + " (the default locale)");
    }
    for (const std::string& name : report.not_found) {
      add_notification(notifications,
                       report.directory + ": Locale not found: " + name + " (named by --locale)");
    }
    if (!report.empty_default.empty()) {
      add_notification(notifications, report.directory + ": The default locale " +
                                          report.default_locale + " has no keys");
    }
    for (const Finding& finding : directory.findings) results.push_back(result(finding));
  }
  LocaleObject invocation;
  invocation.insert("executionSuccessful", LocaleValue::boolean(true));
  invocation.insert("toolExecutionNotifications", LocaleValue::array(std::move(notifications)));
  LocaleArray invocations;
  invocations.push_back(LocaleValue::object(std::move(invocation)));

  LocaleObject run;
  run.insert("tool", LocaleValue::object(std::move(tool)));
  run.insert("invocations", LocaleValue::array(std::move(invocations)));
  run.insert("results", LocaleValue::array(std::move(results)));
  LocaleArray runs;
  runs.push_back(LocaleValue::object(std::move(run)));
  LocaleObject log;
  log.insert("$schema", LocaleValue::string("https://json.schemastore.org/sarif-2.1.0.json"));
  log.insert("version", LocaleValue::string("2.1.0"));
  log.insert("runs", LocaleValue::array(std::move(runs)));
  return LocaleValue::object(std::move(log));
}

}  // namespace tarnevo::cli
