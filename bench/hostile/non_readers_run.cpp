#include "non_readers_run.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ostream>
#include <vector>

#include "client_codec.h"
#include "hostile_run.h"
#include "latency_summary.h"
#include "process_probe.h"

namespace vantrel::hostile {
namespace {

// Pause between the last login and the chat, so that the server has sent what
// the logins brought.
constexpr std::chrono::milliseconds kSettle(1000);
// How often the server's resident memory is read during the chat.
constexpr std::chrono::milliseconds kSamplePeriod(1000);
// While the non-readers read again: how often they are looked at, and how many
// looks in a row without anything arriving end the reading.
constexpr std::chrono::milliseconds kDrainPoll(250);
constexpr int kQuietPolls = 4;
// The chatters' lines are numbered from here; the probe's from 0.
constexpr uint32_t kFirstChatterLine = 1'000'000;

class NonReadersRun final : public HostileRun {
 public:
  explicit NonReadersRun(const HostileOptions& options)
      : HostileRun(options),
        probe_(options.peers + options.chatters),
        chat_timer_(io_),
        probe_timer_(io_),
        sample_timer_(io_) {}

  void Report(std::ostream& out) const override {
    std::vector<uint32_t> sorted = round_trips_us_;
    const load::LatencySummary summary = load::Summarize(sorted);
    const double max_ms = sorted.empty() ? 0 : sorted.back() / 1000.0;
    const auto mib = [](uint64_t kib) { return static_cast<double>(kib) / 1024.0; };
    char line[256];
    std::snprintf(line, sizeof line,
                  "Non-readers: %zu stopped reading (receive buffer %d bytes asked for) while %zu "
                  "chatted for %u s, a line every %u ms each: %zu lines\n",
                  options_.peers, options_.receive_buffer, options_.chatters, options_.chat_seconds,
                  options_.chat_interval_ms, chatter_lines_);
    out << line;
    std::snprintf(line, sizeof line,
                  "  server's resident memory: %.1f MiB at the start of the chat, %.1f MiB at its "
                  "end, %.1f MiB at most in the samples, %.1f MiB peak (VmHWM)\n",
                  mib(rss_start_kib_), mib(rss_end_kib_), mib(rss_sampled_max_kib_),
                  mib(rss_peak_kib_));
    out << line;
    std::snprintf(line, sizeof line,
                  "  the system's TCP buffers: %.1f MiB at the start of the chat, %.1f MiB at "
                  "most in the samples (what the server wrote and its peers did not read)\n",
                  mib(tcp_start_kib_), mib(tcp_sampled_max_kib_));
    out << line;
    out << "  non-readers the server disconnected: " << disconnected_
        << " (its descriptors: " << fds_start_ << " at the start of the chat, " << fds_end_
        << " at its end)\n";
    if (disconnected_ > 0) out << "    the first found: " << first_disconnect_ << "\n";
    out << "  chat lines the non-readers read once reading again: " << lines_read_late_ << " of "
        << options_.peers * (chatter_lines_ + probe_lines_) << " sent meanwhile\n";
    std::snprintf(line, sizeof line,
                  "  probe's chat round trip over %zu lines: median %.3f ms, 99th percentile %.3f "
                  "ms, max %.3f ms%s\n",
                  round_trips_us_.size(), summary.median_us / 1000.0, summary.p99_us / 1000.0,
                  max_ms, awaiting_ ? "; its last line had not come back at the end" : "");
    out << line;
    FigureLine figures;
    figures.Add("peers", static_cast<double>(options_.peers));
    figures.Add("chatters", static_cast<double>(options_.chatters));
    figures.Add("seconds", options_.chat_seconds);
    figures.Add("chatter_lines", static_cast<double>(chatter_lines_));
    figures.Add("rss_start_mib", mib(rss_start_kib_), 1);
    figures.Add("rss_end_mib", mib(rss_end_kib_), 1);
    figures.Add("rss_sampled_max_mib", mib(rss_sampled_max_kib_), 1);
    figures.Add("rss_peak_mib", mib(rss_peak_kib_), 1);
    figures.Add("tcp_start_mib", mib(tcp_start_kib_), 1);
    figures.Add("tcp_sampled_max_mib", mib(tcp_sampled_max_kib_), 1);
    figures.Add("disconnected", static_cast<double>(disconnected_));
    figures.Add("fds_start", static_cast<double>(fds_start_));
    figures.Add("fds_end", static_cast<double>(fds_end_));
    figures.Add("lines_read_late", static_cast<double>(lines_read_late_));
    figures.Add("probe_lines", static_cast<double>(round_trips_us_.size()));
    figures.Add("rtt_median_ms", summary.median_us / 1000.0, 3);
    figures.Add("rtt_p99_ms", summary.p99_us / 1000.0, 3);
    figures.Add("rtt_max_ms", max_ms, 3);
    out << figures.Text() << "\n";
  }

 private:
  bool IsNonReader(size_t client) const { return client < options_.peers; }

  void Begin() override {
    for (size_t i = 0; i < options_.peers; ++i) {
      AddClient(load::MakeCodec(load::Protocol::kVantrel, i))
          .SetReceiveBuffer(options_.receive_buffer);
    }
    for (size_t i = options_.peers; i <= probe_; ++i) {
      AddClient(load::MakeCodec(load::Protocol::kVantrel, i));
    }
    BeginStep("logging the non-readers in");
    Launch(0, options_.peers);
  }

  void OnLoggedIn(size_t client) override {
    if (IsNonReader(client)) Clients()[client]->PauseReading();
    Through();
    ++logged_in_;
    if (logged_in_ == options_.peers) {
      BeginStep("logging the chatters in");
      Launch(options_.peers, probe_ + 1);
    } else if (logged_in_ == probe_ + 1) {
      BeginStep("settling");
      After(kSettle, [this] { StartChat(); });
    }
  }

  void OnAnnouncement(size_t client) override {
    if (IsNonReader(client)) ++non_reader_arrivals_;
  }

  void OnDelivery(size_t client, uint32_t line, LoadClock::time_point when) override {
    if (IsNonReader(client)) {
      ++non_reader_arrivals_;
      if (draining_) ++lines_read_late_;
    } else if (client == probe_ && awaiting_ && line == probe_line_) {
      awaiting_ = false;
      const auto trip = std::chrono::duration_cast<std::chrono::microseconds>(when - probe_sent_);
      round_trips_us_.push_back(static_cast<uint32_t>(std::max<int64_t>(trip.count(), 0)));
    }
  }

  void OnFailure(size_t client, const std::string& why) override {
    if (!IsNonReader(client) || !chat_started_) {
      HostileRun::OnFailure(client, why);
      return;
    }
    if (disconnected_++ == 0) first_disconnect_ = "client " + std::to_string(client) + ": " + why;
    ++non_reader_arrivals_;
  }

  void StartChat() {
    tcp_start_kib_ = load::SystemTcpBufferKib().value_or(0);
    rss_start_kib_ = SampleMemory();
    fds_start_ = ServerOpenFiles();
    if (Ended()) return;
    chat_started_ = true;
    BeginStep("chatting", std::chrono::seconds(options_.chat_seconds));
    chat_start_ = LoadClock::now();
    chat_end_ = chat_start_ + std::chrono::seconds(options_.chat_seconds);
    ChatTick();
    ProbeTick();
    Sample();
    After(std::chrono::seconds(options_.chat_seconds), [this] { EndChat(); });
  }

  // Tick k: chatter k mod C sends line kFirstChatterLine + k. The ticks are
  // spread evenly, so each chatter sends once per interval.
  void ChatTick() {
    const size_t chatter = options_.peers + chatter_lines_ % options_.chatters;
    const uint32_t numbers[] = {kFirstChatterLine + static_cast<uint32_t>(chatter_lines_)};
    Clients()[chatter]->SendLines(numbers);
    ++chatter_lines_;
    const auto period = std::chrono::duration_cast<LoadClock::duration>(
                            std::chrono::milliseconds(options_.chat_interval_ms)) /
                        static_cast<int64_t>(options_.chatters);
    const auto next = chat_start_ + period * static_cast<int64_t>(chatter_lines_);
    if (next >= chat_end_) return;
    chat_timer_.expires_at(next);
    chat_timer_.async_wait([this](const asio::error_code& error) {
      if (!error && !Ended()) ChatTick();
    });
  }

  // Sends the probe's next line, unless the last has not come back yet.
  void ProbeTick() {
    if (!awaiting_) {
      probe_line_ = probe_lines_++;
      awaiting_ = true;
      const uint32_t numbers[] = {probe_line_};
      probe_sent_ = LoadClock::now();
      Clients()[probe_]->SendLines(numbers);
    }
    const auto next =
        chat_start_ + std::chrono::milliseconds(options_.probe_interval_ms) * ++probe_ticks_;
    if (next >= chat_end_) return;
    probe_timer_.expires_at(next);
    probe_timer_.async_wait([this](const asio::error_code& error) {
      if (!error && !Ended()) ProbeTick();
    });
  }

  // Reads the server's resident memory and the system's TCP buffers, keeping the most of each.
  uint64_t SampleMemory() {
    const uint64_t rss = ServerRssKib();
    rss_sampled_max_kib_ = std::max(rss_sampled_max_kib_, rss);
    tcp_sampled_max_kib_ = std::max(tcp_sampled_max_kib_, load::SystemTcpBufferKib().value_or(0));
    return rss;
  }

  void Sample() {
    SampleMemory();
    sample_timer_.expires_after(kSamplePeriod);
    sample_timer_.async_wait([this](const asio::error_code& error) {
      if (!error && !Ended()) Sample();
    });
  }

  void EndChat() {
    chat_timer_.cancel();
    probe_timer_.cancel();
    sample_timer_.cancel();
    rss_end_kib_ = SampleMemory();
    const auto peak = load::ProcessPeakRssKib(options_.server_pid);
    rss_peak_kib_ = peak.value_or(0);
    fds_end_ = ServerOpenFiles();
    if (Ended()) return;
    BeginStep("reading what the non-readers were sent");
    draining_ = true;
    for (size_t i = 0; i < options_.peers; ++i) Clients()[i]->ResumeReading();
    Drain();
  }

  // Ends the run once every non-reader is closed or nothing reached them for
  // kQuietPolls looks in a row.
  void Drain() {
    if (non_reader_arrivals_ == arrivals_seen_) {
      ++quiet_polls_;
    } else {
      quiet_polls_ = 0;
    }
    arrivals_seen_ = non_reader_arrivals_;
    if (disconnected_ == options_.peers || quiet_polls_ >= kQuietPolls) {
      Finish();
      return;
    }
    After(kDrainPoll, [this] { Drain(); });
  }

  const size_t probe_;  // the probe's client number, after the chatters
  asio::steady_timer chat_timer_;
  asio::steady_timer probe_timer_;
  asio::steady_timer sample_timer_;
  size_t logged_in_ = 0;
  bool chat_started_ = false;
  LoadClock::time_point chat_start_{};
  LoadClock::time_point chat_end_{};
  size_t chatter_lines_ = 0;
  uint32_t probe_lines_ = 0;
  int64_t probe_ticks_ = 0;
  uint32_t probe_line_ = 0;
  bool awaiting_ = false;
  LoadClock::time_point probe_sent_{};
  std::vector<uint32_t> round_trips_us_;
  // Anything that reached a non-reader (a transaction, the end of its connection).
  size_t non_reader_arrivals_ = 0;
  size_t arrivals_seen_ = 0;
  int quiet_polls_ = 0;
  bool draining_ = false;
  size_t lines_read_late_ = 0;  // chat lines the non-readers read once reading again
  size_t disconnected_ = 0;
  std::string first_disconnect_;
  uint64_t rss_start_kib_ = 0;
  uint64_t rss_end_kib_ = 0;
  uint64_t rss_sampled_max_kib_ = 0;
  uint64_t rss_peak_kib_ = 0;
  uint64_t tcp_start_kib_ = 0;  // the system's TCP buffers
  uint64_t tcp_sampled_max_kib_ = 0;
  size_t fds_start_ = 0;
  size_t fds_end_ = 0;
};

}  // namespace

bool RunNonReaders(const HostileOptions& options, std::ostream& out, std::string& error) {
  return NonReadersRun(options).Run(out, error);
}

}  // namespace vantrel::hostile
