#include "commands.hpp"
#include "exit_status.hpp"
#include "output.hpp"
#include "tarnevo/loader.hpp"
#include "tree/write_json.hpp"

namespace tarnevo::cli {

int run_languages(const Arguments& arguments) {
  // Listing never consults the default locale.
  auto loader = LocaleLoader::create(arguments.operands[0], arguments.default_locale);
  if (!loader) {
    report_error(loader.error().message());
    return kFailure;
  }
  const std::vector<std::string> names = loader->languages();
  detail::tree::ByteBuffer text;
  if (arguments.json) {
    // The same array as tarnevo_languages_json.
    text.push_back('[');
    for (std::size_t i = 0; i < names.size(); ++i) {
      if (i != 0) text.push_back(',');
      detail::tree::write_json_string(names[i], text);
    }
    text.push_back(']');
    text.push_back('\n');
  } else {
    for (const std::string& name : names) {
      text.append(name);
      text.push_back('\n');
    }
  }
  write_out(text.view());
  return kSuccess;
}

}  // namespace tarnevo::cli
