#include "toml/structure_scan.hpp"

#include <array>

namespace tarnevo::detail::toml {
namespace {

bool is_blank(char c) noexcept {
  return c == ' ' || c == '\t';
}

// Byte classes, looked up rather than compared: this pass runs before every parse.
enum ByteClass : std::uint8_t {
  kEndsBareKey = 1,     // ends a bare key
  kEndsScalar = 2,      // ends a number, boolean, date or time (which may hold a blank)
  kStopsBasicText = 4,  // a single-line "basic" string must look at it: '"', '\\', line feed
};

constexpr std::array<std::uint8_t, 256> make_byte_classes() {
  std::array<std::uint8_t, 256> classes{};
  // Valid bare keys are ASCII letters, digits, "-" and "_"; taking everything else but these
  // delimiters keeps the scan moving through invalid text.
  for (const unsigned char c : std::string_view(" \t\r\n.=[]{},#\"'")) classes[c] |= kEndsBareKey;
  for (const unsigned char c : std::string_view("\r\n,[]{}#\"'")) classes[c] |= kEndsScalar;
  for (const unsigned char c : std::string_view("\"\\\n")) classes[c] |= kStopsBasicText;
  return classes;
}

constexpr std::array<std::uint8_t, 256> kByteClasses = make_byte_classes();

bool has_class(char c, ByteClass cls) noexcept {
  return (kByteClasses[static_cast<unsigned char>(c)] & cls) != 0;
}

bool ends_bare_key(char c) noexcept {
  return has_class(c, kEndsBareKey);
}
bool ends_scalar(char c) noexcept {
  return has_class(c, kEndsScalar);
}

class StructureScanner {
 public:
  StructureScanner(std::string_view text, std::size_t max_depth,
                   std::vector<TomlStatement>* statements, std::size_t up_to)
      : text_(text), max_depth_(max_depth), statements_(statements), up_to_(up_to) {}

  void run() {
    while (!stopped_) {
      skip_blank_lines_and_comments();
      if (at_end() || (statements_ != nullptr && pos_ > up_to_)) break;
      if (statements_ != nullptr) drop_statements_behind();
      const char c = text_[pos_];
      if (c == '[') {
        scan_header();
      } else if (!ends_bare_key(c) || c == '"' || c == '\'') {
        scan_key_value(table_depth_);
      }
      // Whatever follows a statement on its line is a comment in a valid document.
      skip_to_line_end();
    }
  }

  std::optional<std::size_t> excess() const noexcept { return excess_; }

 private:
  bool at_end() const noexcept { return pos_ >= text_.size(); }

  // Of what lies wholly before the point of interest only the last two headers can matter (the
  // one the point belongs to and the one before it), so a failure late in a long document does
  // not collect the whole document first.
  void drop_statements_behind() {
    std::size_t headers = 0;
    for (const TomlStatement& s : *statements_) headers += s.kind != TomlStatement::Kind::KeyValue;
    std::size_t header_index = 0;
    std::erase_if(*statements_, [&](const TomlStatement& s) {
      if (s.kind == TomlStatement::Kind::KeyValue) return s.end < up_to_;
      return header_index++ + 2 < headers;
    });
  }

  void skip_blanks() noexcept {
    while (!at_end() && is_blank(text_[pos_])) ++pos_;
  }

  void skip_to_line_end() noexcept {
    const std::size_t newline = text_.find('\n', pos_);
    pos_ = newline == std::string_view::npos ? text_.size() : newline;
  }

  void skip_blank_lines_and_comments() noexcept {
    while (!at_end()) {
      const char c = text_[pos_];
      if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
        ++pos_;
      } else if (c == '#') {
        skip_to_line_end();
      } else {
        break;
      }
    }
  }

  void flag_excess(std::size_t offset) noexcept {
    excess_ = offset;
    stopped_ = true;
  }

  // Past a string of any of the four kinds, from its opening quote. An unterminated single-line
  // string ends at its line's end.
  void scan_string() noexcept {
    const char quote = text_[pos_];
    const bool multi_line =
        text_.substr(pos_, 3) == std::string_view(quote == '"' ? "\"\"\"" : "'''");
    if (!multi_line) {
      ++pos_;
      if (quote == '\'') {
        const std::size_t found = text_.find_first_of("'\n", pos_);
        pos_ = found == std::string_view::npos ? text_.size() : found + (text_[found] == '\'');
        return;
      }
      while (!at_end()) {
        while (!at_end() && !has_class(text_[pos_], kStopsBasicText)) ++pos_;
        if (at_end() || text_[pos_] == '\n') return;
        if (text_[pos_] == '"') {
          ++pos_;
          return;
        }
        pos_ += 2;  // an escape: the escaped byte cannot end the string
      }
      pos_ = text_.size();
      return;
    }
    pos_ += 3;
    const std::string_view delimiter = quote == '"' ? "\"\"\"" : "'''";
    while (!at_end()) {
      const std::size_t found =
          quote == '"' ? text_.find_first_of("\"\\", pos_) : text_.find(delimiter, pos_);
      if (found == std::string_view::npos) break;
      if (text_[found] == '\\') {
        pos_ = found + 2;
        continue;
      }
      if (text_.substr(found, 3) != delimiter) {
        pos_ = found + 1;
        continue;
      }
      pos_ = found + 3;
      // Up to two quotes right before the delimiter belong to the content: """a"""""
      for (int extra = 0; extra < 2 && !at_end() && text_[pos_] == quote; ++extra) ++pos_;
      return;
    }
    pos_ = text_.size();
  }

  // Appends the segments of a dotted key to path_. `depth` is the depth of the table the key
  // starts in; `step` how deep each segment may go (2 for headers, see kTomlMaxNestingDepth).
  void scan_key(std::size_t depth, std::size_t step) {
    while (!stopped_) {
      skip_blanks();
      if (at_end()) return;
      const std::size_t begin = pos_;
      const char c = text_[pos_];
      if (c == '"' || c == '\'') {
        scan_string();
      } else if (!ends_bare_key(c)) {
        while (!at_end() && !ends_bare_key(text_[pos_])) ++pos_;
      } else {
        return;
      }
      path_.push_back(text_.substr(begin, pos_ - begin));
      depth += step;
      if (depth > max_depth_) {
        flag_excess(begin);
        return;
      }
      skip_blanks();
      if (at_end() || text_[pos_] != '.') return;
      ++pos_;
    }
  }

  // Records a statement unless it begins past the point of interest. The scan goes on to the
  // end of the top-level statement, so that the statement at that point gets its end.
  TomlStatement* record(TomlStatement::Kind kind, std::size_t begin, std::size_t table_segments) {
    if (statements_ == nullptr || begin > up_to_) return nullptr;
    TomlStatement& s = statements_->emplace_back();
    s.kind = kind;
    s.begin = begin;
    s.table.assign(path_.begin(), path_.begin() + static_cast<std::ptrdiff_t>(table_segments));
    s.key.assign(path_.begin() + static_cast<std::ptrdiff_t>(table_segments), path_.end());
    return &s;
  }

  void scan_header() {
    const std::size_t begin = pos_;
    ++pos_;
    const bool is_array = !at_end() && text_[pos_] == '[';
    if (is_array) ++pos_;
    path_.clear();
    table_depth_ = 0;
    scan_key(0, 2);
    if (stopped_) return;
    skip_blanks();
    if (!at_end() && text_[pos_] == ']') ++pos_;
    if (is_array && !at_end() && text_[pos_] == ']') ++pos_;
    if (TomlStatement* s = record(
            is_array ? TomlStatement::Kind::TableArray : TomlStatement::Kind::Table, begin, 0)) {
      s->end = pos_;
    }
    table_depth_ = 2 * path_.size();
  }

  // A key-value in a table `depth` deep. The key's segments stay on path_ while its value is
  // scanned, as the table path of whatever the value holds.
  void scan_key_value(std::size_t depth) {
    const std::size_t begin = pos_;
    const std::size_t outer = path_.size();
    scan_key(depth, 1);
    if (stopped_) return;
    const bool recorded = record(TomlStatement::Kind::KeyValue, begin, outer) != nullptr;
    const std::size_t index = recorded ? statements_->size() - 1 : 0;
    skip_blanks();
    if (!at_end() && text_[pos_] == '=') {
      ++pos_;
      skip_blanks();
    }
    const std::size_t value_begin = pos_;
    const std::size_t value_end = scan_value(depth + (path_.size() - outer));
    if (recorded) {
      (*statements_)[index].value_begin = value_begin;
      (*statements_)[index].end = value_end;
    }
    path_.resize(outer);
  }

  // Past one value that sits `depth` deep; returns the offset just after it.
  std::size_t scan_value(std::size_t depth) {
    if (at_end()) return pos_;
    const char c = text_[pos_];
    if (c == '"' || c == '\'') {
      scan_string();
      return pos_;
    }
    if (c == '[' || c == '{') {
      if (depth > max_depth_) {
        flag_excess(pos_);
        return pos_;
      }
      ++pos_;
      if (c == '[') {
        scan_array(depth);
      } else {
        scan_inline_table(depth);
      }
      return pos_;
    }
    std::size_t end = pos_;
    while (!at_end() && !ends_scalar(text_[pos_])) {
      if (!is_blank(text_[pos_])) end = pos_ + 1;
      ++pos_;
    }
    return end;
  }

  void scan_array(std::size_t depth) {
    while (!stopped_) {
      skip_blank_lines_and_comments();
      if (at_end()) return;
      const char c = text_[pos_];
      if (c == ']') {
        ++pos_;
        return;
      }
      if (c == ',') {
        ++pos_;
        continue;
      }
      const std::size_t before = pos_;
      scan_value(depth + 1);
      if (pos_ == before) ++pos_;  // a stray "}" or the like: step over it
    }
  }

  void scan_inline_table(std::size_t depth) {
    while (!stopped_) {
      skip_blank_lines_and_comments();
      if (at_end()) return;
      const char c = text_[pos_];
      if (c == '}') {
        ++pos_;
        return;
      }
      if (c != ',' && (!ends_bare_key(c) || c == '"' || c == '\'')) {
        scan_key_value(depth);
      } else {
        ++pos_;
      }
    }
  }

  std::string_view text_;
  std::size_t pos_ = 0;
  std::size_t max_depth_;
  std::vector<TomlStatement>* statements_;
  std::size_t up_to_;
  bool stopped_ = false;
  std::optional<std::size_t> excess_;
  std::size_t table_depth_ = 0;
  // Raw segments of the current table path, then of the keys being read inside it.
  std::vector<std::string_view> path_;
};

}  // namespace

std::optional<std::size_t> find_toml_nesting_excess(std::string_view text, std::size_t max_depth) {
  StructureScanner scanner(text, max_depth, nullptr, 0);
  scanner.run();
  return scanner.excess();
}

std::vector<TomlStatement> scan_toml_statements(std::string_view text, std::size_t up_to) {
  std::vector<TomlStatement> statements;
  StructureScanner scanner(text, kTomlMaxNestingDepth, &statements, up_to);
  scanner.run();
  return statements;
}

}  // namespace tarnevo::detail::toml
