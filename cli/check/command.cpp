#include "check/excluded_files.hpp"
#include "check/finding_list.hpp"
#include "check/json_report.hpp"
#include "check/report.hpp"
#include "check/text_report.hpp"
#include "commands.hpp"
#include "exit_status.hpp"
#include "output.hpp"
#include "tarnevo/loader.hpp"
#include "tree/write_json.hpp"

namespace tarnevo::cli {

int run_check(const Arguments& arguments) {
  const std::string& directory = arguments.operands[0];
  // The loader decides what counts as a locale directory and words the error; the check then
  // walks the directory itself, since it reads files one by one rather than through the loader.
  if (auto loader = LocaleLoader::create(directory, arguments.default_locale); !loader) {
    report_error(loader.error().message());
    return kFailure;
  }
  CheckOptions options{arguments.default_locale, arguments.strict, arguments.locales,
                       KeyFilter(arguments.ignore)};
  options.root_key = arguments.loader_options.root_key;
  options.only = arguments.only;
  detail::loader::LocaleIndex index = detail::loader::scan_directory(directory);
  exclude_files(index, directory, KeyFilter(arguments.exclude));
  const CheckReport report = build_check_report(directory, index, options);
  const std::vector<Finding> findings = flatten_findings(report);
  if (arguments.json) {
    detail::tree::ByteBuffer text;
    detail::tree::write_json(check_report_tree(report, findings), text);
    text.push_back('\n');
    write_out(text.view());
  } else {
    write_out(render_check_text(report, findings, arguments.show));
  }
  return check_passes(report, findings) ? kSuccess : kFailure;
}

}  // namespace tarnevo::cli
