#include "app/admin_commands.h"

#include <string>

#include "accounts/admin_link.h"
#include "app/application.h"
#include "logs/log_window.h"
#include "platform/mac_roman.h"
#include "platform/url_opener.h"

namespace vantrel {
namespace {

constexpr uint32_t kLoopbackAddress = 0x7F000001;

std::string Quoted(std::string_view mac_roman) {
  return MacRomanToOperatorText(CurlyQuoted(mac_roman));
}

std::string Describe(const HeadAdminOutcome& outcome) {
  const std::string login = Quoted(outcome.login);
  switch (outcome.result) {
    case HeadAdminResult::kNothingNeeded:
      return "The head administrator account " + login + " is ready.";
    case HeadAdminResult::kCreated:
      return "Created the account " + login + " with every administrator privilege.";
    case HeadAdminResult::kUpdated:
      return "Updated the account " + login + ".";
    case HeadAdminResult::kSelected:
      return "Selected the account " + login + ".";
    case HeadAdminResult::kCancelled:
      return "Nothing was changed.";
    case HeadAdminResult::kNotFound:
      return "There is no account " + login + ".";
    case HeadAdminResult::kFailed:
      return MacRomanToOperatorText(outcome.failure);
  }
  return {};
}

}  // namespace

void AdminCommand(CMyApplication& server, std::ostream& out, std::string_view arguments) {
  const size_t blank = arguments.find(' ');
  const std::string_view action = arguments.substr(0, blank);
  const std::string login =
      blank == std::string_view::npos ? std::string() : Utf8ToMacRoman(arguments.substr(blank + 1));
  auto done = [&server, &out](const HeadAdminOutcome& outcome) {
    server.Accounts().TakeHeadAdminOutcome(outcome);
    out << Describe(outcome) << "\n";
    if (outcome.makes_head_admin) {
      out << "The head administrator account is now "
          << Quoted(server.Core().Settings().head_admin_login) << ".\n";
    }
  };
  Operator& op = server.Core().GetOperator();
  if (action == "reset" && login.empty()) {
    ResetAdminAccount(server.Accounts().Store(), server.Core().Settings().head_admin_login, op,
                      done);
  } else if (action == "select" && !login.empty()) {
    SelectHeadAdminAccount(server.Accounts().Store(), login, op, done);
  } else if (action == "create" && !login.empty()) {
    CreateNewAdminAccount(server.Accounts().Store(), login, op, done);
  } else {
    out << "Usage: admin reset | admin select LOGIN | admin create LOGIN\n";
  }
}

void ConnectAdminCommand(CMyApplication& server, std::ostream& out, std::string_view) {
  const uint32_t bound = server.Core().Settings().server_ip_address;
  ConnectAsAdministrator(
      server.Accounts().Store(), server.Core().Settings().head_admin_login,
      bound != 0 ? bound : kLoopbackAddress, server.Core().ListeningPort(),
      server.Core().GetOperator(), OpenUrlWithHandler, [&out](const ConnectAdminOutcome& outcome) {
        switch (outcome.result) {
          case ConnectAdminResult::kOpened:
            out << MacRomanToOperatorText(outcome.link) << "\nOpened with the registered client.\n";
            break;
          case ConnectAdminResult::kNoHandler:
            out << MacRomanToOperatorText(outcome.link)
                << "\nNo program is registered for vantrel:// links; open the link in a "
                   "Vantrel client.\n";
            break;
          case ConnectAdminResult::kCancelled:
            out << "Nothing was changed.\n";
            break;
          case ConnectAdminResult::kFailed:
            out << MacRomanToOperatorText(outcome.failure) << "\n";
            break;
        }
      });
}

}  // namespace vantrel
