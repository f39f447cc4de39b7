// Text that nests as deep as each reader allows, and far deeper, read on a thread with a small
// stack: the readers must stop at their limits without running out of stack on the way, and a
// tree at the limit must be built, copied and freed there too.
#include <gtest/gtest.h>

#include <string>

#include "small_stack.hpp"
#include "tarnevo/format.hpp"
#include "tree/write_json.hpp"

namespace tarnevo {
namespace {

std::string repeat(std::string_view part, std::size_t times) {
  std::string out;
  out.reserve(part.size() * times);
  for (std::size_t i = 0; i < times; ++i) out.append(part);
  return out;
}

struct DeepText {
  const char* name;
  FileFormat format;
  std::string text;
  bool readable;  // within the limit
};

void PrintTo(const DeepText& deep, std::ostream* out) {
  *out << deep.name;
}

class DeepTextOnASmallStack : public ::testing::TestWithParam<DeepText> {};

TEST_P(DeepTextOnASmallStack, ReadsOrFailsAtTheLimit) {
  const DeepText& deep = GetParam();
  testing::run_on_small_stack([&] {
    auto tree = parse_locale_text(deep.text, deep.format);
    if (deep.readable) {
      ASSERT_TRUE(tree.has_value()) << tree.error().message();
      const LocaleValue copy = *tree;
      EXPECT_TRUE(copy == *tree);
      detail::tree::ByteBuffer written;
      detail::tree::write_json(copy, written);
      EXPECT_GT(written.size(), 0u);
    } else {
      ASSERT_FALSE(tree.has_value());
      const std::string message = tree.error().message();
      EXPECT_TRUE(message.find("recursion limit exceeded") != std::string::npos ||
                  message.find("maximum nest") != std::string::npos)
          << message;
    }
  });
}

constexpr std::size_t kFar = 1'000'000;

INSTANTIATE_TEST_SUITE_P(
    Readers, DeepTextOnASmallStack,
    ::testing::Values(
        DeepText{"JsonArraysAtLimit", FileFormat::Json, repeat("[", 127) + repeat("]", 127), true},
        DeepText{"JsonObjectsAtLimit", FileFormat::Json,
                 repeat("{\"k\":", 126) + "[]" + repeat("}", 126), true},
        DeepText{"JsonArraysFar", FileFormat::Json, repeat("[", kFar), false},
        DeepText{"JsonObjectsFar", FileFormat::Json, repeat("{\"k\":", kFar), false},
        DeepText{"YamlFlowAtLimit", FileFormat::Yaml, repeat("[", 128) + repeat("]", 128), true},
        DeepText{"YamlFlowFar", FileFormat::Yaml, repeat("[", kFar), false},
        DeepText{"YamlFlowMappingsFar", FileFormat::Yaml, repeat("{a: ", kFar), false},
        DeepText{"YamlBlockFar", FileFormat::Yaml, repeat("- ", kFar / 10) + "x\n", false},
        DeepText{"YamlAliasesPastLimit", FileFormat::Yaml,
                 "a: &d " + repeat("[", 100) + repeat("]", 100) + "\nb: " + repeat("[", 28) + "*d" +
                     repeat("]", 28) + "\n",
                 false},
        DeepText{"TomlDottedKeyAtLimit", FileFormat::Toml, repeat("k.", 511) + "k = 1\n", true},
        DeepText{"TomlHeaderAtLimit", FileFormat::Toml, "[" + repeat("k.", 255) + "k]\n", true},
        DeepText{"TomlArraysAtLimit", FileFormat::Toml,
                 "x = " + repeat("[", 128) + repeat("]", 128) + "\n", true},
        DeepText{"TomlArraysPastLimit", FileFormat::Toml,
                 "x = " + repeat("[", 129) + repeat("]", 129) + "\n", false},
        DeepText{"TomlInlineTablesAtLimit", FileFormat::Toml,
                 "x = " + repeat("{a=", 127) + "1" + repeat("}", 127) + "\n", true},
        DeepText{"TomlArraysFar", FileFormat::Toml, "x = " + repeat("[", kFar), false},
        DeepText{"TomlInlineTablesFar", FileFormat::Toml, "x = " + repeat("{a=", kFar), false},
        DeepText{"TomlDottedKeyFar", FileFormat::Toml, repeat("k.", kFar) + "k = 1\n", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace tarnevo
