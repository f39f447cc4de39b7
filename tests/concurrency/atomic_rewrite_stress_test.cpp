// Threads load, reload and clear one loader while another rewrites its files the way editors and
// deployment tools do: a temporary file renamed over the old one. Every tree a load returns must
// hold each file's complete old or complete new content, never a mixture or a torn file; a file
// that a rename removed may make a locale fall back to the default, and nothing else may fail.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"

namespace tarnevo {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDuration = std::chrono::milliseconds(2500);

// One locale file: where it lies and under which namespace its content lands (empty: the root).
struct FileSlot {
  std::string relative;  // below the locale directory, with "{}" for the locale name
  std::vector<std::string> namespace_keys;
};

const std::vector<FileSlot> kSlots = {
    {"{}.json", {}},
    {"{}/a.yml", {"a"}},
    {"{}/b.toml", {"b"}},
    {"{}/c/d.json", {"c", "d"}},
};

// A file of fr only that the writer keeps removing and adding back: a load that finds it gone
// after discovery listed it fails, and fr falls back to en.
const FileSlot kExtra{"{}/extra.json", {"extra"}};

std::string path_of(const FileSlot& slot, const std::string& locale) {
  std::string path = slot.relative;
  path.replace(path.find("{}"), 2, locale);
  return path;
}

// A file's name for its content's markers, the same for every locale.
std::string tag_of(const FileSlot& slot) {
  return slot.namespace_keys.empty() ? "top" : slot.namespace_keys.back();
}

// Version `v` of a file: its markers, and a list whose length and values follow from v, so that
// any mixture of two versions, or a truncated one, is told apart from a whole one. The top-level
// file's keys carry a prefix, since they share the root with the namespaced files.
std::string content(const FileSlot& slot, const std::string& locale, std::uint64_t v) {
  const std::string p = slot.namespace_keys.empty() ? "top_" : "";
  const std::string check = locale + "-" + tag_of(slot) + "-" + std::to_string(v);
  std::string items;
  for (std::uint64_t i = 0; i < v % 23 + 1; ++i) items += (i ? ", " : "") + std::to_string(v + i);
  const std::string padding(v % 301, 'x');  // sizes differ from one version to the next
  const std::string ext = slot.relative.substr(slot.relative.rfind('.') + 1);
  if (ext == "json") {
    return "{\"" + p + "v\": " + std::to_string(v) + ", \"" + p + "check\": \"" + check + "\", \"" +
           p + "items\": [" + items + "], \"" + p + "pad\": \"" + padding + "\"}";
  }
  if (ext == "yml") {
    return p + "v: " + std::to_string(v) + "\n" + p + "check: " + check + "\n" + p + "items: [" +
           items + "]\n" + p + "pad: \"" + padding + "\"\n";
  }
  return p + "v = " + std::to_string(v) + "\n" + p + "check = \"" + check + "\"\n" + p +
         "items = [" + items + "]\n" + p + "pad = \"" + padding + "\"\n";
}

// The file's content within a loaded tree is one whole version, written for `locale`; returns
// what is wrong, or nothing.
std::optional<std::string> check_slot(const LocaleValue& root, const FileSlot& slot,
                                      const std::string& locale) {
  const LocaleValue* at = &root;
  for (const std::string& key : slot.namespace_keys) {
    at = at->is_object() ? at->as_object().find(key) : nullptr;
    if (at == nullptr) return "missing " + key;
  }
  if (!at->is_object()) return "not an object: " + tag_of(slot);
  const std::string p = slot.namespace_keys.empty() ? "top_" : "";
  const LocaleValue* v = at->as_object().find(p + "v");
  const LocaleValue* check = at->as_object().find(p + "check");
  const LocaleValue* items = at->as_object().find(p + "items");
  const LocaleValue* pad = at->as_object().find(p + "pad");
  if (!v || !check || !items || !pad) return "incomplete " + tag_of(slot);
  if (!v->is_number() || v->as_number().repr() != LocaleNumber::Repr::Unsigned ||
      !check->is_string() || !items->is_array() || !pad->is_string()) {
    return "wrong kinds in " + tag_of(slot);
  }
  const std::uint64_t version = v->as_number().as_unsigned();
  if (check->as_string() != locale + "-" + tag_of(slot) + "-" + std::to_string(version)) {
    return "mixed " + check->as_string() + " v" + std::to_string(version);
  }
  if (items->as_array().size() != version % 23 + 1 || pad->as_string().size() != version % 301) {
    return "torn " + tag_of(slot) + " v" + std::to_string(version);
  }
  for (std::size_t i = 0; i < items->as_array().size(); ++i) {
    const LocaleValue& item = items->as_array()[i];
    if (!item.is_number() || item.as_number().as_unsigned() != version + i) return "torn items";
  }
  return std::nullopt;
}

// A tree of `locale`: every file whole and of one locale. A locale other than the default may
// be the default's tree instead (when one of its files vanished under a rename).
std::optional<std::string> check_tree(const LocaleValue& root, const std::string& locale) {
  std::optional<std::string> problem;
  for (const std::string& candidate : {locale, std::string("en")}) {
    problem.reset();
    for (const FileSlot& slot : kSlots) {
      if ((problem = check_slot(root, slot, candidate))) break;
    }
    if (!problem && root.as_object().find("extra") != nullptr) {
      problem = check_slot(root, kExtra, candidate);
    }
    if (!problem) return std::nullopt;
  }
  return problem;
}

// Writes `text` to `relative` the atomic way: a temporary file beside it (an extension that
// discovery ignores), then a rename over it.
void replace_file(const testing::TempTree& tree, const std::string& relative,
                  const std::string& text) {
  const std::string target = tree.path(relative);
  const std::string temporary = target + ".tmp";
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out << text;
  }
  std::filesystem::rename(temporary, target);
}

TEST(AtomicRewriteStress, LoadsSeeWholeFilesOrFallBack) {
  testing::TempTree tree;
  const std::vector<std::string> locales{"en", "fr"};
  for (const std::string& locale : locales) {
    for (const FileSlot& slot : kSlots) tree.write(path_of(slot, locale), content(slot, locale, 0));
  }
  auto created = LocaleLoader::create(tree.root(), "en");
  ASSERT_TRUE(created.has_value());
  LocaleLoader& loader = *created;

  const auto deadline = Clock::now() + kDuration;
  std::atomic<long> loads{0};
  std::atomic<long> fallbacks{0};
  std::atomic<long> rewrites{0};
  std::atomic<int> bad_trees{0};
  std::atomic<int> errors{0};
  std::string first_problem;
  std::atomic_flag problem_taken;

  const auto report = [&](const std::string& problem) {
    ++bad_trees;
    if (!problem_taken.test_and_set()) first_problem = problem;
  };

  auto writer = [&] {
    std::vector<std::uint64_t> versions(kSlots.size() * locales.size(), 0);
    std::uint64_t extra_version = 0;
    for (std::size_t i = 0; Clock::now() < deadline; ++i) {
      if (i % 16 == 0) {
        const std::string extra = path_of(kExtra, "fr");
        if (std::filesystem::exists(tree.path(extra))) {
          std::filesystem::remove(tree.path(extra));
        } else {
          replace_file(tree, extra, content(kExtra, "fr", ++extra_version));
        }
      }
      const std::size_t which = (i * 7 + i / 3) % versions.size();
      const FileSlot& slot = kSlots[which % kSlots.size()];
      const std::string& locale = locales[which / kSlots.size()];
      replace_file(tree, path_of(slot, locale), content(slot, locale, ++versions[which]));
      ++rewrites;
    }
  };
  auto loader_thread = [&](std::size_t seed) {
    for (std::size_t i = seed; Clock::now() < deadline; ++i) {
      const std::string& locale = locales[i % locales.size()];
      std::optional<LocaleValue> copy;
      SharedLocaleValue shared;
      if (i % 3 == 0) {
        auto got = loader.load_shared(locale);
        if (!got) {
          ++errors;
          report(got.error().message());
          continue;
        }
        shared = *got;
      } else {
        auto got = loader.load(locale);
        if (!got) {
          ++errors;
          report(got.error().message());
          continue;
        }
        copy = std::move(*got);
      }
      const LocaleValue& root = shared ? *shared : *copy;
      if (auto problem = check_tree(root, locale)) report(locale + ": " + *problem);
      if (locale != "en" && !check_slot(root, kSlots[0], "en")) ++fallbacks;
      ++loads;
    }
  };
  auto reloader = [&] {
    for (std::size_t i = 0; Clock::now() < deadline; ++i) {
      if (i % 3 == 0) {
        if (!loader.reload(std::nullopt)) ++errors;
      } else if (i % 3 == 1) {
        if (!loader.reload(locales[i % locales.size()])) ++errors;
      } else {
        loader.clear_cache(std::nullopt);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  };

  {
    std::vector<std::jthread> threads;
    threads.emplace_back(writer);
    threads.emplace_back(loader_thread, 0);
    threads.emplace_back(loader_thread, 1);
    threads.emplace_back(reloader);
  }

  EXPECT_EQ(bad_trees.load(), 0) << first_problem;
  EXPECT_EQ(errors.load(), 0) << first_problem;
  EXPECT_GT(loads.load(), 0);
  EXPECT_GT(rewrites.load(), 0);
  std::printf("loads: %ld (fallbacks %ld), rewrites: %ld\n", loads.load(), fallbacks.load(),
              rewrites.load());
}

}  // namespace
}  // namespace tarnevo
