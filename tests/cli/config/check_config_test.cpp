// The check's settings file: where it is found, what it gives, and each fault named with its
// file, line, column and key.
#include "config/check_config.hpp"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_tree.hpp"

namespace tarnevo {
namespace {

namespace fs = std::filesystem;
using cli::config::find_config;
using cli::config::read_config;
using testing::TempTree;

struct LookupCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> files;
  std::string start;  // below the tree's root
  std::string found;  // below the tree's root; empty for none
};

class FindConfig : public ::testing::TestWithParam<LookupCase> {};

TEST_P(FindConfig, TakesTheNearestFile) {
  const LookupCase& c = GetParam();
  const TempTree tree;
  for (const auto& [path, content] : c.files) tree.write(path, content);
  tree.make_dir(c.start);
  const auto found = find_config(tree.path(c.start));
  if (c.found.empty()) {
    // Nothing in the tree; a settings file above the scratch directory is not the test's.
    EXPECT_TRUE(!found || !found->string().starts_with(tree.root())) << *found;
    return;
  }
  ASSERT_TRUE(found);
  EXPECT_TRUE(fs::equivalent(*found, tree.path(c.found))) << *found;
}

const std::string kPyproject = "[project]\nname = \"app\"\n[tool.tarnevo]\nstrict = true\n";

INSTANTIATE_TEST_SUITE_P(
    Lookup, FindConfig,
    ::testing::Values(
        LookupCase{"TarnevoToml", {{"tarnevo.toml", ""}}, ".", "tarnevo.toml"},
        LookupCase{"Pyproject", {{"pyproject.toml", kPyproject}}, ".", "pyproject.toml"},
        LookupCase{"TarnevoTomlBeforePyproject",
                   {{"tarnevo.toml", ""}, {"pyproject.toml", kPyproject}},
                   ".",
                   "tarnevo.toml"},
        LookupCase{"ParentDirectory", {{"tarnevo.toml", ""}}, "app/web", "tarnevo.toml"},
        LookupCase{"NearestWins",
                   {{"tarnevo.toml", ""}, {"app/pyproject.toml", kPyproject}},
                   "app/web",
                   "app/pyproject.toml"},
        LookupCase{"PyprojectOfSomeoneElseSkipped",
                   {{"tarnevo.toml", ""}, {"app/pyproject.toml", "[tool.other]\nx = 1\n"}},
                   "app",
                   "tarnevo.toml"},
        LookupCase{"None", {}, "app", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReadConfig, GivesEverySettingWithPathsFromTheFilesDirectory) {
  const TempTree tree(
      {{"repo/tarnevo.toml",
        "directories = [\"web/locales\", \"/abs\"]\ndefault = \"fr\"\nlocale = [\"de\"]\n"
        "exclude = [\"*.bak\"]\nignore = [\"meta.**\"]\nstrict = true\nonly = [\"missing\"]\n"
        "show = \"all\"\nroot-key = \"off\"\nformat = \"sarif\"\n"
        "[severity]\nextra = \"error\"\nblank = \"off\"\n"}});
  const auto config = read_config(tree.path("repo/tarnevo.toml"));
  ASSERT_TRUE(config) << config.error();
  EXPECT_EQ(*config->directories, (std::vector<fs::path>{tree.path("repo/web/locales"), "/abs"}));
  EXPECT_EQ(*config->default_locale, "fr");
  EXPECT_EQ(*config->locales, std::vector<std::string>{"de"});
  EXPECT_EQ(*config->exclude, std::vector<std::string>{"*.bak"});
  EXPECT_EQ(*config->ignore, std::vector<std::string>{"meta.**"});
  EXPECT_TRUE(*config->strict);
  EXPECT_EQ(*config->only, std::vector<std::string>{"missing"});
  EXPECT_EQ(config->show->size(), cli::config::finding_kinds().size());
  EXPECT_EQ(*config->root_key, cli::config::RootKeyMode::Off);
  EXPECT_EQ(*config->format, cli::config::OutputFormat::Sarif);
  using cli::config::Severity;
  EXPECT_EQ(config->severity, (std::vector<std::pair<std::string, Severity>>{
                                  {"blank", Severity::Off}, {"extra", Severity::Error}}));
}

TEST(ReadConfig, PyprojectGivesItsToolTable) {
  const TempTree tree({{"pyproject.toml",
                        "[tool.black]\nline-length = 99\n[tool.tarnevo]\n"
                        "default = \"de\"\n[tool.tarnevo.severity]\n"
                        "missing = \"warning\"\n"}});
  const auto config = read_config(tree.path("pyproject.toml"));
  ASSERT_TRUE(config) << config.error();
  EXPECT_EQ(*config->default_locale, "de");
  EXPECT_FALSE(config->strict);
  ASSERT_EQ(config->severity.size(), 1U);
  EXPECT_EQ(config->severity[0].second, cli::config::Severity::Warning);
}

struct FaultCase {
  const char* name;
  std::string file_name;
  std::string content;
  std::string message;  // after "<path>:"
};

class ConfigFault : public ::testing::TestWithParam<FaultCase> {};

TEST_P(ConfigFault, NamesFileLineAndKey) {
  const FaultCase& c = GetParam();
  const TempTree tree({{c.file_name, c.content}});
  const auto config = read_config(tree.path(c.file_name));
  ASSERT_FALSE(config);
  EXPECT_EQ(config.error(), tree.path(c.file_name) + ":" + c.message);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, ConfigFault,
    ::testing::Values(
        FaultCase{"UnknownKey", "tarnevo.toml", "strict = true\n  colour = 1\n",
                  "2:3: unknown key \"colour\" (the keys are: directories, default, locale, "
                  "exclude, ignore, strict, only, show, root-key, format, severity)"},
        FaultCase{"FirstFaultInTheFile", "tarnevo.toml", "zzz = 1\nstrict = \"yes\"\n",
                  "1:1: unknown key \"zzz\" (the keys are: directories, default, locale, "
                  "exclude, ignore, strict, only, show, root-key, format, severity)"},
        FaultCase{"WrongType", "tarnevo.toml", "\n\nstrict = \"yes\"\n",
                  "3:1: \"strict\" must be true or false"},
        FaultCase{"ListOfStrings", "tarnevo.toml", "directories = \"locales\"\n",
                  "1:1: \"directories\" must be a list of strings"},
        FaultCase{"UnknownKind", "tarnevo.toml", "only = [\"missing\", \"missng\"]\n",
                  "1:1: \"only\" names an unknown finding kind \"missng\" (the kinds are: "
                  "failure, placeholder, icu-syntax, missing, extra, blank, plural, shape, "
                  "shadowed, not-object, root-key, selector)"},
        FaultCase{"Format", "tarnevo.toml", "format = \"xml\"\n",
                  "1:1: \"format\" must be \"text\", \"json\", \"github\" or \"sarif\""},
        FaultCase{"SeverityLevel", "pyproject.toml",
                  "[tool.tarnevo.severity]\nblank = \"warning\"\nextra = \"fatal\"\n",
                  "3:1: \"severity.extra\" must be \"error\", \"warning\" or \"off\""},
        FaultCase{"SeverityKind", "tarnevo.toml", "[severity]\nmissng = \"off\"\n",
                  "2:1: \"severity\" names an unknown finding kind \"missng\" (the kinds are: "
                  "failure, placeholder, icu-syntax, missing, extra, blank, plural, shape, "
                  "shadowed, not-object, root-key, selector)"},
        FaultCase{"PyprojectKey", "pyproject.toml", "[tool.tarnevo]\nlocales = [\"de\"]\n",
                  "2:1: unknown key \"locales\" (the keys are: directories, default, locale, "
                  "exclude, ignore, strict, only, show, root-key, format, severity)"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnevo
