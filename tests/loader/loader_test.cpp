#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using testing::arr;
using testing::null;
using testing::obj;
using testing::str;
using testing::TempTree;
using testing::u64;
using testing::WorkingDirectoryGuard;

LocaleLoader make_loader(const std::string& dir, const std::string& default_locale = "en") {
  auto loader = LocaleLoader::create(dir, default_locale);
  if (!loader) throw std::runtime_error(loader.error().message());
  return std::move(*loader);
}

// The error text of a load that must fail.
std::string load_error(LocaleLoader& loader, std::string_view locale) {
  const auto result = loader.load(locale);
  if (result) return "unexpected success: " + testing::to_json(*result);
  return result.error().message();
}

// The loaded tree as compact JSON, or the error text, so that failures show what came back.
std::string load_json(LocaleLoader& loader, std::string_view locale) {
  const auto result = loader.load(locale);
  if (!result) return "error: " + result.error().message();
  return testing::to_json(*result);
}

// Whether `first` comes before `second` in the operating system's listing of `dir`.
bool listed_before(const std::string& dir, const std::string& first, const std::string& second) {
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const auto name = entry.path().filename().string();
    if (name == first) return true;
    if (name == second) return false;
  }
  throw std::runtime_error("neither name is listed");
}

// ---- construction, listing and state -------------------------------------------------------

TEST(LoaderCreate, RefusesWhatIsNotADirectory) {
  TempTree tree({{"file.json", "{}"}});
  tree.symlink("missing", "dangling");
  for (const std::string& path :
       {tree.path("file.json"), tree.path("missing"), tree.path("dangling"), std::string()}) {
    const auto loader = LocaleLoader::create(path, "en");
    ASSERT_FALSE(loader.has_value()) << path;
    EXPECT_EQ(loader.error().message(), "Directory not found: " + path);
  }
  const auto invalid = LocaleLoader::create(tree.path("no\xFF"), "en");
  ASSERT_FALSE(invalid.has_value());
  EXPECT_EQ(invalid.error().message(), "Directory not found: " + tree.path("no\xEF\xBF\xBD"));
}

TEST(LoaderCreate, AcceptsALinkToADirectoryAndAnEmptyDirectory) {
  TempTree tree({{"real/en.json", "{}"}});
  tree.symlink("real", "link");
  tree.make_dir("empty");
  auto linked = make_loader(tree.path("link"));
  EXPECT_EQ(linked.languages(), std::vector<std::string>{"en"});
  EXPECT_EQ(linked.dir_path(), tree.path("link"));
  auto empty = make_loader(tree.path("empty"));
  EXPECT_TRUE(empty.languages().empty());
  EXPECT_EQ(empty.current_state(), LoaderState::Idle);
}

TEST(LoaderListing, LanguagesAreSortedByBytesAndExistsIsExact) {
  TempTree tree({{"en.json", "{}"}, {"EN.json", "{}"}, {"de/a.json", "{}"}, {"e.json", "{}"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(loader.languages(), (std::vector<std::string>{"EN", "de", "e", "en"}));
  EXPECT_TRUE(loader.exists("EN"));
  EXPECT_TRUE(loader.exists("de"));
  EXPECT_FALSE(loader.exists("En"));
  EXPECT_FALSE(loader.exists("en "));
  EXPECT_FALSE(loader.exists(""));
}

TEST(LoaderState, FreshLoaderIsIdleAndReloadReturnsToIdle) {
  TempTree tree({{"en.json", "{}"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(loader.current_state(), LoaderState::Idle);
  EXPECT_TRUE(loader.reload(std::nullopt).has_value());
  EXPECT_EQ(loader.current_state(), LoaderState::Idle);
  EXPECT_TRUE(loader.reload("en").has_value());
  EXPECT_EQ(loader.current_state(), LoaderState::Idle);
}

TEST(LoaderPaths, RelativeDirectoryStaysRelative) {
  TempTree first({{"locales/en.json", R"({"from":"first"})"}});
  TempTree second({{"locales/de.json", R"({"from":"second"})"}});
  WorkingDirectoryGuard restore;
  std::filesystem::current_path(first.root());
  auto loader = make_loader("locales");
  EXPECT_EQ(loader.dir_path(), "locales");
  EXPECT_TRUE(loader.exists("en"));

  // Every later walk and read resolves the same relative text against the new directory.
  std::filesystem::current_path(second.root());
  ASSERT_TRUE(loader.reload(std::nullopt).has_value());
  EXPECT_EQ(loader.languages(), std::vector<std::string>{"de"});
  EXPECT_EQ(load_json(loader, "de"), R"({"from":"second"})");
}

// ---- errors ------------------------------------------------------------------------------

TEST(LoaderErrors, MissingDefaultIsNamedInTheError) {
  TempTree tree({{"de.json", "{}"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(load_error(loader, "fr"), "Locale not found: en");
  EXPECT_EQ(load_error(loader, "en"), "Locale not found: en");

  auto unnamed = make_loader(tree.root(), "");
  EXPECT_EQ(load_error(unnamed, ""), "Locale not found: ");
  EXPECT_EQ(load_error(unnamed, "fr"), "Locale not found: ");
}

TEST(LoaderErrors, DeletedDefaultFileIsAnIoError) {
  TempTree tree({{"en.json", "{}"}});
  auto loader = make_loader(tree.root());
  tree.remove("en.json");
  EXPECT_EQ(load_error(loader, "en"), "IO Error: No such file or directory (os error 2)");
  EXPECT_TRUE(loader.exists("en"));
  EXPECT_EQ(loader.languages(), std::vector<std::string>{"en"});
}

TEST(LoaderErrors, BytesThatAreNotUtf8AreAnIoError) {
  TempTree tree({{"en.json", "{\"a\":\"\xC3\x28\"}"}, {"en/more.json", "{}"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(load_error(loader, "en"), "IO Error: stream did not contain valid UTF-8");
}

TEST(LoaderErrors, AFailedLoadCachesNothing) {
  TempTree tree({{"en.json", "\xFF"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(load_error(loader, "en"), "IO Error: stream did not contain valid UTF-8");
  EXPECT_EQ(load_error(loader, "fr"), "IO Error: stream did not contain valid UTF-8");
  tree.write("en.json", R"({"ok":true})");
  EXPECT_EQ(load_json(loader, "en"), R"({"ok":true})");
  EXPECT_EQ(load_json(loader, "fr"), R"({"ok":true})");
}

// ---- loading -----------------------------------------------------------------------------

TEST(LoaderLoad, FillsMissingKeysAndNullLeavesFromTheDefault) {
  TempTree tree({{"en.json", R"({"a":"en","b":"en","c":"en","list":[1,2,3],
                                  "nested":{"x":"en","y":"en"},"scalar":"en"})"},
                 {"fr.json", R"({"a":null,"b":"fr","list":[9],"nested":{"x":"fr","z":null},
                                  "scalar":{"deep":"fr"}})"}});
  auto loader = make_loader(tree.root());
  const auto fr = loader.load("fr");
  ASSERT_TRUE(fr.has_value()) << fr.error().message();
  EXPECT_EQ(*fr, obj({{"a", str("en")},
                      {"b", str("fr")},
                      {"c", str("en")},
                      {"list", arr({u64(9)})},
                      {"nested", obj({{"x", str("fr")}, {"y", str("en")}, {"z", null()}})},
                      {"scalar", obj({{"deep", str("fr")}})}}));
}

TEST(LoaderLoad, AssemblesNamespacesFromTheLocaleDirectory) {
  TempTree tree({{"en/common.json", R"({"ok":"OK"})"},
                 {"en/errors/net.json", R"({"down":"Offline"})"},
                 {"en/list.json", "[1,2]"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(load_json(loader, "en"),
            R"({"common":{"ok":"OK"},"errors":{"net":{"down":"Offline"}},"list":[1,2]})");
}

TEST(LoaderLoad, TopLevelListOrScalarContributesNothing) {
  TempTree tree({{"en.json", "[1,2,3]"}, {"de.json", "\"text\""}, {"en/a.json", R"({"k":1})"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(load_json(loader, "en"), R"({"a":{"k":1}})");
  EXPECT_EQ(load_json(loader, "de"), R"({"a":{"k":1}})");
}

TEST(LoaderLoad, EarlierFileWinsUnlessItsValueIsNull) {
  // Both files land under the namespace "a.x"; which one the walk meets first decides.
  TempTree tree({{"en/a/x.json", R"({"k":"dir","n":null,"only_dir":1})"},
                 {"en/a.x.json", R"({"k":"dotted","n":"dotted","only_dotted":2})"}});
  auto loader = make_loader(tree.root());
  const bool dir_first = listed_before(tree.path("en"), "a", "a.x.json");
  const std::string winner = dir_first ? "dir" : "dotted";
  EXPECT_EQ(load_json(loader, "en"),
            R"({"a":{"x":{"k":")" + winner + R"(","n":"dotted","only_dir":1,"only_dotted":2}}})");
}

TEST(LoaderLoad, UnloadableLocalesFallBackToTheDefault) {
  TempTree tree({{"en.json", R"({"greeting":"Hello"})"},
                 {"fr.json", "{not json"},
                 {"de.json", "\xFF"},
                 {"it.json", R"({"x":1})"}});
  auto loader = make_loader(tree.root());
  tree.remove("it.json");
  for (const char* locale : {"fr", "de", "it", "pt", "../en", "en.json", ""}) {
    EXPECT_EQ(load_json(loader, locale), R"({"greeting":"Hello"})") << locale;
  }
  // The fallback tree is cached under the requested name; the name is still not a locale.
  EXPECT_FALSE(loader.exists("pt"));
  tree.write("en.json", R"({"greeting":"Hi"})");
  EXPECT_EQ(load_json(loader, "pt"), R"({"greeting":"Hello"})");
}

TEST(LoaderLoad, NamesAreLookedUpNeverJoinedToPaths) {
  TempTree tree({{"en.json", R"({"outside":true})"}, {"locales/de.json", R"({"inside":true})"}});
  auto loader = make_loader(tree.path("locales"), "de");
  EXPECT_FALSE(loader.exists("../en"));
  EXPECT_EQ(load_json(loader, "../en"), R"({"inside":true})");
  EXPECT_EQ(load_json(loader, "../locales/de"), R"({"inside":true})");
}

// ---- the cache ---------------------------------------------------------------------------

TEST(LoaderCache, EditsAreSeenOnlyAfterClearingOrReloading) {
  TempTree tree({{"en.json", R"({"v":1})"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(load_json(loader, "en"), R"({"v":1})");
  tree.write("en.json", R"({"v":2})");
  EXPECT_EQ(load_json(loader, "en"), R"({"v":1})");
  loader.clear_cache("en");
  EXPECT_EQ(load_json(loader, "en"), R"({"v":2})");
  tree.write("en.json", R"({"v":3})");
  loader.clear_cache(std::nullopt);
  EXPECT_EQ(load_json(loader, "en"), R"({"v":3})");
  tree.write("en.json", R"({"v":4})");
  ASSERT_TRUE(loader.reload(std::nullopt).has_value());
  EXPECT_EQ(load_json(loader, "en"), R"({"v":4})");
}

TEST(LoaderCache, ReloadOfOneLocaleKeepsTheOthersCached) {
  TempTree tree({{"en.json", R"({"v":"en1"})"}, {"fr.json", R"({"v":"fr1"})"}});
  auto loader = make_loader(tree.root());
  EXPECT_EQ(load_json(loader, "en"), R"({"v":"en1"})");
  EXPECT_EQ(load_json(loader, "fr"), R"({"v":"fr1"})");
  tree.write("en.json", R"({"v":"en2","new":1})");
  tree.write("fr.json", R"({"v":"fr2"})");
  tree.write("de.json", "{}");
  ASSERT_TRUE(loader.reload("fr").has_value());
  EXPECT_TRUE(loader.exists("de"));  // the whole directory was walked again
  EXPECT_EQ(load_json(loader, "en"), R"({"v":"en1"})");
  EXPECT_EQ(load_json(loader, "fr"), R"({"new":1,"v":"fr2"})");
}

TEST(LoaderCache, SharedTreeIsTheCachedOneAndLoadHandsOutACopy) {
  TempTree tree({{"en.json", R"({"k":"v"})"}});
  auto loader = make_loader(tree.root());
  const auto first = loader.load_shared("en");
  ASSERT_TRUE(first.has_value()) << first.error().message();
  // The first hit lays the cached tree out anew (an equal copy); later hits share that one.
  const auto laid_out = loader.load_shared("en");
  const auto second = loader.load_shared("en");
  ASSERT_TRUE(laid_out.has_value() && second.has_value());
  EXPECT_EQ(**laid_out, **first);
  EXPECT_EQ(laid_out->get(), second->get());

  auto copy = loader.load("en");
  ASSERT_TRUE(copy.has_value());
  copy->as_object().insert("k", str("changed"));
  EXPECT_EQ(**first, obj({{"k", str("v")}}));
  EXPECT_EQ(load_json(loader, "en"), R"({"k":"v"})");

  // A tree handed out stays valid after its entry is dropped; the next load builds a new one.
  loader.clear_cache(std::nullopt);
  const auto third = loader.load_shared("en");
  ASSERT_TRUE(third.has_value());
  EXPECT_NE(third->get(), first->get());
  EXPECT_EQ(**third, **first);
}

}  // namespace
}  // namespace tarnevo
