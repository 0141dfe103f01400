// vantrel-server: runs the server in a server folder (the working directory, or
// --dir PATH) until the operator quits, or SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include <asio.hpp>

#include "app/application.h"
#include "app/console.h"
#include "app/operator_desk.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "platform/mac_roman.h"
#include "platform/terminal.h"

namespace {

constexpr const char* kUsage =
    "Usage: vantrel-server [--dir PATH]\n"
    "\n"
    "Runs the Vantrel Server with PATH (default: the working directory) as its\n"
    "server folder; the folder is created when missing. Clients connect on the\n"
    "server port (5500 unless changed in the settings).\n"
    "\n"
    "  --dir PATH   use PATH as the server folder\n"
    "  --help       show this text and exit\n"
    "  --version    show the version and exit\n";

struct Arguments {
  std::filesystem::path folder = ".";
  bool help = false;
  bool version = false;
  std::string error;
};

Arguments ParseArguments(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      arguments.help = true;
    } else if (arg == "--version") {
      arguments.version = true;
    } else if (arg == "--dir" && i + 1 < argc) {
      arguments.folder = argv[++i];
    } else if (arg.starts_with("--dir=")) {
      arguments.folder = std::string(arg.substr(6));
    } else {
      arguments.error = "unknown argument: " + std::string(arg);
    }
  }
  return arguments;
}

bool EnterServerFolder(const std::filesystem::path& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::filesystem::current_path(folder, error);
  if (error) {
    std::cerr << "vantrel-server: cannot use " << folder
              << " as the server folder: " << error.message() << "\n";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const Arguments arguments = ParseArguments(argc, argv);
  if (!arguments.error.empty()) {
    std::cerr << "vantrel-server: " << arguments.error << "\n\n" << kUsage;
    return 2;
  }
  if (arguments.help) {
    std::cout << kUsage;
    return 0;
  }
  if (arguments.version) {
    std::cout << "vantrel-server " << VANTREL_VERSION << "\n";
    return 0;
  }
  if (!EnterServerFolder(arguments.folder)) return 1;

  asio::io_context io;
  vantrel::SystemClock clock;
  vantrel::OperatorDesk desk;
  vantrel::CMyApplication server(
      io, clock, std::filesystem::current_path(),
      [&desk](const vantrel::LogWindow::EchoedLine& line) { desk.LogLine(line); });
  vantrel::Console operator_console(server, desk, std::cout, vantrel::StandardInputIsTerminal(),
                                    vantrel::StandardOutputIsTerminal());
  server.Core().SetOperator(&desk);
  server.Core().SetQuitHandler([&io] { io.stop(); });

  // SIGINT and SIGTERM quit without asking.
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&server](const asio::error_code& error, int) {
    if (!error) server.Core().Quit();
  });

  try {
    server.Start();
  } catch (const Omberly::CException& failure) {
    std::cerr << "vantrel-server: " << vantrel::MacRomanToOperatorText(failure.what()) << "\n";
    return 1;
  }
  operator_console.StartReading(io);

  // A failure that escapes a handler goes to the server's error handler; the
  // loop then goes on.
  for (;;) {
    try {
      io.run();
      break;
    } catch (const std::exception& failure) {
      server.Core().ReportFailure(failure);
    }
  }
  return 0;
}
