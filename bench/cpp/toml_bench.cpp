// Throughput of the TOML reader on a generated locale-like document (sections of messages,
// plural forms as dotted keys, a few numbers, arrays, inline tables and dates).
//
//   toml_bench [megabytes=4] [rounds=7]
//
// Prints MB/s (MiB per second of thread CPU time, best round) and the time of one read.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "tarnevo/format.hpp"

namespace {

std::string make_document(std::size_t target_bytes) {
  static const char* const kWords[] = {"file",     "Datei",   "fichier",  "archivo", "файл",
                                       "ファイル", "saved",   "gelöscht", "déplacé", "opened",
                                       "error",    "warning", "ошибка",   "警告",    "retry"};
  std::string doc = "# generated locale\nversion = 3\nupdated = 2024-05-01T12:30:00Z\n\n";
  unsigned seed = 12345;
  const auto next = [&seed] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) & 0x7fff;
  };
  for (std::size_t section = 0; doc.size() < target_bytes; ++section) {
    doc += "[section_" + std::to_string(section) + "]\n";
    for (int key = 0; key < 40; ++key) {
      doc += "message_" + std::to_string(key) + " = \"";
      const unsigned words = 3 + next() % 12;
      for (unsigned w = 0; w < words; ++w) {
        if (w) doc += ' ';
        doc += kWords[next() % 15];
      }
      doc += " {count}\"\n";
    }
    doc += "plural.one = \"one item\"\nplural.other = \"{n} items\"\n";
    doc += "order = [\"first\", \"second\", \"third\"]\n";
    doc += "limits = { min = 0, max = " + std::to_string(next()) + ", ratio = 0.75 }\n";
    doc += "enabled = true\n\n";
  }
  return doc;
}

// CPU time of this thread: the machine may be shared, and waiting for a core is not parsing.
double thread_seconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double seconds_of(auto&& run) {
  const double start = thread_seconds();
  run();
  return thread_seconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  const double megabytes = argc > 1 ? std::atof(argv[1]) : 4.0;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 7;
  const std::string doc = make_document(static_cast<std::size_t>(megabytes * 1024 * 1024));
  const double mb = static_cast<double>(doc.size()) / (1024.0 * 1024.0);

  // Time is the thread's CPU time, so a busy machine matters little. The best round counts.
  bool ok = true;
  double reader = 1e30;
  for (int round = 0; round < rounds; ++round) {
    reader = std::min(reader, seconds_of([&] {
                        auto value = tarnevo::parse_locale_text(doc, tarnevo::FileFormat::Toml);
                        ok = ok && value.has_value();
                      }));
  }
  if (!ok) {
    std::fprintf(stderr, "toml_bench: the generated document failed to parse\n");
    return 1;
  }
  std::printf("document: %.2f MB\n", mb);
  std::printf("parse_toml_text:     %8.1f MB/s  (%.1f ms)\n", mb / reader, reader * 1e3);
  return 0;
}
