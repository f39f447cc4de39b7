// The TOML reader on arbitrary text.
#include <cstddef>
#include <cstdint>

#include "fuzz_checks.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnevo;
  if (!fuzz::is_reader_input(data, size)) return -1;
  fuzz::check_reader(data, size, FileFormat::Toml, FormatError::Kind::Toml);
  return 0;
}
