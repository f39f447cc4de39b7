// The walks over a whole locale tree, one by one: deep copy, destruction, comparison, filling
// from the default locale, writing compact JSON, and a cold load for scale. Thread CPU time,
// median of the rounds, so that other work on the machine disturbs it little; under
// `valgrind --tool=callgrind` (rounds=1) it gives repeatable instruction counts.
//
// Usage: tree_walks LOCALE_DIR [LOCALE [DEFAULT [ROUNDS]]]   (defaults: fr, en, 15)
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "tarnevo/loader.hpp"
#include "tarnevo/merge.hpp"
#include "tree/write_json.hpp"

namespace {

double thread_ms() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Median CPU time of `rounds` runs of `work`; `prepare` runs before each, untimed.
double median_ms(int rounds, const std::function<void()>& prepare,
                 const std::function<void()>& work) {
  std::vector<double> times;
  for (int round = 0; round < rounds; ++round) {
    prepare();
    const double start = thread_ms();
    work();
    times.push_back(thread_ms() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Each walk in a function of its own, so that `callgrind_annotate --inclusive=yes` shows the
// instructions of each one apart.
using tarnevo::LocaleValue;
[[gnu::noinline]] void walk_copy(LocaleValue& to, const LocaleValue& from) {
  to = from;
}
[[gnu::noinline]] void walk_destroy(LocaleValue& doomed) {
  doomed = LocaleValue();
}
[[gnu::noinline]] bool walk_compare(const LocaleValue& a, const LocaleValue& b) {
  return a == b;
}
[[gnu::noinline]] void walk_fill(LocaleValue& target, const LocaleValue& source) {
  tarnevo::fill_from(target, source);
}
[[gnu::noinline]] void walk_write_json(const LocaleValue& tree,
                                       tarnevo::detail::tree::ByteBuffer& out) {
  tarnevo::detail::tree::write_json(tree, out);
}
[[gnu::noinline]] void cold_load(const std::string& dir, const std::string& fallback,
                                 const std::string& locale) {
  auto fresh = tarnevo::LocaleLoader::create(dir, fallback);
  if (!fresh || !fresh->load_shared(locale)) std::abort();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tree_walks LOCALE_DIR [LOCALE [DEFAULT [ROUNDS]]]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const std::string locale = argc > 2 ? argv[2] : "fr";
  const std::string fallback = argc > 3 ? argv[3] : "en";
  const int rounds = argc > 4 ? std::atoi(argv[4]) : 15;

  auto loader = tarnevo::LocaleLoader::create(dir, fallback);
  if (!loader) return 1;
  auto tree = loader->load(locale);
  auto defaults = loader->load(fallback);
  if (!tree || !defaults) return 1;
  const auto nothing = [] {};

  LocaleValue copy;
  const double copy_ms = median_ms(
      rounds, [&] { copy = LocaleValue(); }, [&] { walk_copy(copy, *tree); });
  const double destroy_ms = median_ms(
      rounds, [&] { copy = *tree; }, [&] { walk_destroy(copy); });
  LocaleValue twin = *tree;
  bool equal = false;
  const double compare_ms = median_ms(rounds, nothing, [&] { equal = walk_compare(*tree, twin); });
  // Filling an empty object from the default copies the default whole; filling the locale
  // itself walks both trees and adds nothing.
  LocaleValue target;
  const double fill_new_ms = median_ms(
      rounds, [&] { target = LocaleValue::empty_object(); }, [&] { walk_fill(target, *defaults); });
  const double fill_full_ms = median_ms(
      rounds, [&] { target = *tree; }, [&] { walk_fill(target, *defaults); });
  tarnevo::detail::tree::ByteBuffer out;
  const double json_ms = median_ms(
      rounds, [&] { out.clear(); }, [&] { walk_write_json(*tree, out); });
  const double cold_ms = median_ms(rounds, nothing, [&] { cold_load(dir, fallback, locale); });

  std::printf(
      "copy %.2f ms, destroy %.2f ms, compare %.2f ms (%s), fill into empty %.2f ms, "
      "fill into full %.2f ms, write_json %.2f ms (%zu bytes), cold load %.2f ms\n",
      copy_ms, destroy_ms, compare_ms, equal ? "equal" : "DIFFERENT", fill_new_ms, fill_full_ms,
      json_ms, out.size(), cold_ms);
  return equal ? 0 : 1;
}
