// Discovery of a large directory, and the three ways to get a big locale: cold (read, parse,
// assemble, cache), a cache hit handing out the shared tree, and a cache hit with a deep copy.
//
// Usage: loader_bench [scratch directory]   (default: $TMPDIR or /tmp)
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "loader/discovery.hpp"
#include "tarnevo/format.hpp"
#include "tarnevo/loader.hpp"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kLocales = 20;
constexpr int kDirsPerLocale = 10;
constexpr int kFilesPerDir = 50;  // 20 x 10 x 50 = 10,000 files
constexpr int kBigGroups = 500;
constexpr int kBigLeavesPerGroup = 100;  // 50,000 leaves

void write_file(const std::filesystem::path& path, const std::string& content) {
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << content;
}

void make_discovery_tree(const std::filesystem::path& root) {
  for (int l = 0; l < kLocales; ++l) {
    for (int d = 0; d < kDirsPerLocale; ++d) {
      for (int f = 0; f < kFilesPerDir; ++f) {
        // Names appended piece by piece: GCC 12 at -O3 misreads "l" + std::string as an
        // overlapping copy.
        write_file(root / std::string("l").append(std::to_string(l)) /
                       std::string("d").append(std::to_string(d)) /
                       std::string("f").append(std::to_string(f)).append(".json"),
                   "{}");
      }
    }
  }
}

// One locale file with kBigGroups objects of kBigLeavesPerGroup strings each.
std::string big_locale_json() {
  std::string text = "{";
  for (int g = 0; g < kBigGroups; ++g) {
    if (g != 0) text += ',';
    text += "\"group" + std::to_string(g) + "\":{";
    for (int k = 0; k < kBigLeavesPerGroup; ++k) {
      if (k != 0) text += ',';
      text += "\"key" + std::to_string(k) + "\":\"Translated text number " +
              std::to_string(g * kBigLeavesPerGroup + k) + "\"";
    }
    text += '}';
  }
  text += '}';
  return text;
}

// Median seconds per call over `runs` batches of `batch` calls; `prepare` runs untimed before
// each batch.
double median_seconds(
    int runs, int batch, const std::function<void()>& body,
    const std::function<void()>& prepare = [] {}) {
  std::vector<double> samples;
  for (int r = 0; r < runs; ++r) {
    prepare();
    const auto start = Clock::now();
    for (int i = 0; i < batch; ++i) body();
    samples.push_back(std::chrono::duration<double>(Clock::now() - start).count() / batch);
  }
  std::sort(samples.begin(), samples.end());
  return samples[samples.size() / 2];
}

void report(const char* what, double seconds) {
  if (seconds >= 1e-3) {
    std::printf("%-44s %10.3f ms\n", what, seconds * 1e3);
  } else {
    std::printf("%-44s %10.3f us\n", what, seconds * 1e6);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = argc > 1 ? argv[1] : (tmp && *tmp ? tmp : "/tmp");
  std::string pattern = base + "/tarnevo-bench-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) {
    std::perror("mkdtemp");
    return 1;
  }
  const std::filesystem::path root(pattern);
  struct Cleanup {
    std::filesystem::path path;
    ~Cleanup() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } cleanup{root};

  make_discovery_tree(root / "tree");
  std::size_t files = 0;
  const double scan = median_seconds(15, 1, [&] {
    const auto index = tarnevo::detail::loader::scan_directory((root / "tree").string());
    files = 0;
    for (const auto& entry : index) files += entry.second.size();
  });
  std::printf("discovery: %zu files in %d locales\n", files, kLocales);
  report("scan_directory", scan);

  const std::string big = big_locale_json();
  write_file(root / "big" / "en.json", big);
  std::printf("locale: %d leaves, %.1f MiB of JSON\n", kBigGroups * kBigLeavesPerGroup,
              double(big.size()) / (1024 * 1024));
  auto loader = tarnevo::LocaleLoader::create((root / "big").string(), "en");
  if (!loader) {
    std::fprintf(stderr, "%s\n", loader.error().message().c_str());
    return 1;
  }
  if (const auto probe = loader->load_shared("en"); !probe) {
    std::printf("load skipped: %s\n", probe.error().message().c_str());
    return 0;
  }

  report("cold load (read, parse, assemble, cache)",
         median_seconds(
             15, 1,
             [&] {
               if (!loader->load_shared("en")) std::abort();
             },
             [&] { loader->clear_cache(std::nullopt); }));
  // What the cold load costs beyond the reader itself: reading, UTF-8 check, assembling, caching.
  report("  of which parse_locale_text alone", median_seconds(15, 1, [&] {
           if (!tarnevo::parse_locale_text(big, tarnevo::FileFormat::Json)) std::abort();
         }));
  report("cache hit, load_shared", median_seconds(15, 100000, [&] {
           if (!loader->load_shared("en")) std::abort();
         }));
  report("cache hit, load (deep copy)", median_seconds(15, 1, [&] {
           if (!loader->load("en")) std::abort();
         }));
  return 0;
}
