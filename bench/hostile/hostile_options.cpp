#include "hostile_options.h"

#include <string_view>

namespace vantrel::hostile {
namespace {

using load::ParseLoopback;
using load::ParseNumber;

// Misbehaving clients of each scenario unless told otherwise.
constexpr size_t kDefaultSilent = 10'000;
constexpr size_t kDefaultClaimants = 1000;
constexpr size_t kDefaultNonReaders = 200;

std::optional<Scenario> ScenarioNamed(std::string_view name) {
  if (name == "silent") return Scenario::kSilent;
  if (name == "claims") return Scenario::kClaims;
  if (name == "non-readers") return Scenario::kNonReaders;
  return std::nullopt;
}

size_t DefaultPeers(Scenario scenario) {
  switch (scenario) {
    case Scenario::kSilent:
      return kDefaultSilent;
    case Scenario::kClaims:
      return kDefaultClaimants;
    case Scenario::kNonReaders:
      return kDefaultNonReaders;
  }
  return 0;
}

// Reads one option and its value into `options`; sets `error` when it cannot.
void ParseOption(std::string_view name, std::string_view value, HostileOptions& options,
                 std::string& error) {
  bool ok = false;
  if (name == "--host") {
    ok = ParseLoopback(value, options.server_address);
  } else if (name == "--port") {
    ok = ParseNumber<uint16_t>(value, 1, 65535, options.server_port);
  } else if (name == "--pid") {
    ok = ParseNumber<int>(value, 1, 1 << 30, options.server_pid);
  } else if (name == "--source") {
    ok = ParseLoopback(value, options.source_base);
  } else if (name == "--peers") {
    ok = ParseNumber<size_t>(value, 1, kMaxPeers, options.peers);
  } else if (name == "--window") {
    ok = ParseNumber<size_t>(value, 1, kMaxWindow, options.window);
  } else if (name == "--timeout") {
    ok = ParseNumber<unsigned>(value, 1, kMaxStepTimeoutSeconds, options.step_timeout_seconds);
  } else if (name == "--claim") {
    ok = ParseNumber<uint32_t>(value, 2, kServerMaxTransactionSize, options.claim_bytes);
  } else if (name == "--chatters") {
    ok = ParseNumber<size_t>(value, 1, kMaxChatters, options.chatters);
  } else if (name == "--seconds") {
    ok = ParseNumber<unsigned>(value, 1, kMaxChatSeconds, options.chat_seconds);
  } else if (name == "--interval") {
    ok = ParseNumber<unsigned>(value, kMinChatIntervalMs, kMaxChatSeconds * 1000,
                               options.chat_interval_ms);
  } else if (name == "--probe-interval") {
    ok = ParseNumber<unsigned>(value, kMinChatIntervalMs, kMaxChatSeconds * 1000,
                               options.probe_interval_ms);
  } else if (name == "--rcvbuf") {
    ok = ParseNumber<int>(value, 1, kMaxReceiveBuffer, options.receive_buffer);
  } else {
    error = "unknown option " + std::string(name);
    return;
  }
  if (!ok) error = "bad value for " + std::string(name) + ": " + std::string(value);
}

}  // namespace

const char* const kUsage =
    "Usage: vantrel_hostile silent|claims|non-readers --port PORT --pid PID [options]\n"
    "\n"
    "Measures a running Vantrel server (its memory and descriptors, through /proc)\n"
    "while peers misbehave, each from its own loopback source address:\n"
    "  silent       P connections that send nothing\n"
    "  claims       P logged-in clients that each send a request header announcing\n"
    "               --claim bytes and one byte of them, then nothing more\n"
    "  non-readers  P logged-in clients that stop reading, while --chatters clients\n"
    "               chat and one more measures its own chat round trip\n"
    "Start each run on a freshly started server in a folder made by\n"
    "vantrel_load prepare.\n"
    "\n"
    "  --host ADDR            server address, 127.x.y.z (default 127.0.0.1)\n"
    "  --port PORT            server port (required)\n"
    "  --pid PID              the server's process (required)\n"
    "  --source ADDR          source addresses' network, 127.x.0.0 (default 127.10.0.0)\n"
    "  --peers P              misbehaving clients (default 10000 silent, 1000 claims,\n"
    "                         200 non-readers)\n"
    "  --window W             clients connecting or logging in at once (default 100)\n"
    "  --timeout SEC          longest time each step may take (default 120)\n"
    "  --claim BYTES          the size each claim announces (default 524288, the most\n"
    "                         the server accepts)\n"
    "  --chatters C           clients chatting meanwhile (default 10)\n"
    "  --seconds T            how long they chat (default 300)\n"
    "  --interval MS          time between one chatter's lines (default 2000, at least 600)\n"
    "  --probe-interval MS    time between the probe's lines (default 1000, at least 600)\n"
    "  --rcvbuf BYTES         the non-readers' receive buffer (default 4096)\n";

std::optional<HostileOptions> ParseCommandLine(int argc, const char* const* argv,
                                               std::string& error) {
  error.clear();
  if (argc < 2) {
    error = "no scenario";
    return std::nullopt;
  }
  const std::string_view command = argv[1];
  if (command == "--help" || command == "-h") return std::nullopt;
  const auto scenario = ScenarioNamed(command);
  if (!scenario) {
    error = "unknown scenario " + std::string(command);
    return std::nullopt;
  }
  HostileOptions options;
  options.scenario = *scenario;
  for (int i = 2; i < argc && error.empty(); i += 2) {
    if (i + 1 >= argc) {
      error = std::string(argv[i]) + " needs a value";
    } else {
      ParseOption(argv[i], argv[i + 1], options, error);
    }
  }
  if (!error.empty()) return std::nullopt;
  if (options.peers == 0) options.peers = DefaultPeers(options.scenario);
  if (options.server_port == 0) {
    error = "--port is required";
  } else if (options.server_pid == 0) {
    error = "--pid is required: the figures are the server's own";
  } else if (options.scenario == Scenario::kNonReaders &&
             options.peers + options.chatters + 1 > kMaxPeers) {
    error = "more than " + std::to_string(kMaxPeers) + " clients with the chatters and the probe";
  }
  if (!error.empty()) return std::nullopt;
  return options;
}

}  // namespace vantrel::hostile
