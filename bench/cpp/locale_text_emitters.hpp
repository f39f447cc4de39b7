// Writes generated locale trees as the text of each file format, laid out the way people write
// translation files: indented JSON, block-style YAML, TOML with one [dotted.header] per table.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "locale_tree_generator.hpp"

namespace tarnevo::bench {

// A double-quoted string with the escapes JSON, YAML and TOML basic strings share; the generator
// makes no control characters.
inline void append_quoted(std::string& out, std::string_view text) {
  out.push_back('"');
  for (const char c : text) {
    if (c == '"' || c == '\\') out.push_back('\\');
    out.push_back(c);
  }
  out.push_back('"');
}

inline void append_scalar(std::string& out, const LocaleNode& node) {
  switch (node.kind) {
    case LocaleNode::Kind::String:
      append_quoted(out, node.text);
      break;
    case LocaleNode::Kind::Integer:
      out.append(std::to_string(node.integer));
      break;
    case LocaleNode::Kind::Float:
      out.append(node.text);
      break;
    case LocaleNode::Kind::Bool:
      out.append(node.flag ? "true" : "false");
      break;
    case LocaleNode::Kind::Table:
      break;
  }
}

inline void append_json(std::string& out, const LocaleNode& node, int indent = 0) {
  if (node.kind != LocaleNode::Kind::Table) {
    append_scalar(out, node);
    return;
  }
  if (node.children.empty()) {
    out.append("{}");
    return;
  }
  out.append("{\n");
  for (std::size_t i = 0; i < node.children.size(); ++i) {
    out.append(static_cast<std::size_t>(indent + 2), ' ');
    append_quoted(out, node.children[i].first);
    out.append(": ");
    append_json(out, node.children[i].second, indent + 2);
    out.append(i + 1 < node.children.size() ? ",\n" : "\n");
  }
  out.append(static_cast<std::size_t>(indent), ' ');
  out.push_back('}');
}

inline bool is_bare_key(std::string_view key) {
  for (const char c : key) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '_' || c == '-';
    if (!ok) return false;
  }
  return !key.empty();
}

inline void append_key(std::string& out, std::string_view key) {
  if (is_bare_key(key)) {
    out.append(key);
  } else {
    append_quoted(out, key);
  }
}

// Messages that start with a letter and hold no YAML indicators are written plain, as people
// write them; the others are double-quoted.
inline bool can_be_plain_yaml(std::string_view text) {
  if (text.empty() || text.back() == ' ') return false;
  const auto first = static_cast<unsigned char>(text.front());
  if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first >= 0x80))
    return false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool ok = byte >= 0x80 || (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                    (byte >= '0' && byte <= '9') || c == ' ' || c == '.' || c == '!' || c == '\'';
    if (!ok) return false;
  }
  return true;
}

inline void append_yaml(std::string& out, const LocaleNode& table, int indent = 0) {
  for (const auto& [key, child] : table.children) {
    out.append(static_cast<std::size_t>(indent), ' ');
    append_key(out, key);
    out.push_back(':');
    if (child.kind == LocaleNode::Kind::Table) {
      if (child.children.empty()) {
        out.append(" {}\n");
      } else {
        out.push_back('\n');
        append_yaml(out, child, indent + 2);
      }
      continue;
    }
    out.push_back(' ');
    if (child.kind == LocaleNode::Kind::String && can_be_plain_yaml(child.text)) {
      out.append(child.text);
    } else {
      append_scalar(out, child);
    }
    out.push_back('\n');
  }
}

// The table's own values under its header, then each sub-table under a longer header.
inline void append_toml_table(std::string& out, const LocaleNode& table,
                              std::vector<std::string_view>& path) {
  if (!path.empty()) {
    out.append("\n[");
    for (std::size_t i = 0; i < path.size(); ++i) {
      if (i != 0) out.push_back('.');
      append_key(out, path[i]);
    }
    out.append("]\n");
  }
  for (const auto& [key, child] : table.children) {
    if (child.kind == LocaleNode::Kind::Table) continue;
    append_key(out, key);
    out.append(" = ");
    append_scalar(out, child);
    out.push_back('\n');
  }
  for (const auto& [key, child] : table.children) {
    if (child.kind != LocaleNode::Kind::Table) continue;
    path.push_back(key);
    append_toml_table(out, child, path);
    path.pop_back();
  }
}

inline std::string json_text(const LocaleNode& root) {
  std::string out;
  append_json(out, root);
  out.push_back('\n');
  return out;
}

inline std::string yaml_text(const LocaleNode& root) {
  std::string out;
  append_yaml(out, root);
  return out;
}

inline std::string toml_text(const LocaleNode& root) {
  std::string out;
  std::vector<std::string_view> path;
  append_toml_table(out, root, path);
  return out;
}

}  // namespace tarnevo::bench
