#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace asio {
class io_context;
}

namespace vantrel {

// A one-shot timer whose call runs on the core thread. Stopping, restarting or
// destroying it cancels the pending call: a call never reaches a stopped or
// destroyed timer's owner. Core thread only.
class Timer {
 public:
  virtual ~Timer() = default;
  // Calls `fire` once, `delay` from now, replacing whatever was started before.
  virtual void Start(std::chrono::milliseconds delay, std::function<void()> fire) = 0;
  // Cancels the pending call, if any.
  virtual void Stop() = 0;
};

// Where timers come from: the event loop's (AsioTimers) in the server, a
// FakeClock's in tests, which fire as the clock is advanced.
class TimerFactory {
 public:
  virtual ~TimerFactory() = default;
  virtual std::unique_ptr<Timer> NewTimer() = 0;
};

// Timers of the event loop `io` (steady time). REQUIRES: `io` outlives the
// factory and its timers.
class AsioTimers final : public TimerFactory {
 public:
  explicit AsioTimers(asio::io_context& io) : io_(io) {}
  std::unique_ptr<Timer> NewTimer() override;

 private:
  asio::io_context& io_;
};

}  // namespace vantrel
