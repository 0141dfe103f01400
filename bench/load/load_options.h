#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace vantrel::load {

// Which protocol the load speaks: the server's own, or IRC for the comparison.
enum class Protocol { kVantrel, kIrc };

// Limits of one measurement.
// Most clients one run connects; each needs its own source address and socket.
inline constexpr size_t kMaxClients = 10'000;
// Most chat lines one phase sends.
inline constexpr size_t kMaxLines = 100'000;
// Most deliveries one phase expects (lines times clients): the tool keeps each
// delivery's latency, 4 bytes, so this bounds its memory at 80 MB per phase.
inline constexpr size_t kMaxDeliveriesPerPhase = 20'000'000;
// Chat lines one sender may send per phase. The server bans a client for more
// than 121 requests or 10,240 bytes of chat (each line charged at least 90) in a
// minute; both phases together stay below that with room for the login.
inline constexpr size_t kMaxLinesPerSender = 50;
// Fastest paced rate, lines per second, that the tool's timer can keep.
inline constexpr unsigned kMaxPacedRate = 1000;
// Most logins in flight at once.
inline constexpr size_t kMaxLoginWindow = 1000;
// Clients connecting at once unless told otherwise, that is not yet admitted by
// the server (its handshake answer, or IRC's welcome): below a listen backlog
// of 10, so that no connection attempt is dropped and retried a second later.
// A server with a longer backlog can be given more (--connecting).
inline constexpr size_t kDefaultConnecting = 8;
// Longest run bound, seconds.
inline constexpr unsigned kMaxRunLimitSeconds = 86'400;

// One measurement run against a server on a loopback address.
struct RunOptions {
  Protocol protocol = Protocol::kVantrel;
  uint32_t server_address = 0x7F000001;  // 127.0.0.1
  uint16_t server_port = 0;
  size_t clients = 100;                    // N
  size_t senders = 10;                     // S
  size_t lines = 200;                      // M, per phase
  unsigned paced_rate = 100;               // lines per second in the paced phase
  size_t login_window = 50;                // logins in flight at once
  size_t connecting = kDefaultConnecting;  // of those, not yet admitted by the server
  uint32_t source_base = 0x7F0A0000;       // 127.10.0.0: client i binds to base + i's address
  int server_pid = 0;                      // 0 = no CPU or memory figures
  unsigned phase_timeout_seconds = 120;    // each phase must end within this, or the run fails
  unsigned run_limit_seconds = 0;          // 0 = none; else the run ends then and reports
};

// `vantrel_load prepare DIR`: makes a server folder for the measurement.
struct PrepareOptions {
  std::string folder;
  uint16_t server_port = 5500;
};

struct HelpRequest {};

using Command = std::variant<RunOptions, PrepareOptions, HelpRequest>;

// The usage text printed for --help and after a wrong argument.
extern const char* const kUsage;

// Parses the command line (argv[1] on). Returns the command, or sets `error` to
// a one-line reason and returns HelpRequest. Refuses server and source addresses
// outside 127.0.0.0/8 and values past the limits above.
Command ParseCommandLine(int argc, const char* const* argv, std::string& error);

// Reads `text`, all of it, as a number within min..max into `out`; false (and
// `out` untouched) otherwise.
template <typename T>
bool ParseNumber(std::string_view text, T min, T max, T& out) {
  T value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  if (value < min || value > max) return false;
  out = value;
  return true;
}

// Reads `text` as an IPv4 address within 127.0.0.0/8 into `out`; false (and
// `out` untouched) for anything else.
bool ParseLoopback(std::string_view text, uint32_t& out);

// The source address of client `index`: 127.a.b.c counting up from the base in
// the last two bytes, c in 1..250, so every client has its own address.
uint32_t SourceAddress(uint32_t base, size_t index);

}  // namespace vantrel::load
