#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>

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
// moment plus the seconds advanced.
class FakeClock final : public Clock {
 public:
  // Starts at `seconds` on the monotonic counter and at 2026-01-02 03:04:05 local time.
  explicit FakeClock(uint32_t seconds = 1000);

  uint32_t Seconds() const override { return seconds_; }
  std::tm LocalTime() const override;

  void Advance(uint32_t seconds) { seconds_ += seconds; }
  void Set(uint32_t seconds) { seconds_ = seconds; }
  // From now on LocalTime() answers `when` plus the seconds advanced after this call.
  void SetCalendar(const std::tm& when);

 private:
  uint32_t seconds_;
  uint32_t calendar_base_seconds_;
  std::tm calendar_{};
};

}  // namespace vantrel
