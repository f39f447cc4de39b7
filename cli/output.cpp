#include "output.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace tarnevo::cli {

void write_out(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void write_err(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
}

void report_error(std::string_view message) {
  std::string line("tarnevo: ");
  line.append(message);
  if (!line.ends_with('\n')) line.push_back('\n');
  write_err(line);
}

bool finish_output() {
  errno = 0;
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return true;
  const int error = errno;
  report_error(std::string("cannot write to standard output: ") +
               (error != 0 ? std::strerror(error) : "write error"));
  return false;
}

}  // namespace tarnevo::cli
