#include "platform/timer.h"

#include <cstdint>
#include <utility>

#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>

namespace vantrel {
namespace {

class AsioTimer final : public Timer {
 public:
  explicit AsioTimer(asio::io_context& io) : timer_(io) {}
  ~AsioTimer() override { Stop(); }

  void Start(std::chrono::milliseconds delay, std::function<void()> fire) override {
    Stop();
    timer_.expires_after(delay);
    // A wait that completed before it was cancelled is still delivered: the
    // generation tells a stale completion apart from the current one.
    timer_.async_wait([alive = std::weak_ptr<uint64_t>(generation_), started = *generation_,
                       fire = std::move(fire)](std::error_code error) {
      const auto generation = alive.lock();
      if (error || !generation || *generation != started) return;
      fire();
    });
  }

  void Stop() override {
    ++*generation_;
    timer_.cancel();
  }

 private:
  asio::steady_timer timer_;
  std::shared_ptr<uint64_t> generation_ = std::make_shared<uint64_t>(0);
};

}  // namespace

std::unique_ptr<Timer> AsioTimers::NewTimer() {
  return std::make_unique<AsioTimer>(io_);
}

}  // namespace vantrel
