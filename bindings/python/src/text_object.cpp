#include "text_object.hpp"

#include <cstdint>
#include <cstring>
#include <cwchar>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnevo::python {
namespace {

static_assert(sizeof(wchar_t) == 4, "code points are handed over as UCS-4 wchar_t");

// Texts up to this many code points are decoded on the stack; longer ones (rare in locale
// files) take the general decoder.
constexpr std::size_t kStackCodePoints = 256;

// Where the ASCII run starting at `i` ends: the index of the next byte at or above 0x80, or
// `size`. Sixteen bytes at a time where SSE2 is there, then a word, then bytes.
std::size_t ascii_run_end(const unsigned char* p, std::size_t i, std::size_t size) noexcept {
#if defined(__SSE2__)
  for (; i + 16 <= size; i += 16) {
    const auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i))));
    if (mask != 0) return i + static_cast<std::size_t>(__builtin_ctz(mask));
  }
#endif
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, p + i, sizeof word);
    if (word & 0x8080808080808080ULL) break;
  }
  while (i < size && p[i] < 0x80) ++i;
  return i;
}

PyObject* general_decoder(std::string_view text) {
  return PyUnicode_FromStringAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
}

// Decodes `bytes` (well formed or not) into UCS-4; null when it is not well formed or too long.
PyObject* wide_text(const unsigned char* bytes, std::size_t size, std::string_view text) {
  wchar_t points[kStackCodePoints];
  std::size_t count = 0;
  std::size_t i = 0;
  while (i < size) {
    if (count == kStackCodePoints) return general_decoder(text);
    const unsigned char lead = bytes[i];
    char32_t point;
    if (lead < 0x80) {
      point = lead;
      i += 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      if (i + 1 >= size || (bytes[i + 1] & 0xC0) != 0x80) return general_decoder(text);
      point = (char32_t{lead} & 0x1F) << 6 | (bytes[i + 1] & 0x3F);
      i += 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      if (i + 2 >= size || (bytes[i + 1] & 0xC0) != 0x80 || (bytes[i + 2] & 0xC0) != 0x80)
        return general_decoder(text);
      point = (char32_t{lead} & 0x0F) << 12 | (char32_t{bytes[i + 1]} & 0x3F) << 6 |
              (bytes[i + 2] & 0x3F);
      // Overlong forms and surrogates are not well formed.
      if (point < 0x800 || (point >= 0xD800 && point <= 0xDFFF)) return general_decoder(text);
      i += 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      if (i + 3 >= size || (bytes[i + 1] & 0xC0) != 0x80 || (bytes[i + 2] & 0xC0) != 0x80 ||
          (bytes[i + 3] & 0xC0) != 0x80)
        return general_decoder(text);
      point = (char32_t{lead} & 0x07) << 18 | (char32_t{bytes[i + 1]} & 0x3F) << 12 |
              (char32_t{bytes[i + 2]} & 0x3F) << 6 | (bytes[i + 3] & 0x3F);
      if (point < 0x10000 || point > 0x10FFFF) return general_decoder(text);
      i += 4;
    } else {
      return general_decoder(text);
    }
    points[count++] = static_cast<wchar_t>(point);
  }
  return PyUnicode_FromWideChar(points, static_cast<Py_ssize_t>(count));
}

}  // namespace

PyObject* make_text(std::string_view text) {
  const auto* const bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  std::size_t i = ascii_run_end(bytes, 0, size);
  if (i == size || size > kStackCodePoints) return general_decoder(text);

  // Latin-1 text (most European languages) needs one byte per code point: its two-byte
  // sequences all start with 0xC2 or 0xC3, and its ASCII runs are copied as they are. Anything
  // else is decoded at full width.
  char latin1[kStackCodePoints];
  std::memcpy(latin1, bytes, i);
  std::size_t count = i;
  for (;;) {
    const unsigned char lead = bytes[i];
    if ((lead != 0xC2 && lead != 0xC3) || i + 1 >= size || (bytes[i + 1] & 0xC0) != 0x80) {
      return wide_text(bytes, size, text);
    }
    latin1[count++] = static_cast<char>((lead & 0x03) << 6 | (bytes[i + 1] & 0x3F));
    i += 2;
    const std::size_t run_end = ascii_run_end(bytes, i, size);
    std::memcpy(latin1 + count, bytes + i, run_end - i);
    count += run_end - i;
    i = run_end;
    if (i == size) break;
  }
  return PyUnicode_DecodeLatin1(latin1, static_cast<Py_ssize_t>(count), nullptr);
}

}  // namespace tarnevo::python
