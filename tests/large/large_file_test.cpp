// Very large locale files, generated here and never committed: they load, or fail cleanly, in
// time and memory proportional to their size. The size in megabytes comes from
// TARNEVO_LARGE_FILE_MB (default 96; 24 in sanitizer builds), so a run can go to hundreds:
//   TARNEVO_LARGE_FILE_MB=512 ctest -L large
// JSON is written at that size, YAML and TOML at a quarter of it.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"

namespace tarnevo {
namespace {

using Clock = std::chrono::steady_clock;

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr std::size_t kDefaultMb = 24;
#else
constexpr std::size_t kDefaultMb = 96;
#endif

std::size_t target_bytes() {
  const char* given = std::getenv("TARNEVO_LARGE_FILE_MB");
  const std::size_t mb = given && *given ? std::strtoull(given, nullptr, 10) : kDefaultMb;
  return (mb ? mb : kDefaultMb) << 20;
}

// One entry's key and text; every 1000th entry is a small object, so the tree has depth.
std::string key_of(std::size_t i) {
  return "key" + std::to_string(i);
}
std::string text_of(std::size_t i) {
  return "Translated text number " + std::to_string(i) + " with some words in it";
}

struct Generated {
  std::string text;
  std::size_t entries = 0;
};

Generated generate(FileFormat format, std::size_t bytes) {
  Generated out;
  out.text.reserve(bytes + 256);
  if (format == FileFormat::Json) out.text += "{";
  while (out.text.size() < bytes) {
    const std::size_t i = out.entries++;
    const bool nested = i % 1000 == 0;
    switch (format) {
      case FileFormat::Json:
        if (i != 0) out.text += ",\n";
        out.text += "\"" + key_of(i) + "\":";
        out.text += nested ? "{\"one\":\"" + text_of(i) + "\",\"n\":[1,2.5,null,true]}"
                           : "\"" + text_of(i) + "\"";
        break;
      case FileFormat::Yaml:
        out.text += key_of(i) + ":";
        out.text += nested ? "\n  one: " + text_of(i) + "\n  n: [1, 2.5, null, true]\n"
                           : " \"" + text_of(i) + "\"\n";
        break;
      case FileFormat::Toml:
        out.text += nested ? key_of(i) + " = { one = \"" + text_of(i) + "\", n = [1, 2.5] }\n"
                           : key_of(i) + " = \"" + text_of(i) + "\"\n";
        break;
    }
  }
  if (format == FileFormat::Json) out.text += "}";
  return out;
}

const char* extension(FileFormat format) {
  switch (format) {
    case FileFormat::Json:
      return "json";
    case FileFormat::Yaml:
      return "yaml";
    case FileFormat::Toml:
      return "toml";
  }
  return "";
}

long peak_resident_mb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024;
}

class LargeFile : public ::testing::TestWithParam<FileFormat> {};

TEST_P(LargeFile, LoadsOrFailsCleanly) {
  const FileFormat format = GetParam();
  const std::size_t bytes = format == FileFormat::Json ? target_bytes() : target_bytes() / 4;
  Generated generated = generate(format, bytes);
  const std::size_t size = generated.text.size();
  testing::TempTree tree;
  const std::string name = std::string("en.") + extension(format);
  tree.write(name, generated.text);
  // The same text cut short, so that it fails at its very end.
  generated.text.resize(size - 1);
  if (format != FileFormat::Json) generated.text += "\n[";
  tree.write(std::string("cut.") + extension(format), generated.text);
  generated.text = std::string();

  auto loader = LocaleLoader::create(tree.root(), "en");
  ASSERT_TRUE(loader.has_value());
  const auto start = Clock::now();
  auto tree_value = loader->load_shared("en");
  const double load_seconds = std::chrono::duration<double>(Clock::now() - start).count();
  ASSERT_TRUE(tree_value.has_value()) << tree_value.error().message();
  const LocaleValue& root = **tree_value;
  ASSERT_TRUE(root.is_object());
  EXPECT_EQ(root.as_object().size(), generated.entries);
  const std::size_t last = generated.entries - 1;
  const LocaleValue* entry = root.as_object().find(key_of(last));
  ASSERT_NE(entry, nullptr);
  if (last % 1000 != 0) {
    EXPECT_EQ(entry->as_string(), text_of(last));
  }
  ASSERT_NE(root.as_object().find(key_of(0)), nullptr);
  EXPECT_TRUE(root.as_object().find(key_of(0))->is_object());

  const auto cut_start = Clock::now();
  auto only_cut = LocaleLoader::create(tree.root(), "cut");
  const auto cut = only_cut->load("cut");
  const double cut_seconds = std::chrono::duration<double>(Clock::now() - cut_start).count();
  ASSERT_FALSE(cut.has_value());
  EXPECT_TRUE(cut.error().message().starts_with("Parse Error: Failed to parse "))
      << cut.error().message().substr(0, 200);

  std::printf("%s: %.1f MB, %zu entries, load %.2f s, cut file fails in %.2f s, peak RSS %ld MB\n",
              extension(format), static_cast<double>(size) / (1 << 20), generated.entries,
              load_seconds, cut_seconds, peak_resident_mb());
}

INSTANTIATE_TEST_SUITE_P(Formats, LargeFile,
                         ::testing::Values(FileFormat::Json, FileFormat::Yaml, FileFormat::Toml),
                         [](const auto& info) { return std::string(extension(info.param)); });

}  // namespace
}  // namespace tarnevo
