#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tarnevo/format.hpp"

namespace tarnevo {
namespace {

struct PathCase {
  const char* name;
  std::string path;
  // The selected format, or the text of the UnsupportedExtension error.
  std::optional<FileFormat> format;
  std::string error = {};
};

class FormatFromPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(FormatFromPath, SelectsByLowerCasedExtension) {
  const auto& param = GetParam();
  const auto format = format_from_path(param.path);
  if (param.format) {
    ASSERT_TRUE(format.has_value()) << format.error().message();
    EXPECT_EQ(*format, *param.format);
  } else {
    ASSERT_FALSE(format.has_value());
    EXPECT_EQ(format.error().kind(), FormatError::Kind::UnsupportedExtension);
    EXPECT_EQ(format.error().message(), "Unsupported file extension: " + param.error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FormatFromPath,
    ::testing::Values(
        PathCase{"Json", "locales/en.json", FileFormat::Json},
        PathCase{"UpperJson", "fr.JSON", FileFormat::Json},
        PathCase{"MixedYml", "de.Yml", FileFormat::Yaml},
        PathCase{"UpperToml", "es.TOML", FileFormat::Toml},
        PathCase{"TrailingSlashAndDot", "a/en.json/./", FileFormat::Json},
        PathCase{"LastExtensionOnly", "en.json.bak", std::nullopt, "bak"},
        PathCase{"LeadingDotOnly", ".json", std::nullopt, ""},
        PathCase{"TwoLeadingDots", "..json", FileFormat::Json},
        PathCase{"TrailingDot", "x.", std::nullopt, ""},
        PathCase{"NoDot", "README", std::nullopt, ""},
        PathCase{"ParentDirectory", "en.json/..", std::nullopt, ""},
        PathCase{"Empty", "", std::nullopt, ""}, PathCase{"Root", "/", std::nullopt, ""},
        PathCase{"UpperTxt", "fr.TXT", std::nullopt, "txt"},
        PathCase{"NonAsciiLowered", "x.\xC3\x89T\xC3\x89", std::nullopt, "\xC3\xA9t\xC3\xA9"},
        PathCase{"FinalSigma", "x.\xCE\xA3\xCE\x91\xCE\xA3", std::nullopt,
                 "\xCF\x83\xCE\xB1\xCF\x82"},
        PathCase{"DottedCapitalI", "x.\xC4\xB0", std::nullopt, "i\xCC\x87"},
        PathCase{"InvalidUtf8", "x.js\xFFon", std::nullopt, ""},
        // Full lower-casing, seen through the error text.
        PathCase{"KelvinSignBecomesAsciiK", "x.\xE2\x84\xAA", std::nullopt, "k"},
        PathCase{"Deseret", "x.\xF0\x90\x90\x80", std::nullopt, "\xF0\x90\x90\xA8"},
        PathCase{"LoneSigmaIsNotFinal", "x.\xCE\xA3", std::nullopt, "\xCF\x83"},
        PathCase{"SigmaBeforeLetterIsNotFinal", "x.\xCE\xA3\xCE\x91", std::nullopt,
                 "\xCF\x83\xCE\xB1"},
        // The apostrophe is looked through on both sides of the sigma.
        PathCase{"SigmaBeforeApostrophe", "x.\xCE\x91\xCE\xA3'", std::nullopt, "\xCE\xB1\xCF\x82'"},
        PathCase{"SigmaBeforeApostropheAndLetter", "x.\xCE\x91\xCE\xA3'\xCE\x91", std::nullopt,
                 "\xCE\xB1\xCF\x83'\xCE\xB1"},
        PathCase{"SigmaAfterDigitIsNotFinal", "x.1\xCE\xA3", std::nullopt, "1\xCF\x83"},
        PathCase{"Unmapped", "x.\xE4\xB8\xAD\xF0\x9F\x98\x80", std::nullopt,
                 "\xE4\xB8\xAD\xF0\x9F\x98\x80"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnevo
