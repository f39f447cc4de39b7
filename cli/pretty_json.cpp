#include "pretty_json.hpp"

namespace tarnevo::cli {
namespace {

void new_line(std::size_t depth, detail::tree::ByteBuffer& out) {
  out.push_back('\n');
  char* at = out.reserve_tail(2 * depth);
  for (std::size_t i = 0; i < 2 * depth; ++i) at[i] = ' ';
  out.commit(2 * depth);
}

// Recursion is as deep as the tree, which the readers bound (a few hundred levels at most with
// namespaces), as the compact writer's is.
void write_value(const LocaleValue& value, std::size_t depth, detail::tree::ByteBuffer& out) {
  if (value.is_array() && !value.as_array().empty()) {
    out.push_back('[');
    bool first = true;
    for (const LocaleValue& item : value.as_array()) {
      if (!first) out.push_back(',');
      first = false;
      new_line(depth + 1, out);
      write_value(item, depth + 1, out);
    }
    new_line(depth, out);
    out.push_back(']');
    return;
  }
  if (value.is_object() && !value.as_object().empty()) {
    out.push_back('{');
    bool first = true;
    for (const LocaleMember& member : value.as_object()) {
      if (!first) out.push_back(',');
      first = false;
      new_line(depth + 1, out);
      detail::tree::write_json_string(member.key, out);
      out.append(": ", 2);
      write_value(member.value, depth + 1, out);
    }
    new_line(depth, out);
    out.push_back('}');
    return;
  }
  // Scalars, {} and [] are written exactly as the compact writer writes them.
  detail::tree::write_json(value, out);
}

}  // namespace

void write_pretty_json(const LocaleValue& value, detail::tree::ByteBuffer& out) {
  write_value(value, 0, out);
}

}  // namespace tarnevo::cli
