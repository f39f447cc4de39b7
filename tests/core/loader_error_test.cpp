#include <gtest/gtest.h>

#include <cerrno>

#include "tarnevo/error.hpp"

namespace tarnevo {
namespace {

struct DisplayCase {
  const char* name;
  LoaderError error;
  std::string text;
};

class LoaderErrorDisplay : public ::testing::TestWithParam<DisplayCase> {};

TEST_P(LoaderErrorDisplay, ShowsItsPrefixAndDetail) {
  EXPECT_EQ(GetParam().error.message(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    AllKinds, LoaderErrorDisplay,
    ::testing::Values(
        DisplayCase{"Fsm", LoaderError::fsm(LoaderState::Idle, LoaderState::Discovered),
                    "FSM Error: Invalid state transition from Idle to Discovered"},
        DisplayCase{"FsmOtherNames",
                    LoaderError::fsm(LoaderState::Uninitialized, LoaderState::Reloading),
                    "FSM Error: Invalid state transition from Uninitialized to Reloading"},
        DisplayCase{"Parse",
                    LoaderError::parse(FormatError(FormatError::Kind::Json,
                                                   "trailing characters at line 1 column 3")),
                    "Parse Error: Failed to parse JSON: trailing characters at line 1 column 3"},
        DisplayCase{"ParseExtension",
                    LoaderError::parse(FormatError(FormatError::Kind::UnsupportedExtension, "")),
                    "Parse Error: Unsupported file extension: "},
        DisplayCase{"IoNoEntry", LoaderError::io_os(ENOENT),
                    "IO Error: No such file or directory (os error 2)"},
        DisplayCase{"IoDenied", LoaderError::io_os(EACCES),
                    "IO Error: Permission denied (os error 13)"},
        DisplayCase{"IoInvalidUtf8", LoaderError::invalid_utf8(),
                    "IO Error: stream did not contain valid UTF-8"},
        DisplayCase{"LocaleNotFound", LoaderError::locale_not_found("fr_FR"),
                    "Locale not found: fr_FR"},
        DisplayCase{"LocaleNotFoundEmpty", LoaderError::locale_not_found(""), "Locale not found: "},
        DisplayCase{"DirectoryNotFound", LoaderError::directory_not_found("/no/such dir/"),
                    "Directory not found: /no/such dir/"},
        DisplayCase{"DirectoryNotFoundInvalidBytes",
                    LoaderError::directory_not_found("loc\xFF"
                                                     "ales\xC3"),
                    "Directory not found: loc\xEF\xBF\xBD"
                    "ales\xEF\xBF\xBD"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LoaderErrorKind, MatchesTheConstructorAndKeepsTheTransition) {
  const auto fsm = LoaderError::fsm(LoaderState::Error, LoaderState::Uninitialized);
  EXPECT_EQ(fsm.kind(), LoaderError::Kind::Fsm);
  EXPECT_EQ(fsm.fsm_from(), LoaderState::Error);
  EXPECT_EQ(fsm.fsm_to(), LoaderState::Uninitialized);
  EXPECT_EQ(LoaderError::invalid_utf8().kind(), LoaderError::Kind::Io);
  EXPECT_EQ(LoaderError::io_os(EISDIR).kind(), LoaderError::Kind::Io);
  EXPECT_EQ(LoaderError::locale_not_found("x").kind(), LoaderError::Kind::LocaleNotFound);
  EXPECT_EQ(LoaderError::directory_not_found("x").kind(), LoaderError::Kind::DirectoryNotFound);
  EXPECT_EQ(LoaderError::parse(FormatError(FormatError::Kind::Toml, "x")).kind(),
            LoaderError::Kind::Parse);
}

}  // namespace
}  // namespace tarnevo
