// Reader throughput: parse_locale_text per format on generated locale files of about 100 KB and
// 10 MB, next to the cost of the parsing library alone on the same text where there is one
// (libyaml's event loop; the JSON and TOML readers are our own). Prints a markdown table of MB/s
// (10^6 bytes per second), the median of several rounds. A reader that fails on the text is shown
// as "error", with its message on stderr, so the table stays usable while a reader is missing.
#include <yaml.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "libyaml_events.hpp"
#include "locale_text_emitters.hpp"
#include "locale_tree_generator.hpp"
#include "tarnevo/format.hpp"

namespace {

using namespace tarnevo;
using namespace tarnevo::bench;

constexpr int kRounds = 7;
// Each round reads at least this much text, so that small files are timed over many parses.
constexpr std::size_t kBytesPerRound = 8'000'000;

// One timed operation over a text, repeated `repeats` times per round; each call keeps what it
// built until the round's clock has stopped, so freeing trees is not counted.
struct Workload {
  std::function<bool(std::size_t repeats)> run;
  std::function<void()> release;
};

// Median MB/s over the rounds, or nothing when the operation failed.
std::optional<double> measure(const std::string& text, const Workload& workload) {
  const std::size_t repeats = std::max<std::size_t>(1, kBytesPerRound / text.size());
  std::vector<double> rates;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = workload.run(repeats);
    const auto stop = std::chrono::steady_clock::now();
    workload.release();
    if (!ok) return std::nullopt;
    const double seconds = std::chrono::duration<double>(stop - start).count();
    rates.push_back(static_cast<double>(text.size() * repeats) / seconds / 1e6);
  }
  std::sort(rates.begin(), rates.end());
  return rates[rates.size() / 2];
}

// parse_locale_text, checked once against the generated tree before it is timed.
std::optional<double> measure_tarnevo(const std::string& text, FileFormat format,
                                      const LocaleValue& expected, const char* label) {
  const auto first = parse_locale_text(text, format);
  if (!first) {
    std::fprintf(stderr, "%s: %s\n", label, first.error().message().c_str());
    return std::nullopt;
  }
  if (*first != expected) {
    std::fprintf(stderr, "%s: the tree read differs from the generated one\n", label);
    return std::nullopt;
  }
  std::vector<std::expected<LocaleValue, FormatError>> results;
  return measure(text, Workload{[&](std::size_t repeats) {
                                  results.reserve(repeats);
                                  for (std::size_t i = 0; i < repeats; ++i) {
                                    results.push_back(parse_locale_text(text, format));
                                    if (!results.back()) return false;
                                  }
                                  return true;
                                },
                                [&] { results.clear(); }});
}

std::optional<double> measure_libyaml(const std::string& text) {
  return measure(text, Workload{[&](std::size_t repeats) {
                                  for (std::size_t i = 0; i < repeats; ++i) {
                                    if (!run_libyaml_events(text)) return false;
                                  }
                                  return true;
                                },
                                [] {}});
}

std::string rate_text(const std::optional<double>& rate) {
  if (!rate) return "error";
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%.0f", *rate);
  return buffer;
}

std::string size_text(std::size_t bytes) {
  char buffer[32];
  if (bytes >= 1'000'000) {
    std::snprintf(buffer, sizeof buffer, "%.1f MB", static_cast<double>(bytes) / 1e6);
  } else {
    std::snprintf(buffer, sizeof buffer, "%.0f KB", static_cast<double>(bytes) / 1e3);
  }
  return buffer;
}

void print_row(const char* format, const std::string& text, const std::optional<double>& tarnevo,
               const char* library, const std::optional<double>& library_rate) {
  std::printf("| %s | %s | %s | %s | %s |\n", format, size_text(text.size()).c_str(),
              rate_text(tarnevo).c_str(), library ? library : "-",
              library ? rate_text(library_rate).c_str() : "-");
  std::fflush(stdout);
}

}  // namespace

int main() {
  std::printf("| format | size | parse_locale_text MB/s | library alone | library MB/s |\n");
  std::printf("|---|---|---|---|---|\n");
  for (const std::size_t target : {100'000u, 10'000'000u}) {
    const LocaleNode tree = LocaleTreeGenerator(20240607 + target).generate(target);
    const LocaleValue expected = to_locale_value(tree);

    const std::string json = json_text(tree);
    print_row("JSON", json, measure_tarnevo(json, FileFormat::Json, expected, "JSON"), nullptr,
              std::nullopt);

    const std::string yaml = yaml_text(tree);
    print_row("YAML", yaml, measure_tarnevo(yaml, FileFormat::Yaml, expected, "YAML"),
              "libyaml events", measure_libyaml(yaml));

    const std::string toml = toml_text(tree);
    print_row("TOML", toml, measure_tarnevo(toml, FileFormat::Toml, expected, "TOML"), nullptr,
              std::nullopt);
  }
  return 0;
}
