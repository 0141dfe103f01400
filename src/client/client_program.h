#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/client_socket.h"

namespace vantrel::client {

// What the program reads and writes: the process's own streams and terminal
// in vantrel-client, others in tests (which run the server in-process).
struct ProgramIo {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  // A person at a terminal: questions are asked, lines edited, progress drawn.
  bool terminal = false;
  // Runs while the client waits (tests: the server on the same thread).
  ClientSocket::Pump pump;
  // Asks for a password without showing it; nothing when none can be asked.
  std::function<std::optional<std::string>(std::string_view prompt)> read_secret;
};

// Exit codes of the program.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // refused, failed or disconnected
inline constexpr int kExitUsage = 2;   // arguments that make no sense

// The vantrel-client program: `arguments` without the program's name.
// Connects and logs in as the link says, then runs the --run commands in order
// (each answer on `out`, the first failure's text on `err`, and an exit code
// other than 0), or reads commands from `in`: through the line editor with
// history at a terminal, else line by line.
int RunClient(std::span<const std::string> arguments, ProgramIo& io);

}  // namespace vantrel::client
