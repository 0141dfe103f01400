#pragma once

#include <cstdint>

namespace vantrel {

// A count of events in a fixed window of time: the window begins with the first
// event after the previous one has run out, and the count starts over with it.
// The flood rules keep one per client per rule. A value type; the window starts
// at second 0, so the first window of a session runs from the server's start.
class WindowCounter {
 public:
  // The count in the window that holds `now`: when more than `window_seconds`
  // have passed since the window began (an unsigned difference), a new window
  // begins at `now` with a count of 0.
  uint32_t CountAt(uint32_t now, uint32_t window_seconds) {
    if (now - start_ > window_seconds) {
      start_ = now;
      count_ = 0;
    }
    return count_;
  }

  // Adds `amount` to the current window's count.
  void Add(uint32_t amount = 1) { count_ += amount; }

 private:
  uint32_t start_ = 0;
  uint32_t count_ = 0;
};

}  // namespace vantrel
