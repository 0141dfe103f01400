#include "latency_options.h"

#include <string_view>

#include "load_options.h"

namespace vantrel::tunnel_client {

const char* const kLatencyUsage =
    "Usage: vantrel_chat_latency --port PORT [--tunnel | --proxy PX] [--lines N] [--rate R]\n"
    "\n"
    "Times chat lines from a plain client to a receiving client through the Vantrel\n"
    "server on 127.0.0.1, all logged in as \"guest\": the senders (one per 100 lines,\n"
    "within the server's flood rules) from 127.15.0.x, the receiver from 127.16.0.1.\n"
    "They take turns sending N lines, one every 1/R s; each line is timed from just\n"
    "before its send until the receiver has read the bytes that complete it. Prints\n"
    "the median, 99th percentile and highest latency.\n"
    "\n"
    "  --port PORT   server port (required)\n"
    "  --tunnel      the receiver's session through an HTTP tunnel to PORT + 2\n"
    "                instead of plain TCP to PORT\n"
    "  --proxy PX    the same tunnel through the HTTP proxy on 127.0.0.1:PX\n"
    "  --lines N     lines sent, 1 to 10000 (default 1000)\n"
    "  --rate R      lines per second, 1 to 1000 (default 100)\n";

std::optional<LatencyOptions> ParseLatencyCommandLine(int argc, const char* const* argv,
                                                      std::string& error) {
  error.clear();
  if (argc >= 2 && (argv[1] == std::string_view("--help") || argv[1] == std::string_view("-h"))) {
    return std::nullopt;
  }
  LatencyOptions options;
  for (int i = 1; i < argc && error.empty();) {
    if (const int taken = TakeRouteOption(argc, argv, i, options.route, error)) {
      i += taken;
      continue;
    }
    const std::string_view name = argv[i];
    if (i + 1 >= argc) {
      error = std::string(name) + " needs a value";
      break;
    }
    const std::string_view value = argv[i + 1];
    bool ok = false;
    if (name == "--port") {
      ok = load::ParseNumber<uint16_t>(value, 1, 65533, options.server_port);  // P and P + 2
    } else if (name == "--lines") {
      ok = load::ParseNumber<size_t>(value, 1, kMaxLatencyLines, options.lines);
    } else if (name == "--rate") {
      ok = load::ParseNumber<unsigned>(value, 1, kMaxLatencyRate, options.rate);
    } else {
      error = "unknown option " + std::string(name);
      break;
    }
    if (!ok) error = "bad value for " + std::string(name) + ": " + std::string(value);
    i += 2;
  }
  if (error.empty() && options.server_port == 0) error = "--port is required";
  if (!error.empty()) return std::nullopt;
  return options;
}

}  // namespace vantrel::tunnel_client
