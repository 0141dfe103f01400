#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>

#include "platform/timer.h"

namespace vantrel {

// The server's two notions of time: a monotonic seconds counter that every time
// rule compares against, and the local calendar time used in texts (log lines,
// post headers, dates). Time rules read a Clock, never the system clock directly,
// so tests can substitute FakeClock. Used on the core thread only.
class Clock {
 public:
  virtual ~Clock() = default;

  // Whole seconds since the clock started, wrapping as an unsigned 32-bit value.
  // A time rule compares the unsigned difference now - t with its limit.
  virtual uint32_t Seconds() const = 0;

  // The current local calendar time.
  virtual std::tm LocalTime() const = 0;
};

// Monotonic seconds from std::chrono::steady_clock, calendar time from the C library.
class SystemClock final : public Clock {
 public:
  SystemClock();
  uint32_t Seconds() const override;
  std::tm LocalTime() const override;

 private:
  std::chrono::steady_clock::time_point start_;
};

// A clock that stands still until a test moves it. Calendar time is a fixed
// moment plus the seconds advanced. Its timers fire while it is advanced, each at
// its moment and in the order of their moments, with the clock showing that
// moment; a timer started by a call fires in the same advance when it is due.
class FakeClock final : public Clock, public TimerFactory {
 public:
  // Starts at `seconds` on the monotonic counter and at 2026-01-02 03:04:05 local time.
  explicit FakeClock(uint32_t seconds = 1000);
  ~FakeClock() override;

  FakeClock(const FakeClock&) = delete;
  FakeClock& operator=(const FakeClock&) = delete;

  uint32_t Seconds() const override { return static_cast<uint32_t>(milliseconds_ / 1000); }
  std::tm LocalTime() const override;

  void Advance(uint32_t seconds) { AdvanceMilliseconds(uint64_t{seconds} * 1000); }
  void AdvanceMilliseconds(uint64_t milliseconds);
  // Moves the clock without firing timers.
  void Set(uint32_t seconds) { milliseconds_ = uint64_t{seconds} * 1000; }
  // From now on LocalTime() answers `when` plus the seconds advanced after this call.
  void SetCalendar(const std::tm& when);

  std::unique_ptr<Timer> NewTimer() override;

 private:
  class FakeTimer;
  using Due = std::multimap<uint64_t, FakeTimer*>;

  uint64_t milliseconds_;
  uint32_t calendar_base_seconds_;
  std::tm calendar_{};
  Due due_;  // the started timers by the moment they fire
};

}  // namespace vantrel
