// Whatever the JSON reader accepts, the writer writes back as text that reads as the same tree,
// and writing that tree again gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_checks.hpp"
#include "tree/write_json.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace tarnevo;
  if (!fuzz::is_reader_input(data, size)) return -1;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto tree = parse_locale_text(text, FileFormat::Json);
  if (!tree) return 0;

  detail::tree::ByteBuffer written;
  detail::tree::write_json(*tree, written);
  fuzz::expect(detail::text::is_valid_utf8(written.view()), "written JSON is not UTF-8");
  auto again = parse_locale_text(written.view(), FileFormat::Json);
  if (!again) fuzz::broken("written JSON does not read back:", again.error().message());
  fuzz::expect(*again == *tree, "tree changed on the way through text", written.view());

  detail::tree::ByteBuffer rewritten;
  detail::tree::write_json(*again, rewritten);
  fuzz::expect(rewritten.view() == written.view(), "second writing differs", rewritten.view());
  return 0;
}
