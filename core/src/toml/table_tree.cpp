#include "toml/table_tree.hpp"

#include <algorithm>
#include <bit>
#include <cstring>
#include <utility>

#include "toml/key_text.hpp"
#include "toml/limits.hpp"
#include "tree/member_order.hpp"

namespace tarnevo::detail::toml {
namespace {

constexpr std::uint32_t kNotFound = UINT32_MAX;
// Tables up to this size are searched key by key; most locale tables are this small, and a
// search over a few short keys costs less than hashing.
constexpr std::size_t kLinearSearchLimit = 8;

bool holds_table(std::uint32_t link) noexcept {
  return (link & 3) == 1;
}
bool holds_array(std::uint32_t link) noexcept {
  return (link & 3) == 2;
}
std::uint32_t linked_index(std::uint32_t link) noexcept {
  return link >> 2;
}

}  // namespace

TableTree::TableTree()
    // Per tree, from where it lives: a text whose keys were chosen to collide in one table's
    // index cannot count on colliding in the next process.
    : seed_(std::bit_cast<std::uintptr_t>(this) * 0x9E3779B97F4A7C15ull) {
  new_table(kRoot, 0, 0, State::Defined);
}

std::uint32_t TableTree::hash(std::string_view key) const noexcept {
  std::uint64_t h = seed_ ^ key.size();
  const char* p = key.data();
  std::size_t left = key.size();
  for (; left >= 8; p += 8, left -= 8) {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * 0xBF58476D1CE4E5B9ull;
    h ^= h >> 29;
  }
  std::uint64_t tail = 0;
  std::memcpy(&tail, p, left);
  h = (h ^ tail) * 0x94D049BB133111EBull;
  h ^= h >> 31;
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

TableTree::TableId TableTree::new_table(TableId parent, std::uint32_t parent_member,
                                        std::uint32_t depth, State state) {
  if (live_ == tables_.size()) tables_.emplace_back();
  Table& table = tables_[live_];
  // A reused table keeps its vectors' capacity.
  table.members.clear();
  table.info.clear();
  table.index.clear();
  table.parent = parent;
  table.parent_member = parent_member;
  table.element = kNoElement;
  table.section = 0;
  table.depth = depth;
  table.state = state;
  return static_cast<TableId>(live_++);
}

std::uint32_t TableTree::find(const Table& table, std::string_view key) const noexcept {
  if (table.index.empty()) {
    for (std::size_t i = 0; i < table.members.size(); ++i) {
      if (table.members[i].key == key) return static_cast<std::uint32_t>(i);
    }
    return kNotFound;
  }
  const std::uint32_t h = hash(key);
  const std::size_t mask = table.index.size() - 1;
  for (std::size_t slot = h & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t entry = table.index[slot];
    if (entry == 0) return kNotFound;
    if (table.info[entry - 1].hash == h && table.members[entry - 1].key == key) return entry - 1;
  }
}

void TableTree::index_member(Table& table, std::uint32_t member) {
  const std::size_t mask = table.index.size() - 1;
  std::size_t slot = table.info[member].hash & mask;
  while (table.index[slot] != 0) slot = (slot + 1) & mask;
  table.index[slot] = member + 1;
}

std::uint32_t TableTree::add_member(TableId id, std::string_view key, std::uint32_t link) {
  Table& table = tables_[id];
  const auto member = static_cast<std::uint32_t>(table.members.size());
  table.members.push_back(LocaleMember{std::string(key), LocaleValue()});
  table.info.push_back(MemberInfo{0, link});
  const std::size_t count = table.members.size();
  if (!table.index.empty() && count * 2 <= table.index.size()) {
    table.info[member].hash = hash(key);
    index_member(table, member);
  } else if (count > kLinearSearchLimit) {
    // Build or grow the index: at most half full.
    const bool first = table.index.empty();
    table.index.assign(std::bit_ceil(count * 4), 0);
    for (std::uint32_t i = 0; i < count; ++i) {
      if (first || i == member) table.info[i].hash = hash(table.members[i].key);
      index_member(table, i);
    }
  }
  return member;
}

TableTree::Conflict TableTree::duplicate(TableId holder, std::size_t segment,
                                         std::string_view key) const {
  std::string description = "duplicate key `";
  description.append(key).append("` in ");
  if (holder == kRoot) {
    description.append("document root");
    return Conflict{Conflict::Kind::Duplicate, segment, std::move(description)};
  }
  std::vector<std::string_view> path;
  for (TableId at = holder; at != kRoot; at = tables_[at].parent) {
    path.push_back(tables_[tables_[at].parent].members[tables_[at].parent_member].key);
  }
  std::reverse(path.begin(), path.end());
  description.append("table `").append(format_toml_key_path(path)).append("`");
  return Conflict{Conflict::Kind::Duplicate, segment, std::move(description)};
}

TableTree::Conflict TableTree::too_deep(std::size_t segment) const {
  return Conflict{Conflict::Kind::TooDeep, segment,
                  "exceeded maximum nesting depth of " + std::to_string(kMaxNestingDepth)};
}

std::expected<TableTree::TableId, TableTree::Conflict> TableTree::add_table(
    TableId parent, std::size_t segment, std::string_view key, State state, std::uint32_t section) {
  const std::uint32_t depth = tables_[parent].depth + 1;
  if (depth > kMaxNestingDepth) return std::unexpected(too_deep(segment));
  const auto id = static_cast<TableId>(live_);
  const std::uint32_t member = add_member(parent, key, table_link(id));
  new_table(parent, member, depth, state);
  tables_[id].section = section;
  return id;
}

std::expected<TableTree::TableId, TableTree::Conflict> TableTree::add_element(
    TableId holder, std::size_t segment, std::uint32_t member) {
  // The array is one level below its holder, the element one more.
  const std::uint32_t depth = tables_[holder].depth + 2;
  if (depth > kMaxNestingDepth) return std::unexpected(too_deep(segment));
  TableArray& array = arrays_[linked_index(tables_[holder].info[member].link)];
  const TableId id = new_table(holder, member, depth, State::Defined);
  tables_[id].element = array.count++;
  array.last = id;
  return id;
}

std::expected<TableTree::TableId, TableTree::Conflict> TableTree::open_header(
    std::span<const KeySegment> key, bool array_of_tables) {
  TableId at = kRoot;
  const std::size_t last = key.size() - 1;
  for (std::size_t i = 0; i < last; ++i) {
    const std::uint32_t member = find(tables_[at], key[i].name);
    if (member == kNotFound) {
      auto added = add_table(at, i, key[i].name, State::Undefined, 0);
      if (!added) return added;
      at = *added;
      continue;
    }
    const std::uint32_t link = tables_[at].info[member].link;
    if (holds_table(link)) {
      at = linked_index(link);
    } else if (holds_array(link)) {
      at = arrays_[linked_index(link)].last;
    } else {
      return std::unexpected(duplicate(at, i, key[i].name));
    }
  }

  const std::string_view name = key[last].name;
  const std::uint32_t member = find(tables_[at], name);
  if (!array_of_tables) {
    if (member == kNotFound) return add_table(at, last, name, State::Defined, 0);
    const std::uint32_t link = tables_[at].info[member].link;
    if (holds_table(link) && tables_[linked_index(link)].state == State::Undefined) {
      tables_[linked_index(link)].state = State::Defined;
      return linked_index(link);
    }
    return std::unexpected(duplicate(at, last, name));
  }
  if (member == kNotFound) {
    const auto array = static_cast<std::uint32_t>(arrays_.size());
    arrays_.push_back(TableArray{kRoot, 0, {}});
    return add_element(at, last, add_member(at, name, array_link(array)));
  }
  if (!holds_array(tables_[at].info[member].link)) {
    return std::unexpected(duplicate(at, last, name));
  }
  return add_element(at, last, member);
}

std::expected<TableTree::Slot, TableTree::Conflict> TableTree::reserve(
    TableId base, std::span<const KeySegment> key, std::uint32_t section) {
  TableId at = base;
  const std::size_t last = key.size() - 1;
  for (std::size_t i = 0; i < last; ++i) {
    const std::uint32_t member = find(tables_[at], key[i].name);
    if (member == kNotFound) {
      auto added = add_table(at, i, key[i].name, State::Dotted, section);
      if (!added) return std::unexpected(std::move(added.error()));
      at = *added;
      continue;
    }
    const std::uint32_t link = tables_[at].info[member].link;
    if (!holds_table(link)) return std::unexpected(duplicate(at, i, key[i].name));
    Table& table = tables_[linked_index(link)];
    if (table.state == State::Undefined) {
      table.state = State::Dotted;
      table.section = section;
    } else if (table.state != State::Dotted || table.section != section) {
      return std::unexpected(duplicate(at, i, key[i].name));
    }
    at = linked_index(link);
  }
  const std::string_view name = key[last].name;
  if (find(tables_[at], name) != kNotFound) return std::unexpected(duplicate(at, last, name));
  return Slot{at, add_member(at, name, kValue)};
}

std::expected<TableTree::TableId, std::string> TableTree::open_inline(Slot owner,
                                                                      std::size_t depth) {
  if (depth > kMaxNestingDepth) return std::unexpected(too_deep(0).description);
  return new_table(owner.table, owner.member, static_cast<std::uint32_t>(depth), State::Defined);
}

LocaleValue TableTree::build(TableId id) {
  Table& table = tables_[id];
  for (std::size_t i = 0; i < table.members.size(); ++i) {
    if (holds_array(table.info[i].link)) {
      table.members[i].value =
          LocaleValue::array(std::move(arrays_[linked_index(table.info[i].link)].items));
    }
  }
  LocaleValue value = LocaleValue::object(tree::object_in_key_order(table.members, order_));
  table.members.clear();
  return value;
}

void TableTree::place(TableId id, LocaleValue value) {
  const Table& table = tables_[id];
  const MemberInfo& holder = tables_[table.parent].info[table.parent_member];
  if (table.element != kNoElement) {
    arrays_[linked_index(holder.link)].items[table.element] = std::move(value);
  } else {
    tables_[table.parent].members[table.parent_member].value = std::move(value);
  }
}

// Tables are numbered in the order they were created, and every table after its parent: built
// from the last, each finds its children built and leaves itself in its parent.
LocaleValue TableTree::close_inline(TableId id) {
  for (auto inner = static_cast<TableId>(live_ - 1); inner > id; --inner)
    place(inner, build(inner));
  LocaleValue value = build(id);
  live_ = id;
  return value;
}

LocaleValue TableTree::finish() {
  for (TableArray& array : arrays_) array.items.resize(array.count);
  for (auto id = static_cast<TableId>(live_ - 1); id > kRoot; --id) place(id, build(id));
  return build(kRoot);
}

}  // namespace tarnevo::detail::toml
