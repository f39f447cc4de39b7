// Finding the next interesting byte in text sixteen bytes at a time (SSE2, part of every x86-64
// processor), with a portable byte loop elsewhere and for the tail. Locale text is mostly long
// runs of plain bytes: string contents, indentation, ASCII.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarnevo::detail::text {

#if defined(__SSE2__)
inline __m128i load16(const char* p) noexcept {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Lanes holding a byte below 0x20 (unsigned): flipping the top bit turns the unsigned order into
// the signed one that SSE2 compares.
inline __m128i control_lanes(__m128i bytes) noexcept {
  return _mm_cmplt_epi8(_mm_xor_si128(bytes, _mm_set1_epi8(static_cast<char>(0x80))),
                        _mm_set1_epi8(static_cast<char>(0x20 ^ 0x80)));
}

inline unsigned lane_mask(__m128i lanes) noexcept {
  return static_cast<unsigned>(_mm_movemask_epi8(lanes));
}
#endif

// The first byte in [p, end) that is '"', '\\' or below 0x20, or `end`: where a JSON string's
// plain run stops, and what the JSON writer must escape.
inline const char* find_quote_backslash_or_control(const char* p, const char* end) noexcept {
#if defined(__SSE2__)
  const __m128i quote = _mm_set1_epi8('"');
  const __m128i backslash = _mm_set1_epi8('\\');
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = load16(p);
    const unsigned mask = lane_mask(
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, backslash)),
                     control_lanes(bytes)));
    if (mask != 0) return p + __builtin_ctz(mask);
  }
#endif
  // Eight bytes at a time in a word: a lane is flagged when it is '"', '\\' or below 0x20. A
  // borrow can flag lanes after the first true one, so only the lowest flag counts.
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHigh = 0x8080808080808080ULL;
    for (; end - p >= 8; p += 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof word);
      const std::uint64_t quote = word ^ (kOnes * '"');
      const std::uint64_t backslash = word ^ (kOnes * '\\');
      const std::uint64_t lanes = ((quote - kOnes) & ~quote) | ((backslash - kOnes) & ~backslash) |
                                  ((word - kOnes * 0x20) & ~word);
      if (const std::uint64_t flagged = lanes & kHigh) return p + (std::countr_zero(flagged) >> 3);
    }
  }
  for (; p != end; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (byte == '"' || byte == '\\' || byte < 0x20) return p;
  }
  return p;
}

// The first byte in [p, end) that is `quote`, '\\', below 0x20 or DEL (0x7F), or `end`: where a
// plain run of a TOML string (or comment, with a line feed as `quote`) stops. TOML refuses the
// control characters and DEL there, tab excepted; the caller sorts out what it found.
inline const char* find_toml_string_stop(const char* p, const char* end, char quote) noexcept {
#if defined(__SSE2__)
  const __m128i quotes = _mm_set1_epi8(quote);
  const __m128i backslash = _mm_set1_epi8('\\');
  const __m128i del = _mm_set1_epi8(0x7F);
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = load16(p);
    const __m128i stops =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, quotes), _mm_cmpeq_epi8(bytes, backslash)),
                     _mm_or_si128(_mm_cmpeq_epi8(bytes, del), control_lanes(bytes)));
    if (const unsigned mask = lane_mask(stops); mask != 0) return p + __builtin_ctz(mask);
  }
#endif
  for (; p != end; ++p) {
    const auto byte = static_cast<unsigned char>(*p);
    if (*p == quote || byte == '\\' || byte < 0x20 || byte == 0x7F) return p;
  }
  return p;
}

// The first byte in [p, end) that is not JSON whitespace (space, tab, line feed, carriage
// return), or `end`.
inline const char* skip_json_whitespace(const char* p, const char* end) noexcept {
#if defined(__SSE2__)
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = load16(p);
    const __m128i blank = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(' ')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))),
                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('\t'))));
    const unsigned other = ~lane_mask(blank) & 0xFFFFu;
    if (other != 0) return p + __builtin_ctz(other);
  }
#endif
  while (p != end && (*p == ' ' || *p == '\n' || *p == '\r' || *p == '\t')) ++p;
  return p;
}

// The first byte in [p, end) that cannot be part of a TOML bare key (ASCII letters, digits, '-'
// and '_'), or `end`.
inline const char* skip_toml_bare_key(const char* p, const char* end) noexcept {
#if defined(__SSE2__)
  // Signed comparisons: bytes from 0x80 up count as negative, so no range takes them in.
  const auto in_range = [](__m128i bytes, char low, char high) {
    return _mm_and_si128(_mm_cmpgt_epi8(bytes, _mm_set1_epi8(static_cast<char>(low - 1))),
                         _mm_cmplt_epi8(bytes, _mm_set1_epi8(static_cast<char>(high + 1))));
  };
  for (; end - p >= 16; p += 16) {
    const __m128i bytes = load16(p);
    const __m128i letter = in_range(_mm_or_si128(bytes, _mm_set1_epi8(0x20)), 'a', 'z');
    const __m128i other = _mm_or_si128(in_range(bytes, '0', '9'),
                                       _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('-')),
                                                    _mm_cmpeq_epi8(bytes, _mm_set1_epi8('_'))));
    const unsigned outside = ~lane_mask(_mm_or_si128(letter, other)) & 0xFFFFu;
    if (outside != 0) return p + __builtin_ctz(outside);
  }
#endif
  for (; p != end; ++p) {
    const char c = *p;
    const bool key = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '_';
    if (!key) return p;
  }
  return p;
}

// How many bytes in [p, end) are `c`.
inline std::size_t count_byte(const char* p, const char* end, char c) noexcept {
  std::size_t count = 0;
#if defined(__SSE2__)
  // Each matching lane subtracts -1 from its byte counter; before a counter could wrap, the
  // sixteen counters are summed into two 64-bit halves.
  const __m128i wanted = _mm_set1_epi8(c);
  const __m128i zero = _mm_setzero_si128();
  while (end - p >= 16) {
    __m128i counters = zero;
    for (int block = 0; block < 255 && end - p >= 16; ++block, p += 16) {
      counters = _mm_sub_epi8(counters, _mm_cmpeq_epi8(load16(p), wanted));
    }
    const __m128i sums = _mm_sad_epu8(counters, zero);
    count += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  }
#endif
  for (; p != end; ++p) count += *p == c;
  return count;
}

// The first byte in [p, end) at or above 0x80, or `end`.
inline const unsigned char* skip_ascii(const unsigned char* p, const unsigned char* end) noexcept {
#if defined(__SSE2__)
  for (; end - p >= 16; p += 16) {
    const unsigned mask = lane_mask(load16(reinterpret_cast<const char*>(p)));
    if (mask != 0) return p + __builtin_ctz(mask);
  }
#endif
  while (p != end && *p < 0x80) ++p;
  return p;
}

}  // namespace tarnevo::detail::text
