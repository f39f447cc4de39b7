// Deterministic locale-like trees for the benchmarks: nested tables of short messages in several
// scripts, with placeholders, and a few numbers and flags, as translation files tend to hold.
#pragma once

#include <charconv>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "tarnevo/value.hpp"

namespace tarnevo::bench {

// A generated node. Floats keep the exact text they are written with, so that every format
// reads back the same double.
struct LocaleNode {
  enum class Kind { String, Integer, Float, Bool, Table };

  Kind kind = Kind::Table;
  std::string text;  // String: the message; Float: its decimal text
  std::int64_t integer = 0;
  bool flag = false;
  std::vector<std::pair<std::string, LocaleNode>> children;  // Table: unique keys, in order
};

class LocaleTreeGenerator {
 public:
  explicit LocaleTreeGenerator(std::uint64_t seed) : random_(seed) {}

  // A root table of sections, grown until its members add up to about `approximate_bytes` of
  // keys and values.
  LocaleNode generate(std::size_t approximate_bytes) {
    LocaleNode root;
    std::unordered_set<std::string> used;
    std::size_t bytes = 0;
    while (bytes < approximate_bytes) {
      root.children.emplace_back(unique_key(used), table(1, bytes));
    }
    return root;
  }

 private:
  static constexpr std::string_view kKeyWords[] = {
      "app",     "menu",   "file",    "edit",    "save",    "open",     "close",  "cancel",
      "confirm", "error",  "warning", "network", "profile", "settings", "title",  "label",
      "button",  "dialog", "message", "help",    "account", "privacy",  "search", "results",
      "upload",  "share",  "delete",  "restore", "status",  "empty",    "loading"};
  // Message words in several scripts; none reads as a number, a boolean or null in any format.
  static constexpr std::string_view kMessageWords[] = {
      "Save",
      "the",
      "file",
      "before",
      "closing",
      "Your",
      "changes",
      "were",
      "lost",
      "Try",
      "again",
      "later",
      "Welcome",
      "back",
      "items",
      "selected",
      "caf\xC3\xA9",
      "\xC3\xA9l\xC3\xA9ment",
      "pr\xC3\xA9"
      "f\xC3\xA9rences",
      "\xC3\xBC"
      "ber",
      "Gr\xC3\xB6\xC3\x9F"
      "e",
      "\xE8\xA8\xAD\xE5\xAE\x9A",                                                  // 設定
      "\xE4\xBF\x9D\xE5\xAD\x98",                                                  // 保存
      "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",                                      // 日本語
      "\xEC\xB7\xA8\xEC\x86\x8C",                                                  // 취소
      "\xD0\xA1\xD0\xBE\xD1\x85\xD1\x80\xD0\xB0\xD0\xBD\xD0\xB8\xD1\x82\xD1\x8C",  // Сохранить
      "\xF0\x9F\x8E\x89",                                                          // 🎉
      "\xF0\x9F\x91\x8B",                                                          // 👋
  };
  static constexpr std::string_view kPlaceholders[] = {"{name}", "{count}", "%{user}", "{{total}}",
                                                       "%s"};

  std::size_t below(std::size_t n) { return static_cast<std::size_t>(random_() % n); }
  bool chance(unsigned percent) { return below(100) < percent; }

  std::string unique_key(std::unordered_set<std::string>& used) {
    std::string key(kKeyWords[below(std::size(kKeyWords))]);
    if (chance(50)) key.append("_").append(kKeyWords[below(std::size(kKeyWords))]);
    // A few keys that TOML has to quote.
    if (chance(3))
      key.append(chance(50) ? "." : " ").append(kKeyWords[below(std::size(kKeyWords))]);
    std::string candidate = key;
    for (int n = 2; !used.insert(candidate).second; ++n) candidate = key + "_" + std::to_string(n);
    return candidate;
  }

  std::string message() {
    std::string text;
    const std::size_t words = 1 + below(8);
    for (std::size_t i = 0; i < words; ++i) {
      if (i != 0) text.push_back(' ');
      if (i != 0 && chance(12)) {
        text.append(kPlaceholders[below(std::size(kPlaceholders))]);
      } else {
        text.append(kMessageWords[below(std::size(kMessageWords))]);
      }
    }
    if (chance(30)) text.push_back(chance(50) ? '.' : '!');
    if (chance(2)) text.append(" \"quoted\" and back\\slash");
    return text;
  }

  LocaleNode leaf() {
    LocaleNode node;
    const std::size_t pick = below(100);
    if (pick < 90) {
      node.kind = LocaleNode::Kind::String;
      node.text = message();
    } else if (pick < 95) {
      node.kind = LocaleNode::Kind::Integer;
      node.integer = static_cast<std::int64_t>(below(20000)) - 1000;
    } else if (pick < 98) {
      node.kind = LocaleNode::Kind::Float;
      const std::size_t cents = below(100000);
      node.text = std::to_string(cents / 100) + "." + std::to_string(cents / 10 % 10) +
                  std::to_string(cents % 10);
    } else {
      node.kind = LocaleNode::Kind::Bool;
      node.flag = chance(50);
    }
    return node;
  }

  LocaleNode table(int depth, std::size_t& bytes) {
    LocaleNode node;
    std::unordered_set<std::string> used;
    const std::size_t members = 3 + below(10);
    for (std::size_t i = 0; i < members; ++i) {
      std::string key = unique_key(used);
      bytes += key.size() + 8;
      if (depth < 5 && chance(depth == 1 ? 30 : 12)) {
        node.children.emplace_back(std::move(key), table(depth + 1, bytes));
      } else {
        LocaleNode value = leaf();
        bytes += value.text.size() + 4;
        node.children.emplace_back(std::move(key), std::move(value));
      }
    }
    return node;
  }

  std::mt19937_64 random_;
};

// The tree that every reader should produce from the node's text in any format.
inline LocaleValue to_locale_value(const LocaleNode& node) {
  switch (node.kind) {
    case LocaleNode::Kind::String:
      return LocaleValue::string(node.text);
    case LocaleNode::Kind::Integer:
      return LocaleValue::from_signed(node.integer);
    case LocaleNode::Kind::Float: {
      double value = 0;
      std::from_chars(node.text.data(), node.text.data() + node.text.size(), value);
      return LocaleValue::from_float(value);
    }
    case LocaleNode::Kind::Bool:
      return LocaleValue::boolean(node.flag);
    case LocaleNode::Kind::Table:
      break;
  }
  std::vector<LocaleMember> members;
  members.reserve(node.children.size());
  for (const auto& [key, child] : node.children) members.push_back({key, to_locale_value(child)});
  return LocaleValue::object(LocaleObject::from_members(std::move(members)));
}

}  // namespace tarnevo::bench
