// The directory changes between discovery and load, or between reloads: files vanish, lose
// their permissions, turn into FIFOs, devices or directories, and the locale directory itself
// turns into a file. Every load still ends promptly with a tree, a fallback or an error.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"
#include "tree_builders.hpp"
#include "unprivileged.hpp"

namespace tarnevo {
namespace {

using testing::TempTree;
using testing::to_json;

LocaleLoader make_loader(const std::string& dir) {
  auto loader = LocaleLoader::create(dir, "en");
  if (!loader) throw std::runtime_error(loader.error().message());
  return std::move(*loader);
}

// The tree's JSON or the error's message.
std::string outcome(const std::expected<LocaleValue, LoaderError>& loaded) {
  return loaded ? to_json(*loaded) : loaded.error().message();
}

const std::string kEn = R"({"greeting":"Hello"})";
const std::string kFr = R"({"greeting":"Bonjour"})";

TEST(ChangingFiles, VanishedFileIsAnIoErrorOrAFallback) {
  TempTree tree({{"en.json", kEn}, {"fr.json", kFr}});
  auto loader = make_loader(tree.root());
  tree.remove("fr.json");
  EXPECT_EQ(outcome(loader.load("fr")), kEn);
  tree.remove("en.json");
  EXPECT_EQ(outcome(loader.load("en")), "IO Error: No such file or directory (os error 2)");
  EXPECT_TRUE(loader.exists("en"));  // until the next discovery
}

TEST(ChangingFiles, UnreadableFileIsAnIoError) {
  TempTree tree({{"en.json", kEn}, {"fr.json", kFr}});
  tree.share_with_others();
  ::chmod(tree.path("en.json").c_str(), 0);
  const std::string result = testing::run_unprivileged([&]() -> std::string {
    auto loader = LocaleLoader::create(tree.root(), "en");
    if (!loader) return "no loader";
    const std::string en = outcome(loader->load("en"));
    if (en != "IO Error: Permission denied (os error 13)") return "en: " + en;
    const std::string fr = outcome(loader->load("fr"));  // nothing to fill in from
    return fr == kFr ? "" : "fr: " + fr;
  });
  EXPECT_EQ(result, "");
}

// Runs a load on another thread; a load that blocks is reported and then released by `unblock`.
template <class Unblock>
std::string load_within_seconds(LocaleLoader& loader, const std::string& locale, Unblock unblock) {
  auto pending = std::async(std::launch::async, [&] { return outcome(loader.load(locale)); });
  if (pending.wait_for(std::chrono::seconds(5)) == std::future_status::timeout) {
    unblock();
    pending.wait();
    return "blocked";
  }
  return pending.get();
}

TEST(ChangingFiles, FifoInPlaceOfAFileDoesNotBlock) {
  TempTree tree({{"en.json", kEn}, {"fr.json", kFr}});
  auto loader = make_loader(tree.root());
  const std::string fifo = tree.path("en.json");
  tree.remove("en.json");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Opening for writing meets a reader waiting in open() and lets it go on to end of file.
  const auto unblock = [&] { ::close(::open(fifo.c_str(), O_WRONLY)); };
  EXPECT_EQ(load_within_seconds(loader, "en", unblock), "IO Error: not a regular file");
  // With a writer holding the FIFO open and nothing written, a read would wait too.
  int writer = ::open(fifo.c_str(), O_RDWR);
  ASSERT_GE(writer, 0);
  const auto close_writer = [&] {
    ::close(writer);  // the last writer gone, a waiting read sees end of file
    writer = -1;
  };
  EXPECT_EQ(load_within_seconds(loader, "en", close_writer), "IO Error: not a regular file");
  if (writer >= 0) close_writer();
}

TEST(ChangingFiles, DeviceOrDirectoryInPlaceOfAFileIsAnIoError) {
  TempTree tree({{"en.json", kEn}, {"de.json", "{}"}, {"fr.json", kFr}});
  auto loader = make_loader(tree.root());
  auto loader_de = LocaleLoader::create(tree.root(), "de");
  ASSERT_TRUE(loader_de.has_value());
  tree.remove("en.json");
  tree.symlink("/dev/zero", "en.json");  // endless bytes: must be refused, not read
  tree.remove("de.json");
  tree.make_dir("de.json");
  EXPECT_EQ(load_within_seconds(loader, "en", [] {}), "IO Error: not a regular file");
  EXPECT_EQ(outcome(loader.load("fr")), kFr);  // its default fails: nothing is filled in
  EXPECT_EQ(outcome(loader_de->load("de")), "IO Error: Is a directory (os error 21)");
}

TEST(ChangingFiles, LocaleDirectoryReplacedByAFileBetweenReloads) {
  TempTree tree({{"locales/en.json", kEn}, {"locales/fr.json", kFr}});
  auto loader = make_loader(tree.path("locales"));
  ASSERT_EQ(outcome(loader.load("fr")), kFr);
  ASSERT_EQ(outcome(loader.load("en")), kEn);

  tree.remove("locales");
  tree.write("locales", "not a directory");
  // Rediscovery cannot list a file: the index empties and the reload itself succeeds. Only the
  // named locale's cached tree is dropped; the other is still served from the cache.
  ASSERT_TRUE(loader.reload("fr").has_value());
  EXPECT_TRUE(loader.languages().empty());
  EXPECT_EQ(outcome(loader.load("en")), kEn);
  EXPECT_EQ(outcome(loader.load("fr")), "Locale not found: en");
  ASSERT_TRUE(loader.reload(std::nullopt).has_value());
  EXPECT_EQ(outcome(loader.load("en")), "Locale not found: en");

  // Back to a directory: the next reload finds the locales again.
  tree.remove("locales");
  tree.write("locales/en.json", kEn);
  tree.write("locales/fr.json", kFr);
  ASSERT_TRUE(loader.reload(std::nullopt).has_value());
  EXPECT_EQ(loader.languages(), (std::vector<std::string>{"en", "fr"}));
  EXPECT_EQ(outcome(loader.load("fr")), kFr);
}

}  // namespace
}  // namespace tarnevo
