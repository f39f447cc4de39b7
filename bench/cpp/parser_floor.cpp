// The parsing libraries alone on a set of locale files: libyaml's event loop over the YAML files
// and toml++'s parse of the TOML files, with nothing built from what they report. This is the
// floor under tarnevo's own YAML and TOML reading of the same files (run_bench.py sets it beside
// the Python peers).
//
// Usage: parser_floor ROUNDS FILE...   Prints one line: yaml_ms=<median> toml_ms=<median>, the
// thread CPU time of one pass over all files of that format.
#include <time.h>
#include <yaml.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "libyaml_events.hpp"

// toml++ exactly as the library compiles it.
#include "toml/tomlplusplus.hpp"

namespace {

double thread_ms() {
  timespec now;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

bool ends_with(const std::string& text, const char* suffix) {
  const std::string tail(suffix);
  if (text.size() < tail.size()) return false;
  std::string end = text.substr(text.size() - tail.size());
  std::transform(end.begin(), end.end(), end.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  return end == tail;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: parser_floor ROUNDS FILE...\n");
    return 2;
  }
  const int rounds = std::max(1, std::atoi(argv[1]));
  std::vector<std::string> yaml_texts;
  std::vector<std::string> toml_texts;
  for (int i = 2; i < argc; ++i) {
    const std::string path = argv[i];
    std::ifstream in(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "parser_floor: cannot read %s\n", path.c_str());
      return 1;
    }
    if (ends_with(path, ".yaml") || ends_with(path, ".yml")) yaml_texts.push_back(std::move(text));
    if (ends_with(path, ".toml")) toml_texts.push_back(std::move(text));
  }

  std::vector<double> yaml_ms;
  std::vector<double> toml_ms;
  for (int round = 0; round < rounds; ++round) {
    double start = thread_ms();
    for (const std::string& text : yaml_texts) {
      if (!run_libyaml_events(text)) {
        std::fprintf(stderr, "parser_floor: libyaml failed on a file\n");
        return 1;
      }
    }
    yaml_ms.push_back(thread_ms() - start);

    // The parsed tables are kept until the clock has stopped: freeing them is not parsing.
    std::vector<toml::parse_result> parsed;
    parsed.reserve(toml_texts.size());
    start = thread_ms();
    for (const std::string& text : toml_texts) {
      parsed.push_back(toml::parse(text));
      if (!parsed.back()) {
        std::fprintf(stderr, "parser_floor: toml++ failed on a file\n");
        return 1;
      }
    }
    toml_ms.push_back(thread_ms() - start);
  }
  std::printf("yaml_ms=%.3f toml_ms=%.3f\n", median(yaml_ms), median(toml_ms));
  return 0;
}
