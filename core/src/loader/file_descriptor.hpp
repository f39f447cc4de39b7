// The one owner of an open file descriptor in the library: it closes what it holds.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

namespace tarnevo::detail::loader {

class FileDescriptor {
 public:
  // Opens `path` with `flags` (close-on-exec is always added), trying again when a signal
  // interrupts the call. On failure the descriptor is not valid and errno says why.
  static FileDescriptor open(const std::string& path, int flags) noexcept {
    int fd;
    do {
      fd = ::open(path.c_str(), flags | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return FileDescriptor(fd);
  }

  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&&) = delete;
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }

  bool valid() const noexcept { return fd_ >= 0; }
  int get() const noexcept { return fd_; }
  // Hands the descriptor to a new owner (fdopendir).
  int release() noexcept { return std::exchange(fd_, -1); }

 private:
  explicit FileDescriptor(int fd) noexcept : fd_(fd) {}

  int fd_;
};

}  // namespace tarnevo::detail::loader
