#include "text/unicode_case.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <vector>

#include "text/generated/unicode_lower_table.hpp"
#include "text/utf8.hpp"

namespace tarnevo::detail::text {
namespace {

constexpr char32_t kCapitalSigma = 0x03A3;
constexpr char32_t kFinalSigma = 0x03C2;

// Decodes well-formed UTF-8; the caller has checked the text, so no sequence is validated here.
std::vector<char32_t> decode(std::string_view text) {
  std::vector<char32_t> out;
  out.reserve(text.size());
  const auto* at = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = at + text.size();
  while (at < end) {
    const unsigned char lead = *at;
    if (lead < 0x80) {
      out.push_back(lead);
      at += 1;
    } else if (lead < 0xE0) {
      out.push_back(char32_t(lead & 0x1F) << 6 | char32_t(at[1] & 0x3F));
      at += 2;
    } else if (lead < 0xF0) {
      out.push_back(char32_t(lead & 0x0F) << 12 | char32_t(at[1] & 0x3F) << 6 |
                    char32_t(at[2] & 0x3F));
      at += 3;
    } else {
      out.push_back(char32_t(lead & 0x07) << 18 | char32_t(at[1] & 0x3F) << 12 |
                    char32_t(at[2] & 0x3F) << 6 | char32_t(at[3] & 0x3F));
      at += 4;
    }
  }
  return out;
}
std::optional<CaseClass> case_class(char32_t cp) {
  const auto it = std::upper_bound(kCaseRanges.begin(), kCaseRanges.end(), cp,
                                   [](char32_t c, const CaseRange& r) { return c < r.first; });
  if (it == kCaseRanges.begin()) return std::nullopt;
  const CaseRange& range = *(it - 1);
  if (cp > range.last) return std::nullopt;
  return range.case_class;
}

// Skips case-ignorable characters from `from` in steps of `step` and reports whether the first
// other character is cased; running off either end counts as not cased.
bool cased_after_ignorables(const std::vector<char32_t>& text, std::ptrdiff_t from,
                            std::ptrdiff_t step) {
  for (std::ptrdiff_t i = from; i >= 0 && i < std::ssize(text); i += step) {
    const auto cls = case_class(text[static_cast<std::size_t>(i)]);
    if (cls == CaseClass::Ignorable) continue;
    return cls == CaseClass::Cased;
  }
  return false;
}

// A capital sigma ends a word when a cased letter precedes it and none follows it, looking past
// case-ignorable characters (apostrophes, combining marks) on both sides.
bool is_word_final(const std::vector<char32_t>& text, std::size_t at) {
  const auto i = static_cast<std::ptrdiff_t>(at);
  return cased_after_ignorables(text, i - 1, -1) && !cased_after_ignorables(text, i + 1, 1);
}

void append_lower(char32_t cp, std::string& out) {
  const auto it = std::lower_bound(kLowerMappings.begin(), kLowerMappings.end(), cp,
                                   [](const LowerMapping& m, char32_t c) { return m.from < c; });
  if (it == kLowerMappings.end() || it->from != cp) {
    append_utf8(out, cp);
    return;
  }
  for (char32_t target : it->to) {
    if (target == 0) break;
    append_utf8(out, target);
  }
}

}  // namespace

std::string to_lower_full(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) {
    for (char c : text) out.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c);
    return out;
  }
  const std::vector<char32_t> code_points = decode(text);
  for (std::size_t i = 0; i < code_points.size(); ++i) {
    const char32_t cp = code_points[i];
    if (cp == kCapitalSigma && is_word_final(code_points, i)) {
      append_utf8(out, kFinalSigma);
    } else {
      append_lower(cp, out);
    }
  }
  return out;
}

}  // namespace tarnevo::detail::text
