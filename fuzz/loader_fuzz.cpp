// The whole loader on a small locale directory made from the input. The input lists files:
//
//   @@ en.json
//   {"greeting": "Hello"}
//   @@ fr/errors/net.yml
//   down: Hors ligne
//
// Each "@@ " line names a path below the directory (components split at "/"; empty, "." and
// ".." components dropped; at most kMaxDepth components of at most kMaxName bytes, any other
// bytes allowed, so names need not be text); the lines up to the next "@@ " line are its
// content. Then every discovered locale, the default "en" and an unknown locale are loaded,
// from the files and from the cache; the outcomes are checked against each other and against
// the same load worked out by hand from discovery, the readers and the two merges.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_checks.hpp"
#include "loader/discovery.hpp"
#include "tarnevo/loader.hpp"
#include "tarnevo/merge.hpp"
#include "tree/write_json.hpp"

namespace {

using namespace tarnevo;

constexpr std::size_t kMaxFiles = 8;
constexpr std::size_t kMaxDepth = 6;
constexpr std::size_t kMaxName = 64;
constexpr std::string_view kDefault = "en";
// No discovered locale can be named this: names are single path components.
constexpr std::string_view kUnknown = "zz/unknown";

std::string g_root;  // this process's scratch directory

struct FileSpec {
  std::vector<std::string> components;
  std::string_view content;
};

std::vector<std::string> path_components(std::string_view path) {
  std::vector<std::string> components;
  while (!path.empty() && components.size() < kMaxDepth) {
    const std::size_t slash = path.find('/');
    std::string name(path.substr(0, slash));
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") continue;
    if (name.size() > kMaxName) name.resize(kMaxName);
    for (char& c : name) {
      if (c == '\0') c = '_';
    }
    components.push_back(std::move(name));
  }
  return components;
}

// A file starts at each "@@ " that opens a line; its content ends at the line feed before the
// next one.
std::vector<FileSpec> split_input(std::string_view input) {
  constexpr std::string_view kMarker = "@@ ";
  std::vector<std::size_t> markers;
  for (std::size_t line = 0; line < input.size();) {
    if (input.substr(line).starts_with(kMarker)) markers.push_back(line);
    const std::size_t feed = input.find('\n', line);
    if (feed == std::string_view::npos) break;
    line = feed + 1;
  }
  std::vector<FileSpec> files;
  for (std::size_t k = 0; k < markers.size() && files.size() < kMaxFiles; ++k) {
    const std::size_t name_start = markers[k] + kMarker.size();
    const std::size_t feed = std::min(input.find('\n', name_start), input.size());
    const std::size_t content_start = std::min(feed + 1, input.size());
    const std::size_t content_end = k + 1 < markers.size() ? markers[k + 1] - 1 : input.size();
    auto components = path_components(input.substr(name_start, feed - name_start));
    if (components.empty()) continue;
    files.push_back(
        FileSpec{std::move(components),
                 input.substr(content_start,
                              content_end > content_start ? content_end - content_start : 0)});
  }
  return files;
}

// Writes what can be written; a path that clashes with an earlier one (a file where a
// directory should be) is left out.
void make_tree(const std::string& dir, const std::vector<FileSpec>& files) {
  for (const FileSpec& file : files) {
    std::string path = dir;
    bool ok = true;
    for (std::size_t i = 0; i + 1 < file.components.size(); ++i) {
      path += '/';
      path += file.components[i];
      if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) ok = false;
    }
    if (!ok) continue;
    path += '/';
    path += file.components.back();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) continue;
    std::size_t written = 0;
    while (written < file.content.size()) {
      const ssize_t got = ::write(fd, file.content.data() + written, file.content.size() - written);
      if (got <= 0) break;
      written += static_cast<std::size_t>(got);
    }
    ::close(fd);
  }
}

bool has_known_prefix(const std::string& message) {
  for (std::string_view prefix : {"Locale not found: ", "IO Error: ", "Parse Error: "}) {
    if (message.starts_with(prefix)) return true;
  }
  return false;
}

std::string json_of(const LocaleValue& value) {
  detail::tree::ByteBuffer buffer;
  detail::tree::write_json(value, buffer);
  return std::string(buffer.view());
}

// The outcome of one load as comparable text: the tree's JSON, or the error's message.
struct Outcome {
  bool ok;
  std::string text;
  friend bool operator==(const Outcome&, const Outcome&) = default;
};

Outcome checked_load(LocaleLoader& loader, std::string_view locale) {
  auto tree = loader.load(locale);
  if (!tree) {
    const std::string message = tree.error().message();
    fuzz::expect(has_known_prefix(message), "load failed with an unexpected error", message);
    fuzz::expect(detail::text::is_valid_utf8(message), "load error is not UTF-8");
    return Outcome{false, message};
  }
  fuzz::expect(tree->is_object(), "a loaded locale is not an object");
  fuzz::check_tree(*tree);
  return Outcome{true, json_of(*tree)};
}

// What a load must give, worked out from the building blocks alone: the files that discovery
// lists, read and parsed one by one, joined with assemble_pieces, the fallback to the default,
// then filled from the default with fill_from.
std::expected<LocaleValue, LoaderError> assemble_by_hand(const detail::loader::LocaleIndex& index,
                                                         std::string_view locale) {
  const auto entry = index.find(std::string(locale));
  if (entry == index.end())
    return std::unexpected(LoaderError::locale_not_found(std::string(locale)));
  std::vector<LocalePiece> pieces;
  for (const detail::loader::LocaleFile& file : entry->second) {
    std::ifstream in(file.path, std::ios::binary);
    if (!in) return std::unexpected(LoaderError::io_os(errno));
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!detail::text::is_valid_utf8(bytes)) return std::unexpected(LoaderError::invalid_utf8());
    const auto format = format_from_path(file.path);
    if (!format) return std::unexpected(LoaderError::parse(format.error()));
    auto value = parse_locale_text(bytes, *format);
    if (!value) return std::unexpected(LoaderError::parse(std::move(value.error())));
    pieces.push_back(LocalePiece{file.namespace_path, std::move(*value)});
  }
  return assemble_pieces(std::move(pieces));
}

Outcome expected_load(const detail::loader::LocaleIndex& index, std::string_view locale) {
  auto tree = assemble_by_hand(index, locale);
  if (!tree && locale != kDefault) tree = assemble_by_hand(index, kDefault);
  if (!tree) return Outcome{false, tree.error().message()};
  if (locale != kDefault && index.contains(std::string(kDefault))) {
    if (auto defaults = assemble_by_hand(index, kDefault)) fill_from(*tree, *defaults);
  }
  return Outcome{true, json_of(*tree)};
}

void exercise(const std::string& dir) {
  auto created = LocaleLoader::create(dir, std::string(kDefault));
  if (!created) fuzz::broken("no loader for an existing directory:", created.error().message());
  LocaleLoader& loader = *created;

  const std::vector<std::string> languages = loader.languages();
  std::vector<std::string> locales = languages;
  locales.emplace_back(kDefault);
  locales.emplace_back(kUnknown);

  const detail::loader::LocaleIndex index = detail::loader::scan_directory(dir);
  std::vector<Outcome> first;
  for (const std::string& locale : locales) {
    const bool listed = std::find(languages.begin(), languages.end(), locale) != languages.end();
    fuzz::expect(loader.exists(locale) == listed, "exists disagrees with languages", locale);
    first.push_back(checked_load(loader, locale));
    const Outcome expected = expected_load(index, locale);
    fuzz::expect(first.back() == expected, "load differs from its building blocks:",
                 first.back().text + "\n  expected: " + expected.text);
    // A cache hit hands out the same tree, and so does the shared form.
    fuzz::expect(checked_load(loader, locale) == first.back(), "cache hit differs", locale);
    if (auto shared = loader.load_shared(locale); shared) {
      fuzz::expect(first.back().ok && json_of(**shared) == first.back().text, "shared tree differs",
                   locale);
    } else {
      fuzz::expect(!first.back().ok, "shared load fails where load succeeded", locale);
    }
  }

  // An unknown locale is answered with the default locale's tree, or the default's error.
  const Outcome& unknown = first.back();
  const Outcome& fallback = first[first.size() - 2];
  fuzz::expect(unknown == fallback || (!fallback.ok && !unknown.ok),
               "unknown locale is not answered by the default", unknown.text);

  // Nothing on disk changed: reading the files again gives the same outcomes.
  loader.clear_cache(std::nullopt);
  for (std::size_t i = 0; i < locales.size(); ++i) {
    fuzz::expect(checked_load(loader, locales[i]) == first[i], "reread differs", locales[i]);
  }
  if (auto reloaded = loader.reload(std::nullopt); !reloaded) {
    fuzz::broken("reload failed:", reloaded.error().message());
  }
  fuzz::expect(loader.languages() == languages, "rediscovery found other locales");
  for (std::size_t i = 0; i < locales.size(); ++i) {
    loader.clear_cache(locales[i]);
    fuzz::expect(checked_load(loader, locales[i]) == first[i], "reload changed a locale",
                 locales[i]);
  }
}

void remove_scratch() {
  std::error_code ignored;
  std::filesystem::remove_all(g_root, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarnevo-fuzz-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) std::abort();
  g_root = pattern;
  std::atexit(remove_scratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::vector<FileSpec> files = split_input(input);
  const std::string dir = g_root + "/locales";
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  if (::mkdir(dir.c_str(), 0700) != 0) std::abort();
  make_tree(dir, files);
  exercise(dir);
  return 0;
}
