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
  const CheckOptions options{arguments.default_locale, arguments.strict, arguments.locales,
                             KeyFilter(arguments.ignore)};
  const CheckReport report =
      build_check_report(directory, detail::loader::scan_directory(directory), options);
  if (arguments.json) {
    detail::tree::ByteBuffer text;
    detail::tree::write_json(check_report_tree(report), text);
    text.push_back('\n');
    write_out(text.view());
  } else {
    write_out(render_check_text(report));
  }
  return report.passed() ? kSuccess : kFailure;
}

}  // namespace tarnevo::cli
