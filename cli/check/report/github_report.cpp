#include "check/report/github_report.hpp"

#include "check/report/text_report.hpp"

namespace tarnevo::cli {
namespace {

void append_escaped(std::string& out, std::string_view text, bool property) {
  for (const char c : text) {
    switch (c) {
      case '%':
        out.append("%25");
        break;
      case '\r':
        out.append("%0D");
        break;
      case '\n':
        out.append("%0A");
        break;
      case ':':
        out.append(property ? "%3A" : ":");
        break;
      case ',':
        out.append(property ? "%2C" : ",");
        break;
      default:
        out.push_back(c);
    }
  }
}

void append_command(const Finding& finding, std::string& out) {
  out.append(finding.fails ? "::error " : "::warning ");
  if (!finding.file.empty()) {
    out.append("file=");
    append_escaped(out, finding.file, true);
    if (finding.line != 0) {
      out.append(",line=").append(std::to_string(finding.line));
      out.append(",col=").append(std::to_string(finding.column));
    }
    out.push_back(',');
  }
  out.append("title=");
  append_escaped(out, "tarnevo " + std::string(kind_info(finding.kind).name), true);
  out.append("::");
  append_escaped(out, describe_finding(finding), false);
  out.push_back('\n');
}

void append_setup_error(std::string_view message, std::string& out) {
  out.append("::error title=tarnevo check::");
  append_escaped(out, message, false);
  out.push_back('\n');
}

}  // namespace

std::string render_check_github(const CheckReport& report, std::span<const Finding> findings) {
  std::string out;
  if (!report.default_found) {
    append_setup_error("Locale not found: " + report.default_locale + " (the default locale)", out);
  }
  for (const std::string& name : report.not_found) {
    append_setup_error("Locale not found: " + name + " (named by --locale)", out);
  }
  if (!report.empty_default.empty()) {
    append_setup_error("The default locale " + report.default_locale + " has no keys", out);
  }
  for (const bool failing : {true, false}) {
    for (const Finding& finding : findings) {
      if (finding.fails == failing) append_command(finding, out);
    }
  }
  out.append(render_check_summary(report, findings));
  return out;
}

}  // namespace tarnevo::cli
