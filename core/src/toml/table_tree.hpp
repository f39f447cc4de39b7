// The tables of a TOML document while it is read: what each key holds, which tables a header or
// a dotted key may still define or extend, and the tree they all become at the end.
//
// TOML's rules, as tables remember them:
//  - a header defines its table once; the tables on its way that do not exist yet are created
//    undefined, and a later header may still define each of them once;
//  - dotted keys create tables, or take over undefined ones; only dotted keys of the same
//    section (the key-values under one header, or one inline table) may extend them later, and
//    no header may define them, though headers may define tables inside them;
//  - a key holding a value (inline tables and static arrays included) is closed: nothing may
//    extend, redefine or go through it; an array of tables only grows by [[header]]s, and
//    headers going through it reach its last element.
#pragma once

#include <cstdint>
#include <expected>
#include <forward_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "tarnevo/value.hpp"
#include "tree/fill_place.hpp"
#include "tree/member_order.hpp"

namespace tarnevo::detail::toml {

// One segment of a key as read: what it names, and the bytes the file wrote it as.
struct KeySegment {
  std::string_view name;
  const char* begin = nullptr;
  const char* end = nullptr;
};

class TableTree {
 public:
  using TableId = std::uint32_t;
  static constexpr TableId kRoot = 0;

  // A member reserved for a key-value's value, until the value is read.
  struct Slot {
    TableId table;
    std::uint32_t member;
  };

  // Why a key cannot go where the text puts it: the segment to blame and the description
  // ("duplicate key `k` in table `t`", "exceeded maximum nesting depth of 512").
  struct Conflict {
    enum class Kind : std::uint8_t { Duplicate, TooDeep };
    Kind kind;
    std::size_t segment;
    std::string description;
  };

  // `text` is the document, whose keys (and plain strings) tables keep as views until the tree is
  // built; `expected_members` sizes the arena of members for the document at once (a count of
  // its lines is about right). `filling`, when given, is where the document's root will only
  // fill another tree (the default locale's files): members that filling could not use are kept
  // for the rules, but left out of the tree, and their strings are never made.
  TableTree(std::string_view text, std::size_t expected_members,
            std::optional<tree::FillPlace> filling);
  // Leaves its arenas, emptied, to the thread's next tree.
  ~TableTree();
  TableTree(const TableTree&) = delete;
  TableTree& operator=(const TableTree&) = delete;

  // [key] or [[key]]: the table that the key-values after the header fill (for [[key]], a new
  // last element of the array of tables).
  std::expected<TableId, Conflict> open_header(std::span<const KeySegment> key,
                                               bool array_of_tables);

  // key = ... in table `base`, in section `section`: walks (or creates) the tables of a dotted
  // key's first segments and reserves its last one.
  std::expected<Slot, Conflict> reserve(TableId base, std::span<const KeySegment> key,
                                        std::uint32_t section);

  // Where a reserved member's value goes; it holds null until the reader puts the value there.
  LocaleValue& value(Slot slot) noexcept { return members_[slot.member].value; }

  // A reserved member's value is this string, a slice of the document: it is made when the
  // member's table is built, in place, and only if the tree keeps the member.
  void set_text(Slot slot, std::string_view text) {
    members_[slot.member].link = text_link(static_cast<std::uint32_t>(texts_.size()));
    texts_.push_back(text);
  }

  // How many levels below the root a table lies.
  std::size_t depth(TableId table) const noexcept { return tables_[table].depth; }

  // An inline table that will be the value of `owner` (or, `in_array`, an element of the array
  // that will be), `depth` levels below the root; its key-values are reserved in it like in any
  // table. Fails when `depth` is beyond the nesting limit.
  std::expected<TableId, std::string> open_inline(Slot owner, std::size_t depth, bool in_array);
  // The inline table, closed: its value, with everything its dotted keys created.
  LocaleValue close_inline(TableId table);

  // The root table and everything in it, as a tree.
  LocaleValue finish();

 private:
  enum class State : std::uint8_t { Undefined, Defined, Dotted };

  static constexpr std::uint32_t kNone = UINT32_MAX;

  // What a member holds: a value (kValue), a table, an array of tables, or a string still to be
  // made (set_text), by their index.
  static constexpr std::uint32_t kValue = 0;
  static std::uint32_t table_link(TableId table) noexcept { return table << 2 | 1; }
  static std::uint32_t array_link(std::uint32_t array) noexcept { return array << 2 | 2; }
  static std::uint32_t text_link(std::uint32_t text) noexcept { return text << 2 | 3; }

  // The members of all tables live in one arena, each table's chained in the order they came:
  // no table owns a vector that grows member by member. Keys are views into the text (or, when
  // decoded from escapes, into decoded_keys_) until the tree is built.
  struct Member {
    LocaleValue value;
    std::string_view key;
    std::uint32_t next = kNone;  // the table's next member
    std::uint32_t hash = 0;      // of the key, once the table is indexed
    std::uint32_t link = kValue;
  };

  struct Table {
    std::uint32_t first = kNone;
    std::uint32_t last = kNone;
    std::uint32_t count = 0;
    // Open addressing over the table's members (arena position + 1, 0 for a free slot), built
    // once the table outgrows a linear search.
    std::vector<std::uint32_t> index;
    TableId parent = kRoot;           // the table holding this one (an inline table: its owner's)
    std::uint32_t parent_member = 0;  // its member there
    std::uint32_t element = kNone;    // position in its array of tables, if it is an element
    std::uint32_t section = 0;        // which key-values may extend a Dotted table
    std::uint32_t depth = 0;
    std::uint32_t arena_mark = 0;  // the arena's size when the table was made
    std::uint32_t texts_mark = 0;  // and that of texts_
    State state = State::Defined;
    tree::FillPlace place;  // where the table's content lands when the document only fills
  };

  struct TableArray {
    TableId last;
    std::uint32_t count;
    LocaleArray items;
  };

  TableId new_table(TableId parent, std::uint32_t parent_member, std::uint32_t depth, State state,
                    tree::FillPlace place);
  // Where the member `key` of `table` lands when the document only fills (wanted otherwise): for
  // tables as they are made; values are sorted out when their table is built.
  tree::FillPlace place_of(TableId table, std::string_view key) const noexcept {
    return filling_ ? tables_[table].place.member(key) : tree::FillPlace();
  }
  std::expected<TableId, Conflict> add_table(TableId parent, std::size_t segment,
                                             std::string_view key, std::uint32_t hash, State state,
                                             std::uint32_t section);
  std::expected<TableId, Conflict> add_element(TableId holder, std::size_t segment,
                                               std::uint32_t member, tree::FillPlace place);
  // Where `key` is in `table`, or kNone. When the table is indexed, `hash` is set to the key's
  // hash, which adding the key after a failed search takes rather than hashing again (it is
  // 0, and unused, for a table searched key by key).
  std::uint32_t find(const Table& table, std::string_view key, std::uint32_t& hash) const noexcept;
  std::uint32_t add_member(TableId table, std::string_view key, std::uint32_t hash,
                           std::uint32_t link);
  void index_member(Table& table, std::uint32_t member) noexcept;
  [[gnu::noinline]] void rebuild_index(Table& table);
  std::uint32_t hash(std::string_view key) const noexcept;

  Conflict duplicate(TableId holder, std::size_t segment, std::string_view key) const;
  Conflict too_deep(std::size_t segment) const;

  LocaleValue build(TableId table);
  void place(TableId table, LocaleValue value);

  // The arenas that the thread's last tree left for the next one (see the destructor).
  struct Arenas {
    std::vector<Member> members;
    std::vector<std::string_view> texts;
    std::vector<Table> tables;
    std::vector<tree::KeyPrefix> order;
  };
  static constexpr std::size_t kKeptArenaEntries = 1024;
  static Arenas& kept_arenas();

  std::vector<Table> tables_;
  // Tables in use are tables_[0, live_); closed inline tables leave theirs for reuse.
  std::size_t live_ = 0;
  std::string_view text_;
  const bool filling_;
  std::vector<Member> members_;
  std::vector<std::string_view> texts_;
  std::forward_list<std::string> decoded_keys_;  // allocates nothing until a key is decoded
  std::vector<TableArray> arrays_;
  std::vector<tree::KeyPrefix> order_;
  std::uint64_t seed_;
};

}  // namespace tarnevo::detail::toml
