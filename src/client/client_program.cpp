#include "client/client_program.h"

#include <charconv>
#include <iostream>
#include <vector>

#include "client/commands.h"
#include "client/login.h"
#include "client/server_link.h"
#include "client/terminal_session.h"
#include "platform/mac_roman.h"

namespace vantrel::client {
namespace {

constexpr const char* kUsage =
    "Usage: vantrel-client [vantrel://[LOGIN[:PASSWORD]@]HOST[:PORT]] [--nick NAME] [--icon N]\n"
    "                      [--agree] [--run COMMAND]...\n"
    "\n"
    "Connects to a Vantrel server (localhost:5500 unless the link names another) and\n"
    "logs in with the link's login, or as guest; the password is asked for when the\n"
    "link has a login but none. Then reads commands (/help lists them), or runs\n"
    "each --run COMMAND in order, prints its answer and exits: 0 when all\n"
    "succeeded, else 1 with the failure on standard error.\n"
    "\n"
    "  --nick NAME   the nickname others see (default: the login, or guest)\n"
    "  --icon N      the icon number (default 0)\n"
    "  --agree       accept the server's agreement without asking\n"
    "  --run COMMAND run COMMAND (the text of /post on the lines after its first)\n"
    "  --help        show this text and exit\n"
    "  --version     show the version and exit\n";

constexpr const char* kGuestNickname = "guest";

struct Arguments {
  ServerLink link;
  std::string nickname;  // UTF-8; empty: the default
  int16_t icon = 0;
  bool agree = false;
  std::vector<std::string> commands;
  bool help = false;
  bool version = false;
  std::string error;
};

Arguments ParseArguments(std::span<const std::string> arguments) {
  Arguments parsed;
  bool have_link = false;
  for (size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
    const std::string& arg = arguments[i];
    const bool has_value = i + 1 < arguments.size();
    if (arg == "--help" || arg == "-h") {
      parsed.help = true;
    } else if (arg == "--version") {
      parsed.version = true;
    } else if (arg == "--agree") {
      parsed.agree = true;
    } else if (arg == "--nick" && has_value) {
      parsed.nickname = arguments[++i];
    } else if (arg == "--run" && has_value) {
      parsed.commands.push_back(arguments[++i]);
    } else if (arg == "--icon" && has_value) {
      const std::string& value = arguments[++i];
      int icon = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), icon);
      if (error != std::errc() || end != value.data() + value.size() || icon < -32768 ||
          icon > 32767) {
        parsed.error = "the icon must be a number from -32768 to 32767";
      }
      parsed.icon = static_cast<int16_t>(icon);
    } else if (!arg.starts_with("-") && !have_link) {
      const auto link = ParseServerLink(arg);
      if (!link) parsed.error = "not a server link: " + arg;
      if (link) parsed.link = *link;
      have_link = true;
    } else {
      parsed.error = "unknown argument: " + arg;
    }
  }
  return parsed;
}

// Asks the person at the terminal whether they agree to `agreement`.
bool AskAgreement(ProgramIo& io, std::string_view agreement) {
  io.out << agreement << "\n\nDo you agree? [y/N] " << std::flush;
  std::string answer;
  std::getline(io.in, answer);
  return answer == "y" || answer == "Y" || answer == "yes";
}

// Runs the commands of `in`, one a line (the text of /post on the lines after
// it, up to a line "."), until its end or /quit.
int RunLines(Commands& commands, std::istream& in, std::ostream& err) {
  int status = kExitOk;
  std::string line;
  while (std::getline(in, line)) {
    std::string command = line;
    if (TakesText(line)) {
      while (std::getline(in, line) && line != kEndOfText) command += "\n" + line;
    }
    const CommandOutcome outcome = commands.Run(command);
    if (!outcome.ok) {
      err << outcome.error << "\n";
      status = kExitFailed;
    }
    if (outcome.quit) break;
  }
  return status;
}

}  // namespace

int RunClient(std::span<const std::string> arguments, ProgramIo& io) {
  Arguments parsed = ParseArguments(arguments);
  if (!parsed.error.empty()) {
    io.err << "vantrel-client: " << parsed.error << "\n\n" << kUsage;
    return kExitUsage;
  }
  if (parsed.help) {
    io.out << kUsage;
    return kExitOk;
  }
  if (parsed.version) {
    io.out << "vantrel-client " << VANTREL_VERSION << "\n";
    return kExitOk;
  }

  ServerLink& link = parsed.link;
  if (!link.login.empty() && !link.password) {
    link.password =
        io.read_secret ? io.read_secret("Password for " + link.login + ": ") : std::nullopt;
    if (!link.password) {
      io.err << "vantrel-client: the link has no password and none can be asked for\n";
      return kExitFailed;
    }
  }

  std::string error;
  auto socket = ClientSocket::Connect(link.host, link.port,
                                      ClientSocket::Clock::now() + kAnswerWait, io.pump, error);
  if (!socket) {
    io.err << "vantrel-client: cannot connect to " << link.host << ":" << link.port << ": " << error
           << "\n";
    return kExitFailed;
  }
  ServerConnection server(std::move(socket));
  if (!server.Handshake()) {
    io.err << "vantrel-client: " << server.Failure() << "\n";
    return kExitFailed;
  }

  Identity identity;
  identity.login = Utf8ToMacRoman(link.login);
  identity.password = Utf8ToMacRoman(link.password.value_or(""));
  identity.nickname = Utf8ToMacRoman(!parsed.nickname.empty() ? parsed.nickname
                                     : !link.login.empty()    ? link.login
                                                              : kGuestNickname);
  identity.icon = parsed.icon;
  const LoginResult login = LogIn(server, identity, [&](std::string_view agreement) {
    if (parsed.agree) return true;
    if (io.terminal) return AskAgreement(io, agreement);
    io.err << agreement
           << "\n\nThe server asks its users to agree to the text above; --agree accepts it.\n";
    return false;
  });
  if (!login.ok) {
    io.err << login.error << "\n";
    return kExitFailed;
  }

  TerminalSession terminal(io.out, io.terminal && parsed.commands.empty());
  CommandOutput output{[&terminal](const std::string& text) { terminal.Print(text); },
                       io.terminal ? terminal.Observer() : TransferObserver{}};
  Commands commands(server, {link.host, static_cast<uint16_t>(link.port + 1), io.pump},
                    std::move(output), identity.nickname, identity.icon);
  commands.LoadUsers();

  for (const std::string& command : parsed.commands) {
    const CommandOutcome outcome = commands.Run(command);
    if (!outcome.ok) {
      io.err << outcome.error << "\n";
      return kExitFailed;
    }
    if (outcome.quit) break;
  }
  if (!parsed.commands.empty()) return kExitOk;
  if (!io.terminal) return RunLines(commands, io.in, io.err);
  const size_t users = commands.Users().All().size();
  terminal.Print("Connected to " + login.server_name + " as " + MacRomanToUtf8(identity.nickname) +
                 "; " + std::to_string(users) + (users == 1 ? " user" : " users") +
                 " here. /help lists the commands.");
  return terminal.Run(commands, server);
}

}  // namespace vantrel::client
