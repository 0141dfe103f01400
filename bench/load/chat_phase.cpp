#include "chat_phase.h"

#include <algorithm>
#include <limits>

namespace vantrel::load {
namespace {

// Lines a shortfall report names before it stops.
constexpr size_t kShortLinesNamed = 5;

uint32_t Microseconds(LoadClock::duration elapsed) {
  const auto us = std::chrono::duration_cast<std::chrono::microseconds>(elapsed).count();
  if (us < 0) return 0;
  return static_cast<uint32_t>(std::min<int64_t>(us, std::numeric_limits<uint32_t>::max()));
}

}  // namespace

ChatPhase::ChatPhase(uint32_t first_line, size_t lines, size_t deliveries_per_line)
    : first_(first_line), per_line_(deliveries_per_line), sent_(lines), counts_(lines) {
  latencies_us_.reserve(lines * deliveries_per_line);
}

void ChatPhase::Sent(uint32_t line, LoadClock::time_point when) {
  sent_[line - first_] = when;
  if (!first_send_ || when < *first_send_) first_send_ = when;
}

std::optional<std::string> ChatPhase::Delivered(uint32_t line, LoadClock::time_point when) {
  if (!Owns(line)) return "line " + std::to_string(line) + " arrived outside its phase";
  const size_t slot = line - first_;
  if (!sent_[slot]) return "line " + std::to_string(line) + " arrived before it was sent";
  if (counts_[slot] >= per_line_) {
    return "line " + std::to_string(line) + " arrived more than " + std::to_string(per_line_) +
           " times";
  }
  ++counts_[slot];
  ++deliveries_;
  latencies_us_.push_back(Microseconds(when - *sent_[slot]));
  last_delivery_ = std::max(last_delivery_, when);
  return std::nullopt;
}

std::string ChatPhase::Shortfall() const {
  std::string text =
      std::to_string(deliveries_) + " of " + std::to_string(Expected()) + " deliveries arrived";
  size_t named = 0;
  for (size_t slot = 0; slot < counts_.size() && named < kShortLinesNamed; ++slot) {
    if (counts_[slot] == per_line_) continue;
    text += named == 0 ? "; " : ", ";
    text += "line " + std::to_string(first_ + slot) +
            (sent_[slot] ? " reached " + std::to_string(counts_[slot]) + " of " +
                               std::to_string(per_line_) + " clients"
                         : " was not sent");
    ++named;
  }
  return text;
}

PhaseFigures ChatPhase::Figures() {
  PhaseFigures figures;
  figures.lines = counts_.size();
  figures.deliveries = deliveries_;
  if (first_send_ && deliveries_ > 0) {
    figures.seconds = std::chrono::duration<double>(last_delivery_ - *first_send_).count();
  }
  figures.latency = Summarize(latencies_us_);
  return figures;
}

}  // namespace vantrel::load
