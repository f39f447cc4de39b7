// The command's two streams. Standard output carries results; standard error carries errors,
// each on one line starting "tarnevo: ".
#pragma once

#include <string_view>

namespace tarnevo::cli {

void write_out(std::string_view bytes);
void write_err(std::string_view bytes);
// "tarnevo: " + message + a line feed on standard error.
void report_error(std::string_view message);
// Flushes standard output; false (after saying why on standard error) when anything written to
// it was lost, so that a full disk is not mistaken for success.
bool finish_output();

}  // namespace tarnevo::cli
