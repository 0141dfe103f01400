#include "load_options.h"

#include <string_view>

#include <asio/ip/address_v4.hpp>

namespace vantrel::load {
namespace {

// Addresses per group of the source address's last byte (1..250).
constexpr size_t kSourcesPerGroup = 250;
constexpr uint32_t kLoopbackNet = 0x7F000000;
constexpr uint32_t kLoopbackMask = 0xFF000000;

bool IsLoopback(uint32_t address) {
  return (address & kLoopbackMask) == kLoopbackNet;
}

// Reads the option at argv[i] (and its value at argv[i + 1]) into `run`.
bool ParseRunOption(std::string_view name, std::string_view value, RunOptions& run,
                    std::string& error) {
  bool ok = false;
  if (name == "--host") {
    ok = ParseLoopback(value, run.server_address);
  } else if (name == "--port") {
    ok = ParseNumber<uint16_t>(value, 1, 65535, run.server_port);
  } else if (name == "--clients") {
    ok = ParseNumber<size_t>(value, 2, kMaxClients, run.clients);
  } else if (name == "--senders") {
    ok = ParseNumber<size_t>(value, 1, kMaxClients, run.senders);
  } else if (name == "--lines") {
    ok = ParseNumber<size_t>(value, 1, kMaxLines, run.lines);
  } else if (name == "--rate") {
    ok = ParseNumber<unsigned>(value, 1, kMaxPacedRate, run.paced_rate);
  } else if (name == "--window") {
    ok = ParseNumber<size_t>(value, 1, kMaxLoginWindow, run.login_window);
  } else if (name == "--connecting") {
    ok = ParseNumber<size_t>(value, 1, kMaxLoginWindow, run.connecting);
  } else if (name == "--source") {
    ok = ParseLoopback(value, run.source_base);
  } else if (name == "--pid") {
    ok = ParseNumber<int>(value, 1, 1 << 30, run.server_pid);
  } else if (name == "--timeout") {
    ok = ParseNumber<unsigned>(value, 1, kMaxRunLimitSeconds, run.phase_timeout_seconds);
  } else if (name == "--limit") {
    ok = ParseNumber<unsigned>(value, 1, kMaxRunLimitSeconds, run.run_limit_seconds);
  } else {
    error = "unknown option " + std::string(name);
    return false;
  }
  if (!ok) error = "bad value for " + std::string(name) + ": " + std::string(value);
  return ok;
}

Command ParseRun(Protocol protocol, int argc, const char* const* argv, std::string& error) {
  RunOptions run;
  run.protocol = protocol;
  for (int i = 2; i < argc; i += 2) {
    if (i + 1 >= argc) {
      error = std::string(argv[i]) + " needs a value";
      return HelpRequest{};
    }
    if (!ParseRunOption(argv[i], argv[i + 1], run, error)) return HelpRequest{};
  }
  if (run.server_port == 0) {
    error = "--port is required";
  } else if (run.senders > run.clients) {
    error = "more senders than clients";
  } else if ((run.lines + run.senders - 1) / run.senders > kMaxLinesPerSender) {
    error = "more than " + std::to_string(kMaxLinesPerSender) +
            " lines per sender would trip the server's flood rules; raise --senders";
  } else if (run.lines > kMaxDeliveriesPerPhase / run.clients) {
    error = "more than " + std::to_string(kMaxDeliveriesPerPhase) +
            " deliveries per phase (lines times clients); lower --lines";
  }
  if (!error.empty()) return HelpRequest{};
  return run;
}

Command ParsePrepare(int argc, const char* const* argv, std::string& error) {
  PrepareOptions prepare;
  if (argc < 3) {
    error = "prepare needs a folder";
    return HelpRequest{};
  }
  prepare.folder = argv[2];
  for (int i = 3; i < argc; i += 2) {
    const std::string_view name = argv[i];
    if (name != "--port" || i + 1 >= argc ||
        !ParseNumber<uint16_t>(argv[i + 1], 1, 65532, prepare.server_port)) {
      error = "prepare takes only --port PORT (1..65532: the server uses PORT to PORT + 3)";
      return HelpRequest{};
    }
  }
  return prepare;
}

}  // namespace

const char* const kUsage =
    "Usage: vantrel_load vantrel|irc --port PORT [options]\n"
    "       vantrel_load prepare DIR [--port PORT]\n"
    "\n"
    "Logs N clients in over loopback, each from its own source address, and has S\n"
    "of them send M chat lines as a burst and then paced; prints the login rate,\n"
    "deliveries per second, latencies, and the server's CPU time and memory.\n"
    "\n"
    "  --host ADDR     server address, 127.x.y.z (default 127.0.0.1)\n"
    "  --port PORT     server port (required)\n"
    "  --clients N     clients to log in (default 100)\n"
    "  --senders S     clients that send chat (default 10)\n"
    "  --lines M       chat lines per phase, spread over the senders (default 200)\n"
    "  --rate R        lines per second in the paced phase (default 100)\n"
    "  --window W      logins in flight at once (default 50)\n"
    "  --connecting C  of them, connecting at once before the server admits them\n"
    "                  (default 8); keep it below the server's listen backlog (the\n"
    "                  Send-Q of its socket in ss -ltn), or connection attempts are\n"
    "                  dropped and retried a second later\n"
    "  --source ADDR   first source address's network, 127.x.0.0 (default 127.10.0.0)\n"
    "  --pid PID       the server's process, for CPU time and resident memory\n"
    "  --timeout SEC   longest time each phase may take before the run fails\n"
    "                  (default 120)\n"
    "  --limit SEC     longest time the whole run may take (default none): at the\n"
    "                  limit the run ends and reports what it measured so far,\n"
    "                  marked as bounded; a phase time-out past it gives way to it\n"
    "\n"
    "prepare makes DIR a server folder for the measurement: \"Prefs\" on 127.0.0.1:PORT\n"
    "(default 5500) without a per-address limit and with 1000 downloads at once, and\n"
    "a \"guest\" account that may read and send chat, download, and upload anywhere.\n";

Command ParseCommandLine(int argc, const char* const* argv, std::string& error) {
  error.clear();
  if (argc < 2) {
    error = "no command";
    return HelpRequest{};
  }
  const std::string_view command = argv[1];
  if (command == "--help" || command == "-h") return HelpRequest{};
  if (command == "vantrel") return ParseRun(Protocol::kVantrel, argc, argv, error);
  if (command == "irc") return ParseRun(Protocol::kIrc, argc, argv, error);
  if (command == "prepare") return ParsePrepare(argc, argv, error);
  error = "unknown command " + std::string(command);
  return HelpRequest{};
}

bool ParseLoopback(std::string_view text, uint32_t& out) {
  asio::error_code error;
  const auto address = asio::ip::make_address_v4(std::string(text), error);
  if (error || !IsLoopback(address.to_uint())) return false;
  out = address.to_uint();
  return true;
}

uint32_t SourceAddress(uint32_t base, size_t index) {
  const auto group = static_cast<uint32_t>(index / kSourcesPerGroup);
  const auto host = static_cast<uint32_t>(index % kSourcesPerGroup + 1);
  return (base & 0xFFFF0000u) | ((group & 0xFFu) << 8) | host;
}

}  // namespace vantrel::load
