#include "platform/clock.h"

namespace vantrel {

SystemClock::SystemClock() : start_(std::chrono::steady_clock::now()) {}

uint32_t SystemClock::Seconds() const {
  const auto elapsed = std::chrono::steady_clock::now() - start_;
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(elapsed).count());
}

std::tm SystemClock::LocalTime() const {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local;
}

FakeClock::FakeClock(uint32_t seconds) : seconds_(seconds), calendar_base_seconds_(seconds) {
  calendar_.tm_year = 2026 - 1900;
  calendar_.tm_mon = 0;
  calendar_.tm_mday = 2;
  calendar_.tm_hour = 3;
  calendar_.tm_min = 4;
  calendar_.tm_sec = 5;
  calendar_.tm_isdst = -1;
}

void FakeClock::SetCalendar(const std::tm& when) {
  calendar_ = when;
  calendar_base_seconds_ = seconds_;
}

std::tm FakeClock::LocalTime() const {
  std::tm when = calendar_;
  when.tm_sec += static_cast<int>(seconds_ - calendar_base_seconds_);
  std::mktime(&when);  // normalises the fields after the seconds were added
  return when;
}

}  // namespace vantrel
