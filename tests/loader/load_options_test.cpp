// LocaleLoader::load_report (what a load got past) and LoaderOptions (regional fallback, root
// keys).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tarnevo/loader.hpp"
#include "temp_tree.hpp"
#include "tree_builders.hpp"

namespace tarnevo {
namespace {

using testing::TempTree;

struct Dropped {
  std::string locale;
  std::string file;  // below the directory; empty for a locale that is not there
  std::string message_start;
  bool filling;
};

struct ReportCase {
  std::string name;
  std::vector<std::pair<std::string, std::string>> files;
  std::string locale;
  Fallback fallback;
  std::string served_by;
  std::vector<Dropped> dropped;
  std::string json;
};

class LoadReportTest : public ::testing::TestWithParam<ReportCase> {};

TEST_P(LoadReportTest, NamesTheServingLocaleAndEveryDroppedError) {
  const ReportCase& c = GetParam();
  TempTree tree;
  for (const auto& [path, text] : c.files) tree.write(path, text);
  auto loader = LocaleLoader::create(tree.root(), "en", LoaderOptions{c.fallback, RootKey::Off});
  ASSERT_TRUE(loader.has_value());
  // read_report gives what a miss gives and keeps nothing: the miss below still reads.
  const auto read = loader->read_report(c.locale);
  ASSERT_TRUE(read.has_value()) << read.error().message();
  EXPECT_EQ(testing::to_json(read->tree), c.json);
  EXPECT_EQ(read->notes->served_by, c.served_by);
  const auto report = loader->load_report(c.locale);
  ASSERT_TRUE(report.has_value()) << report.error().message();
  EXPECT_FALSE(report->cached);
  EXPECT_EQ(testing::to_json(*report->tree), c.json);
  EXPECT_EQ(report->notes->served_by, c.served_by);
  ASSERT_EQ(report->notes->dropped.size(), c.dropped.size());
  for (std::size_t i = 0; i < c.dropped.size(); ++i) {
    const DroppedError& got = report->notes->dropped[i];
    EXPECT_EQ(got.locale, c.dropped[i].locale);
    EXPECT_EQ(got.error.path(), c.dropped[i].file.empty() ? "" : tree.path(c.dropped[i].file));
    EXPECT_TRUE(got.error.message().starts_with(c.dropped[i].message_start)) << got.error.message();
    EXPECT_EQ(got.filling, c.dropped[i].filling);
  }
  // A hit reads nothing and tells what the miss found.
  const auto hit = loader->load_report(c.locale);
  ASSERT_TRUE(hit.has_value());
  EXPECT_TRUE(hit->cached);
  EXPECT_EQ(hit->notes, report->notes);
}

const std::string kEn = R"({"a":"en","b":"en","c":"en"})";
const Fallback kDefault = Fallback::Default;
const Fallback kRegional = Fallback::Regional;

INSTANTIATE_TEST_SUITE_P(
    Cases, LoadReportTest,
    ::testing::Values(ReportCase{"Served",
                                 {{"en.json", kEn}, {"fr.json", R"({"a":"fr"})"}},
                                 "fr",
                                 kDefault,
                                 "fr",
                                 {},
                                 R"({"a":"fr","b":"en","c":"en"})"},
                      ReportCase{"NotInTheDirectory",
                                 {{"en.json", kEn}},
                                 "pt",
                                 kDefault,
                                 "en",
                                 {{"pt", "", "Locale not found: pt", false}},
                                 kEn},
                      ReportCase{"BrokenFallsBack",
                                 {{"en.json", kEn}, {"de/x.json", "{"}},
                                 "de",
                                 kDefault,
                                 "en",
                                 {{"de", "de/x.json", "Parse Error: Failed to parse JSON", false}},
                                 kEn},
                      ReportCase{"FillingFails",
                                 {{"en/x.json", "{"}, {"fr.json", R"({"a":"fr"})"}},
                                 "fr",
                                 kDefault,
                                 "fr",
                                 {{"en", "en/x.json", "Parse Error:", true}},
                                 R"({"a":"fr"})"},
                      ReportCase{"RegionalFillsNearestFirst",
                                 {{"en.json", kEn},
                                  {"fr.json", R"({"a":"fr","b":"fr"})"},
                                  {"fr_CA.json", R"({"a":"ca"})"}},
                                 "fr_CA",
                                 kRegional,
                                 "fr_CA",
                                 {},
                                 R"({"a":"ca","b":"fr","c":"en"})"},
                      ReportCase{"RegionalParentAnswers",
                                 {{"en.json", kEn}, {"fr.json", R"({"a":"fr"})"}},
                                 "fr_CA",
                                 kRegional,
                                 "fr",
                                 {{"fr_CA", "", "Locale not found: fr_CA", false}},
                                 R"({"a":"fr","b":"en","c":"en"})"},
                      ReportCase{"DefaultFallbackSkipsTheParent",
                                 {{"en.json", kEn}, {"fr.json", R"({"a":"fr"})"}},
                                 "fr_CA",
                                 kDefault,
                                 "en",
                                 {{"fr_CA", "", "Locale not found: fr_CA", false}},
                                 kEn},
                      ReportCase{"ThreeSubtagsEitherSeparator",
                                 {{"en.json", kEn},
                                  {"zh.json", R"({"a":"zh","b":"zh"})"},
                                  {"zh_Hant.json", R"({"a":"hant"})"}},
                                 "zh_Hant-TW",
                                 kRegional,
                                 "zh_Hant",
                                 {{"zh_Hant-TW", "", "Locale not found", false}},
                                 R"({"a":"hant","b":"zh","c":"en"})"},
                      ReportCase{
                          "BrokenParentFillsNothing",
                          {{"en.json", kEn}, {"fr.json", "{"}, {"fr-CA.json", R"({"a":"ca"})"}},
                          "fr-CA",
                          kRegional,
                          "fr-CA",
                          {{"fr", "fr.json", "Parse Error:", true}},
                          R"({"a":"ca","b":"en","c":"en"})"}),
    [](const auto& info) { return info.param.name; });

struct RootKeyCase {
  std::string name;
  RootKey mode;
  std::string en;
  std::string fr_path;
  std::string fr;
  std::string json;
};

class RootKeyLoad : public ::testing::TestWithParam<RootKeyCase> {};

TEST_P(RootKeyLoad, ReadsBeneathTheLocalesName) {
  const RootKeyCase& c = GetParam();
  TempTree tree({{"en.json", c.en}, {c.fr_path, c.fr}});
  auto loader = LocaleLoader::create(tree.root(), "en", LoaderOptions{Fallback::Default, c.mode});
  const auto fr = loader->load("fr");
  ASSERT_TRUE(fr.has_value()) << fr.error().message();
  EXPECT_EQ(testing::to_json(*fr), c.json);
}

const std::string kRootedEn = R"({"en":{"app":{"a":"en","b":"en"}}})";

INSTANTIATE_TEST_SUITE_P(
    Modes, RootKeyLoad,
    ::testing::Values(
        RootKeyCase{"On", RootKey::On, kRootedEn, "fr/app.json", R"({"FR":{"a":"fr"}})",
                    R"({"app":{"a":"fr","b":"en"}})"},
        RootKeyCase{"AutoOnARootedDefault", RootKey::Auto, kRootedEn, "fr/app.json",
                    R"({"fr":{"a":"fr"}})", R"({"app":{"a":"fr","b":"en"}})"},
        RootKeyCase{"AutoOnAPlainDefault", RootKey::Auto, R"({"en":1,"x":2})", "fr.json",
                    R"({"fr":{"a":"fr"}})", R"({"en":1,"fr":{"a":"fr"},"x":2})"},
        RootKeyCase{"Off", RootKey::Off, kRootedEn, "fr.json", R"({"fr":{"a":"fr"}})",
                    R"({"en":{"app":{"a":"en","b":"en"}},"fr":{"a":"fr"}})"},
        RootKeyCase{"AnotherLocalesKeyIsKept", RootKey::On, kRootedEn, "fr.json",
                    R"({"de":{"a":"de"}})", R"({"app":{"a":"en","b":"en"},"de":{"a":"de"}})"},
        // The default's file is read only to fill; what fills is found beneath its key, not at
        // a member of the locale that happens to share the key's name.
        RootKeyCase{"FillingLooksBeneathTheKey", RootKey::On, R"({"en":{"b":"en"}})", "fr.json",
                    R"({"fr":{"en":{"b":"fr"}}})", R"({"b":"en","en":{"b":"fr"}})"}),
    [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace tarnevo
