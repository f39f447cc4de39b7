#include <algorithm>
#include <optional>

#include "check/check_settings.hpp"
#include "check/excluded_files.hpp"
#include "check/finding_list.hpp"
#include "check/finding_places.hpp"
#include "check/report.hpp"
#include "check/report/github_report.hpp"
#include "check/report/json_report.hpp"
#include "check/report/sarif_report.hpp"
#include "check/report/text_report.hpp"
#include "commands.hpp"
#include "exit_status.hpp"
#include "output.hpp"
#include "tarnevo/loader.hpp"
#include "tree/write_json.hpp"
#include "usage.hpp"

namespace tarnevo::cli {
namespace {

struct DirectoryCheck {
  CheckReport report;
  std::vector<Finding> findings;
};

// One directory checked, or nothing when it is no locale directory (said on stderr).
std::optional<DirectoryCheck> check_directory(const std::string& directory,
                                              const Arguments& arguments) {
  // The loader decides what counts as a locale directory and words the error; the check then
  // walks the directory itself, since it reads files one by one rather than through the loader.
  if (auto loader = LocaleLoader::create(directory, arguments.default_locale); !loader) {
    report_error(loader.error().message());
    return std::nullopt;
  }
  CheckOptions options{arguments.default_locale, arguments.strict, arguments.locales,
                       KeyFilter(arguments.ignore)};
  options.root_key = arguments.loader_options.root_key;
  options.only = arguments.only;
  options.severities = arguments.severities;
  options.fallback = arguments.loader_options.fallback;
  options.positions = true;
  detail::loader::LocaleIndex index = detail::loader::scan_directory(directory);
  exclude_files(index, directory, KeyFilter(arguments.exclude));
  DirectoryCheck check{build_check_report(directory, index, options), {}};
  check.findings = flatten_findings(check.report);
  // The text counts most findings of kinds that do not fail rather than list them: it places
  // only those it lists.
  if (arguments.format == ReportFormat::Text) {
    place_findings(check.report, check.findings,
                   findings_listed_in_text(check.findings, arguments.show));
  } else {
    place_findings(check.report, check.findings);
  }
  return check;
}

void write_tree(const LocaleValue& tree) {
  detail::tree::ByteBuffer text;
  detail::tree::write_json(tree, text);
  text.push_back('\n');
  write_out(text.view());
}

}  // namespace

int run_check(const Arguments& line) {
  Arguments arguments = line;
  if (auto settings = apply_check_settings(arguments); !settings) {
    report_error(settings.error());
    return kUsageError;
  }
  if (arguments.operands.empty()) {
    report_error("missing DIR");
    write_err(usage_lines(Command::Check));
    write_err(
        "Name the locale directories to check, or list them in a settings file: "
        "directories = [\"locales\"] in tarnevo.toml (or in [tool.tarnevo] of pyproject.toml) "
        "here or in a parent directory.\n"
        "Run 'tarnevo help check' for details.\n");
    return kUsageError;
  }
  int status = kSuccess;
  std::vector<DirectoryCheck> checks;
  checks.reserve(arguments.operands.size());
  for (const std::string& directory : arguments.operands) {
    auto check = check_directory(directory, arguments);
    if (!check) {
      status = kFailure;
      continue;
    }
    if (!check_passes(check->report, check->findings)) status = kFailure;
    checks.push_back(std::move(*check));
  }
  const bool several = arguments.operands.size() > 1;
  switch (arguments.format) {
    case ReportFormat::Text:
      for (const DirectoryCheck& check : checks) {
        // Several directories: each report under its directory's name.
        if (several) write_out("== " + check.report.directory + "\n");
        write_out(render_check_text(check.report, check.findings, arguments.show));
        if (several && &check != &checks.back()) write_out("\n");
      }
      break;
    case ReportFormat::Json:
      if (!several) {
        if (!checks.empty()) write_tree(check_report_tree(checks[0].report, checks[0].findings));
        break;
      }
      {
        LocaleArray reports;
        for (const DirectoryCheck& check : checks) {
          reports.push_back(check_report_tree(check.report, check.findings));
        }
        write_tree(LocaleValue::array(std::move(reports)));
      }
      break;
    case ReportFormat::Github:
      for (const DirectoryCheck& check : checks) {
        write_out(render_check_github(check.report, check.findings));
      }
      break;
    case ReportFormat::Sarif: {
      std::vector<CheckedDirectory> directories;
      for (const DirectoryCheck& check : checks) {
        directories.push_back(CheckedDirectory{&check.report, check.findings});
      }
      write_tree(check_sarif_tree(directories));
      break;
    }
  }
  return status;
}

}  // namespace tarnevo::cli
