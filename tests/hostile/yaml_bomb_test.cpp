// Alias bombs: a few hundred bytes of YAML whose aliases would expand to hundreds of millions of
// nodes. They must fail with "repetition limit exceeded" before building much: quickly and in
// little memory. Each test runs in a process of its own under ctest, so the peak resident size
// measures what the test itself needed.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <string>

#include "tarnevo/format.hpp"
#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"

namespace tarnevo {
namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr long kMemoryAllowanceMb = 256;  // shadow memory and allocator bookkeeping
#else
constexpr long kMemoryAllowanceMb = 64;
#endif

long peak_resident_mb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

// `levels` anchors, each holding `width` aliases of the one before; the first holds `width`
// copies of `leaf`. `open` and `close` make each level a sequence or a mapping.
std::string nested_bomb(int levels, int width, bool mappings, const std::string& leaf) {
  const auto item = [&](int i, const std::string& value) {
    return (i ? ", " : "") + (mappings ? "k" + std::to_string(i) + ": " : "") + value;
  };
  std::string text = "l0: &l0 " + std::string(mappings ? "{" : "[");
  for (int i = 0; i < width; ++i) text += item(i, leaf);
  text += mappings ? "}\n" : "]\n";
  for (int level = 1; level < levels; ++level) {
    const std::string name = "l" + std::to_string(level);
    text += name + ": &" + name + " " + (mappings ? "{" : "[");
    for (int i = 0; i < width; ++i) text += item(i, "*l" + std::to_string(level - 1));
    text += mappings ? "}\n" : "]\n";
  }
  return text;
}

struct Bomb {
  const char* name;
  std::string text;
};

void PrintTo(const Bomb& bomb, std::ostream* out) {
  *out << bomb.name;
}

class YamlBomb : public ::testing::TestWithParam<Bomb> {};

TEST_P(YamlBomb, FailsFastInLittleMemory) {
  const long before = peak_resident_mb();
  const auto start = std::chrono::steady_clock::now();
  const auto result = parse_locale_text(GetParam().text, FileFormat::Yaml);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  ASSERT_FALSE(result.has_value());
  EXPECT_TRUE(result.error().message().starts_with(
      "Failed to parse YAML: repetition limit exceeded at line "))
      << result.error().message();
  EXPECT_LT(elapsed, std::chrono::seconds(2));
  EXPECT_LT(peak_resident_mb() - before, kMemoryAllowanceMb);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, YamlBomb,
    ::testing::Values(Bomb{"Sequences", nested_bomb(9, 9, false, "lol")},
                      Bomb{"Mappings", nested_bomb(9, 9, true, "lol")},
                      Bomb{"Wide", nested_bomb(4, 200, false, "lol")},
                      Bomb{"Deep", nested_bomb(30, 2, false, "lol")},
                      Bomb{"LongStrings", nested_bomb(8, 9, false, std::string(4000, 'x'))},
                      // Few nodes, much text: 100 KB copied by each of 10000 aliases.
                      Bomb{"AliasedLongString", "- &s " + std::string(100'000, 'x') + "\n" +
                                                    [] {
                                                      std::string aliases;
                                                      for (int i = 0; i < 10'000; ++i)
                                                        aliases += "- *s\n";
                                                      return aliases;
                                                    }()},
                      // Within the per-event bounds but over the absolute ones: 60 aliases of a
                      // 20000-item list (1.2 million nodes), 70 aliases of a 1 MB string.
                      Bomb{"BigFlatList", "- &l [" +
                                              [] {
                                                std::string items;
                                                for (int i = 0; i < 20'000; ++i)
                                                  items += i ? ", x" : "x";
                                                return items;
                                              }() +
                                              "]\n" +
                                              [] {
                                                std::string aliases;
                                                for (int i = 0; i < 60; ++i) aliases += "- *l\n";
                                                return aliases;
                                              }()},
                      Bomb{"BigAliasedText", "- &s " + std::string(1 << 20, 'x') + "\n" +
                                                 [] {
                                                   std::string aliases;
                                                   for (int i = 0; i < 70; ++i) aliases += "- *s\n";
                                                   return aliases;
                                                 }()},
                      // The bomb sits deep inside the document, below a streamed prefix.
                      Bomb{"Nested", "prefix: [1, 2, 3]\nouter:\n  inner:\n" +
                                         [] {
                                           std::string indented;
                                           for (char c : nested_bomb(9, 9, true, "lol")) {
                                             if (indented.empty() || indented.back() == '\n')
                                               indented += "    ";
                                             indented += c;
                                           }
                                           return indented;
                                         }()}),
    [](const auto& info) { return std::string(info.param.name); });

// Through the loader: the file fails, and a locale other than the default falls back to it.
TEST(YamlBombInLoader, FallsBackToTheDefault) {
  testing::TempTree tree(
      {{"en.json", R"({"greeting":"Hello"})"}, {"fr.yml", nested_bomb(9, 9, true, "lol")}});
  auto loader = LocaleLoader::create(tree.root(), "en");
  ASSERT_TRUE(loader.has_value());
  const long before = peak_resident_mb();
  const auto fr = loader->load("fr");
  ASSERT_TRUE(fr.has_value());
  EXPECT_TRUE(fr->as_object().find("greeting") != nullptr);
  EXPECT_LT(peak_resident_mb() - before, kMemoryAllowanceMb);
  auto only_fr = LocaleLoader::create(tree.root(), "fr");
  ASSERT_TRUE(only_fr.has_value());
  const auto failed = only_fr->load("fr");
  ASSERT_FALSE(failed.has_value());
  EXPECT_TRUE(failed.error().message().starts_with(
      "Parse Error: Failed to parse YAML: repetition limit exceeded at line "));
}

}  // namespace
}  // namespace tarnevo
