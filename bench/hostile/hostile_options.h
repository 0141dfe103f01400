#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "load_options.h"
#include "protocol/transaction.h"

namespace vantrel::hostile {

// The three ways peers misbehave that the tool measures the server under.
enum class Scenario {
  kSilent,      // connections that never send their handshake
  kClaims,      // logged-in clients that announce a large request and send one byte of it
  kNonReaders,  // logged-in clients that stop reading while others chat
};

// Limits of one run.
// Most clients one run connects, the chatters and the probe included: each
// needs its own source address and socket.
inline constexpr size_t kMaxPeers = load::kMaxClients;
// Most clients on their way (connecting, or logging in) at once.
inline constexpr size_t kMaxWindow = 1000;
// Most clients chatting while the non-readers do not read: their lines are
// numbered 1,000,000 on, within the seven digits a chat line's number has, for
// the longest phase at the shortest interval.
inline constexpr size_t kMaxChatters = 1000;
// Shortest time between two chat lines of one client, milliseconds. The server
// bans a client for more than 120 requests a minute, or for 10,241 bytes of chat
// a minute with each line charged at least 90 bytes (113 lines): 100 lines a
// minute stays below both, with room for the login.
inline constexpr unsigned kMinChatIntervalMs = 600;
// Longest chat phase, seconds.
inline constexpr unsigned kMaxChatSeconds = 3600;
// Largest receive buffer a non-reader may ask for, bytes.
inline constexpr int kMaxReceiveBuffer = 1 << 20;
// Longest time one step may take before the run fails, seconds.
inline constexpr unsigned kMaxStepTimeoutSeconds = 3600;

// One run against a server on a loopback address, whose process the tool
// watches through /proc.
struct HostileOptions {
  Scenario scenario = Scenario::kSilent;
  uint32_t server_address = 0x7F000001;  // 127.0.0.1
  uint16_t server_port = 0;
  int server_pid = 0;
  uint32_t source_base = 0x7F0A0000;  // 127.10.0.0: client i binds to load::SourceAddress(base, i)
  // The misbehaving clients: silent connections (default 10,000), claimants
  // (1000) or non-readers (200).
  size_t peers = 0;
  size_t window = 100;  // clients on their way at once
  unsigned step_timeout_seconds = 120;
  // The size a claimant's request header announces, of which it sends one byte.
  uint32_t claim_bytes = kServerMaxTransactionSize;
  // Non-readers: the clients that chat meanwhile, each a line every interval,
  // for chat_seconds; the probe's interval; the non-readers' SO_RCVBUF.
  size_t chatters = 10;
  unsigned chat_seconds = 300;
  unsigned chat_interval_ms = 2000;
  unsigned probe_interval_ms = 1000;
  int receive_buffer = 4096;
};

// The usage text printed for --help and after a wrong argument.
extern const char* const kUsage;

// Parses the command line (argv[1] on). Returns the options, or nothing: with
// `error` empty when help was asked for, else with a one-line reason. Refuses
// addresses outside 127.0.0.0/8, chat faster than the server's flood rules
// allow, and values past the limits above.
std::optional<HostileOptions> ParseCommandLine(int argc, const char* const* argv,
                                               std::string& error);

}  // namespace vantrel::hostile
