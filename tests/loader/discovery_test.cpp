#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "loader/discovery.hpp"
#include "temp_tree.hpp"
#include "unprivileged.hpp"

namespace tarnevo {
namespace {

using testing::TempTree;

struct Found {
  std::string relative;
  std::optional<std::string> namespace_path;
  friend bool operator==(const Found&, const Found&) = default;
  friend auto operator<=>(const Found&, const Found&) = default;
};
using FoundIndex = std::map<std::string, std::vector<Found>>;

void PrintTo(const Found& found, std::ostream* out) {
  *out << found.relative << " ns=" << found.namespace_path.value_or("<absent>");
}

// The index with the root stripped from every path, in an ordered map for comparison. Every path
// must start with the root and exactly one slash.
FoundIndex relative_index(const detail::loader::LocaleIndex& index, const std::string& root) {
  FoundIndex result;
  for (const auto& [locale, files] : index) {
    auto& list = result[locale];
    for (const auto& file : files) {
      EXPECT_TRUE(file.path.starts_with(root + "/")) << file.path;
      EXPECT_NE(file.path[root.size() + 1], '/') << file.path;
      list.push_back(Found{file.path.substr(root.size() + 1), file.namespace_path});
    }
  }
  return result;
}

// Each locale's files as a sorted list, for tests that do not care about walk order.
FoundIndex sorted(FoundIndex index) {
  for (auto& [locale, files] : index) std::sort(files.begin(), files.end());
  return index;
}

// The regular files below `root` in the order a depth-first walk in listing order meets them,
// found independently with std::filesystem (which lists in the same operating-system order).
std::vector<std::string> walk_order(const std::filesystem::path& dir, const std::string& prefix) {
  std::vector<std::string> order;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string relative = prefix + entry.path().filename().string();
    if (entry.is_symlink()) continue;
    if (entry.is_directory()) {
      const auto inner = walk_order(entry.path(), relative + "/");
      order.insert(order.end(), inner.begin(), inner.end());
    } else {
      order.push_back(relative);
    }
  }
  return order;
}

// The files of one locale, relative, in the order the index holds them.
std::vector<std::string> paths_of(const FoundIndex& index, const std::string& locale) {
  std::vector<std::string> paths;
  if (const auto it = index.find(locale); it != index.end()) {
    for (const auto& found : it->second) paths.push_back(found.relative);
  }
  return paths;
}

// `paths` keep the relative order they have in `order`.
bool in_walk_order(const std::vector<std::string>& paths, const std::vector<std::string>& order) {
  std::vector<std::size_t> positions;
  for (const auto& path : paths) {
    positions.push_back(std::find(order.begin(), order.end(), path) - order.begin());
  }
  return std::is_sorted(positions.begin(), positions.end());
}

TEST(Discovery, IndexesTheExampleLayout) {
  TempTree tree({{"en.json", "{}"},
                 {"fr_FR.YAML", ""},
                 {"messages.de.toml", ""},
                 {"en/common.json", "{}"},
                 {"en/errors/net.yml", ""},
                 {"en/ui.main/app.toml", ""},
                 {"notes.txt", ""},
                 {"README", ""},
                 {".json", ""},
                 {"en/readme.md", ""}});
  const FoundIndex found = relative_index(detail::loader::scan_directory(tree.root()), tree.root());
  const FoundIndex expected{
      {"en",
       {{"en.json", std::nullopt},
        {"en/common.json", "common"},
        {"en/errors/net.yml", "errors.net"},
        {"en/ui.main/app.toml", "ui.main.app"}}},
      {"fr_FR", {{"fr_FR.YAML", std::nullopt}}},
      {"messages.de", {{"messages.de.toml", std::nullopt}}},
  };
  EXPECT_EQ(sorted(found), sorted(expected));
  EXPECT_TRUE(in_walk_order(paths_of(found, "en"), walk_order(tree.root(), "")));
}

TEST(Discovery, LocaleNamesAreCaseSensitive) {
  TempTree tree({{"EN.json", "{}"}, {"en.json", "{}"}, {"En/a.json", "{}"}});
  const FoundIndex found = relative_index(detail::loader::scan_directory(tree.root()), tree.root());
  EXPECT_EQ(sorted(found), (FoundIndex{{"EN", {{"EN.json", std::nullopt}}},
                                       {"En", {{"En/a.json", "a"}}},
                                       {"en", {{"en.json", std::nullopt}}}}));
}

TEST(Discovery, FileAndDirectoryOfOneLocaleAreBothKeptInWalkOrder) {
  TempTree tree(
      {{"en.json", "{}"}, {"en/common.json", "{}"}, {"en/z/deep.json", "{}"}, {"en.yaml", ""}});
  const FoundIndex found = relative_index(detail::loader::scan_directory(tree.root()), tree.root());
  const auto en = paths_of(found, "en");
  ASSERT_EQ(en.size(), 4u);
  EXPECT_EQ(en, walk_order(tree.root(), ""));
}

TEST(Discovery, NamespacesFollowDirectoriesAtAnyDepth) {
  TempTree tree({{"en/a/b/c.json", "{}"}, {"en/ui.main/app.toml", ""}, {"en/..json", ""}});
  const FoundIndex found = relative_index(detail::loader::scan_directory(tree.root()), tree.root());
  EXPECT_EQ(sorted(found), (FoundIndex{{"en",
                                        {{"en/..json", "."},
                                         {"en/a/b/c.json", "a.b.c"},
                                         {"en/ui.main/app.toml", "ui.main.app"}}}}));
}

TEST(Discovery, NamesThatAreNotUtf8) {
  TempTree tree({{"\xFF.json", "{}"},              // top-level stem not text: skipped
                 {"ok.js\xFF", "{}"},              // extension not text: skipped
                 {"en/\xFE.json", "{}"},           // stem not text: empty namespace
                 {"en/sub/\xFE\xFF.yml", ""},      // empty last segment after sub
                 {"en/bad\xFF/inner/x.toml", ""},  // directory dropped from the namespace
                 {"\xFF"
                  "dir/lonely.json",
                  "{}"},  // only the file name is left: a locale
                 {"\xC3\xA9t\xC3\xA9/\xC3\xA9.json", "{}"}});
  const FoundIndex found = relative_index(detail::loader::scan_directory(tree.root()), tree.root());
  EXPECT_EQ(sorted(found),
            (FoundIndex{{"en",
                         {{"en/bad\xFF/inner/x.toml", "inner.x"},
                          {"en/sub/\xFE\xFF.yml", "sub."},
                          {"en/\xFE.json", ""}}},
                        {"lonely",
                         {{"\xFF"
                           "dir/lonely.json",
                           std::nullopt}}},
                        {"\xC3\xA9t\xC3\xA9", {{"\xC3\xA9t\xC3\xA9/\xC3\xA9.json", "\xC3\xA9"}}}}));
}

TEST(Discovery, LinksToFilesCountAndLinksToDirectoriesAreNotEntered) {
  TempTree tree({{"en.json", "{}"}, {"elsewhere/de/a.json", "{}"}, {"elsewhere/fr.json", "{}"}});
  tree.symlink(tree.path("en.json"), "link.json");
  tree.symlink("elsewhere/de", "de");
  tree.symlink("elsewhere", "it.json");  // a link to a directory is no file, whatever its name
  tree.symlink("missing.json", "broken.json");
  const FoundIndex found = relative_index(detail::loader::scan_directory(tree.root()), tree.root());
  EXPECT_EQ(
      sorted(found),
      (FoundIndex{{"elsewhere", {{"elsewhere/de/a.json", "de.a"}, {"elsewhere/fr.json", "fr"}}},
                  {"en", {{"en.json", std::nullopt}}},
                  {"link", {{"link.json", std::nullopt}}}}));
}

TEST(Discovery, OtherExtensionsInsideALocaleDirectoryDoNotMakeALocale) {
  TempTree tree({{"de/readme.md", ""}, {"de/notes", ""}, {"de/x.json5", ""}, {"es/a.jsn", ""}});
  EXPECT_TRUE(detail::loader::scan_directory(tree.root()).empty());
}

// Permissions do not bind the superuser, so as root (in CI) the walks run in an unprivileged
// child process.
TEST(Discovery, UnreadableSubDirectoryIsSkipped) {
  TempTree tree({{"en.json", "{}"}, {"en/secret/a.json", "{}"}, {"en/open.json", "{}"}});
  tree.lock_dir("en/secret");
  tree.share_with_others();
  const std::string outcome = testing::run_unprivileged([&]() -> std::string {
    const FoundIndex found =
        sorted(relative_index(detail::loader::scan_directory(tree.root()), tree.root()));
    const FoundIndex expected{{"en", {{"en.json", std::nullopt}, {"en/open.json", "open"}}}};
    return found == expected ? "" : "unexpected index";
  });
  EXPECT_EQ(outcome, "");
}

TEST(Discovery, UnreadableRootGivesAnEmptyIndex) {
  TempTree tree({{"en.json", "{}"}, {"inner/de.json", "{}"}});
  tree.lock_dir("inner");
  tree.share_with_others();
  const std::string outcome = testing::run_unprivileged([&]() -> std::string {
    // The readable parent shows that the child reaches the tree at all.
    const detail::loader::LocaleIndex outer = detail::loader::scan_directory(tree.root());
    if (outer.size() != 1 || !outer.contains("en")) return "the parent was not listed as expected";
    return detail::loader::scan_directory(tree.path("inner")).empty() ? ""
                                                                      : "a locked root was listed";
  });
  EXPECT_EQ(outcome, "");
}

TEST(Discovery, EmptyOrMissingDirectoryGivesAnEmptyIndex) {
  TempTree tree;
  EXPECT_TRUE(detail::loader::scan_directory(tree.root()).empty());
  EXPECT_TRUE(detail::loader::scan_directory(tree.path("missing")).empty());
  EXPECT_TRUE(detail::loader::scan_directory("").empty());
}

TEST(Discovery, TrailingSlashOnTheDirectoryGivesNoDoubleSlash) {
  TempTree tree({{"en.json", "{}"}, {"en/a.json", "{}"}});
  for (const std::string& given : {tree.root(), tree.root() + "/"}) {
    const detail::loader::LocaleIndex index = detail::loader::scan_directory(given);
    ASSERT_EQ(index.size(), 1u);
    std::vector<std::string> paths;
    for (const auto& file : index.at("en")) paths.push_back(file.path);
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths,
              (std::vector<std::string>{tree.root() + "/en.json", tree.root() + "/en/a.json"}))
        << "given " << given;
  }
}

}  // namespace
}  // namespace tarnevo
