#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "load_client.h"
#include "load_run.h"

namespace vantrel::load {

// The books of one chat phase: lines first_line .. first_line + lines - 1, when
// each was sent, how many clients it reached, and every delivery's latency.
// Knows nothing of sockets. The tool's thread only.
class ChatPhase {
 public:
  ChatPhase(uint32_t first_line, size_t lines, size_t deliveries_per_line);

  bool Owns(uint32_t line) const { return line >= first_ && line - first_ < sent_.size(); }
  // REQUIRES: Owns(line).
  void Sent(uint32_t line, LoadClock::time_point when);
  // Books a delivery of `line` read at `when`. Returns what is wrong when the
  // line is not this phase's, was not sent yet, or reached more clients than it
  // should.
  std::optional<std::string> Delivered(uint32_t line, LoadClock::time_point when);

  size_t Expected() const { return counts_.size() * per_line_; }
  size_t Deliveries() const { return deliveries_; }
  bool Complete() const { return deliveries_ == Expected(); }
  // "N of M deliveries arrived; line X reached only K of P clients", naming at
  // most a few lines.
  std::string Shortfall() const;

  // The phase's figures (sorts the latencies). The CPU time is left unset.
  PhaseFigures Figures();

 private:
  const uint32_t first_;
  const size_t per_line_;
  std::vector<std::optional<LoadClock::time_point>> sent_;
  std::vector<uint32_t> counts_;
  std::vector<uint32_t> latencies_us_;
  size_t deliveries_ = 0;
  std::optional<LoadClock::time_point> first_send_;
  LoadClock::time_point last_delivery_{};
};

}  // namespace vantrel::load
