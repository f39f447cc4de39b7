// One loader shared by threads that load, reload, clear and list at the same time. Every
// outcome must be one that a single thread could have seen.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using Clock = std::chrono::steady_clock;
using testing::TempTree;

constexpr auto kStressDuration = std::chrono::milliseconds(1500);
const std::string kFsmText = "FSM Error: Invalid state transition from Idle to Discovered";

TempTree make_locale_tree() {
  return TempTree({{"en.json", R"({"greeting":"Hello","bye":"Bye","list":[1,2],"n":null})"},
                   {"en/errors/net.json", R"({"down":"Offline","up":"Online"})"},
                   {"fr.json", R"({"greeting":"Bonjour","n":null})"},
                   {"fr/errors/net.json", R"({"down":"Hors ligne"})"},
                   {"de/common.json", R"({"ok":"OK"})"},
                   {"broken.json", "{"}});
}

LocaleLoader make_loader(const std::string& dir) {
  auto loader = LocaleLoader::create(dir, "en");
  if (!loader) throw std::runtime_error(loader.error().message());
  return std::move(*loader);
}

TEST(LoaderConcurrency, MixedCallsAlwaysSeeKnownTrees) {
  TempTree tree = make_locale_tree();
  const std::vector<std::string> locales{"en", "fr", "de", "broken", "xx"};
  std::map<std::string, std::string> expected;
  {
    auto reference = make_loader(tree.root());
    for (const auto& locale : locales) {
      const auto value = reference.load(locale);
      ASSERT_TRUE(value.has_value()) << value.error().message();
      expected[locale] = testing::to_json(*value);
    }
  }

  auto loader = make_loader(tree.root());
  const auto deadline = Clock::now() + kStressDuration;
  std::atomic<int> wrong_trees{0};
  std::atomic<int> load_errors{0};
  std::atomic<int> reload_failures{0};
  std::atomic<int> unexpected_reload_errors{0};
  std::atomic<long> loads{0};

  auto loader_thread = [&](std::size_t seed, bool shared) {
    for (std::size_t i = seed; Clock::now() < deadline; ++i) {
      const std::string& locale = locales[i % locales.size()];
      std::string json;
      if (shared) {
        const auto value = loader.load_shared(locale);
        if (!value) {
          ++load_errors;
          continue;
        }
        json = testing::to_json(**value);
      } else {
        const auto value = loader.load(locale);
        if (!value) {
          ++load_errors;
          continue;
        }
        json = testing::to_json(*value);
      }
      if (json != expected.at(locale)) ++wrong_trees;
      ++loads;
    }
  };
  auto reloader_thread = [&](std::size_t seed) {
    for (std::size_t i = seed; Clock::now() < deadline; ++i) {
      const auto outcome = i % 3 == 0 ? loader.reload(std::nullopt) : loader.reload(locales[i % 5]);
      if (outcome) continue;
      ++reload_failures;
      if (outcome.error().message() != kFsmText) ++unexpected_reload_errors;
    }
  };
  auto clearer_thread = [&] {
    for (std::size_t i = 0; Clock::now() < deadline; ++i) {
      if (i % 4 == 0) {
        loader.clear_cache(std::nullopt);
      } else {
        loader.clear_cache(locales[i % locales.size()]);
      }
      if (loader.languages() != std::vector<std::string>{"broken", "de", "en", "fr"}) {
        ++wrong_trees;
      }
      if (!loader.exists("de") || loader.exists("xx")) ++wrong_trees;
      std::this_thread::yield();
    }
  };

  {
    std::vector<std::jthread> threads;
    threads.emplace_back(loader_thread, 0, true);
    threads.emplace_back(loader_thread, 1, false);
    threads.emplace_back(loader_thread, 2, true);
    threads.emplace_back(reloader_thread, 0);
    threads.emplace_back(reloader_thread, 1);
    threads.emplace_back(clearer_thread);
  }

  EXPECT_EQ(wrong_trees.load(), 0);
  EXPECT_EQ(load_errors.load(), 0);
  EXPECT_EQ(unexpected_reload_errors.load(), 0);
  EXPECT_GT(loads.load(), 0);
  // Whatever happened, the loader settles: one more reload succeeds and leaves it Idle.
  EXPECT_TRUE(loader.reload(std::nullopt).has_value());
  EXPECT_EQ(loader.current_state(), LoaderState::Idle);
  std::printf("loads: %ld, reloads refused: %d\n", loads.load(), reload_failures.load());
}

// A locale big enough that dropping its cached tree takes a while.
void add_big_locale(TempTree& tree, int leaves) {
  std::string text = "{";
  for (int i = 0; i < leaves; ++i) {
    if (i != 0) text += ',';
    text += "\"key" + std::to_string(i) + "\":{\"text\":\"value " + std::to_string(i) + "\"}";
  }
  text += '}';
  tree.write("big.json", text);
}

// Two reloads released together: at most one is refused, only with the Fsm error, and it
// leaves the loader in Error, from which the next reload recovers. A reload is refused only when
// the other one's first step lands between this one's first step and its walk; dropping a big
// cached tree in between widens that gap enough to be met.
TEST(LoaderConcurrency, OverlappingReloadsFailAtMostOnce) {
  TempTree tree = make_locale_tree();
  add_big_locale(tree, 20000);
  auto loader = make_loader(tree.root());
  constexpr int kMaxAttempts = 500;
  const auto give_up = Clock::now() + std::chrono::seconds(20);
  int attempts = 0;
  int refused = 0;
  for (; attempts < kMaxAttempts && refused < 3 && Clock::now() < give_up; ++attempts) {
    ASSERT_TRUE(loader.load_shared("big").has_value());  // the cache is the tree's only owner
    std::optional<LoaderError> errors[2];
    std::atomic<int> waiting{2};
    auto reload = [&](int slot) {
      // Spinning, not blocking, so that both calls start within a few instructions.
      waiting.fetch_sub(1);
      while (waiting.load() != 0) {
      }
      if (auto outcome = loader.reload(std::nullopt); !outcome) errors[slot] = outcome.error();
    };
    {
      std::jthread first(reload, 0);
      std::jthread second(reload, 1);
    }
    const int failures = int(errors[0].has_value()) + int(errors[1].has_value());
    ASSERT_LE(failures, 1);
    for (const auto& error : errors) {
      if (error) {
        EXPECT_EQ(error->message(), kFsmText);
      }
    }
    if (failures == 0) {
      EXPECT_EQ(loader.current_state(), LoaderState::Idle);
      continue;
    }
    ++refused;
    EXPECT_EQ(loader.current_state(), LoaderState::Error);
    // A loader in Error still serves from its index, which both reloads rebuilt.
    EXPECT_EQ(loader.languages(), (std::vector<std::string>{"big", "broken", "de", "en", "fr"}));
    EXPECT_TRUE(loader.load("fr").has_value());
    ASSERT_TRUE(loader.reload(std::nullopt).has_value());
    EXPECT_EQ(loader.current_state(), LoaderState::Idle);
  }
  std::printf("attempts: %d, refused: %d\n", attempts, refused);
  EXPECT_GT(refused, 0) << "two reloads never overlapped in " << attempts << " attempts";
}

}  // namespace
}  // namespace tarnevo
