#include "accounts/login_handlers.h"

#include <algorithm>

#include "accounts/account_errors.h"
#include "accounts/login_name.h"
#include "logs/log_window.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
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

void WriteConnectLog(const AccountServices& services, Request& request) {
  const ClientSession& client = request.client;
  const std::string address = AddressText(client.address);
  services.log_files.Connect({address, client.login, client.display_name});
}

// Every refusal of a login: the error reply, the failed-login time from which
// the pass closes the connection, and the log line.
void RefuseLogin(const AccountServices& services, Request& request, std::string_view text) {
  SendErrorReply(request.transaction, text);
  // 0 means "no refused login"; a refusal in the server's first second counts from 1.
  request.client.failed_login_time = std::max<uint32_t>(request.now, 1);
  services.log.Line(request.client.LogWho(), "Login failed");
}

AccountIdentity IdentityOf(const AccountRecord& account, const std::string& login) {
  return {account.privileges, account.name, login};
}

// The steps both paths end with once the user is visible.
void CompleteLogin(const AccountServices& services, Request& request) {
  ClientSession& client = request.client;
  client.logged_in = true;
  services.log.Line(client.LogWho(), "Login successful");
  UFieldData access;
  access.AddField(kFieldUserAccess, client.privileges.bytes);
  client.connection->SendRequest(kTranUserAccess, access);
}

void SendAgreement(const AccountServices& services, Request& request,
                   const AccountRecord& account) {
  UFieldData agreement;
  if (account.privileges.Test(kPrivilegeNoAgreement)) {
    agreement.AddInteger(kFieldNoAgreement, 1);
  } else if (const std::string* text = services.texts.Agreement()) {
    agreement.AddText(kFieldData, *text);
  }
  request.client.connection->SendRequest(kTranShowAgreement, agreement);
}

void SendBanner(const AccountServices& services, Request& request) {
  const ServerTexts& texts = services.texts;
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
void Login(const AccountServices& services, const AccountStore& store, Request& request) {
  ClientSession& client = request.client;
  if (services.permanent_bans.IsBanned(client.address)) {
    RefuseLogin(services, request, kPermanentlyBannedText);
    return;
  }
  if (services.temporary_bans.IsBanned(client.address, request.now)) {
    RefuseLogin(services, request, kTemporarilyBannedText);
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
    account = store.Read(login);
  } catch (const Omberly::CException& failure) {
    if (IsAccountNotFound(failure)) {
      RefuseLogin(services, request, kIncorrectLoginText);
    } else {
      RefuseLogin(services, request,
                  "Cannot read account " + CurlyQuoted(login) + ":\r" +
                      failure.Description().substr(0, kFailureDescriptionLimit) + "\r" +
                      failure.IdentificationText().substr(0, kFailureCodeLimit));
    }
    return;
  }
  if (password != account.scrambled_password) {
    RefuseLogin(services, request, kIncorrectLoginText);
    return;
  }

  UFieldData reply;
  reply.AddInteger(kFieldVersion, kServerVersion);
  reply.AddInteger(kFieldLoginReserved, 0);
  reply.AddText(kFieldServerName, services.settings.Settings().server_name);
  request.transaction.SendReply(reply);

  client.account_name = CutText(account.name, kMaxNameBytes);
  client.login = CutText(login, kMaxNameBytes);
  const bool visible = !nickname.empty() && icon != 0;
  if (visible) {
    ApplyLoginIdentity(services.clients, client, nickname, icon, IdentityOf(account, client.login));
    CompleteLogin(services, request);
  }
  SendAgreement(services, request, account);
  if (visible) WriteConnectLog(services, request);
}

// 121: the user agreed; takes nickname, icon and options, becomes visible and
// is sent the banner.
void Agreed(const AccountServices& services, const AccountStore& store, Request& request) {
  ClientSession& client = request.client;
  AccountRecord account;
  try {
    account = store.Read(client.login);
  } catch (const Omberly::CException&) {
    SendErrorReply(request.transaction, "Cannot read account " + CurlyQuoted(client.login) + ".");
    client.failed_login_time = std::max<uint32_t>(request.now, 1);
    return;
  }
  request.transaction.SendReply(UFieldData());
  const AccountIdentity identity = IdentityOf(account, client.login);
  ApplyUserInfo(services.clients, client, request.fields, &identity);
  CompleteLogin(services, request);
  WriteConnectLog(services, request);
  SendBanner(services, request);
}

}  // namespace

std::string LookupLogin(std::string_view plain_login) {
  if (plain_login.empty()) return kGuestLogin;
  return LookupForm(plain_login);
}

void RegisterLoginHandlers(DispatchTable& table, const AccountServices& services,
                           const AccountStore& store) {
  table.RegisterBeforeLogin(
      kTranLogin, [&services, &store](Request& request) { Login(services, store, request); });
  const Handler agreed = [&services, &store](Request& request) {
    Agreed(services, store, request);
  };
  table.RegisterBeforeLogin(kTranAgreed, agreed);
  table.Register(kTranAgreed, agreed);
}

}  // namespace vantrel
