// A scratch directory for tests that need real files: created from a list of (relative path,
// content) pairs, removed with everything in it when the test ends.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tarnevo::testing {

class TempTree {
 public:
  using Files = std::initializer_list<std::pair<std::string, std::string>>;

  explicit TempTree(Files files = {}) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tarnevo-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    for (const auto& [path, content] : files) write(path, content);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;
  ~TempTree() {
    std::error_code ignored;
    for (const auto& dir : locked_) ::chmod(dir.c_str(), 0700);
    std::filesystem::remove_all(root_, ignored);
  }

  // The directory itself, without a trailing slash.
  const std::string& root() const noexcept { return root_; }
  std::string path(const std::string& relative) const { return root_ + "/" + relative; }

  // Creates or replaces a file, creating its parent directories.
  void write(const std::string& relative, const std::string& content) const {
    const std::filesystem::path target = path(relative);
    std::filesystem::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + target.string());
  }
  void make_dir(const std::string& relative) const {
    std::filesystem::create_directories(path(relative));
  }
  void remove(const std::string& relative) const { std::filesystem::remove_all(path(relative)); }
  void symlink(const std::string& target, const std::string& relative_link) const {
    if (::symlink(target.c_str(), path(relative_link).c_str()) != 0) {
      throw std::runtime_error("symlink failed");
    }
  }
  // Takes every permission away from a directory; given back before the tree is removed.
  void lock_dir(const std::string& relative) {
    locked_.push_back(path(relative));
    ::chmod(locked_.back().c_str(), 0);
  }
  // Lets other users read the whole tree (mkdtemp makes its root private), for checks that run
  // unprivileged; locked directories stay locked.
  void share_with_others() const {
    ::chmod(root_.c_str(), 0755);
    using Walk = std::filesystem::recursive_directory_iterator;
    for (Walk it(root_, std::filesystem::directory_options::skip_permission_denied); it != Walk();
         ++it) {
      if (std::find(locked_.begin(), locked_.end(), it->path().string()) != locked_.end()) {
        it.disable_recursion_pending();
        continue;
      }
      if (!it->is_symlink()) ::chmod(it->path().c_str(), it->is_directory() ? 0755 : 0644);
    }
  }

 private:
  std::string root_;
  std::vector<std::string> locked_;
};

// Restores the working directory when a test that changed it ends, even by a failed assertion.
class WorkingDirectoryGuard {
 public:
  WorkingDirectoryGuard() : saved_(std::filesystem::current_path()) {}
  WorkingDirectoryGuard(const WorkingDirectoryGuard&) = delete;
  WorkingDirectoryGuard& operator=(const WorkingDirectoryGuard&) = delete;
  ~WorkingDirectoryGuard() {
    std::error_code ignored;
    std::filesystem::current_path(saved_, ignored);
  }

 private:
  std::filesystem::path saved_;
};

}  // namespace tarnevo::testing
