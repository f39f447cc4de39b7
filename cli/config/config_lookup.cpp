// Finding the settings file: the working directory, then each parent up to the root.
#include <string>
#include <system_error>

#include "config/check_config.hpp"
#include "loader/file_read.hpp"
#include "text/utf8.hpp"
#include "toml/reader.hpp"

namespace tarnevo::cli::config {

namespace {

namespace fs = std::filesystem;

bool is_file(const fs::path& path) {
  std::error_code ignored;
  return fs::is_regular_file(path, ignored);
}

// Whether a pyproject.toml holds settings for tarnevo. One that never mentions tarnevo is not
// read as TOML at all: most are someone else's business.
bool has_tarnevo_table(const fs::path& pyproject) {
  const auto bytes = detail::loader::read_whole_file(pyproject.string());
  if (!bytes || bytes->find("tarnevo") == std::string::npos) return false;
  if (!detail::text::is_valid_utf8(*bytes)) return true;
  const auto tree = detail::toml::parse_toml_text(*bytes);
  return !tree || tree->find({"tool", "tarnevo"}) != nullptr;
}

// `dir`'s parent as a path that stays relative when `dir` is: "." goes to "..", anything else
// gains a "../" step (never folded away, as the step may leave a symbolic link).
fs::path parent_of(const fs::path& dir) {
  if (dir.empty() || dir == ".") return "..";
  return dir / "..";
}

fs::path in_dir(const fs::path& dir, const char* name) {
  if (dir.empty() || dir == ".") return name;
  return dir / name;
}

}  // namespace

std::optional<fs::path> find_config(const fs::path& start_dir) {
  std::error_code error;
  // Where the walk is, with symbolic links resolved: it stops at the root.
  fs::path physical = fs::canonical(start_dir, error);
  if (error) return std::nullopt;
  fs::path dir = start_dir;
  for (;;) {
    fs::path candidate = in_dir(dir, "tarnevo.toml");
    if (is_file(candidate)) return candidate;
    candidate = in_dir(dir, "pyproject.toml");
    if (is_file(candidate) && has_tarnevo_table(candidate)) return candidate;
    if (physical == physical.parent_path()) return std::nullopt;
    physical = physical.parent_path();
    dir = parent_of(dir);
  }
}

}  // namespace tarnevo::cli::config
