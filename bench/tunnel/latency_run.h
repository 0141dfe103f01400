#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "latency_options.h"

namespace vantrel::tunnel_client {

// What one run measured; latencies in microseconds.
struct LatencyFigures {
  size_t lines = 0;
  size_t senders = 0;
  double seconds = 0;  // from the first send until the last line was read
  double median_us = 0;
  double p99_us = 0;
  double max_us = 0;
};

// Lines one sender sends at most: the server bans a client for 10,240 bytes of
// chat within a minute (each line charged at least 90) or 121 requests, so a
// sender stays below both whatever the rate.
inline constexpr size_t kLinesPerSender = 100;

// Logs in the receiver by options.route and the senders (as many as the lines
// need, kLinesPerSender each) over plain TCP. Then, while the receiver reads
// in a thread of its own, sends the lines one at a time at options.rate from
// the senders in turn, each timed from just before its send until the
// receiver has read the bytes that complete it. Every line must reach the
// receiver once, within 10 s of the last send. Returns the figures, or nothing
// with `error` set.
std::optional<LatencyFigures> RunLatency(const LatencyOptions& options, std::string& error);

}  // namespace vantrel::tunnel_client
