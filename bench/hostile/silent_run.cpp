#include "silent_run.h"

#include <chrono>
#include <cstdio>
#include <memory>
#include <ostream>
#include <vector>

#include "hostile_run.h"

namespace vantrel::hostile {
namespace {

// How often the settling server is looked at, and how many looks in a row must
// find nothing changed.
constexpr std::chrono::milliseconds kSettlePoll(250);
constexpr int kSettledPolls = 4;

// A client that sends nothing and ignores whatever it is sent.
class SilentCodec final : public load::ClientCodec {
 public:
  void Greeting(std::vector<uint8_t>&) override {}
  void Feed(std::span<const uint8_t>, std::vector<uint8_t>&, load::CodecEvents&) override {}
  void ChatLine(std::string_view, std::vector<uint8_t>&) override {}
};

class SilentRun final : public HostileRun {
 public:
  using HostileRun::HostileRun;

  void Report(std::ostream& out) const override {
    const double per_open = open_ > 0 ? BytesPerClient(rss_before_kib_, rss_after_kib_, open_) : 0;
    const double per_peer = BytesPerClient(rss_before_kib_, rss_after_kib_, options_.peers);
    char line[256];
    std::snprintf(
        line, sizeof line,
        "Silent connections: %zu connected in %.2f s; the server then settled in %.2f s\n",
        options_.peers, connect_seconds_, settle_seconds_);
    out << line;
    out << "  closed by the server: " << closed_ << "; still open: " << open_ << "\n";
    out << "  server's open descriptors: " << fds_before_ << " before, " << fds_after_
        << " after\n";
    std::snprintf(line, sizeof line,
                  "  server's resident memory: %llu KiB before, %llu KiB after: %.0f bytes per "
                  "connection still open, %.1f per connection made\n",
                  static_cast<unsigned long long>(rss_before_kib_),
                  static_cast<unsigned long long>(rss_after_kib_), per_open, per_peer);
    out << line;
    FigureLine figures;
    figures.Add("peers", static_cast<double>(options_.peers));
    figures.Add("closed", static_cast<double>(closed_));
    figures.Add("open", static_cast<double>(open_));
    figures.Add("fds_before", static_cast<double>(fds_before_));
    figures.Add("fds_after", static_cast<double>(fds_after_));
    figures.Add("rss_before_kib", static_cast<double>(rss_before_kib_));
    figures.Add("rss_after_kib", static_cast<double>(rss_after_kib_));
    figures.Add("bytes_per_open", per_open);
    figures.Add("bytes_per_peer", per_peer, 1);
    figures.Add("connect_s", connect_seconds_, 2);
    out << figures.Text() << "\n";
  }

 private:
  void Begin() override {
    rss_before_kib_ = ServerRssKib();
    fds_before_ = ServerOpenFiles();
    connected_.assign(options_.peers, false);
    for (size_t i = 0; i < options_.peers; ++i) AddClient(std::make_unique<SilentCodec>());
    BeginStep("connecting");
    start_ = LoadClock::now();
    Launch(0, options_.peers);
  }

  void OnConnected(size_t client) override {
    connected_[client] = true;
    Through();
    if (++connections_ < options_.peers) return;
    connect_seconds_ = SecondsSince(start_);
    settle_start_ = LoadClock::now();
    BeginStep("settling");
    Poll();
  }

  void OnFailure(size_t client, const std::string& why) override {
    if (!connected_[client]) {
      HostileRun::OnFailure(client, why);  // it could not connect
      return;
    }
    ++closed_;
  }

  // Looks at the server until kSettledPolls looks in a row find its
  // descriptors and the connections it closed unchanged.
  void Poll() {
    const size_t fds = ServerOpenFiles();
    if (Ended()) return;
    if (fds == fds_after_ && closed_ == last_closed_) {
      ++unchanged_polls_;
    } else {
      unchanged_polls_ = 0;
    }
    fds_after_ = fds;
    last_closed_ = closed_;
    if (unchanged_polls_ < kSettledPolls) {
      After(kSettlePoll, [this] { Poll(); });
      return;
    }
    settle_seconds_ = SecondsSince(settle_start_);
    rss_after_kib_ = ServerRssKib();
    open_ = options_.peers - closed_;
    Finish();
  }

  std::vector<bool> connected_;
  size_t connections_ = 0;
  size_t closed_ = 0;
  size_t last_closed_ = 0;
  size_t open_ = 0;
  int unchanged_polls_ = 0;
  size_t fds_before_ = 0;
  size_t fds_after_ = 0;
  uint64_t rss_before_kib_ = 0;
  uint64_t rss_after_kib_ = 0;
  LoadClock::time_point start_{};
  LoadClock::time_point settle_start_{};
  double connect_seconds_ = 0;
  double settle_seconds_ = 0;
};

}  // namespace

bool RunSilent(const HostileOptions& options, std::ostream& out, std::string& error) {
  return SilentRun(options).Run(out, error);
}

}  // namespace vantrel::hostile
