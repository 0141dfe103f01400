#include "accounts/login_handlers.h"

#include <algorithm>

#include "accounts/account_errors.h"
#include "accounts/login_name.h"
#include "logs/log_window.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/application.h"
#include "server/user_identity.h"
#include "server/user_names.h"

namespace vantrel {
namespace {

// Login, password and nickname of the login request are read into 32-byte
// buffers: at most 31 bytes each.
constexpr size_t kLoginFieldCapacity = 32;
// The detailed refusal quotes the failure's description and code text cut to these.
constexpr size_t kFailureDescriptionLimit = 255;
constexpr size_t kFailureCodeLimit = 31;

constexpr const char* kGuestLogin = "guest";
constexpr const char* kPermanentlyBannedText = "You are permanently banned on this server.";
constexpr const char* kTemporarilyBannedText = "You are temporarily banned on this server.";
constexpr const char* kIncorrectLoginText = "Incorrect login.";
constexpr std::array<uint8_t, 4> kUrlBannerKind = {'U', 'R', 'L', ' '};

void WriteConnectLog(Request& request) {
  const ClientSession& client = request.client;
  const std::string address = AddressText(client.address);
  request.server.Files().Connect({address, client.login, client.display_name});
}

// Every refusal of a login: the error reply, the failed-login time from which
// the pass closes the connection, and the log line.
void RefuseLogin(Request& request, std::string_view text) {
  SendErrorReply(request.transaction, text);
  // 0 means "no refused login"; a refusal in the server's first second counts from 1.
  request.client.failed_login_time = std::max<uint32_t>(request.now, 1);
  request.server.Log().Line(request.client.LogWho(), "Login failed");
}

AccountIdentity IdentityOf(const AccountRecord& account, const std::string& login) {
  return {account.privileges, account.name, login};
}

// The steps both paths end with once the user is visible.
void CompleteLogin(Request& request) {
  ClientSession& client = request.client;
  client.logged_in = true;
  request.server.Log().Line(client.LogWho(), "Login successful");
  UFieldData access;
  access.AddField(kFieldUserAccess, client.privileges.bytes);
  client.connection->SendRequest(kTranUserAccess, access);
}

void SendAgreement(Request& request, const AccountRecord& account) {
  UFieldData agreement;
  if (account.privileges.Test(kPrivilegeNoAgreement)) {
    agreement.AddInteger(kFieldNoAgreement, 1);
  } else if (const std::string* text = request.server.Texts().Agreement()) {
    agreement.AddText(kFieldData, *text);
  }
  request.client.connection->SendRequest(kTranShowAgreement, agreement);
}

void SendBanner(Request& request) {
  const ServerTexts& texts = request.server.Texts();
  const auto kind = texts.BannerKind();
  if (request.client.client_version < kFirstBannerClientVersion || !kind) return;
  const std::string& link = texts.BannerLink();
  if (*kind == kUrlBannerKind ? link.empty() : !texts.BannerDataLoaded()) return;
  UFieldData banner;
  banner.AddField(kFieldBannerKind, *kind);
  banner.AddText(kFieldBannerLink, link);
  request.client.connection->SendRequest(kTranServerBanner, banner);
}

// 107: checks the bans, reads and checks the account, answers with the server's
// version and name, and sends the privileges and the agreement.
void Login(Request& request) {
  ClientSession& client = request.client;
  CMyApplication& server = request.server;
  if (server.PermanentBans().IsBanned(client.address)) {
    RefuseLogin(request, kPermanentlyBannedText);
    return;
  }
  if (server.TemporaryBans().IsBanned(client.address, request.now)) {
    RefuseLogin(request, kTemporarilyBannedText);
    return;
  }

  const UFieldData& fields = request.fields;
  const std::string login =
      LookupLogin(Scramble(fields.ReadText(kFieldUserLogin, kLoginFieldCapacity)));
  const std::string password = fields.ReadText(kFieldPassword, kLoginFieldCapacity);
  client.client_version = fields.ReadInteger(kFieldVersion);
  const std::string nickname = fields.ReadText(kFieldNickname, kLoginFieldCapacity);
  const auto icon = static_cast<int16_t>(fields.ReadInteger(kFieldIcon));

  AccountRecord account;
  try {
    account = server.Accounts().Read(login);
  } catch (const Omberly::CException& failure) {
    if (IsAccountNotFound(failure)) {
      RefuseLogin(request, kIncorrectLoginText);
    } else {
      RefuseLogin(request, "Cannot read account " + CurlyQuoted(login) + ":\r" +
                               failure.Description().substr(0, kFailureDescriptionLimit) + "\r" +
                               failure.IdentificationText().substr(0, kFailureCodeLimit));
    }
    return;
  }
  if (password != account.scrambled_password) {
    RefuseLogin(request, kIncorrectLoginText);
    return;
  }

  UFieldData reply;
  reply.AddInteger(kFieldVersion, kServerVersion);
  reply.AddInteger(kFieldLoginReserved, 0);
  reply.AddText(kFieldServerName, server.Settings().server_name);
  request.transaction.SendReply(reply);

  client.account_name = CutText(account.name, kMaxNameBytes);
  client.login = CutText(login, kMaxNameBytes);
  const bool visible = !nickname.empty() && icon != 0;
  if (visible) {
    ApplyLoginIdentity(server.Clients(), client, nickname, icon, IdentityOf(account, client.login));
    CompleteLogin(request);
  }
  SendAgreement(request, account);
  if (visible) WriteConnectLog(request);
}

// 121: the user agreed; takes nickname, icon and options, becomes visible and
// is sent the banner.
void Agreed(Request& request) {
  ClientSession& client = request.client;
  AccountRecord account;
  try {
    account = request.server.Accounts().Read(client.login);
  } catch (const Omberly::CException&) {
    SendErrorReply(request.transaction, "Cannot read account " + CurlyQuoted(client.login) + ".");
    client.failed_login_time = std::max<uint32_t>(request.now, 1);
    return;
  }
  request.transaction.SendReply(UFieldData());
  const AccountIdentity identity = IdentityOf(account, client.login);
  ApplyUserInfo(request.server.Clients(), client, request.fields, &identity);
  CompleteLogin(request);
  WriteConnectLog(request);
  SendBanner(request);
}

}  // namespace

std::string LookupLogin(std::string_view plain_login) {
  if (plain_login.empty()) return kGuestLogin;
  std::string login = LowerAsciiLetters(plain_login);
  std::replace(login.begin(), login.end(), '\r', '-');
  return login;
}

void RegisterLoginHandlers(DispatchTable& login_table, DispatchTable& logged_in_table) {
  login_table.Register(kTranLogin, Login);
  login_table.Register(kTranAgreed, Agreed);
  logged_in_table.Register(kTranAgreed, Agreed);
}

}  // namespace vantrel
