// Runs a check as an unprivileged user. Permission tests mean nothing to the superuser, and CI
// runs as root: there the check runs in a forked child that drops to the "nobody" ids first.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace tarnevo::testing {

inline constexpr uid_t kNobody = 65534;

// Whether the process can read whatever it likes: then permission tests need a child.
inline bool is_superuser() {
  return ::geteuid() == 0;
}

// Runs `check` (which returns an empty string on success, else what went wrong) without the
// superuser's privileges, and returns its outcome. Files that the check must reach have to be
// reachable by others (see TempTree::share_with_others).
inline std::string run_unprivileged(const std::function<std::string()>& check) {
  if (!is_superuser()) return check();
  int channel[2];
  if (::pipe(channel) != 0) return "pipe failed";
  std::fflush(nullptr);
  const pid_t child = ::fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    ::close(channel[0]);
    std::string outcome;
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      outcome = "could not drop privileges";
    } else if (::geteuid() == 0) {
      outcome = "still the superuser";
    } else {
      outcome = check();
    }
    const char* data = outcome.data();
    std::size_t left = outcome.size();
    while (left > 0) {
      const ssize_t written = ::write(channel[1], data, left);
      if (written <= 0) break;
      data += written;
      left -= static_cast<std::size_t>(written);
    }
    ::_exit(0);  // no destructors or atexit handlers of the parent's objects in the child
  }
  ::close(channel[1]);
  std::string outcome;
  char buffer[512];
  for (ssize_t got; (got = ::read(channel[0], buffer, sizeof buffer)) != 0;) {
    if (got < 0) break;
    outcome.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(channel[0]);
  int status = 0;
  if (::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    return "the unprivileged child did not finish: " + outcome;
  }
  return outcome;
}

}  // namespace tarnevo::testing
