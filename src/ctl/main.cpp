// vantrel-ctl: runs an operator's command on a running Vantrel Server through
// its control socket, or, without a command, is an interactive console there.
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "app/command_line.h"
#include "app/control_protocol.h"
#include "ctl/control_connection.h"
#include "ctl/interactive_console.h"
#include "ctl/run_command.h"
#include "platform/local_socket.h"
#include "platform/terminal.h"

namespace {

using vantrel::ctl::CommandResult;

constexpr const char* kUsage =
    "Usage: vantrel-ctl [OPTION]... [COMMAND [ARGUMENT]...]\n"
    "Run COMMAND on a running Vantrel Server and print its output; without a\n"
    "COMMAND, be the server's interactive console (the log as it comes, commands\n"
    "with line editing and history). 'vantrel-ctl help' lists the commands;\n"
    "'vantrel-ctl log --follow' prints the log as it comes.\n"
    "\n"
    "      --dir=PATH       reach the server whose folder is PATH (its control.sock)\n"
    "      --control=PATH   reach the server through the control socket at PATH\n"
    "  -h, --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "Without --dir or --control: control.sock in the working directory when it is\n"
    "there, else the service's socket, " VANTREL_SERVICE_CONTROL_SOCKET
    ".\n"
    "\n"
    "Exit status: 0 when the server ran the command, 1 when it is not running, refused\n"
    "the connection or did not know the command, 2 for a wrong option.\n";

std::filesystem::path DefaultControlSocket() {
  std::error_code ignored;
  const std::filesystem::path here{vantrel::control::kDefaultSocketName};
  return std::filesystem::exists(here, ignored)
             ? here
             : std::filesystem::path(VANTREL_SERVICE_CONTROL_SOCKET);
}

int ExitStatus(CommandResult result) {
  switch (result) {
    case CommandResult::kDone:
    case CommandResult::kServerQuit:
      return 0;
    case CommandResult::kServerGone:
      std::cerr << "vantrel-ctl: the server closed the connection\n";
      return 1;
    case CommandResult::kNoAnswer:
      std::cerr << "vantrel-ctl: no answer: cancelled\n";
      return 1;
    case CommandResult::kUnknown:
      return 1;
  }
  return 1;
}

// Without a terminal and without a command: each line of standard input is a command.
int RunScript(vantrel::ctl::ControlConnection& server) {
  int status = 0;
  for (std::string line; std::getline(std::cin, line);) {
    const CommandResult result = vantrel::ctl::RunCommand(server, line, /*follow=*/false);
    if (result != CommandResult::kDone) status = ExitStatus(result);
    if (result != CommandResult::kDone && result != CommandResult::kUnknown) break;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::string folder;
  std::string socket;
  const vantrel::ValueOption options[] = {{"--dir", &folder}, {"--control", &socket}};
  vantrel::CommandLine command_line = vantrel::ReadCommandLine(argc, argv, options);
  if (command_line.error.empty() && !folder.empty() && !socket.empty()) {
    command_line.error = "options '--dir' and '--control' exclude each other";
  }
  if (const auto status = vantrel::AnswerStandardOptions("vantrel-ctl", kUsage, command_line)) {
    return *status;
  }
  std::filesystem::path path = socket;
  if (!folder.empty()) path = std::filesystem::path(folder) / vantrel::control::kDefaultSocketName;
  if (path.empty()) path = DefaultControlSocket();
  // The words after the options, joined by blanks, as they would be typed.
  std::string command;
  for (int i = command_line.operands; i < argc; ++i) {
    if (!command.empty()) command += ' ';
    command += argv[i];
  }

  const int fd = vantrel::ConnectLocalSocket(path);
  if (fd < 0) {
    const int error = errno;
    std::cerr << "vantrel-ctl: cannot reach the server at " << path << ": " << std::strerror(error)
              << (error == ENOENT || error == ECONNREFUSED ? " (is the server running?)" : "")
              << "\n";
    return 1;
  }
  vantrel::ctl::ControlConnection server(fd);
  if (!command.empty()) {
    const bool follow = command == vantrel::control::kFollowLogCommand;
    return ExitStatus(vantrel::ctl::RunCommand(server, command, follow));
  }
  if (vantrel::StandardInputIsTerminal()) return vantrel::ctl::RunInteractiveConsole(server);
  return RunScript(server);
}
