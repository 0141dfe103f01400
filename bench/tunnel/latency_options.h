#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "route.h"

namespace vantrel::tunnel_client {

// Limits of one run.
// Most chat lines one run sends (and so the latencies it keeps).
inline constexpr size_t kMaxLatencyLines = 10'000;
// Fastest rate, lines per second: each send is a blocking call from one thread.
inline constexpr unsigned kMaxLatencyRate = 1000;

// One run of vantrel_chat_latency against the Vantrel server on 127.0.0.1.
struct LatencyOptions {
  uint16_t server_port = 0;
  Route route;          // the receiver's; the senders are plain
  size_t lines = 1000;  // chat lines sent, one at a time
  unsigned rate = 100;  // lines per second
};

// The usage text printed for --help and after a wrong argument.
extern const char* const kLatencyUsage;

// Parses the command line (argv[1] on). Returns the options, or nothing: with
// `error` empty when help was asked for, else with a one-line reason.
std::optional<LatencyOptions> ParseLatencyCommandLine(int argc, const char* const* argv,
                                                      std::string& error);

}  // namespace vantrel::tunnel_client
