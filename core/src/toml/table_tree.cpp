#include "toml/table_tree.hpp"

#include <algorithm>
#include <bit>
#include <memory>
#include <utility>

#include "text/seeded_hash.hpp"
#include "toml/key_text.hpp"
#include "toml/limits.hpp"
#include "tree/member_order.hpp"

namespace tarnevo::detail::toml {
namespace {

// Tables up to this size are searched key by key; larger ones are indexed. Walking the members'
// chain costs a cache miss per member, which the fewer instructions of a linear search do not
// make up for beyond a few keys: bench/cpp/parser_floor reads the bench's TOML files about 3%
// faster with 8 than with 16 or 4.
constexpr std::size_t kLinearSearchLimit = 8;

bool holds_table(std::uint32_t link) noexcept {
  return (link & 3) == 1;
}
bool holds_array(std::uint32_t link) noexcept {
  return (link & 3) == 2;
}
bool holds_text(std::uint32_t link) noexcept {
  return (link & 3) == 3;
}
std::uint32_t linked_index(std::uint32_t link) noexcept {
  return link >> 2;
}

}  // namespace

TableTree::TableTree(std::string_view text, std::size_t expected_members,
                     std::optional<tree::FillPlace> filling)
    : text_(text),
      filling_(filling.has_value()),
      // Per tree, from where it lives: a text whose keys were chosen to collide in one table's
      // index cannot count on colliding in the next process.
      seed_(std::bit_cast<std::uintptr_t>(this) * 0x9E3779B97F4A7C15ull) {
  Arenas& kept = kept_arenas();
  members_.swap(kept.members);
  texts_.swap(kept.texts);
  tables_.swap(kept.tables);
  order_.swap(kept.order);
  members_.reserve(expected_members);
  texts_.reserve(expected_members);
  // Locale files hold a table (header, inline table, dotted key) for every few members.
  tables_.reserve(expected_members / 4 + 4);
  new_table(kRoot, 0, 0, State::Defined, filling.value_or(tree::FillPlace()));
}

// A locale is many small files, read one after another on one thread: each tree takes over the
// arenas that the last one left, instead of allocating and freeing them for every file. That
// reads the bench's TOML files about 6% faster (bench/cpp/parser_floor). Arenas are kept only
// while none holds room for more than kKeptArenaEntries entries: a thread holds on to about
// 200 KB at most, and a large file's arenas are freed with its tree.
TableTree::Arenas& TableTree::kept_arenas() {
  static thread_local Arenas arenas;
  return arenas;
}

TableTree::~TableTree() {
  for (const std::size_t room :
       {members_.capacity(), texts_.capacity(), tables_.capacity(), order_.capacity()}) {
    if (room > kKeptArenaEntries) return;
  }
  members_.clear();
  texts_.clear();
  tables_.clear();
  Arenas& kept = kept_arenas();
  kept.members.swap(members_);
  kept.texts.swap(texts_);
  kept.tables.swap(tables_);
  kept.order.swap(order_);
}

std::uint32_t TableTree::hash(std::string_view key) const noexcept {
  return text::seeded_hash(key, seed_);
}

TableTree::TableId TableTree::new_table(TableId parent, std::uint32_t parent_member,
                                        std::uint32_t depth, State state, tree::FillPlace place) {
  if (live_ == tables_.size()) tables_.emplace_back();
  Table& table = tables_[live_];
  table.first = table.last = kNone;
  table.count = 0;
  table.index.clear();  // a reused table keeps the index's capacity
  table.parent = parent;
  table.parent_member = parent_member;
  table.element = kNone;
  table.section = 0;
  table.depth = depth;
  table.arena_mark = static_cast<std::uint32_t>(members_.size());
  table.texts_mark = static_cast<std::uint32_t>(texts_.size());
  table.state = state;
  table.place = place;
  return static_cast<TableId>(live_++);
}

std::uint32_t TableTree::find(const Table& table, std::string_view key,
                              std::uint32_t& key_hash) const noexcept {
  if (table.index.empty()) {
    for (std::uint32_t at = table.first; at != kNone; at = members_[at].next) {
      if (members_[at].key == key) return at;
    }
    return kNone;
  }
  const std::uint32_t h = key_hash = hash(key);
  const std::size_t mask = table.index.size() - 1;
  for (std::size_t slot = h & mask;; slot = (slot + 1) & mask) {
    const std::uint32_t entry = table.index[slot];
    if (entry == 0) return kNone;
    if (members_[entry - 1].hash == h && members_[entry - 1].key == key) return entry - 1;
  }
}

void TableTree::index_member(Table& table, std::uint32_t member) noexcept {
  const std::size_t mask = table.index.size() - 1;
  std::size_t slot = members_[member].hash & mask;
  while (table.index[slot] != 0) slot = (slot + 1) & mask;
  table.index[slot] = member + 1;
}

std::uint32_t TableTree::add_member(TableId id, std::string_view key, std::uint32_t key_hash,
                                    std::uint32_t link) {
  const auto member = static_cast<std::uint32_t>(members_.size());
  // A key decoded from escapes lives in the reader's buffer, which the next key overwrites.
  if (key.data() < text_.data() || key.data() > text_.data() + text_.size()) {
    key = decoded_keys_.emplace_front(key);
  }
  Member& added = members_.emplace_back();
  added.key = key;
  added.hash = key_hash;
  added.link = link;
  Table& table = tables_[id];
  if (table.last == kNone) {
    table.first = member;
  } else {
    members_[table.last].next = member;
  }
  table.last = member;
  ++table.count;
  if (!table.index.empty() && std::size_t{table.count} * 2 <= table.index.size()) {
    index_member(table, member);
  } else if (table.count > kLinearSearchLimit) {
    rebuild_index(table);
  }
  return member;
}

// Indexes a table that outgrew a linear search, or whose index is half full: twice as many
// slots as it will then hold.
void TableTree::rebuild_index(Table& table) {
  if (table.index.empty()) {
    for (std::uint32_t at = table.first; at != kNone; at = members_[at].next) {
      members_[at].hash = hash(members_[at].key);
    }
  }
  table.index.assign(std::bit_ceil(std::size_t{table.count} * 4), 0);
  for (std::uint32_t at = table.first; at != kNone; at = members_[at].next) index_member(table, at);
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
    path.push_back(members_[tables_[at].parent_member].key);
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
    TableId parent, std::size_t segment, std::string_view key, std::uint32_t hash, State state,
    std::uint32_t section) {
  const std::uint32_t depth = tables_[parent].depth + 1;
  if (depth > kMaxNestingDepth) return std::unexpected(too_deep(segment));
  const auto id = static_cast<TableId>(live_);
  const tree::FillPlace place = place_of(parent, key);
  const std::uint32_t member = add_member(parent, key, hash, table_link(id));
  new_table(parent, member, depth, state, place);
  tables_[id].section = section;
  return id;
}

std::expected<TableTree::TableId, TableTree::Conflict> TableTree::add_element(
    TableId holder, std::size_t segment, std::uint32_t member, tree::FillPlace place) {
  // The array is one level below its holder, the element one more.
  const std::uint32_t depth = tables_[holder].depth + 2;
  if (depth > kMaxNestingDepth) return std::unexpected(too_deep(segment));
  TableArray& array = arrays_[linked_index(members_[member].link)];
  const TableId id = new_table(holder, member, depth, State::Defined, place);
  tables_[id].element = array.count++;
  array.last = id;
  return id;
}

std::expected<TableTree::TableId, TableTree::Conflict> TableTree::open_header(
    std::span<const KeySegment> key, bool array_of_tables) {
  TableId at = kRoot;
  const std::size_t last = key.size() - 1;
  for (std::size_t i = 0; i < last; ++i) {
    std::uint32_t hash = 0;
    const std::uint32_t member = find(tables_[at], key[i].name, hash);
    if (member == kNone) {
      auto added = add_table(at, i, key[i].name, hash, State::Undefined, 0);
      if (!added) return added;
      at = *added;
      continue;
    }
    const std::uint32_t link = members_[member].link;
    if (holds_table(link)) {
      at = linked_index(link);
    } else if (holds_array(link)) {
      at = arrays_[linked_index(link)].last;
    } else {
      return std::unexpected(duplicate(at, i, key[i].name));
    }
  }

  const std::string_view name = key[last].name;
  std::uint32_t hash = 0;
  const std::uint32_t member = find(tables_[at], name, hash);
  if (!array_of_tables) {
    if (member == kNone) return add_table(at, last, name, hash, State::Defined, 0);
    const std::uint32_t link = members_[member].link;
    if (holds_table(link) && tables_[linked_index(link)].state == State::Undefined) {
      tables_[linked_index(link)].state = State::Defined;
      return linked_index(link);
    }
    return std::unexpected(duplicate(at, last, name));
  }
  // Arrays are never merged into: the elements are wanted exactly when the array is.
  const tree::FillPlace place = place_of(at, name);
  if (member == kNone) {
    const auto array = static_cast<std::uint32_t>(arrays_.size());
    arrays_.push_back(TableArray{kRoot, 0, {}});
    return add_element(at, last, add_member(at, name, hash, array_link(array)), place.element());
  }
  if (!holds_array(members_[member].link)) return std::unexpected(duplicate(at, last, name));
  return add_element(at, last, member, place.element());
}

std::expected<TableTree::Slot, TableTree::Conflict> TableTree::reserve(
    TableId base, std::span<const KeySegment> key, std::uint32_t section) {
  TableId at = base;
  const std::size_t last = key.size() - 1;
  for (std::size_t i = 0; i < last; ++i) {
    std::uint32_t hash = 0;
    const std::uint32_t member = find(tables_[at], key[i].name, hash);
    if (member == kNone) {
      auto added = add_table(at, i, key[i].name, hash, State::Dotted, section);
      if (!added) return std::unexpected(std::move(added.error()));
      at = *added;
      continue;
    }
    const std::uint32_t link = members_[member].link;
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
  std::uint32_t hash = 0;
  if (find(tables_[at], name, hash) != kNone) return std::unexpected(duplicate(at, last, name));
  return Slot{at, add_member(at, name, hash, kValue)};
}

std::expected<TableTree::TableId, std::string> TableTree::open_inline(Slot owner, std::size_t depth,
                                                                      bool in_array) {
  if (depth > kMaxNestingDepth) return std::unexpected(too_deep(0).description);
  const tree::FillPlace owner_place = place_of(owner.table, members_[owner.member].key);
  return new_table(owner.table, owner.member, static_cast<std::uint32_t>(depth), State::Defined,
                   in_array ? owner_place.element() : owner_place);
}

LocaleValue TableTree::build(TableId id) {
  const Table& table = tables_[id];
  order_.clear();
  for (std::uint32_t at = table.first; at != kNone; at = members_[at].next) {
    order_.push_back(tree::key_prefix(members_[at].key, at));
    if (holds_array(members_[at].link)) {
      members_[at].value =
          LocaleValue::array(std::move(arrays_[linked_index(members_[at].link)].items));
    }
  }
  tree::sort_by_key(order_, [this](std::uint32_t at) { return members_[at].key; });
  // Keys are unique, and now in order: the object takes them as they are. Its members are made
  // empty and filled in place, so that nothing is moved twice.
  LocaleObject object;
  std::vector<LocaleMember>& members = object.members();
  // Filling keeps what the filled tree lacks; the object's members, now in key order, are told
  // apart by one walk along the filled tree's object.
  tree::FillPlace::MembersInOrder places(table.place);
  std::size_t kept = order_.size();
  if (filling_) {
    kept = 0;
    for (tree::KeyPrefix& entry : order_) {
      if (places.next(members_[entry.position].key).wanted()) order_[kept++] = entry;
    }
  }
  members.resize(kept);
  for (std::size_t i = 0; i < kept; ++i) {
    Member& member = members_[order_[i].position];
    LocaleMember& out = members[i];
    out.key.assign(member.key);
    std::destroy_at(&out.value);
    if (holds_text(member.link)) {
      ::new (static_cast<void*>(&out.value))
          LocaleValue(LocaleValue::string(std::string(texts_[linked_index(member.link)])));
    } else {
      std::construct_at(&out.value, std::move(member.value));
    }
  }
  return LocaleValue::object(std::move(object));
}

void TableTree::place(TableId id, LocaleValue value) {
  const Table& table = tables_[id];
  if (table.element != kNone) {
    const std::uint32_t array = linked_index(members_[table.parent_member].link);
    arrays_[array].items[table.element] = std::move(value);
  } else {
    members_[table.parent_member].value = std::move(value);
  }
}

// Tables are numbered in the order they were made, every table after its parent: built from the
// last, each finds its children built and leaves itself in its parent. An inline table and
// everything in it came last, so its tables and members are the ends of their vectors.
LocaleValue TableTree::close_inline(TableId id) {
  for (auto inner = static_cast<TableId>(live_ - 1); inner > id; --inner)
    place(inner, build(inner));
  LocaleValue value = build(id);
  members_.resize(tables_[id].arena_mark);
  texts_.resize(tables_[id].texts_mark);
  live_ = id;
  return value;
}

LocaleValue TableTree::finish() {
  for (TableArray& array : arrays_) array.items.resize(array.count);
  for (auto id = static_cast<TableId>(live_ - 1); id > kRoot; --id) place(id, build(id));
  return build(kRoot);
}

}  // namespace tarnevo::detail::toml
