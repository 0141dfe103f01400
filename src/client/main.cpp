// vantrel-client: a command-line client of the Vantrel server.
#include <unistd.h>

#include <csignal>
#include <iostream>
#include <string>
#include <vector>

#include "client/client_program.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  vantrel::client::ProgramIo io{std::cin, std::cout, std::cerr, false, {}, {}};
  io.terminal = ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1;
  io.read_secret = [](std::string_view prompt) -> std::optional<std::string> {
    if (!vantrel::StandardInputIsTerminal()) return std::nullopt;
    std::cerr << prompt << std::flush;
    // Ctrl-C while the password is typed leaves the terminal showing what is typed.
    const auto previous = std::signal(SIGINT, [](int) {
      vantrel::SetTerminalEcho(true);
      ::_exit(130);
    });
    vantrel::SetTerminalEcho(false);
    std::string secret;
    const bool read = static_cast<bool>(std::getline(std::cin, secret));
    vantrel::SetTerminalEcho(true);
    std::signal(SIGINT, previous);
    std::cerr << "\n";
    return read ? std::optional(secret) : std::nullopt;
  };
  return vantrel::client::RunClient(arguments, io);
}
