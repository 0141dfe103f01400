#include "claims_run.h"

#include <chrono>
#include <cstdio>
#include <ostream>
#include <vector>

#include "client_codec.h"
#include "hostile_run.h"
#include "protocol/transaction_types.h"

namespace vantrel::hostile {
namespace {

// Pause between the last announcement and the idle reading, so that the server
// has flushed its queues; and between the claims and the second reading, so
// that it has read them.
constexpr std::chrono::milliseconds kSettle(1000);
// The transaction ID of every claim: above any the client's own requests reach.
constexpr uint32_t kClaimId = 0x7FFF'0000;

class ClaimsRun final : public HostileRun {
 public:
  using HostileRun::HostileRun;

  void Report(std::ostream& out) const override {
    const size_t clients = options_.peers;
    const double per_idle = BytesPerClient(rss_before_kib_, rss_idle_kib_, clients);
    const double per_claim = BytesPerClient(rss_idle_kib_, rss_claims_kib_, clients);
    char line[256];
    std::snprintf(line, sizeof line,
                  "Claimed-but-unsent requests: %zu clients logged in in %.2f s\n", clients,
                  login_seconds_);
    out << line;
    std::snprintf(line, sizeof line,
                  "  server's resident memory: %llu KiB before, %llu KiB with the clients idle "
                  "(%.0f bytes each)\n",
                  static_cast<unsigned long long>(rss_before_kib_),
                  static_cast<unsigned long long>(rss_idle_kib_), per_idle);
    out << line;
    std::snprintf(line, sizeof line,
                  "  after each announced a request of %u bytes and sent 1: %llu KiB (%.0f bytes "
                  "per claim beyond the idle client)\n",
                  options_.claim_bytes, static_cast<unsigned long long>(rss_claims_kib_),
                  per_claim);
    out << line;
    out << "  claimants the server closed: " << closed_ << "\n";
    FigureLine figures;
    figures.Add("peers", static_cast<double>(clients));
    figures.Add("claim_bytes", options_.claim_bytes);
    figures.Add("rss_before_kib", static_cast<double>(rss_before_kib_));
    figures.Add("rss_idle_kib", static_cast<double>(rss_idle_kib_));
    figures.Add("rss_claims_kib", static_cast<double>(rss_claims_kib_));
    figures.Add("bytes_per_idle", per_idle);
    figures.Add("bytes_per_claim", per_claim);
    figures.Add("closed", static_cast<double>(closed_));
    out << figures.Text() << "\n";
  }

 private:
  void Begin() override {
    rss_before_kib_ = ServerRssKib();
    for (size_t i = 0; i < options_.peers; ++i) {
      AddClient(load::MakeCodec(load::Protocol::kVantrel, i));
    }
    BeginStep("logging in");
    start_ = LoadClock::now();
    Launch(0, options_.peers);
  }

  void OnLoggedIn(size_t) override {
    ++logged_in_;
    Through();
    CheckIdle();
  }

  void OnAnnouncement(size_t) override {
    ++announcements_;
    CheckIdle();
  }

  void OnFailure(size_t client, const std::string& why) override {
    if (Step() != "claiming") {
      HostileRun::OnFailure(client, why);
      return;
    }
    ++closed_;
  }

  // Every client is logged in once every login was announced to everyone there.
  void CheckIdle() {
    if (Step() != "logging in" || logged_in_ < options_.peers ||
        announcements_ < load::ExpectedAnnouncements(options_.peers)) {
      return;
    }
    login_seconds_ = SecondsSince(start_);
    BeginStep("idling");
    After(kSettle, [this] {
      rss_idle_kib_ = ServerRssKib();
      SendClaims();
    });
  }

  void SendClaims() {
    BeginStep("claiming");
    const auto header =
        Transaction::Request(kTranSendChat, kClaimId, options_.claim_bytes).Encode();
    std::vector<uint8_t> claim(header.begin(), header.end());
    claim.push_back(0);  // the first byte of the field list, and the last sent
    for (auto& client : Clients()) client->SendBytes(claim);
    After(kSettle, [this] {
      rss_claims_kib_ = ServerRssKib();
      Finish();
    });
  }

  size_t logged_in_ = 0;
  size_t announcements_ = 0;
  size_t closed_ = 0;
  uint64_t rss_before_kib_ = 0;
  uint64_t rss_idle_kib_ = 0;
  uint64_t rss_claims_kib_ = 0;
  LoadClock::time_point start_{};
  double login_seconds_ = 0;
};

}  // namespace

bool RunClaims(const HostileOptions& options, std::ostream& out, std::string& error) {
  return ClaimsRun(options).Run(out, error);
}

}  // namespace vantrel::hostile
