#include <gtest/gtest.h>

#include "tarnevo/merge.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;

struct FillCase {
  const char* name;
  LocaleValue target;
  LocaleValue source;
  const char* expected;
};

class FillFrom : public ::testing::TestWithParam<FillCase> {};

// Both overloads (copying and taking the source) must agree.
TEST_P(FillFrom, TargetWinsAndSourceSuppliesWhatIsMissing) {
  const FillCase& c = GetParam();
  LocaleValue copied = c.target;
  fill_from(copied, c.source);
  EXPECT_EQ(to_json(copied), c.expected);

  LocaleValue moved = c.target;
  LocaleValue source = c.source;
  fill_from(moved, std::move(source));
  EXPECT_EQ(to_json(moved), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FillFrom,
    ::testing::Values(
        FillCase{"objects_merge_at_every_depth",
                 obj({{"a", str("x")}, {"b", null()}, {"c", obj({{"d", u64(1)}})}}),
                 obj({{"a", str("y")},
                      {"b", str("z")},
                      {"c", obj({{"d", u64(2)}, {"e", u64(3)}})},
                      {"f", arr({u64(1)})}}),
                 R"({"a":"x","b":"z","c":{"d":1,"e":3},"f":[1]})"},
        FillCase{"arrays_are_not_merged", arr({u64(1)}), arr({u64(2), u64(3)}), "[1]"},
        FillCase{"null_source_changes_nothing", null(), null(), "null"},
        FillCase{"string_target_stays", str("x"), obj({{"k", u64(1)}}), R"("x")"},
        FillCase{"null_target_takes_source", null(), obj({{"k", u64(1)}}), R"({"k":1})"},
        FillCase{"object_target_ignores_scalar_source", obj({{"k", u64(1)}}), str("s"),
                 R"({"k":1})"},
        FillCase{"empty_target_takes_all", obj({}), obj({{"b", u64(2)}, {"a", u64(1)}}),
                 R"({"a":1,"b":2})"},
        FillCase{"interleaved_keys_keep_order", obj({{"b", u64(2)}, {"d", u64(4)}}),
                 obj({{"a", u64(1)}, {"c", u64(3)}, {"e", u64(5)}, {"d", u64(0)}}),
                 R"({"a":1,"b":2,"c":3,"d":4,"e":5})"},
        FillCase{"null_leaf_inside_array_is_not_filled", obj({{"l", arr({null()})}}),
                 obj({{"l", arr({u64(1)})}}), R"({"l":[null]})"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FillFrom, CopyingLeavesTheSourceIntact) {
  LocaleValue target = obj({});
  const LocaleValue source = obj({{"a", obj({{"b", str("x")}})}});
  fill_from(target, source);
  target.as_object().find("a")->as_object().insert("b", str("changed"));
  EXPECT_EQ(to_json(source), R"({"a":{"b":"x"}})");
}

LocalePiece piece(std::optional<std::string> ns, LocaleValue value) {
  return LocalePiece{std::move(ns), std::move(value)};
}

TEST(AssemblePieces, EarlierPiecesWinAndNamespacesNest) {
  std::vector<LocalePiece> pieces;
  pieces.push_back(piece(std::nullopt, obj({{"a", u64(1)}})));
  pieces.push_back(piece("ns.sub", str("x")));
  pieces.push_back(piece(std::nullopt, obj({{"a", u64(2)}, {"b", u64(2)}})));
  EXPECT_EQ(to_json(assemble_pieces(std::move(pieces))), R"({"a":1,"b":2,"ns":{"sub":"x"}})");
}

struct SinglePieceCase {
  std::optional<std::string> ns;
  LocaleValue value;
  const char* expected;
};

class AssembleOnePiece : public ::testing::TestWithParam<SinglePieceCase> {};

TEST_P(AssembleOnePiece, WrapsAlongEverySegment) {
  std::vector<LocalePiece> pieces;
  pieces.push_back(piece(GetParam().ns, GetParam().value));
  EXPECT_EQ(to_json(assemble_pieces(std::move(pieces))), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AssembleOnePiece,
    ::testing::Values(SinglePieceCase{std::nullopt, str("x"), "{}"},
                      SinglePieceCase{std::nullopt, arr({u64(1)}), "{}"},
                      SinglePieceCase{"greeting", str("x"), R"({"greeting":"x"})"},
                      SinglePieceCase{"a..b", u64(1), R"({"a":{"":{"b":1}}})"},
                      SinglePieceCase{".", u64(1), R"({"":{"":1}})"},
                      SinglePieceCase{"", u64(1), R"({"":1})"},
                      SinglePieceCase{"sub.", obj({{"k", null()}}), R"({"sub":{"":{"k":null}}})"}));

TEST(AssemblePieces, EmptyListGivesEmptyObject) {
  EXPECT_EQ(to_json(assemble_pieces({})), "{}");
}

TEST(AssemblePieces, NullFromAnEarlierFileIsFilledByALaterOne) {
  std::vector<LocalePiece> pieces;
  pieces.push_back(piece("common", obj({{"title", null()}, {"ok", str("OK")}})));
  pieces.push_back(
      piece(std::nullopt, obj({{"common", obj({{"title", str("T")}, {"ok", str("no")}})}})));
  EXPECT_EQ(to_json(assemble_pieces(std::move(pieces))), R"({"common":{"ok":"OK","title":"T"}})");
}

}  // namespace
}  // namespace tarnevo
