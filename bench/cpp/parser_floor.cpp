// What reading a set of locale files costs below the loader: libyaml's event loop over the YAML
// files, with nothing built from what it reports (the floor under tarnevo's YAML reader), and
// tarnevo's own TOML reader over the TOML files, tree and all (there is no library under it).
// run_bench.py sets both beside the Python peers.
//
// Usage: parser_floor ROUNDS FILE...   Prints one line: yaml_ms=<median> toml_ms=<median>
// toml_bytes=<n>, the thread CPU time of one pass over all files of that format and the size of
// the TOML files.
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
#include "tarnevo/format.hpp"

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

    // The trees are kept until the clock has stopped: freeing them is not reading.
    std::vector<std::expected<tarnevo::LocaleValue, tarnevo::FormatError>> read;
    read.reserve(toml_texts.size());
    start = thread_ms();
    for (const std::string& text : toml_texts) {
      read.push_back(tarnevo::parse_locale_text(text, tarnevo::FileFormat::Toml));
      if (!read.back()) {
        std::fprintf(stderr, "parser_floor: %s\n", read.back().error().message().c_str());
        return 1;
      }
    }
    toml_ms.push_back(thread_ms() - start);
  }
  std::size_t toml_bytes = 0;
  for (const std::string& text : toml_texts) toml_bytes += text.size();
  std::printf("yaml_ms=%.3f toml_ms=%.3f toml_bytes=%zu\n", median(yaml_ms), median(toml_ms),
              toml_bytes);
  return 0;
}
