#include "latency_run.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "chat_line.h"
#include "latency_summary.h"
#include "load_options.h"
#include "vantrel_session.h"

namespace vantrel::tunnel_client {
namespace {

using listing::ListingClock;
using listing::VantrelSession;

// The source addresses: sender i binds to load::SourceAddress(kSenderBase, i),
// the receiver to the first of kReceiverBase.
constexpr uint32_t kSenderBase = 0x7F0F0000;    // 127.15.0.0
constexpr uint32_t kReceiverBase = 0x7F100000;  // 127.16.0.0
constexpr auto kLoginTimeout = std::chrono::seconds(30);
// How long after the last send the last line may take to arrive.
constexpr auto kArrivalWait = std::chrono::seconds(10);

uint32_t Microseconds(ListingClock::duration elapsed) {
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  return static_cast<uint32_t>(std::clamp<int64_t>(us, 0, std::numeric_limits<uint32_t>::max()));
}

// The receiving side, read from its own thread: when each line arrived.
class Arrivals {
 public:
  explicit Arrivals(size_t lines) : when_(lines) {}

  // Books line `line` read now; a line out of range or seen before is an error.
  void Book(uint32_t line) {
    const auto now = ListingClock::now();
    if (line >= when_.size() || when_[line]) {
      if (wrong_.empty()) wrong_ = "line " + std::to_string(line) + " arrived twice or unsent";
      return;
    }
    when_[line] = now;
    ++count_;
  }
  bool Done() const { return count_ == when_.size() || !wrong_.empty(); }
  const std::string& wrong() const { return wrong_; }
  size_t count() const { return count_; }
  ListingClock::time_point When(size_t line) const { return *when_[line]; }

 private:
  std::vector<std::optional<ListingClock::time_point>> when_;
  size_t count_ = 0;
  std::string wrong_;
};

}  // namespace

std::optional<LatencyFigures> RunLatency(const LatencyOptions& options, std::string& error) {
  const auto login_deadline = ListingClock::now() + kLoginTimeout;
  VantrelSession receiver(MakeLink(options.route, options.server_port), "receiver");
  if (!receiver.LogIn(load::SourceAddress(kReceiverBase, 0), login_deadline, error)) {
    error = "the receiver: " + error;
    return std::nullopt;
  }
  const size_t sender_count = (options.lines + kLinesPerSender - 1) / kLinesPerSender;
  std::vector<std::unique_ptr<VantrelSession>> senders;
  for (size_t i = 0; i < sender_count; ++i) {
    auto& sender =
        senders.emplace_back(std::make_unique<VantrelSession>(options.server_port, "sender"));
    if (!sender->LogIn(load::SourceAddress(kSenderBase, i), login_deadline, error)) {
      error = "sender " + std::to_string(i + 1) + ": " + error;
      return std::nullopt;
    }
  }

  const auto period = std::chrono::duration_cast<ListingClock::duration>(
      std::chrono::duration<double>(1.0 / options.rate));
  const auto start = ListingClock::now();
  const auto deadline = start + period * static_cast<int64_t>(options.lines) + kArrivalWait;
  Arrivals arrivals(options.lines);
  receiver.WatchDeliveries([&arrivals](uint32_t line) { arrivals.Book(line); });
  std::vector<ListingClock::time_point> sent(options.lines);
  std::string receive_error;
  std::string failure;  // the first thing that went wrong
  {
    std::jthread reader(
        [&] { receiver.Await([&arrivals] { return arrivals.Done(); }, deadline, receive_error); });
    for (size_t line = 0; line < options.lines; ++line) {
      std::this_thread::sleep_until(start + period * static_cast<int64_t>(line));
      sent[line] = ListingClock::now();
      const auto text = load::ChatLineText(static_cast<uint32_t>(line));
      if (!senders[line % sender_count]->SendChat(text, deadline, failure)) {
        failure = "sending line " + std::to_string(line) + ": " + failure;
        break;
      }
    }
  }  // the reader ends here
  receiver.Close();
  for (auto& sender : senders) sender->Close();
  if (failure.empty()) failure = arrivals.wrong();
  if (failure.empty() && arrivals.count() < options.lines) {
    failure = std::to_string(arrivals.count()) + " of " + std::to_string(options.lines) +
              " lines arrived: " + receive_error;
  }
  if (!failure.empty()) {
    error = failure;
    return std::nullopt;
  }

  std::vector<uint32_t> latencies;
  ListingClock::time_point last = start;
  for (size_t line = 0; line < options.lines; ++line) {
    latencies.push_back(Microseconds(arrivals.When(line) - sent[line]));
    last = std::max(last, arrivals.When(line));
  }
  const load::LatencySummary summary = load::Summarize(latencies);
  LatencyFigures figures;
  figures.lines = options.lines;
  figures.senders = sender_count;
  figures.seconds = std::chrono::duration<double>(last - start).count();
  figures.median_us = summary.median_us;
  figures.p99_us = summary.p99_us;
  figures.max_us = latencies.back();
  return figures;
}

}  // namespace vantrel::tunnel_client
