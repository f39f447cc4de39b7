#include "check/rules/icu_message.hpp"

#include <algorithm>
#include <array>
#include <cstring>

namespace tarnevo::cli {
namespace {

constexpr std::size_t kNone = std::string_view::npos;
// Translations nest two or three arguments deep; a deeper string is refused, not recursed into.
constexpr std::size_t kMaxDepth = 16;

enum class Kind : std::uint8_t { Plural, Ordinal, Select };

// An open plural, select or selectordinal argument.
struct Frame {
  std::size_t open = 0;
  Kind kind = Kind::Select;
  IcuChoice choice;
  // `#` stands in one of its messages: the number is shown.
  bool shows_value = false;
  bool any_selector = false;
};

// The bytes that end plain text in a message, looked up rather than compared one by one: the
// reader runs on every string that holds a "{" (callgrind on the check bench corpus).
constexpr std::array<bool, 256> kMeaningful = [] {
  std::array<bool, 256> table{};
  for (const unsigned char c : {'{', '}', '\'', '#'}) table[c] = true;
  return table;
}();

bool is_space(char c) noexcept {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// ICU takes any character but white space and pattern syntax; of ASCII that leaves letters,
// digits and "_".
bool is_name_byte(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool is_letter(char c) noexcept {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// One pass over the text: in a message (text, arguments, quotes) or, inside a plural, select or
// selectordinal, between its messages (selectors). The open arguments are a counted stack.
class Reader {
 public:
  Reader(std::string_view text, IcuMessage& message) : text_(text), message_(message) {}

  std::expected<void, IcuSyntaxError> run() {
    while (i_ < text_.size()) {
      const char* failure = depth_ > 0 && between_messages_ ? selector() : message_step();
      if (failure != nullptr) return std::unexpected(IcuSyntaxError{failure, error_at_});
    }
    if (depth_ > 0) {
      return std::unexpected(
          IcuSyntaxError{"an argument's '{' is never closed", frames_[depth_ - 1].open});
    }
    for (std::string_view name : message_.selectors) {
      if (std::find(message_.shown.begin(), message_.shown.end(), name) == message_.shown.end() &&
          std::find(message_.selector_only.begin(), message_.selector_only.end(), name) ==
              message_.selector_only.end()) {
        message_.selector_only.push_back(name);
      }
    }
    return {};
  }

 private:
  const char* fail(const char* what, std::size_t at) noexcept {
    error_at_ = at;
    return what;
  }

  void skip_spaces(std::size_t& j) const noexcept {
    while (j < text_.size() && is_space(text_[j])) ++j;
  }

  Frame* top() noexcept { return depth_ > 0 ? &frames_[depth_ - 1] : nullptr; }

  // One step inside a message: plain text up to the next byte that means something.
  const char* message_step() {
    while (i_ < text_.size() && !kMeaningful[static_cast<unsigned char>(text_[i_])]) ++i_;
    if (i_ == text_.size()) return nullptr;
    switch (text_[i_]) {
      case '\'':
        quote();
        return nullptr;
      case '#':
        if (Frame* frame = top(); frame != nullptr && frame->kind != Kind::Select) {
          frame->shows_value = true;
        }
        ++i_;
        return nullptr;
      case '}':
        if (depth_ == 0) return fail("a '}' closes nothing", i_);
        ++i_;
        between_messages_ = true;
        return nullptr;
      default:
        return argument();
    }
  }

  void quote() {
    const Frame* frame = top();
    const std::size_t end =
        skip_icu_apostrophe(text_, i_, frame != nullptr && frame->kind != Kind::Select);
    if (end != i_ + 1) message_.quotes = true;
    i_ = end;
  }

  // `{name}`, `{name, type}`, `{name, type, style}`, or the head of a plural, select or
  // selectordinal, whose messages follow.
  const char* argument() {
    const std::size_t open = i_;
    std::size_t j = open + 1;
    skip_spaces(j);
    const std::size_t name_start = j;
    while (j < text_.size() && is_name_byte(text_[j])) ++j;
    const std::string_view name = text_.substr(name_start, j - name_start);
    if (name.empty()) return fail("an argument has no name", j);
    message_.has_arguments = true;
    skip_spaces(j);
    if (j == text_.size()) return fail("an argument's '{' is never closed", open);
    if (text_[j] == '}') {
      message_.shown.push_back(name);
      i_ = j + 1;
      return nullptr;
    }
    if (text_[j] != ',') return fail("expected ',' or '}' after an argument's name", j);
    ++j;
    skip_spaces(j);
    const std::size_t type_start = j;
    while (j < text_.size() && is_letter(text_[j])) ++j;
    const std::string_view type = text_.substr(type_start, j - type_start);
    if (type.empty()) return fail("an argument has no type after its ','", j);
    skip_spaces(j);
    if (type == "plural" || type == "select" || type == "selectordinal") {
      if (j == text_.size() || text_[j] != ',') {
        return fail("expected ',' and messages after plural, select or selectordinal", j);
      }
      if (depth_ == kMaxDepth) return fail("arguments nest more than 16 deep", open);
      Frame& frame = frames_[depth_++];
      frame = Frame{};
      frame.open = open;
      frame.kind =
          type == "plural" ? Kind::Plural : (type == "select" ? Kind::Select : Kind::Ordinal);
      frame.choice.argument = name;
      frame.choice.ordinal = frame.kind == Kind::Ordinal;
      message_.has_choices = true;
      message_.selectors.push_back(name);
      between_messages_ = true;
      i_ = j + 1;
      return nullptr;
    }
    // number, date, time, ...: the value is shown, in a style that may hold braces and quotes.
    message_.has_types = true;
    message_.shown.push_back(name);
    if (j < text_.size() && text_[j] == '}') {
      i_ = j + 1;
      return nullptr;
    }
    if (j == text_.size() || text_[j] != ',') {
      return fail("expected ',' or '}' after an argument's type", j);
    }
    std::size_t nested = 0;
    for (++j; j < text_.size(); ++j) {
      if (text_[j] == '\'') {
        const std::size_t close = text_.find('\'', j + 1);
        if (close == kNone) return fail("a quote in a format style is never closed", j);
        j = close;
      } else if (text_[j] == '{') {
        ++nested;
      } else if (text_[j] == '}') {
        if (nested == 0) {
          i_ = j + 1;
          return nullptr;
        }
        --nested;
      }
    }
    return fail("an argument's '{' is never closed", open);
  }

  // Between the messages of the innermost open plural, select or selectordinal: a selector and
  // the "{" of its message, `offset:N` before the first, or the "}" that closes the argument.
  const char* selector() {
    Frame& frame = frames_[depth_ - 1];
    skip_spaces(i_);
    if (i_ == text_.size()) return nullptr;  // run() reports the open argument
    if (text_[i_] == '}') {
      if (!frame.any_selector) return fail("a plural, select or selectordinal has no messages", i_);
      if (frame.kind != Kind::Select) {
        if (frame.shows_value) message_.shown.push_back(frame.choice.argument);
        message_.choices.push_back(std::move(frame.choice));
      }
      --depth_;
      ++i_;
      between_messages_ = false;
      return nullptr;
    }
    const std::size_t start = i_;
    while (i_ < text_.size() && !is_space(text_[i_]) && text_[i_] != '{' && text_[i_] != '}') ++i_;
    const std::string_view written = text_.substr(start, i_ - start);
    if (written.empty()) return fail("a message has no selector before its '{'", start);
    if (frame.kind != Kind::Select && !frame.any_selector && written.starts_with("offset:")) {
      std::size_t j = start + 7;
      skip_spaces(j);
      const std::size_t digits = j;
      while (j < text_.size() && text_[j] >= '0' && text_[j] <= '9') ++j;
      if (j == digits) return fail("expected a number after 'offset:'", digits);
      i_ = j;
      return nullptr;
    }
    skip_spaces(i_);
    if (i_ == text_.size() || text_[i_] != '{') {
      return fail("expected '{' and a message after a selector", i_);
    }
    if (frame.kind != Kind::Select) {
      if (written.front() == '=') {
        if (written.size() == 1) return fail("an exact value '=' has no number", start);
      } else if (const PluralSet category = plural_category(written); category != 0) {
        frame.choice.categories |= category;
      } else {
        frame.choice.unknown.push_back(written);
      }
    }
    frame.any_selector = true;
    between_messages_ = false;
    ++i_;
    return nullptr;
  }

  std::string_view text_;
  IcuMessage& message_;
  std::size_t i_ = 0;
  std::size_t error_at_ = 0;
  std::array<Frame, kMaxDepth> frames_;
  std::size_t depth_ = 0;
  // Inside the innermost open argument, between its messages rather than in one.
  bool between_messages_ = false;
};

}  // namespace

bool may_be_message_format(std::string_view text) noexcept {
  const auto holds = [&](char c) { return std::memchr(text.data(), c, text.size()) != nullptr; };
  return holds('{') && (holds(',') || holds('\''));
}

std::size_t skip_icu_apostrophe(std::string_view text, std::size_t at, bool number_sign) noexcept {
  const std::size_t next = at + 1;
  if (next == text.size()) return next;
  const char c = text[next];
  if (c == '\'') return next + 1;
  if (c != '{' && c != '}' && c != '|' && !(number_sign && c == '#')) return next;
  // Quoted text, where `''` is one apostrophe.
  for (std::size_t j = next;;) {
    j = text.find('\'', j);
    if (j == kNone) return text.size();
    if (j + 1 < text.size() && text[j + 1] == '\'') {
      j += 2;
      continue;
    }
    return j + 1;
  }
}

std::string IcuSyntaxError::describe(std::string_view text) const {
  std::size_t characters = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++characters;
  }
  return std::string(what) + " at character " + std::to_string(characters);
}

std::expected<void, IcuSyntaxError> read_icu_message(std::string_view text, IcuMessage& message) {
  message.choices.clear();
  message.shown.clear();
  message.selectors.clear();
  message.selector_only.clear();
  message.has_arguments = false;
  message.has_choices = false;
  message.has_types = false;
  message.quotes = false;
  return Reader(text, message).run();
}

}  // namespace tarnevo::cli
