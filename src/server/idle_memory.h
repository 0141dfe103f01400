#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>

#include "platform/timer.h"

namespace vantrel {

// How long the server must have been quiet (no processing pass) before it gives
// freed memory back, and how much must be free for that to be worth a call.
inline constexpr std::chrono::milliseconds kQuietBeforeReturn{100};
inline constexpr size_t kFreeWorthReturning = 256 * 1024;

// Gives the heap's freed memory back to the system once the server has been
// quiet for a moment after being busy. A login storm or a burst of chat frees
// its queued bytes among the clients' long-lived objects, so an idle server
// would otherwise keep the memory of its last burst. Nothing runs while the
// server stays idle, and nothing is returned while it stays busy. Core thread only.
class IdleMemory {
 public:
  // `free_bytes` and `give_back` are the heap's (platform/heap_memory.h) in the
  // server; tests pass their own.
  IdleMemory(TimerFactory& timers, std::function<size_t()> free_bytes,
             std::function<void()> give_back);

  IdleMemory(const IdleMemory&) = delete;
  IdleMemory& operator=(const IdleMemory&) = delete;

  // The server is busy now (a processing pass ran).
  void Busy();

 private:
  void CheckQuiet();

  std::unique_ptr<Timer> timer_;
  std::function<size_t()> free_bytes_;
  std::function<void()> give_back_;
  bool watching_ = false;     // the timer runs
  bool busy_lately_ = false;  // a pass ran since the timer started
};

}  // namespace vantrel
