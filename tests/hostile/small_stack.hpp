// Runs work on a thread with a small stack. A host may call the library from such a thread, and
// code that recurses once per level of a deep tree overflows it (and crashes the test).
#pragma once

#include <pthread.h>

#include <cstddef>
#include <functional>
#include <stdexcept>

namespace tarnevo::testing {

// What a host thread may reasonably have. Sanitizer builds spend several times the stack per
// frame, so they get more (still far too little for recursion over thousands of levels).
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr std::size_t kSmallStack = 1024 * 1024;
#else
inline constexpr std::size_t kSmallStack = 256 * 1024;
#endif

inline void run_on_small_stack(const std::function<void()>& work,
                               std::size_t stack_bytes = kSmallStack) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, stack_bytes);
  pthread_t thread;
  auto trampoline = [](void* argument) -> void* {
    (*static_cast<const std::function<void()>*>(argument))();
    return nullptr;
  };
  const int created =
      pthread_create(&thread, &attributes, trampoline, const_cast<std::function<void()>*>(&work));
  pthread_attr_destroy(&attributes);
  if (created != 0) throw std::runtime_error("pthread_create failed");
  pthread_join(thread, nullptr);
}

}  // namespace tarnevo::testing
