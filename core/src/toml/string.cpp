#include "toml/string.hpp"

#include <algorithm>

#include "text/byte_scan.hpp"
#include "text/utf8.hpp"

namespace tarnevo::detail::toml {
namespace {

int hex_value(char c) noexcept {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::size_t character_length(char lead) noexcept {
  const auto byte = static_cast<unsigned char>(lead);
  return byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
}

Failed fail_end_of_file(const Cursor& cursor) {
  return fail(cursor, cursor.end, cursor.end,
              "Error while parsing string: encountered end-of-file");
}

// A character that a string may not hold as it is: a line break in a single-line string, any
// other control character but tab, DEL.
Failed fail_character(const Cursor& cursor, const char* p) {
  if (*p == '\n') {
    return fail(cursor, p, p + 1,
                "Error while parsing string: expected the closing quote before the end of the "
                "line");
  }
  return fail(cursor, p, p + 1,
              "Error while parsing string: control character " +
                  name_character(cursor.text(), cursor.offset(p)) + " is not allowed in a string");
}

// The escape sequence whose backslash `p` points at: appends its character to `out` and returns
// the position after it.
std::expected<const char*, TomlFailure> read_escape(const Cursor& cursor, const char* p,
                                                    std::string& out) {
  if (cursor.end - p < 2) return fail_end_of_file(cursor);
  const char letter = p[1];
  switch (letter) {
    case 'b':
      out.push_back('\b');
      return p + 2;
    case 't':
      out.push_back('\t');
      return p + 2;
    case 'n':
      out.push_back('\n');
      return p + 2;
    case 'f':
      out.push_back('\f');
      return p + 2;
    case 'r':
      out.push_back('\r');
      return p + 2;
    case '"':
      out.push_back('"');
      return p + 2;
    case '\\':
      out.push_back('\\');
      return p + 2;
    case 'u':
    case 'U': {
      const std::ptrdiff_t digits = letter == 'u' ? 4 : 8;
      const char* const after = p + 2 + std::min(digits, cursor.end - p - 2);
      char32_t code = 0;
      for (const char* d = p + 2; d != p + 2 + digits; ++d) {
        const int value = d < cursor.end ? hex_value(*d) : -1;
        if (value < 0) {
          return fail(cursor, p, std::min(after, d + 1),
                      std::string("Error while parsing string: expected ") +
                          (digits == 4 ? "four" : "eight") + " hexadecimal digits after \\" +
                          letter);
        }
        code = code * 16 + static_cast<char32_t>(value);
      }
      if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return fail(cursor, p, after,
                    "Error while parsing string: escape sequence is not a Unicode scalar value");
      }
      text::append_utf8(out, code);
      return after;
    }
    default: {
      const char* const after = p + 1 + character_length(letter);
      std::string description = "Error while parsing string: invalid escape sequence";
      const auto byte = static_cast<unsigned char>(letter);
      if (byte > 0x20 && byte < 0x7F) description.append(" '\\").append(1, letter).append("'");
      return fail(cursor, p, std::min(after, cursor.end), std::move(description));
    }
  }
}

// Builds the content as it goes once something in it needs decoding; until then it is a slice.
class Content {
 public:
  Content(std::string& buffer, const char* start) noexcept
      : buffer_(buffer), offset_(buffer.size()), run_(start) {}

  // Ends the plain run at `p`; the caller appends what replaces [p, resume) and resumes there.
  std::string& decode_from(const char* p) {
    buffer_.append(run_, p);
    decoded_ = true;
    return buffer_;
  }
  void resume_at(const char* p) noexcept { run_ = p; }

  StringContent finish(const char* stop) {
    if (!decoded_)
      return StringContent{std::string_view(run_, static_cast<std::size_t>(stop - run_))};
    buffer_.append(run_, stop);
    return StringContent{{}, offset_, buffer_.size() - offset_, true};
  }

 private:
  std::string& buffer_;
  const std::size_t offset_;
  const char* run_;
  bool decoded_ = false;
};

std::expected<StringContent, TomlFailure> read_single_line(Cursor& cursor, std::string& buffer,
                                                           char quote) {
  const char* p = cursor.at + 1;
  Content content(buffer, p);
  for (;;) {
    p = text::find_toml_string_stop(p, cursor.end, quote);
    if (p == cursor.end) return fail_end_of_file(cursor);
    if (*p == quote) {
      cursor.at = p + 1;
      return content.finish(p);
    }
    if (*p == '\\' && quote == '"') {
      auto after = read_escape(cursor, p, content.decode_from(p));
      if (!after) return std::unexpected(std::move(after.error()));
      p = *after;
      content.resume_at(p);
    } else if (*p == '\\' || *p == '\t') {
      ++p;
    } else {
      return fail_character(cursor, p);
    }
  }
}

// After a backslash that ends its line (`p` is just past the backslash): the blanks, the line
// break and all whitespace and line breaks after it are dropped. Returns where the text resumes.
std::expected<const char*, TomlFailure> skip_line_ending_backslash(const Cursor& cursor,
                                                                   const char* backslash) {
  const char* p = backslash + 1;
  while (p != cursor.end && (*p == ' ' || *p == '\t')) ++p;
  const bool line_break =
      p != cursor.end && (*p == '\n' || (*p == '\r' && cursor.end - p >= 2 && p[1] == '\n'));
  if (!line_break) {
    return fail(cursor, backslash, backslash + 2,
                "Error while parsing string: a backslash followed by whitespace must end its "
                "line");
  }
  for (;;) {
    if (p != cursor.end && (*p == ' ' || *p == '\t' || *p == '\n')) {
      ++p;
    } else if (cursor.end - p >= 2 && p[0] == '\r' && p[1] == '\n') {
      p += 2;
    } else {
      return p;
    }
  }
}

std::expected<StringContent, TomlFailure> read_multi_line(Cursor& cursor, std::string& buffer,
                                                          char quote) {
  const char* p = cursor.at + 3;
  // A line break right after the opening quotes is not part of the string.
  if (p != cursor.end && *p == '\n') {
    ++p;
  } else if (cursor.end - p >= 2 && p[0] == '\r' && p[1] == '\n') {
    p += 2;
  }
  Content content(buffer, p);
  for (;;) {
    p = text::find_toml_string_stop(p, cursor.end, quote);
    if (p == cursor.end) return fail_end_of_file(cursor);
    switch (*p) {
      case '\\':
        if (quote == '"') {
          const char next = cursor.end - p >= 2 ? p[1] : '\0';
          std::string& out = content.decode_from(p);
          auto after = next == ' ' || next == '\t' || next == '\n' || next == '\r'
                           ? skip_line_ending_backslash(cursor, p)
                           : read_escape(cursor, p, out);
          if (!after) return std::unexpected(std::move(after.error()));
          p = *after;
          content.resume_at(p);
        } else {
          ++p;
        }
        break;
      case '\t':
      case '\n':
        ++p;
        break;
      case '\r':
        if (cursor.end - p < 2 || p[1] != '\n') return fail_character(cursor, p);
        content.decode_from(p);
        content.resume_at(++p);
        break;
      default: {
        if (*p != quote) return fail_character(cursor, p);
        // Three quotes close the string; up to two more before them are its last characters.
        const char* run_end = p;
        while (run_end != cursor.end && *run_end == quote && run_end - p < 5) ++run_end;
        const std::ptrdiff_t quotes = run_end - p;
        if (quotes >= 3) {
          cursor.at = run_end;
          return content.finish(p + (quotes - 3));
        }
        p = run_end;
        break;
      }
    }
  }
}

}  // namespace

std::expected<StringContent, TomlFailure> read_any_string(Cursor& cursor, std::string& buffer,
                                                          bool multi_line_allowed) {
  const char quote = *cursor.at;
  const bool multi_line =
      cursor.end - cursor.at >= 3 && cursor.at[1] == quote && cursor.at[2] == quote;
  if (!multi_line) return read_single_line(cursor, buffer, quote);
  if (!multi_line_allowed) {
    return fail(cursor, cursor.at, cursor.at + 3,
                "Error while parsing key: a multi-line string cannot be a key");
  }
  return read_multi_line(cursor, buffer, quote);
}

}  // namespace tarnevo::detail::toml
