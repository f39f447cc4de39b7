#include "loader/file_read.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "loader/file_descriptor.hpp"

namespace tarnevo::detail::loader {
namespace {

constexpr const char* kNotARegularFile = "not a regular file";

// Bytes asked for at a time once the file turns out longer than its reported size.
constexpr std::size_t kGrowthStep = std::size_t{64} * 1024;

}  // namespace

std::expected<std::string, LoaderError> read_whole_file(const std::string& path) {
  // Discovery saw a regular file, but by now something else may stand at the path. Opening
  // without blocking keeps a FIFO from stalling the caller until some writer appears (the flag
  // changes nothing for regular files), O_NOCTTY keeps a terminal from being adopted, and the
  // type check on the open descriptor refuses whatever is not a regular file: a device such as
  // /dev/zero would otherwise be read without end.
  const auto file = FileDescriptor::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY);
  if (!file.valid()) return std::unexpected(LoaderError::io_os(errno));

  struct stat info;
  if (::fstat(file.get(), &info) != 0) return std::unexpected(LoaderError::io_os(errno));
  // A directory fails as reading it would; anything else that is not a file says so.
  if (S_ISDIR(info.st_mode)) return std::unexpected(LoaderError::io_os(EISDIR));
  if (!S_ISREG(info.st_mode)) return std::unexpected(LoaderError::io_message(kNotARegularFile));

  // The size is only a hint: the file may grow or shrink while it is read, so reading goes on
  // until end of file, and one extra byte of room lets a file of unchanged size end in one call.
  // The buffer is not zero-filled first: every byte kept is one that read() wrote.
  std::string content;
  std::size_t capacity =
      (info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : std::size_t{0}) + 1;
  std::size_t filled = 0;
  for (;;) {
    int error = 0;
    bool at_end = false;
    content.resize_and_overwrite(capacity, [&](char* data, std::size_t room) {
      while (filled < room) {
        const ssize_t got = ::read(file.get(), data + filled, room - filled);
        if (got < 0) {
          if (errno == EINTR) continue;
          error = errno;
          break;
        }
        if (got == 0) {
          at_end = true;
          break;
        }
        filled += static_cast<std::size_t>(got);
      }
      return filled;
    });
    if (error != 0) return std::unexpected(LoaderError::io_os(error));
    if (at_end) break;
    capacity += kGrowthStep;
  }
  return content;
}

}  // namespace tarnevo::detail::loader
