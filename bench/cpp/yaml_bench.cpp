// Throughput of the YAML reader against libyaml's bare event loop on the same text, which is
// the floor the reader builds on. Reads the file given as the first argument, or generates a
// locale-like document (nested mappings of short strings) of about 8 MB.
//
//   yaml_bench [file.yml] [rounds]
#include <yaml.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

#include "tarnevo/format.hpp"

namespace {

std::string generate_locale(std::size_t target_bytes) {
  static const char* const kWords[] = {"save",  "open",   "file",  "cancel", "delete", "user",
                                       "name",  "folder", "error", "retry",  "close",  "settings",
                                       "email", "share",  "today", "welcome"};
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed >> 8;
  };
  auto word = [&] { return std::string(kWords[next() % std::size(kWords)]); };

  std::string out;
  for (std::size_t section = 0; out.size() < target_bytes; ++section) {
    out += "section_" + std::to_string(section) + ":\n";
    for (int group = 0; group < 8; ++group) {
      out += "  " + word() + "_" + std::to_string(group) + ":\n";
      for (int entry = 0; entry < 12; ++entry) {
        out += "    " + word() + "_" + word() + "_" + std::to_string(entry) + ": ";
        switch (next() % 8) {
          case 0:
            out += "\"" + word() + " %{" + word() + "}\"\n";
            break;
          case 1:
            out += std::to_string(next() % 1000) + "\n";
            break;
          default:
            out += word() + " the " + word() + " " + word() + "\n";
            break;
        }
      }
    }
  }
  return out;
}

std::size_t bare_event_loop(const std::string& text) {
  yaml_parser_t parser;
  yaml_parser_initialize(&parser);
  yaml_parser_set_input_string(&parser, reinterpret_cast<const unsigned char*>(text.data()),
                               text.size());
  std::size_t events = 0;
  for (;;) {
    yaml_event_t event;
    if (yaml_parser_parse(&parser, &event) == 0) break;
    ++events;
    const bool done = event.type == YAML_STREAM_END_EVENT;
    yaml_event_delete(&event);
    if (done) break;
  }
  yaml_parser_delete(&parser);
  return events;
}

// CPU time of this thread: less disturbed than wall time on a busy machine.
double cpu_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
  std::string text;
  if (argc > 1) {
    std::ifstream in(argv[1], std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } else {
    text = generate_locale(8u << 20);
  }
  const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
  const double megabytes = static_cast<double>(text.size()) / 1e6;

  // Rounds alternate between the two so that a noisy spell hits both; the best of each counts.
  std::size_t events = 0;
  bool ok = true;
  double bare = 1e300;
  double reader = 1e300;
  for (int round = 0; round < rounds; ++round) {
    double start = cpu_seconds();
    events = bare_event_loop(text);
    bare = std::min(bare, cpu_seconds() - start);

    start = cpu_seconds();
    auto tree = tarnevo::parse_locale_text(text, tarnevo::FileFormat::Yaml);
    // The tree is freed outside the timing: that is the caller's cost, not the reader's.
    reader = std::min(reader, cpu_seconds() - start);
    ok = ok && tree.has_value();
  }

  std::printf("input: %.2f MB, %zu events\n", megabytes, events);
  std::printf("libyaml event loop: %8.1f MB/s\n", megabytes / bare);
  std::printf("tarnevo YAML reader: %7.1f MB/s (%.2fx the event loop's time)%s\n",
              megabytes / reader, reader / bare, ok ? "" : "  [PARSE FAILED]");
  return ok ? 0 : 1;
}
