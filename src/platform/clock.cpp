#include "platform/clock.h"

#include <utility>

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

class FakeClock::FakeTimer final : public Timer {
 public:
  explicit FakeTimer(FakeClock& clock) : clock_(&clock) {}
  ~FakeTimer() override { Stop(); }

  void Start(std::chrono::milliseconds delay, std::function<void()> fire) override {
    Stop();
    if (clock_ == nullptr) return;
    fire_ = std::move(fire);
    const uint64_t when = clock_->milliseconds_ + static_cast<uint64_t>(delay.count());
    entry_ = clock_->due_.emplace(when, this);
    started_ = true;
  }

  void Stop() override {
    if (!started_) return;
    started_ = false;
    if (clock_ != nullptr) clock_->due_.erase(entry_);
  }

  // Called by the clock when the timer is due: it is no longer started.
  void Fire() {
    started_ = false;
    auto fire = std::move(fire_);
    fire();
  }

  // The clock is going away before the timer.
  void Orphan() {
    started_ = false;
    clock_ = nullptr;
  }

 private:
  FakeClock* clock_;
  std::function<void()> fire_;
  Due::iterator entry_;
  bool started_ = false;
};

FakeClock::FakeClock(uint32_t seconds)
    : milliseconds_(uint64_t{seconds} * 1000), calendar_base_seconds_(seconds) {
  calendar_.tm_year = 2026 - 1900;
  calendar_.tm_mon = 0;
  calendar_.tm_mday = 2;
  calendar_.tm_hour = 3;
  calendar_.tm_min = 4;
  calendar_.tm_sec = 5;
  calendar_.tm_isdst = -1;
}

FakeClock::~FakeClock() {
  for (auto& [when, timer] : due_) timer->Orphan();
}

void FakeClock::AdvanceMilliseconds(uint64_t milliseconds) {
  const uint64_t until = milliseconds_ + milliseconds;
  while (!due_.empty() && due_.begin()->first <= until) {
    const auto next = due_.begin();
    FakeTimer* timer = next->second;
    milliseconds_ = next->first;
    due_.erase(next);
    timer->Fire();
  }
  milliseconds_ = until;
}

std::unique_ptr<Timer> FakeClock::NewTimer() {
  return std::make_unique<FakeTimer>(*this);
}

void FakeClock::SetCalendar(const std::tm& when) {
  calendar_ = when;
  calendar_base_seconds_ = Seconds();
}

std::tm FakeClock::LocalTime() const {
  std::tm when = calendar_;
  when.tm_sec += static_cast<int>(Seconds() - calendar_base_seconds_);
  std::mktime(&when);  // normalises the fields after the seconds were added
  return when;
}

}  // namespace vantrel
