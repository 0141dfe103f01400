#include "server/idle_memory.h"

#include <utility>

namespace vantrel {

IdleMemory::IdleMemory(TimerFactory& timers, std::function<size_t()> free_bytes,
                       std::function<void()> give_back)
    : timer_(timers.NewTimer()),
      free_bytes_(std::move(free_bytes)),
      give_back_(std::move(give_back)) {}

void IdleMemory::Busy() {
  busy_lately_ = true;
  if (watching_) return;
  watching_ = true;
  timer_->Start(kQuietBeforeReturn, [this] { CheckQuiet(); });
}

void IdleMemory::CheckQuiet() {
  watching_ = false;
  if (busy_lately_) {
    busy_lately_ = false;
    watching_ = true;
    timer_->Start(kQuietBeforeReturn, [this] { CheckQuiet(); });
    return;
  }
  if (free_bytes_() >= kFreeWorthReturning) give_back_();
}

}  // namespace vantrel
