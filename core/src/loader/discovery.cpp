#include "loader/discovery.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <memory>
#include <utility>

#include "format/file_name.hpp"
#include "loader/file_descriptor.hpp"
#include "text/utf8.hpp"

namespace tarnevo::detail::loader {
namespace {

struct Entry {
  std::string name;
  // What readdir reported (DT_DIR, DT_REG, DT_LNK, ...); DT_UNKNOWN when the file system does
  // not say, in which case lstat decides.
  unsigned char type;
};

// One directory of the walk, with its entries still to visit.
struct Frame {
  std::string path;
  // The valid UTF-8 names of the directories from the root down to this one; names that are not
  // valid text take no part in locale names or namespaces.
  std::vector<std::string> kept_dirs;
  std::vector<Entry> entries;
  std::size_t next = 0;
};

// Closes a directory stream (and with it the descriptor it was opened on).
struct DirectoryCloser {
  void operator()(DIR* dir) const noexcept { ::closedir(dir); }
};

// The entries of one directory in the order the operating system lists them, without "." and
// "..". The directory is read whole and closed at once, so a deep tree costs one descriptor at a
// time. A directory that cannot be opened, or a read error part-way, just ends the list.
std::vector<Entry> list_directory(const std::string& path) {
  std::vector<Entry> entries;
  auto fd = FileDescriptor::open(path, O_RDONLY | O_DIRECTORY);
  if (!fd.valid()) return entries;
  const std::unique_ptr<DIR, DirectoryCloser> dir(::fdopendir(fd.get()));
  if (!dir) return entries;
  (void)fd.release();  // the stream owns it now
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (entry == nullptr) break;  // the end, or an error (errno): either way the list ends
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    entries.push_back(Entry{std::string(name), entry->d_type});
  }
  return entries;
}

// The entry's own type (links not followed), or DT_UNKNOWN when it vanished or cannot be seen.
unsigned char entry_type(const std::string& path, unsigned char reported) {
  if (reported != DT_UNKNOWN) return reported;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return DT_UNKNOWN;
  if (S_ISDIR(info.st_mode)) return DT_DIR;
  if (S_ISREG(info.st_mode)) return DT_REG;
  if (S_ISLNK(info.st_mode)) return DT_LNK;
  return DT_UNKNOWN;
}

// Regular files count whether reached directly or through symbolic links; a broken link does not.
bool is_regular_file(const std::string& path, unsigned char type) {
  if (type == DT_REG) return true;
  if (type != DT_LNK) return false;
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Files at the top are locales of their own, named by their stem; a file below is part of the
// locale named by its first directory, under the namespace of the directories between and its
// stem. A file's own name always counts as the last component, so a stem that is not valid text
// becomes an empty last namespace segment (there is no other name to file it under).
void index_file(const Frame& frame, const Entry& file, std::string path, LocaleIndex& index) {
  const std::string_view stem = format::file_stem(file.name);
  const bool stem_is_text = text::is_valid_utf8(stem);
  std::string_view locale;
  std::optional<std::string> namespace_path;
  if (frame.kept_dirs.empty()) {
    if (!stem_is_text) return;
    locale = stem;
  } else {
    locale = frame.kept_dirs.front();
    std::string joined;
    for (std::size_t i = 1; i < frame.kept_dirs.size(); ++i) {
      joined.append(frame.kept_dirs[i]).push_back('.');
    }
    if (stem_is_text) joined.append(stem);
    namespace_path = std::move(joined);
  }
  LocaleFile entry{std::move(path), std::move(namespace_path)};
  if (auto it = index.find(locale); it != index.end()) {
    it->second.push_back(std::move(entry));
  } else {
    std::vector<LocaleFile> files;
    files.push_back(std::move(entry));
    index.emplace(std::string(locale), std::move(files));
  }
}

}  // namespace

// The walk keeps its own stack instead of recursing, so no directory depth can exhaust the call
// stack. A directory's content is visited right after its own entry, before its next sibling.
// Paths are the directory path exactly as given plus "/" and the path below it; a given path
// that already ends in "/" gets no second one.
LocaleIndex scan_directory(const std::string& dir_path) {
  LocaleIndex index;
  std::vector<Frame> stack;
  stack.push_back(Frame{dir_path, {}, list_directory(dir_path)});
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next == frame.entries.size()) {
      stack.pop_back();
      continue;
    }
    const Entry& entry = frame.entries[frame.next++];
    std::string path = frame.path;
    if (path.empty() || path.back() != '/') path.push_back('/');
    path.append(entry.name);

    const unsigned char type = entry_type(path, entry.type);
    if (type == DT_DIR) {
      std::vector<std::string> kept_dirs = frame.kept_dirs;
      if (text::is_valid_utf8(entry.name)) kept_dirs.push_back(entry.name);
      std::vector<Entry> entries = list_directory(path);
      // `frame` dangles once the stack grows.
      stack.push_back(Frame{std::move(path), std::move(kept_dirs), std::move(entries)});
      continue;
    }
    if (!format::format_from_file_name(entry.name)) continue;
    if (!is_regular_file(path, type)) continue;
    index_file(frame, entry, std::move(path), index);
  }
  return index;
}

}  // namespace tarnevo::detail::loader
