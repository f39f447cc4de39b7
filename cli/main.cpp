// tarnevo: the command-line face of the library. Parses the command line and hands over to one
// subcommand; every result, error and exit status comes from there.
#include <exception>
#include <span>
#include <string>

#include "arguments.hpp"
#include "commands.hpp"
#include "exit_status.hpp"
#include "output.hpp"
#include "tarnevo/version.hpp"
#include "usage.hpp"

namespace {

using namespace tarnevo::cli;

int dispatch(const Arguments& arguments) {
  switch (arguments.command) {
    case Command::Help:
      write_out(arguments.help_topic ? command_help(*arguments.help_topic) : overview_help());
      return kSuccess;
    case Command::Version:
      write_out("tarnevo " TARNEVO_VERSION_STRING "\n");
      return kSuccess;
    case Command::Languages:
      return run_languages(arguments);
    case Command::Load:
      return run_load(arguments);
    case Command::Check:
      return run_check(arguments);
  }
  return kUsageError;
}

int run(std::span<const char* const> args) {
  const auto arguments = parse_arguments(args);
  if (!arguments) {
    const UsageError& error = arguments.error();
    report_error(error.message);
    std::string hint(error.command ? usage_lines(*error.command) : usage_lines());
    hint.append("Run 'tarnevo ");
    hint.append(error.command ? "help " + std::string(command_name(*error.command)) : "--help");
    hint.append("' for details.\n");
    write_err(hint);
    return kUsageError;
  }
  const int status = dispatch(*arguments);
  if (!finish_output()) return kFailure;
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  // Running out of memory is the one failure that arrives as an exception; it ends here with a
  // message instead of an abort.
  try {
    return run(std::span<const char* const>(argv + 1, argc > 0 ? argc - 1 : 0));
  } catch (const std::exception& fault) {
    report_error(std::string("internal fault: ") + fault.what());
    return kFailure;
  }
}
