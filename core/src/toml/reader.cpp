// The TOML reader. toml++ does the parsing (configured in tomlplusplus.hpp, and confined to this
// one file); this file turns its tree into a LocaleValue and its failures into our messages.
#include "toml/tomlplusplus.hpp"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/utf8.hpp"
#include "toml/datetime_text.hpp"
#include "toml/error_text.hpp"
#include "toml/key_text.hpp"
#include "toml/reader.hpp"
#include "toml/source_map.hpp"
#include "toml/structure_scan.hpp"

namespace tarnevo::detail::toml {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

TomlPosition position_of(const ::toml::source_position& p) noexcept {
  return TomlPosition{p.line, p.column};
}

// ---------------------------------------------------------------------------------------------
// toml++ tree -> LocaleValue

class TreeConverter {
 public:
  explicit TreeConverter(TomlSourceMap& source) noexcept : source_(source) {}

  // Recursion is bounded: the document passed the nesting check before it was parsed. The
  // node's type says what it is, so the casts are plain downcasts.
  LocaleValue convert(::toml::node& node) {
    switch (node.type()) {
      case ::toml::node_type::table:
        return convert_table(static_cast<::toml::table&>(node));
      case ::toml::node_type::array:
        return convert_array(static_cast<::toml::array&>(node));
      case ::toml::node_type::string:
        // The toml++ tree is thrown away afterwards: take its strings rather than copy them.
        return LocaleValue::string(std::move(value_of<std::string>(node)));
      case ::toml::node_type::integer:
        return LocaleValue::from_signed(value_of<std::int64_t>(node));
      case ::toml::node_type::floating_point:
        return LocaleValue::from_float(value_of<double>(node));
      case ::toml::node_type::boolean:
        return LocaleValue::boolean(value_of<bool>(node));
      case ::toml::node_type::date: {
        TomlDatetimeParts parts;
        parts.date = date_of(value_of<::toml::date>(node));
        return datetime_value(parts);
      }
      case ::toml::node_type::time: {
        TomlDatetimeParts parts;
        parts.time = time_of(value_of<::toml::time>(node));
        return datetime_value(parts);
      }
      case ::toml::node_type::date_time:
        return convert_date_time(node);
      case ::toml::node_type::none:
        break;
    }
    return LocaleValue::null();
  }

  LocaleValue convert_table(::toml::table& table) {
    // toml++ keeps a table's keys in a std::map ordered by std::string's comparison, which is the
    // tree's byte order, so from_members finds them sorted and does not sort again.
    std::vector<LocaleMember> members;
    members.reserve(table.size());
    for (auto&& [key, child] : table) {
      members.push_back(LocaleMember{std::string(key.str()), convert(child)});
    }
    // Free toml++'s nodes as soon as they are converted: the new tree then reuses their memory
    // while it is still in cache, and the two trees never both exist in full.
    table.clear();
    return LocaleValue::object(LocaleObject::from_members(std::move(members)));
  }

 private:
  template <typename T>
  static T& value_of(::toml::node& node) noexcept {
    return static_cast<::toml::value<T>&>(node).get();
  }

  LocaleValue convert_array(::toml::array& array) {
    LocaleArray items;
    items.reserve(array.size());
    for (::toml::node& child : array) items.push_back(convert(child));
    array.clear();
    return LocaleValue::array(std::move(items));
  }

  static TomlDate date_of(const ::toml::date& d) noexcept {
    return TomlDate{d.year, d.month, d.day};
  }

  static TomlTime time_of(const ::toml::time& t) noexcept {
    return TomlTime{t.hour, t.minute, t.second, t.nanosecond};
  }

  LocaleValue convert_date_time(::toml::node& node) {
    const ::toml::date_time& dt = value_of<::toml::date_time>(node);
    TomlDatetimeParts parts;
    parts.date = date_of(dt.date);
    parts.time = time_of(dt.time);
    if (dt.offset) {
      // toml++ keeps an offset as minutes only, so Z and +00:00 look alike; the source tells.
      const bool zero = dt.offset->minutes == 0;
      parts.offset = TomlOffset{zero && written_with_utc_designator(node), dt.offset->minutes};
    }
    return datetime_value(parts);
  }

  // Whether an offset date-time's text ends in Z or z: after the date, the separator and
  // HH:MM:SS (19 characters, all ASCII) and an optional fraction comes Z, z, + or -.
  bool written_with_utc_designator(const ::toml::node& node) {
    const std::string_view text = source_.text();
    std::size_t at = source_.offset_of(position_of(node.source().begin)) + 19;
    if (at < text.size() && text[at] == '.') {
      ++at;
      while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    }
    return at < text.size() && (text[at] == 'Z' || text[at] == 'z');
  }

  static LocaleValue datetime_value(const TomlDatetimeParts& parts) {
    std::vector<LocaleMember> members;
    members.push_back(LocaleMember{std::string(kTomlDatetimeMember),
                                   LocaleValue::string(format_toml_datetime(parts))});
    return LocaleValue::object(LocaleObject::from_members(std::move(members)));
  }

  TomlSourceMap& source_;
};

// ---------------------------------------------------------------------------------------------
// Failure messages

struct ParserComplaint {
  std::string_view scope;   // what toml++ was reading ("table header", "key-value pair", ...)
  std::string_view reason;  // what went wrong
};

// toml++ words its complaints "Error while parsing <scope>: <reason>".
ParserComplaint split_complaint(std::string_view description) {
  constexpr std::string_view kLead = "Error while parsing ";
  if (description.starts_with(kLead)) {
    const std::size_t colon = description.find(": ", kLead.size());
    if (colon != std::string_view::npos) {
      return {description.substr(kLead.size(), colon - kLead.size()),
              description.substr(colon + 2)};
    }
  }
  return {{}, description};
}

// A redefinition reworded as "duplicate key `k` in ...", placed where the reader can see it.
struct DuplicateKey {
  std::string message;
  std::size_t offset;    // where the carets start
  std::size_t span_end;  // where they end (exclusive)
};

std::vector<std::string> decode_keys(const std::vector<std::string_view>& raw) {
  std::vector<std::string> keys;
  keys.reserve(raw.size());
  for (std::string_view segment : raw) keys.push_back(decode_toml_key_segment(segment));
  return keys;
}

// `path` names the table holding the key `path.back()`.
std::string duplicate_key_message(const std::vector<std::string>& path) {
  std::string message = "duplicate key `";
  message.append(path.back()).append("` in ");
  if (path.size() == 1) {
    message.append("document root");
  } else {
    message.append("table `")
        .append(format_toml_key_path(std::span(path.data(), path.size() - 1)))
        .append("`");
  }
  return message;
}

bool is_table_array(const ::toml::array& array) {
  if (array.empty()) return false;
  for (const ::toml::node& element : array) {
    const ::toml::table* table = element.as_table();
    if (table == nullptr || table->is_inline()) return false;
  }
  return true;
}

// For a header that toml++ refused part-way: the first of its segments that names something
// a header cannot extend (a value, a static array, an inline table), judged on the document as
// it stood before the header. The last segment when nothing earlier is in the way.
std::size_t first_blocked_segment(std::string_view document_before,
                                  const std::vector<std::string>& keys) {
  const std::size_t last = keys.size() - 1;
  ::toml::parse_result before = ::toml::parse(document_before);
  if (!before) return last;
  ::toml::table* table = &before.table();
  for (std::size_t i = 0; i < last; ++i) {
    ::toml::node* node = table->get(keys[i]);
    if (node == nullptr) return last;
    if (::toml::table* sub = node->as_table(); sub != nullptr && !sub->is_inline()) {
      table = sub;
    } else if (::toml::array* array = node->as_array();
               array != nullptr && is_table_array(*array)) {
      table = array->back().as_table();
    } else {
      return i;
    }
  }
  return last;
}

// toml++ says "cannot redefine existing ..." or "cannot insert ... into existing inline table"
// where TOML says a key is defined twice; it reports four kinds of place:
//  - a key-value's last key: at the start of its value;
//  - a dotted key-value's inner key: at that key;
//  - a header's last key: at the header's "[";
//  - a header's inner key: after the header's line (moved here to the header's "[").
std::optional<DuplicateKey> explain_redefinition(std::string_view text, TomlSourceMap& source,
                                                 const ParserComplaint& complaint,
                                                 ::toml::source_position position) {
  const bool redefinition = complaint.reason.starts_with("cannot redefine existing ") ||
                            (complaint.reason.starts_with("cannot insert '") &&
                             complaint.reason.ends_with("' into existing inline table"));
  if (!redefinition) return std::nullopt;

  const std::size_t offset = source.offset_of(position_of(position));
  const std::vector<TomlStatement> statements = scan_toml_statements(text, offset);
  const auto offset_in_text = [&](std::string_view slice) {
    return static_cast<std::size_t>(slice.data() - text.data());
  };

  if (complaint.scope == "table header") {
    const TomlStatement* at = nullptr;
    const TomlStatement* before = nullptr;
    for (const TomlStatement& s : statements) {
      if (s.kind == TomlStatement::Kind::KeyValue) continue;
      if (s.begin == offset) {
        at = &s;
      } else if (s.begin < offset) {
        before = &s;
      }
    }
    // The header at the reported place is the culprit exactly when the text up to it parses.
    const bool culprit_at =
        at != nullptr && static_cast<bool>(::toml::parse(text.substr(0, offset)));
    const TomlStatement* culprit = culprit_at ? at : before;
    if (culprit == nullptr || culprit->key.empty()) return std::nullopt;
    std::vector<std::string> keys = decode_keys(culprit->key);
    const std::size_t blocked =
        culprit_at ? keys.size() - 1 : first_blocked_segment(text.substr(0, culprit->begin), keys);
    keys.resize(blocked + 1);
    return DuplicateKey{duplicate_key_message(keys), culprit->begin, culprit->end};
  }

  if (complaint.reason.ends_with(" as dotted key-value pair")) {
    for (auto s = statements.rbegin(); s != statements.rend(); ++s) {
      if (s->kind != TomlStatement::Kind::KeyValue) continue;
      for (std::size_t i = 0; i < s->key.size(); ++i) {
        if (offset_in_text(s->key[i]) != offset) continue;
        std::vector<std::string> path = decode_keys(s->table);
        for (std::size_t k = 0; k <= i; ++k) path.push_back(decode_toml_key_segment(s->key[k]));
        return DuplicateKey{duplicate_key_message(path), offset, offset + s->key[i].size()};
      }
    }
    return std::nullopt;
  }

  for (auto s = statements.rbegin(); s != statements.rend(); ++s) {
    if (s->kind != TomlStatement::Kind::KeyValue || s->value_begin != offset || s->key.empty()) {
      continue;
    }
    std::vector<std::string> path = decode_keys(s->table);
    for (std::string_view segment : s->key) path.push_back(decode_toml_key_segment(segment));
    return DuplicateKey{duplicate_key_message(path), offset, s->end};
  }
  return std::nullopt;
}

// toml++'s own words where they mislead: an hour above 23 is reported against a 0-59 range, and
// the nesting limit names a build macro.
std::string clean_description(std::string_view description) {
  std::string text(description);
  const auto replace = [&](std::string_view from, std::string_view to) {
    if (const std::size_t at = text.find(from); at != std::string::npos)
      text.replace(at, from.size(), to);
  };
  replace("expected hour between 0 to 59 (inclusive)",
          "expected hour between 0 and 23 (inclusive)");
  replace(" (TOML_MAX_NESTED_VALUES)", "");
  return text;
}

std::string describe_failure(std::string_view text, const ::toml::parse_error& error) {
  TomlSourceMap source(text);
  const ::toml::source_position position = error.source().begin;
  const std::string_view description = error.description();
  const bool placed = position.line >= 1 && position.line <= source.line_count();

  if (placed) {
    const ParserComplaint complaint = split_complaint(description);
    if (std::optional<DuplicateKey> duplicate =
            explain_redefinition(text, source, complaint, position)) {
      const TomlPosition at = source.position_of(duplicate->offset);
      const std::size_t span_end = std::max(duplicate->span_end, duplicate->offset);
      const std::uint64_t span =
          count_characters(text.substr(duplicate->offset, span_end - duplicate->offset));
      return render_positioned_toml_error(source, at, span, duplicate->message);
    }
    return render_positioned_toml_error(source, position_of(position), 1,
                                        clean_description(description));
  }
  return render_unpositioned_toml_error(clean_description(description), {});
}

std::string describe_nesting_excess(std::string_view text, std::size_t offset) {
  TomlSourceMap source(text);
  return render_positioned_toml_error(
      source, source.position_of(offset), 1,
      "exceeded maximum nesting depth of " + std::to_string(kTomlMaxNestingDepth));
}

// The loader hands over valid UTF-8 only; should anything else arrive, the message, which quotes
// the offending line, is still made valid text.
FormatError toml_failure(std::string detail) {
  if (!text::is_valid_utf8(detail)) detail = text::to_utf8_lossy(detail);
  return FormatError(FormatError::Kind::Toml, std::move(detail));
}

}  // namespace

std::expected<LocaleValue, FormatError> parse_toml_text(std::string_view text) {
  if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
  if (text.empty()) return LocaleValue::empty_object();
  // The mark is allowed once, as the very first character; everywhere else the parser refuses
  // it as a stray character except right after the first, which it would skip as its own.
  if (text.starts_with(kByteOrderMark)) {
    TomlSourceMap source(text);
    return std::unexpected(toml_failure(render_positioned_toml_error(
        source, TomlPosition{1, 1}, 1, "a byte-order mark is allowed only at the start")));
  }

  // toml++ builds and tears down its tree recursively, and dotted keys nest tables as deep as
  // the text is long: refuse deep documents before they reach it.
  if (const std::optional<std::size_t> excess =
          find_toml_nesting_excess(text, kTomlMaxNestingDepth)) {
    return std::unexpected(toml_failure(describe_nesting_excess(text, *excess)));
  }

  ::toml::parse_result result = ::toml::parse(text);
  if (!result) {
    return std::unexpected(toml_failure(describe_failure(text, result.error())));
  }
  TomlSourceMap source(text);
  TreeConverter converter(source);
  return converter.convert_table(result.table());
}

}  // namespace tarnevo::detail::toml
