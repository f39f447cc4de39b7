#include "check/rules/placeholders.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <tuple>

#include "check/rules/icu_message.hpp"

namespace tarnevo::cli {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
// ICU messages nest (a select inside a plural); deeper than this, a message's inner placeholders
// are skipped rather than recursed into, so a hostile string cannot exhaust the stack.
constexpr int kMaxIcuDepth = 8;

// The bytes that end plain text, looked up rather than compared one by one (callgrind on the
// check bench corpus); in ICU MessageFormat text apostrophes too.
constexpr std::array<bool, 256> stop_table(bool apostrophe) {
  std::array<bool, 256> table{};
  for (const unsigned char c : {'{', '}', '%'}) table[c] = true;
  table[static_cast<unsigned char>('\'')] = apostrophe;
  return table;
}
constexpr std::array<bool, 256> kStops = stop_table(false);
constexpr std::array<bool, 256> kIcuStops = stop_table(true);

bool is_name_byte(char c) noexcept {
  const auto byte = static_cast<unsigned char>(c);
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.' || c == '$' || byte >= 0x80;
}

bool is_space(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool is_name(std::string_view name) noexcept {
  return !name.empty() && std::all_of(name.begin(), name.end(), is_name_byte);
}

std::string_view trim(std::string_view text) noexcept {
  while (!text.empty() && is_space(text.front())) text.remove_prefix(1);
  while (!text.empty() && is_space(text.back())) text.remove_suffix(1);
  return text;
}

bool is_digit(char c) noexcept {
  return c >= '0' && c <= '9';
}

// A forward scan that tries each "{" and "%" as the start of a placeholder; a failed try is
// retried from the next byte. Tries look ahead for closing delimiters: the searches remember
// their last answer and the braces are matched in one pass, so a string of a million "{{" or
// "%{" costs a pass or two. What a hostile string could still make quadratic (ICU arguments
// nested and broken deep inside) is capped: every byte looked at is counted against a budget of
// a few dozen looks per byte, and the scan stops when it runs out. Translations come nowhere
// near it.
class Scanner {
 public:
  Scanner(std::string_view text, std::vector<Placeholder>& out, bool icu_quotes)
      : text_(text),
        out_(out),
        budget_(32 * text.size() + 4096),
        icu_quotes_(icu_quotes),
        stops_(icu_quotes ? kIcuStops : kStops) {}

  // Scans a message from `i` to the end of the text or, inside an ICU argument (depth > 0), to
  // the "}" that closes the message, where `i` is left.
  void scan_message(std::size_t& i, int depth) {
    while (i < text_.size()) {
      // Plain text up to the next brace or percent sign, in a loop of its own.
      const std::size_t plain = i;
      while (i < text_.size() && !stops_[static_cast<unsigned char>(text_[i])]) ++i;
      if (!spend(i - plain + 1)) {
        i = text_.size();
        return;
      }
      if (i == text_.size()) return;
      const char c = text_[i];
      if (c == '\'') {
        const std::size_t end = skip_icu_apostrophe(text_, i, depth > 0);
        i = spend(end - i) ? end : text_.size();
        continue;
      }
      if (c == '}' && depth > 0) return;
      if (c == '{' && (double_brace(i) || brace_argument(i, depth))) continue;
      if (c == '%' && percent(i)) continue;
      ++i;
    }
  }

 private:
  void add(Placeholder::Form form, std::string_view name, std::size_t start, std::size_t end,
           unsigned argument = 0) {
    const char conversion =
        form == Placeholder::Form::PercentParen || form == Placeholder::Form::Printf
            ? text_[end - 1]
            : 0;
    out_.push_back(Placeholder{form, name, argument, conversion, text_.substr(start, end - start)});
  }

  // False, and from then on always false, once the budget is spent.
  bool spend(std::size_t looks) noexcept {
    if (looks > budget_) {
      budget_ = 0;
      return false;
    }
    budget_ -= looks;
    return true;
  }

  // Moves `i` past the bytes that `keep` accepts.
  template <typename Keep>
  void skip_while(std::size_t& i, Keep keep) noexcept {
    const std::size_t start = i;
    while (i < text_.size() && keep(text_[i])) ++i;
    if (!spend(i - start)) i = text_.size();
  }

  void skip_spaces(std::size_t& i) noexcept { skip_while(i, is_space); }

  // The last search for one delimiter: where it started and what it found.
  struct LastFind {
    std::size_t from = kNone;
    std::size_t at = kNone;
  };

  // text_.find(what, from), counted against the budget; kNone when it runs out. A search that
  // starts between the last one's start and its answer has the same answer.
  template <typename What>
  std::size_t find(What what, std::size_t from, LastFind& last) noexcept {
    if (last.from != kNone && last.from <= from && (last.at == kNone || from <= last.at)) {
      return last.at;
    }
    const std::size_t at = text_.find(what, from);
    const std::size_t looked = (at == kNone ? text_.size() : at) - std::min(from, text_.size());
    if (!spend(looked)) return kNone;
    last = LastFind{from, at};
    return at;
  }

  // The "}" that closes the "{" at `open`, nested pairs counted; kNone if none. Every brace is
  // matched in one pass the first time one is asked for.
  std::size_t matching_close(std::size_t open) {
    if (closes_.empty()) {
      closes_.assign(text_.size(), kNone);
      std::vector<std::size_t> opened;
      for (std::size_t i = 0; i < text_.size(); ++i) {
        const char c = text_[i];
        if (c == '{') {
          opened.push_back(i);
        } else if (c == '}' && !opened.empty()) {
          closes_[opened.back()] = i;
          opened.pop_back();
        } else if (c == '\'' && icu_quotes_) {
          // Quoted braces are text; `#` quotes nothing that matters here.
          i = skip_icu_apostrophe(text_, i, false) - 1;
        }
      }
      spend(text_.size());
    }
    return closes_[open];
  }

  // {{name}}: i18next, Mustache, Vue's older syntax.
  bool double_brace(std::size_t& i) {
    if (i + 1 >= text_.size() || text_[i + 1] != '{') return false;
    const std::size_t close = find(std::string_view("}}"), i + 2, last_double_close_);
    if (close == kNone) return false;
    std::string_view inner = text_.substr(i + 2, close - i - 2);
    const std::size_t brace = inner.find_first_of("{}");
    if (!spend(brace == kNone ? inner.size() : brace) || brace != kNone) return false;
    inner = trim(inner);
    // i18next's unescaped form.
    if (inner.size() > 1 && inner[0] == '-' && is_space(inner[1])) inner.remove_prefix(1);
    inner = trim(inner.substr(0, inner.find(',')));
    if (!is_name(inner)) return false;
    add(Placeholder::Form::DoubleBrace, inner, i, close + 2);
    i = close + 2;
    return true;
  }

  // {name}, {0}, {name:format}, and ICU's {name, type, ...}.
  bool brace_argument(std::size_t& i, int depth) {
    std::size_t j = i + 1;
    skip_spaces(j);
    const std::size_t name_start = j;
    skip_while(j, is_name_byte);
    const std::string_view name = text_.substr(name_start, j - name_start);
    if (name.empty()) return false;
    skip_spaces(j);
    if (j == text_.size()) return false;
    std::size_t end = kNone;
    const std::size_t first_inner = out_.size();
    if (text_[j] == '}') {
      end = j + 1;
    } else if (text_[j] == ':' || text_[j] == '!') {
      const std::size_t close = matching_close(i);
      if (close != kNone) end = close + 1;
    } else if (text_[j] == ',' && matching_close(i) != kNone) {
      end = icu_argument(i, j + 1, depth);
    }
    if (end == kNone) {
      out_.resize(first_inner);
      return false;
    }
    // The argument's own name goes before the placeholders of its messages.
    add(Placeholder::Form::Brace, name, i, end);
    std::rotate(out_.begin() + static_cast<std::ptrdiff_t>(first_inner), out_.end() - 1,
                out_.end());
    i = end;
    return true;
  }

  // The rest of an ICU argument, opened at `open`, from `j` after its name and comma; returns
  // the index past its closing "}", or kNone when it is not well formed.
  std::size_t icu_argument(std::size_t open, std::size_t j, int depth) {
    skip_spaces(j);
    const std::size_t type_start = j;
    skip_while(j, is_name_byte);
    const std::string_view type = text_.substr(type_start, j - type_start);
    skip_spaces(j);
    const bool has_messages = type == "plural" || type == "select" || type == "selectordinal";
    if (!has_messages || j == text_.size() || text_[j] != ',' || depth >= kMaxIcuDepth) {
      // number, date, time and other formats: a style and no messages. (The caller has made
      // sure that the argument closes.)
      return matching_close(open) + 1;
    }
    ++j;
    while (true) {
      skip_spaces(j);
      if (j == text_.size()) return kNone;
      if (text_[j] == '}') return j + 1;
      // A selector: one, other, =0, offset:1.
      const std::size_t selector_start = j;
      skip_while(j, [](char c) { return !is_space(c) && c != '{' && c != '}'; });
      if (j == selector_start) return kNone;
      skip_spaces(j);
      if (text_.substr(selector_start, 7) == "offset:") continue;
      if (j == text_.size() || text_[j] != '{') return kNone;
      ++j;
      scan_message(j, depth + 1);
      if (j == text_.size()) return kNone;
      ++j;  // the message's "}"
    }
  }

  // The printf conversion that starts at `j` (flags, width, precision, length, conversion);
  // returns the index past it, or kNone. "%s", "%-5d", "%.2f", "%ld", "%@".
  std::size_t printf_spec(std::size_t j) const noexcept {
    while (j < text_.size() && std::string_view("-+0#").find(text_[j]) != kNone) ++j;
    while (j < text_.size() && (is_digit(text_[j]) || text_[j] == '*')) ++j;
    if (j < text_.size() && text_[j] == '.') {
      ++j;
      while (j < text_.size() && (is_digit(text_[j]) || text_[j] == '*')) ++j;
    }
    for (std::string_view length : {"hh", "ll", "h", "l", "L", "z", "j", "t", "q"}) {
      if (text_.substr(j, length.size()) == length) {
        j += length.size();
        break;
      }
    }
    if (j < text_.size() && std::string_view("diouxXeEfFgGcs@").find(text_[j]) != kNone) {
      return j + 1;
    }
    return kNone;
  }

  bool percent(std::size_t& i) {
    if (i + 1 >= text_.size()) return false;
    const char next = text_[i + 1];
    if (next == '%') {
      i += 2;
      return true;
    }
    if (next == '{' || next == '(') {
      // %{name} (Ruby) and %(name)s (Python).
      const char close_char = next == '{' ? '}' : ')';
      const std::size_t close =
          find(close_char, i + 2, next == '{' ? last_close_brace_ : last_close_paren_);
      if (close == kNone) return false;
      const std::string_view name = trim(text_.substr(i + 2, close - i - 2));
      if (!is_name(name)) return false;
      if (next == '{') {
        add(Placeholder::Form::PercentBrace, name, i, close + 1);
        i = close + 1;
        return true;
      }
      const std::size_t end = printf_spec(close + 1);
      if (end == kNone) return false;
      add(Placeholder::Form::PercentParen, name, i, end);
      i = end;
      return true;
    }
    // printf, with an argument number ("%2$s") or taking the next one.
    std::size_t j = i + 1;
    unsigned argument = 0;
    while (j < text_.size() && is_digit(text_[j]) && argument < 100000) {
      argument = argument * 10 + static_cast<unsigned>(text_[j] - '0');
      ++j;
    }
    if (j > i + 1 && j < text_.size() && text_[j] == '$') {
      ++j;
    } else {
      j = i + 1;
      argument = 0;
    }
    const std::size_t end = printf_spec(j);
    if (end == kNone) return false;
    if (argument == 0) argument = next_argument_++;
    add(Placeholder::Form::Printf, {}, i, end, argument);
    i = end;
    return true;
  }

  std::string_view text_;
  std::vector<Placeholder>& out_;
  std::size_t budget_;
  LastFind last_double_close_;
  LastFind last_close_brace_;
  LastFind last_close_paren_;
  // For each "{", the index of its "}" (kNone if unclosed); empty until first needed.
  std::vector<std::size_t> closes_;
  unsigned next_argument_ = 1;
  // ICU MessageFormat text: apostrophes quote (see skip_icu_apostrophe).
  bool icu_quotes_;
  // The bytes that end plain text.
  const std::array<bool, 256>& stops_;
};

auto identity(const Placeholder& p) noexcept {
  return std::tie(p.form, p.name, p.argument, p.conversion);
}

// printf's forms, %(name)s among them.
bool is_printf(const Placeholder& p) noexcept {
  return p.form == Placeholder::Form::Printf || p.form == Placeholder::Form::PercentParen;
}

bool may_hold_placeholders(std::string_view text) noexcept {
  return std::memchr(text.data(), '{', text.size()) != nullptr ||
         std::memchr(text.data(), '%', text.size()) != nullptr;
}

// The written forms of `from`'s placeholders that `other_sorted` (sorted by identity) lacks,
// each once, in the order they first appear in `from`.
std::vector<std::string> lacking(const std::vector<Placeholder>& from,
                                 const std::vector<Placeholder>& other_sorted,
                                 bool count_may_differ) {
  std::vector<std::size_t> found;
  for (std::size_t i = 0; i < from.size(); ++i) {
    if (count_may_differ && from[i].is_count()) continue;
    if (!std::binary_search(other_sorted.begin(), other_sorted.end(), from[i], identity_less)) {
      found.push_back(i);
    }
  }
  const auto by_identity = [&](std::size_t a, std::size_t b) {
    return identity_less(from[a], from[b]);
  };
  std::stable_sort(found.begin(), found.end(), by_identity);
  found.erase(
      std::unique(found.begin(), found.end(),
                  [&](std::size_t a, std::size_t b) { return same_identity(from[a], from[b]); }),
      found.end());
  std::sort(found.begin(), found.end());
  std::vector<std::string> written;
  written.reserve(found.size());
  for (std::size_t i : found) written.push_back(from[i].written());
  return written;
}

std::vector<Placeholder> sorted_by_identity(std::vector<Placeholder> placeholders) {
  std::sort(placeholders.begin(), placeholders.end(), identity_less);
  return placeholders;
}

}  // namespace

std::string Placeholder::written() const {
  std::string text;
  switch (form) {
    case Form::Brace:
      return text.append("{").append(name).append("}");
    case Form::DoubleBrace:
      return text.append("{{").append(name).append("}}");
    case Form::PercentBrace:
      return text.append("%{").append(name).append("}");
    case Form::PercentParen:
    case Form::Printf:
      break;
  }
  return std::string(source);
}

bool same_identity(const Placeholder& a, const Placeholder& b) noexcept {
  return identity(a) == identity(b);
}

bool identity_less(const Placeholder& a, const Placeholder& b) noexcept {
  return identity(a) < identity(b);
}

void find_placeholders(std::string_view text, std::vector<Placeholder>& found, bool icu_quotes) {
  if (!may_hold_placeholders(text)) return;
  Scanner scanner(text, found, icu_quotes);
  std::size_t i = 0;
  scanner.scan_message(i, 0);
}

PlaceholderDiff PlaceholderComparison::compare(std::string_view locale_text,
                                               std::string_view default_text, bool count_may_differ,
                                               bool icu_quotes) {
  PlaceholderDiff diff;
  // Most strings have no placeholder on either side.
  if (!may_hold_placeholders(locale_text) && !may_hold_placeholders(default_text)) return diff;
  ours_.clear();
  theirs_.clear();
  find_placeholders(locale_text, ours_, icu_quotes);
  find_placeholders(default_text, theirs_, icu_quotes);
  // printf placeholders count in the translation only where the default's string has some:
  // percent signs are common in prose ("{{percent}}%-ot", "5%de"), braces are not.
  if (std::none_of(theirs_.begin(), theirs_.end(), is_printf)) std::erase_if(ours_, is_printf);
  // Most translations keep the default's placeholders in the default's order.
  if (std::equal(ours_.begin(), ours_.end(), theirs_.begin(), theirs_.end(), same_identity)) {
    return diff;
  }
  diff.missing = lacking(theirs_, sorted_by_identity(ours_), count_may_differ);
  diff.unexpected = lacking(ours_, sorted_by_identity(theirs_), count_may_differ);
  return diff;
}

}  // namespace tarnevo::cli
