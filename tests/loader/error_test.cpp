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
        DisplayCase{"Parse",
                    LoaderError::parse(FormatError(FormatError::Kind::Json,
                                                   "trailing characters at line 1 column 3")),
                    "Parse Error: Failed to parse JSON: trailing characters at line 1 column 3"},
        DisplayCase{"IoNoEntry", LoaderError::io_os(ENOENT),
                    "IO Error: No such file or directory (os error 2)"},
        DisplayCase{"IoInvalidUtf8", LoaderError::invalid_utf8(),
                    "IO Error: stream did not contain valid UTF-8"},
        DisplayCase{"LocaleNotFound", LoaderError::locale_not_found("fr_FR"),
                    "Locale not found: fr_FR"},
        DisplayCase{"DirectoryNotFound", LoaderError::directory_not_found("/no/such dir/"),
                    "Directory not found: /no/such dir/"},
        DisplayCase{"DirectoryNotFoundInvalidBytes",
                    LoaderError::directory_not_found("loc\xFF"
                                                     "ales\xC3"),
                    "Directory not found: loc\xEF\xBF\xBD"
                    "ales\xEF\xBF\xBD"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnevo
