#include <gtest/gtest.h>

#include <array>
#include <set>
#include <utility>

#include "loader/state_machine.hpp"
#include "tarnevo/error.hpp"
#include "tarnevo/state.hpp"

namespace tarnevo {
namespace {

using enum LoaderState;
using detail::loader::transition_lenient;
using detail::loader::transition_permitted;
using detail::loader::transition_strict;
constexpr std::array kAllStates{Uninitialized, Discovered, Idle, Reloading, Error};

// The permitted moves; every other pair, a state to itself included, is refused.
const std::set<std::pair<LoaderState, LoaderState>> kPermitted{
    {Uninitialized, Discovered}, {Reloading, Discovered},
    {Error, Discovered},         {Discovered, Idle},
    {Reloading, Idle},           {Idle, Reloading},
    {Error, Reloading},          {Uninitialized, Error},
    {Discovered, Error},         {Idle, Error},
    {Reloading, Error},
};

class StateTransition : public ::testing::TestWithParam<std::tuple<LoaderState, LoaderState>> {};

TEST_P(StateTransition, StrictAndLenientFollowTheTable) {
  const auto [from, to] = GetParam();
  const bool permitted = kPermitted.contains({from, to});
  EXPECT_EQ(transition_permitted(from, to), permitted);

  LoaderState strict = from;
  const auto outcome = transition_strict(strict, to);
  EXPECT_EQ(outcome.has_value(), permitted);
  EXPECT_EQ(strict, permitted ? to : from);
  if (!permitted) {
    EXPECT_EQ(outcome.error().message(), "FSM Error: Invalid state transition from " +
                                             std::string(state_name(from)) + " to " +
                                             std::string(state_name(to)));
  }

  LoaderState lenient = from;
  transition_lenient(lenient, to);
  EXPECT_EQ(lenient, permitted ? to : from);
}

INSTANTIATE_TEST_SUITE_P(AllPairs, StateTransition,
                         ::testing::Combine(::testing::ValuesIn(kAllStates),
                                            ::testing::ValuesIn(kAllStates)),
                         [](const auto& info) {
                           return std::string(state_name(std::get<0>(info.param))) + "To" +
                                  std::string(state_name(std::get<1>(info.param)));
                         });

TEST(StateName, IsTheCapitalisedName) {
  EXPECT_EQ(state_name(Uninitialized), "Uninitialized");
  EXPECT_EQ(state_name(Discovered), "Discovered");
  EXPECT_EQ(state_name(Idle), "Idle");
  EXPECT_EQ(state_name(Reloading), "Reloading");
  EXPECT_EQ(state_name(Error), "Error");
}

}  // namespace
}  // namespace tarnevo
