#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using namespace tarnevo::testing;

TEST(LocaleNumber, RepresentationFollowsTheValue) {
  EXPECT_EQ(LocaleNumber::from_signed(0).repr(), LocaleNumber::Repr::Unsigned);
  EXPECT_EQ(LocaleNumber::from_signed(7), LocaleNumber::from_unsigned(7));
  EXPECT_EQ(LocaleNumber::from_signed(-1).repr(), LocaleNumber::Repr::Signed);
  EXPECT_EQ(LocaleNumber::from_signed(std::numeric_limits<std::int64_t>::min()).as_signed(),
            std::numeric_limits<std::int64_t>::min());
  // An integral float stays a float; 0.0 and -0.0 are different values.
  EXPECT_EQ(LocaleNumber::from_finite_float(1.0).repr(), LocaleNumber::Repr::Float);
  EXPECT_NE(LocaleNumber::from_finite_float(1.0), LocaleNumber::from_unsigned(1));
  EXPECT_NE(LocaleNumber::from_finite_float(0.0), LocaleNumber::from_finite_float(-0.0));
}

TEST(LocaleValue, NonFiniteFloatsBecomeNull) {
  EXPECT_TRUE(f64(std::numeric_limits<double>::quiet_NaN()).is_null());
  EXPECT_TRUE(f64(std::numeric_limits<double>::infinity()).is_null());
  EXPECT_TRUE(f64(-std::numeric_limits<double>::infinity()).is_null());
  EXPECT_EQ(to_json(f64(std::numeric_limits<double>::quiet_NaN())), "null");
}

TEST(LocaleObject, KeysIterateInByteOrder) {
  LocaleObject object;
  for (const char* key : {"b", "a", "B", "\xC3\xA9", "z", "", "ab"}) object.insert(key, null());
  std::vector<std::string> keys;
  for (const auto& member : object) keys.push_back(member.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"", "B", "a", "ab", "b", "z", "\xC3\xA9"}));
}

TEST(LocaleObject, InsertReplacesAndFromMembersKeepsTheLast) {
  LocaleObject object;
  object.insert("a", str("first"));
  object.insert("a", str("second"));
  ASSERT_EQ(object.size(), 1u);
  EXPECT_EQ(*object.find("a"), str("second"));

  const LocaleValue parsed =
      obj({{"k", u64(1)}, {"b", u64(2)}, {"k", u64(3)}, {"a", u64(4)}, {"k", u64(5)}});
  EXPECT_EQ(to_json(parsed), R"({"a":4,"b":2,"k":5})");
  EXPECT_EQ(parsed.as_object().find("missing"), nullptr);
}

TEST(LocaleValue, FindFollowsAPathOfKeys) {
  const LocaleValue tree =
      obj({{"common", obj({{"nav", obj({{"home", str("Home")}})}})}, {"list", arr({str("x")})}});
  ASSERT_NE(tree.find({"common", "nav", "home"}), nullptr);
  EXPECT_EQ(*tree.find({"common", "nav", "home"}), str("Home"));
  EXPECT_EQ(tree.find({}), &tree);
  EXPECT_EQ(tree.find({"common", "nav", "away"}), nullptr);          // missing key
  EXPECT_EQ(tree.find({"common", "nav", "home", "more"}), nullptr);  // through a string
  EXPECT_EQ(tree.find({"list", "0"}), nullptr);                      // through an array
}

TEST(LocaleValue, CopiesAreDeepAndIndependent) {
  LocaleValue original = obj({{"list", arr({str("x")})}, {"inner", obj({{"k", u64(1)}})}});
  LocaleValue copy = original;
  copy.as_object().find("list")->as_array().push_back(null());
  copy.as_object().find("inner")->as_object().insert("k", u64(2));
  EXPECT_EQ(to_json(original), R"({"inner":{"k":1},"list":["x"]})");
  EXPECT_EQ(to_json(copy), R"({"inner":{"k":2},"list":["x",null]})");
}

TEST(LocaleValue, AssigningAChildToItsParentKeepsTheChild) {
  LocaleValue tree = obj({{"child", obj({{"leaf", str("v")}})}});
  LocaleValue copy = tree;
  tree = *tree.as_object().find("child");
  EXPECT_EQ(to_json(tree), R"({"leaf":"v"})");
  copy = std::move(*copy.as_object().find("child"));
  EXPECT_EQ(to_json(copy), R"({"leaf":"v"})");
}

// Copies and comparisons recurse only down to a bound and go level by level below it; trees
// around and far past it must come out the same either way. Each level alternates an object
// (with a leaf beside the child) and an array (with leaves around it).
LocaleValue layered(std::size_t depth, const std::string& bottom) {
  LocaleValue tree = str(bottom);
  for (std::size_t level = depth; level-- > 0;) {
    if (level % 2 == 0) {
      std::vector<LocaleMember> members;
      members.push_back(LocaleMember{"child", std::move(tree)});
      members.push_back(LocaleMember{"level", u64(level)});
      tree = LocaleValue::object(LocaleObject::from_members(std::move(members)));
    } else {
      LocaleArray items;
      items.push_back(i64(-static_cast<std::int64_t>(level) - 1));
      items.push_back(std::move(tree));
      items.push_back(LocaleValue::empty_object());
      tree = LocaleValue::array(std::move(items));
    }
  }
  return tree;
}

TEST(LocaleValue, DeepCopiesAndComparisonsAgreeAcrossTheRecursionBound) {
  for (const std::size_t depth : {1u, 47u, 48u, 49u, 50u, 97u, 3000u}) {
    const LocaleValue tree = layered(depth, "bottom");
    const std::string json = to_json(tree);
    LocaleValue copy = tree;
    EXPECT_EQ(to_json(copy), json) << depth;
    EXPECT_TRUE(copy == tree) << depth;
    EXPECT_FALSE(layered(depth, "other") == tree) << depth;
    EXPECT_FALSE(layered(depth + 1, "bottom") == tree) << depth;
    LocaleValue assigned;
    assigned = copy;
    copy = LocaleValue();
    EXPECT_EQ(to_json(assigned), json) << depth;
  }
}

}  // namespace
}  // namespace tarnevo
