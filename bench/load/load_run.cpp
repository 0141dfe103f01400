#include "load_run.h"

#include <unistd.h>

#include <chrono>
#include <memory>
#include <vector>

#include <asio/io_context.hpp>
#include <asio/steady_timer.hpp>

#include "chat_phase.h"
#include "client_codec.h"
#include "load_client.h"
#include "process_probe.h"

namespace vantrel::load {
namespace {

// Pause between the last announcement and the memory reading, so that the
// server has flushed its queues and is idle.
constexpr auto kIdleSettle = std::chrono::milliseconds(500);

// Drives one run through its phases on one io_context: login, idle memory,
// burst, paced. Every phase has a deadline; the first failure ends the run.
class LoadRun final : public ClientObserver {
 public:
  explicit LoadRun(const RunOptions& options)
      : options_(options),
        per_line_(DeliveriesPerLine(options.protocol, options.clients)),
        server_(asio::ip::address_v4(options.server_address), options.server_port),
        deadline_(io_),
        pacer_(io_),
        burst_(0, options.lines, per_line_),
        paced_(static_cast<uint32_t>(options.lines), options.lines, per_line_) {
    figures_.protocol = options.protocol;
    figures_.clients = options.clients;
    figures_.senders = options.senders;
    figures_.lines = options.lines;
    figures_.run_limit_seconds = options.run_limit_seconds;
  }

  std::optional<RunFigures> Run(std::string& error) {
    if (options_.run_limit_seconds != 0) {
      run_end_ = LoadClock::now() + std::chrono::seconds(options_.run_limit_seconds);
    }
    clients_.reserve(options_.clients);
    for (size_t i = 0; i < options_.clients; ++i) {
      clients_.push_back(
          std::make_unique<LoadClient>(io_, i, MakeCodec(options_.protocol, i), *this));
    }
    if (options_.server_pid != 0) figures_.rss_before_kib = ProcessRssKib(options_.server_pid);
    BeginPhase("login");
    MarkCpu();
    login_start_ = LoadClock::now();
    StartLogins();
    io_.run();
    for (auto& client : clients_) {
      client->Close();
      figures_.deliveries_timed_at_read += client->DeliveriesTimedAtRead();
    }
    figures_.tool_peak_kib = ProcessPeakRssKib(getpid());
    if (!error_.empty()) {
      error = error_;
      return std::nullopt;
    }
    return figures_;
  }

  void OnAdmitted(size_t) override {
    --connecting_;
    StartLogins();
  }

  void OnLoggedIn(size_t) override {
    ++logged_in_;
    StartLogins();
    CheckLoginDone();
  }

  void OnAnnouncement(size_t) override {
    ++figures_.announcements;
    CheckLoginDone();
  }

  void OnDelivery(size_t, uint32_t line, LoadClock::time_point when) override {
    ChatPhase& phase = burst_.Owns(line) ? burst_ : paced_;
    if (auto wrong = phase.Delivered(line, when)) {
      Fail(*wrong);
      return;
    }
    if (&phase == &burst_ && burst_.Complete()) {
      figures_.burst = FinishPhase(burst_);
      StartPaced();
    } else if (&phase == &paced_ && paced_.Complete()) {
      figures_.paced = FinishPhase(paced_);
      Stop();
    }
  }

  void OnFailure(size_t client, const std::string& why) override {
    Fail("client " + std::to_string(client) + " in the " + phase_ + " phase: " + why);
  }

 private:
  // Starts the phase's deadline: its time-out, or the run limit when that comes first.
  void BeginPhase(const char* name) {
    phase_ = name;
    const auto timeout = LoadClock::now() + std::chrono::seconds(options_.phase_timeout_seconds);
    if (run_end_ && *run_end_ <= timeout) {
      deadline_.expires_at(*run_end_);
      deadline_.async_wait([this](const asio::error_code& error) {
        if (!error) Bound();
      });
      return;
    }
    deadline_.expires_at(timeout);
    deadline_.async_wait([this](const asio::error_code& error) {
      if (!error)
        Fail("no end after " + std::to_string(options_.phase_timeout_seconds) +
             " s: " + Progress());
    });
  }

  // The run limit came: keeps what the current phase measured so far and ends the run.
  void Bound() {
    figures_.bounded_phase = phase_;
    if (phase_ == "login") {
      FinishLogin();
    } else if (phase_ == "burst") {
      figures_.burst = FinishPhase(burst_);
    } else if (phase_ == "paced") {
      figures_.paced = FinishPhase(paced_);
    }
    Stop();
  }

  std::string Progress() const {
    if (phase_ == "login") {
      return std::to_string(logged_in_) + " of " + std::to_string(options_.clients) +
             " clients logged in, " + std::to_string(figures_.announcements) + " of " +
             std::to_string(ExpectedAnnouncements(options_.clients)) + " announcements arrived";
    }
    if (phase_ == "burst") return burst_.Shortfall();
    if (phase_ == "paced") return paced_.Shortfall();
    return "still waiting";
  }

  void StartLogins() {
    while (started_ < options_.clients && started_ - logged_in_ < options_.login_window &&
           connecting_ < options_.connecting) {
      clients_[started_]->Start(SourceAddress(options_.source_base, started_), server_);
      ++started_;
      ++connecting_;
    }
  }

  void CheckLoginDone() {
    if (logged_in_ < options_.clients ||
        figures_.announcements < ExpectedAnnouncements(options_.clients) || phase_ != "login") {
      return;
    }
    FinishLogin();
    BeginPhase("idle");
    pacer_.expires_after(kIdleSettle);
    pacer_.async_wait([this](const asio::error_code& error) {
      if (error) return;
      if (options_.server_pid != 0) figures_.rss_idle_kib = ProcessRssKib(options_.server_pid);
      StartBurst();
    });
  }

  void FinishLogin() {
    figures_.login_seconds = std::chrono::duration<double>(LoadClock::now() - login_start_).count();
    figures_.logged_in = logged_in_;
    const CpuUse cpu = CpuSinceMark();
    figures_.login_server_cpu_seconds = cpu.server_seconds;
    figures_.login_tool_cpu_seconds = cpu.tool_seconds;
  }

  // The client that sends line `line`: the senders are spread over the clients.
  LoadClient& SenderOf(uint32_t line) {
    const size_t sender = line % options_.senders;
    return *clients_[sender * options_.clients / options_.senders];
  }

  void StartBurst() {
    BeginPhase("burst");
    MarkCpu();
    std::vector<uint32_t> numbers;
    for (size_t sender = 0; sender < options_.senders; ++sender) {
      numbers.clear();
      for (size_t line = sender; line < options_.lines; line += options_.senders) {
        numbers.push_back(static_cast<uint32_t>(line));
      }
      const auto now = LoadClock::now();
      for (const uint32_t line : numbers) burst_.Sent(line, now);
      SenderOf(numbers.front()).SendLines(numbers);
    }
  }

  void StartPaced() {
    BeginPhase("paced");
    MarkCpu();
    paced_start_ = LoadClock::now();
    paced_sent_ = 0;
    SendPacedLine();
  }

  void SendPacedLine() {
    const auto line = static_cast<uint32_t>(options_.lines + paced_sent_);
    paced_.Sent(line, LoadClock::now());
    const uint32_t numbers[] = {line};
    SenderOf(line).SendLines(numbers);
    if (++paced_sent_ == options_.lines) return;
    const auto period = std::chrono::duration_cast<LoadClock::duration>(
        std::chrono::duration<double>(1.0 / options_.paced_rate));
    pacer_.expires_at(paced_start_ + period * static_cast<int64_t>(paced_sent_));
    pacer_.async_wait([this](const asio::error_code& error) {
      if (!error && error_.empty()) SendPacedLine();
    });
  }

  // CPU time used by the server and by this tool since MarkCpu().
  struct CpuUse {
    std::optional<double> server_seconds;
    std::optional<double> tool_seconds;
  };

  void MarkCpu() {
    server_cpu_mark_.reset();
    if (options_.server_pid != 0) server_cpu_mark_ = ProcessCpuSeconds(options_.server_pid);
    tool_cpu_mark_ = ProcessCpuSeconds(getpid());
  }

  CpuUse CpuSinceMark() const {
    CpuUse use;
    if (server_cpu_mark_) {
      if (const auto now = ProcessCpuSeconds(options_.server_pid)) {
        use.server_seconds = *now - *server_cpu_mark_;
      }
    }
    if (const auto now = ProcessCpuSeconds(getpid()); now && tool_cpu_mark_) {
      use.tool_seconds = *now - *tool_cpu_mark_;
    }
    return use;
  }

  PhaseFigures FinishPhase(ChatPhase& phase) {
    PhaseFigures figures = phase.Figures();
    const CpuUse cpu = CpuSinceMark();
    figures.server_cpu_seconds = cpu.server_seconds;
    figures.tool_cpu_seconds = cpu.tool_seconds;
    return figures;
  }

  void Fail(const std::string& why) {
    if (error_.empty()) error_ = why;
    Stop();
  }

  void Stop() {
    deadline_.cancel();
    pacer_.cancel();
    io_.stop();
  }

  const RunOptions options_;
  const size_t per_line_;
  const asio::ip::tcp::endpoint server_;
  asio::io_context io_;  // declared before the clients and timers that use it
  asio::steady_timer deadline_;
  asio::steady_timer pacer_;
  std::vector<std::unique_ptr<LoadClient>> clients_;
  ChatPhase burst_;
  ChatPhase paced_;
  RunFigures figures_;
  std::string phase_;
  std::string error_;
  size_t started_ = 0;
  size_t logged_in_ = 0;
  size_t connecting_ = 0;  // started and not yet admitted
  LoadClock::time_point login_start_{};
  LoadClock::time_point paced_start_{};
  std::optional<LoadClock::time_point> run_end_;  // with a run limit only
  size_t paced_sent_ = 0;
  std::optional<double> server_cpu_mark_;
  std::optional<double> tool_cpu_mark_;
};

}  // namespace

std::optional<RunFigures> RunLoad(const RunOptions& options, std::string& error) {
  LoadRun run(options);
  return run.Run(error);
}

}  // namespace vantrel::load
