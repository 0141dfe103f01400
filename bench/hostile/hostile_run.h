#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <asio/io_context.hpp>
#include <asio/ip/tcp.hpp>
#include <asio/steady_timer.hpp>

#include "hostile_options.h"
#include "load_client.h"

namespace vantrel::hostile {

using load::LoadClock;

// What every scenario shares: the io_context its clients run on, the clients,
// their start a window at a time, a deadline for the step under way, and the
// first failure, which ends the run. A scenario derives from it and is the
// observer of its clients; it overrides the events it cares about. The tool's
// thread only.
class HostileRun : public load::ClientObserver {
 public:
  explicit HostileRun(const HostileOptions& options);

  HostileRun(const HostileRun&) = delete;
  HostileRun& operator=(const HostileRun&) = delete;

  // Runs the io_context from the scenario's Begin() until Finish() or Fail(),
  // then writes the scenario's report to `out`. Returns false with `error` set,
  // and no report, when the run failed.
  bool Run(std::ostream& out, std::string& error);

  void OnAdmitted(size_t) override {}
  void OnLoggedIn(size_t) override {}
  void OnAnnouncement(size_t) override {}
  void OnDelivery(size_t, uint32_t, LoadClock::time_point) override {}
  void OnFailure(size_t client, const std::string& why) override;

 protected:
  // Starts the scenario: makes its clients and launches the first of them.
  virtual void Begin() = 0;
  // Writes the figures for a reader, then one FigureLine for scripts.
  virtual void Report(std::ostream& out) const = 0;

  // Adds client number Clients().size() with `codec`; it will connect from its own
  // source address (load::SourceAddress of the base and its number).
  load::LoadClient& AddClient(std::unique_ptr<load::ClientCodec> codec);
  std::vector<std::unique_ptr<load::LoadClient>>& Clients() { return clients_; }

  // Starts clients first .. end - 1, at most the window of them on their way at
  // once; the scenario calls Through() for each that got through (connected, or
  // logged in), which starts the next.
  void Launch(size_t first, size_t end);
  void Through();

  // Names the step under way and gives it the step time-out, plus `extra`.
  void BeginStep(std::string name, std::chrono::seconds extra = std::chrono::seconds::zero());
  const std::string& Step() const { return step_; }
  // Calls `then` after `delay` on the run's one settling timer (replacing
  // whatever it waited for).
  void After(std::chrono::milliseconds delay, std::function<void()> then);

  void Fail(const std::string& why);
  // Ends the run; the scenario's figures are complete.
  void Finish();
  bool Ended() const { return ended_; }

  // The server's resident memory and open descriptors now; a vanished server fails the run.
  uint64_t ServerRssKib();
  size_t ServerOpenFiles();

  const HostileOptions& options_;
  asio::io_context io_;  // declared before the clients and timers that use it

 private:
  void StartMore();

  const asio::ip::tcp::endpoint server_;
  asio::steady_timer deadline_;
  asio::steady_timer settle_;
  std::vector<std::unique_ptr<load::LoadClient>> clients_;
  std::string step_;
  std::string error_;
  size_t launch_next_ = 0;
  size_t launch_end_ = 0;
  size_t on_their_way_ = 0;
  bool ended_ = false;
};

// Seconds from `since` until now.
double SecondsSince(LoadClock::time_point since);

// Bytes per client of a memory growth in KiB, which may be negative (memory
// handed back meanwhile). REQUIRES: clients > 0.
double BytesPerClient(uint64_t before_kib, uint64_t after_kib, size_t clients);

// The "figures:" line scripts read: " key=value" pairs after "figures:".
class FigureLine {
 public:
  void Add(std::string_view key, double value, int decimals = 0);
  const std::string& Text() const { return text_; }

 private:
  std::string text_ = "figures:";
};

}  // namespace vantrel::hostile
