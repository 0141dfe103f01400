// vantrel-server: runs the server in a server folder (the working directory, or
// --dir PATH) until the operator quits, or SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <string_view>

#include <asio.hpp>

#include "app/application.h"
#include "app/command_line.h"
#include "app/console.h"
#include "app/control_protocol.h"
#include "app/control_server.h"
#include "app/operator_desk.h"
#include "app/reload_command.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "platform/mac_roman.h"
#include "platform/service_manager.h"
#include "platform/terminal.h"
#include "platform/timer.h"

namespace {

constexpr const char* kUsage =
    "Usage: vantrel-server [OPTION]...\n"
    "Run the Vantrel Server with a server folder (default: the working directory,\n"
    "created when missing). Clients connect on the server port (5500 unless changed\n"
    "in the settings); the operator's console is the terminal, if any, and the\n"
    "control socket, reached with vantrel-ctl.\n"
    "\n"
    "      --dir=PATH       use PATH as the server folder\n"
    "      --control=PATH   create the control socket at PATH\n"
    "                         (default: control.sock in the server folder)\n"
    "  -h, --help           display this help and exit\n"
    "      --version        output version information and exit\n"
    "\n"
    "SIGINT and SIGTERM quit at once, saving the settings; SIGHUP reads the message\n"
    "board, the agreement and the banner again.\n";

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

// Tells the service manager the server is ready once its listeners are open.
class ReadinessNotice final : public vantrel::Capability {
 public:
  void RegisterHandlers(vantrel::DispatchTable&) override {}
  void Started(uint16_t) override { vantrel::NotifyServiceManager("READY=1"); }
};

}  // namespace

int main(int argc, char** argv) {
  std::string folder = ".";
  std::string socket;
  const vantrel::ValueOption options[] = {{"--dir", &folder}, {"--control", &socket}};
  vantrel::CommandLine command_line = vantrel::ReadCommandLine(argc, argv, options);
  if (command_line.error.empty() && command_line.operands < argc) {
    command_line.error = "unexpected argument '" + std::string(argv[command_line.operands]) + "'";
  }
  if (const auto status = vantrel::AnswerStandardOptions("vantrel-server", kUsage, command_line)) {
    return *status;
  }
  // Relative to where the server was started, not to its folder.
  const std::filesystem::path control_path =
      socket.empty() ? std::filesystem::path(vantrel::control::kDefaultSocketName)
                     : std::filesystem::absolute(socket);
  if (!EnterServerFolder(folder)) return 1;

  asio::io_context io;
  vantrel::SystemClock clock;
  vantrel::AsioTimers timers(io);
  vantrel::OperatorDesk desk;
  ReadinessNotice readiness;  // registered with the core below: outlives it
  vantrel::CMyApplication server(
      io, clock, timers, std::filesystem::current_path(),
      [&desk](const vantrel::LogWindow::EchoedLine& line) { desk.LogLine(line); });
  vantrel::Console console(server, desk, std::cout, vantrel::StandardInputIsTerminal(),
                           vantrel::StandardOutputIsTerminal());
  vantrel::ControlServer control(io, server, desk);
  server.Core().AddCapability(readiness);
  server.Core().SetOperator(&desk);
  server.Core().SetQuitHandler([&io, &control] {
    vantrel::NotifyServiceManager("STOPPING=1");
    control.SayGoodbye();
    io.stop();
  });

  // SIGINT and SIGTERM quit without asking; SIGHUP reloads the texts.
  asio::signal_set signals(io, SIGINT, SIGTERM);
  signals.async_wait([&server](const asio::error_code& error, int) {
    if (!error) server.Core().Quit();
  });
  asio::signal_set hangups(io, SIGHUP);
  std::function<void()> await_hangup = [&] {
    hangups.async_wait([&](const asio::error_code& error, int) {
      if (error) return;
      vantrel::ReloadCommand(server, std::cerr, {});
      await_hangup();
    });
  };
  await_hangup();

  // The control socket opens first, so that it answers once the service is
  // ready; a failure is logged after the start-up's first line.
  std::string control_failure;
  try {
    control.Open(control_path);
  } catch (const Omberly::CException& failure) {
    control_failure = failure.Text();
  }
  try {
    server.Start();
  } catch (const Omberly::CException& failure) {
    std::cerr << "vantrel-server: " << vantrel::MacRomanToOperatorText(failure.what()) << "\n";
    return 1;
  }
  if (!control_failure.empty()) {
    server.Core().Log().Line("Server Error", vantrel::Utf8ToMacRoman(control_failure));
  }
  console.StartReading(io);

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
