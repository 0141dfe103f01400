#include "app/console_commands.h"

#include <algorithm>
#include <array>
#include <string>

#include "accounts/login_name.h"
#include "app/admin_commands.h"
#include "app/application.h"
#include "app/ban_commands.h"
#include "app/reload_command.h"
#include "platform/exception.h"
#include "platform/mac_roman.h"
#include "prefs/settings_console.h"

namespace vantrel {
namespace {

// The setting that names the head administrator account.
constexpr std::string_view kHeadAdminLoginSetting = "admin-login";

// What makes "log" go on showing the lines as they come.
constexpr std::string_view kFollowArgument = "--follow";

// A command's name and what follows it, without surrounding blanks.
struct CommandLine {
  std::string_view name;
  std::string_view arguments;
};

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

CommandLine Split(std::string_view line) {
  line = Trim(line);
  const size_t blank = line.find_first_of(" \t");
  if (blank == std::string_view::npos) return {line, {}};
  return {line.substr(0, blank), Trim(line.substr(blank))};
}

void Help(CMyApplication&, std::ostream& out, std::string_view);
void Stats(CMyApplication& server, std::ostream& out, std::string_view) {
  // Labels are padded to the longest, "Downloads in progress:".
  constexpr size_t kLabelWidth = 24;
  for (const auto& [label, value] : server.Core().StatisticsLines()) {
    out << label << std::string(kLabelWidth - std::min(kLabelWidth, label.size()), ' ')
        << MacRomanToOperatorText(value) << "\n";
  }
}

void Counters(CMyApplication& server, std::ostream& out, std::string_view) {
  // Names are padded to the longest, "autoban_connection_flood".
  constexpr size_t kNameWidth = 26;
  for (const auto& [name, value] : server.Core().GetCounters().Lines()) {
    out << name << std::string(kNameWidth - std::min(kNameWidth, name.size()), ' ') << value
        << "\n";
  }
}

void Log(CMyApplication& server, std::ostream& out, std::string_view) {
  out << MacRomanToOperatorText(server.Core().Log().Text()) << "\n";
}

void Broadcast(CMyApplication& server, std::ostream& out, std::string_view text) {
  if (text.empty()) {
    out << "Usage: broadcast TEXT\n";
    return;
  }
  server.Chat().BroadcastServerMessage(Utf8ToMacRoman(text));
  out << "Sent to every logged-in user.\n";
}

void Options(CMyApplication& server, std::ostream& out, std::string_view) {
  out << SettingsListText(server.Core().Settings());
}

void Set(CMyApplication& server, std::ostream& out, std::string_view arguments) {
  const CommandLine setting = Split(arguments);
  if (setting.name.empty()) {
    out << "Usage: set SETTING VALUE  (see options for the settings)\n";
    return;
  }
  std::string value(setting.arguments);
  if (setting.name == kHeadAdminLoginSetting) {
    // A typed login is cleaned like any login, and the operator told when that changed it.
    value = MacRomanToUtf8(CleanTypedLogin(Utf8ToMacRoman(value), server.Core().GetOperator()));
  }
  const SetSettingResult result = SetSetting(server.Core().Settings(), setting.name, value);
  out << result.text;
  if (!result.ok) return;
  try {
    server.Core().ApplySettings(result.applied);
  } catch (const Omberly::CException& failure) {
    out << "The settings could not be saved: " << MacRomanToOperatorText(failure.Description())
        << "\n";
  }
}

void Quit(CMyApplication& server, std::ostream&, std::string_view arguments) {
  if (arguments == "now") {
    server.Core().Quit();
  } else if (arguments.empty()) {
    server.Core().QuitRequest();
  } else {
    server.Core().PoliteQuit(Utf8ToMacRoman(arguments));
  }
}

struct Command {
  std::string_view name;
  std::string_view usage;
  void (*run)(CMyApplication&, std::ostream&, std::string_view);
};

constexpr std::array kCommands = {
    Command{"help", "help                 this list", Help},
    Command{"stats", "stats                the statistics", Stats},
    Command{"counters", "counters             refusals, auto-bans, drops and failures by kind",
            Counters},
    Command{"log", "log                  the log window's text", Log},
    Command{"log", "log --follow         the log window's text, then each line as it comes", Log},
    Command{"broadcast", "broadcast TEXT       a server message to every logged-in user",
            Broadcast},
    Command{"reload", "reload               read the message board, agreement and banner again",
            ReloadCommand},
    Command{"options", "options              every setting with its label", Options},
    Command{"set", "set SETTING VALUE    change a setting (saved at once)", Set},
    Command{"quit", "quit [MESSAGE]       quit; with a message, tell the users and wait for them",
            Quit},
    Command{"quit", "quit now             quit at once", Quit},
    Command{"admin",
            "admin reset          give the head admin account every privilege and a new password",
            AdminCommand},
    Command{"admin", "admin select LOGIN   make LOGIN the head admin account", AdminCommand},
    Command{"admin", "admin create LOGIN   create LOGIN as the head admin account", AdminCommand},
    Command{"connect-admin",
            "connect-admin        the vantrel:// link that logs in as the head admin",
            ConnectAdminCommand},
    Command{"ban", "ban list             the permanent ban list, numbered", BanCommand},
    Command{"ban", "ban add RANGE [INFO] ban addresses for good (a.b.c.d[/n|+n|-e.f.g.h])",
            BanCommand},
    Command{"ban", "ban remove N         take entry N off the permanent ban list", BanCommand},
};

void Help(CMyApplication&, std::ostream& out, std::string_view) {
  for (const Command& command : kCommands) out << "  " << command.usage << "\n";
}

}  // namespace

bool RunConsoleCommand(CMyApplication& server, std::ostream& out, std::string_view line) {
  const CommandLine command = Split(line);
  if (command.name.empty()) return true;
  for (const Command& known : kCommands) {
    if (known.name == command.name) {
      known.run(server, out, command.arguments);
      return true;
    }
  }
  out << "Unknown command \"" << command.name << "\"; type help for the commands.\n";
  return false;
}

bool IsFollowLogCommand(std::string_view line) {
  const CommandLine command = Split(line);
  return command.name == "log" && command.arguments == kFollowArgument;
}

}  // namespace vantrel
