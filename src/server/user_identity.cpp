#include "server/user_identity.h"

#include "logs/log_window.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/server_message.h"
#include "server/user_names.h"

namespace vantrel {
namespace {

// Option bits of field 113.
constexpr uint32_t kOptionRefusePrivateMessages = 1;
constexpr uint32_t kOptionRefusePrivateChat = 2;
constexpr uint32_t kOptionAutoResponse = 4;

constexpr std::string_view kAccountDeletedText =
    "You are logged in with an account which was deleted.";

bool LoggedInAs(const ClientSession& client, std::string_view login) {
  return client.logged_in && client.login == login;
}

void ApplyOptions(ClientSession& client, const UFieldData& fields) {
  const uint32_t options = fields.ReadInteger(kFieldOptions);
  client.refuses_private_messages = (options & kOptionRefusePrivateMessages) != 0;
  client.refuses_private_chat = (options & kOptionRefusePrivateChat) != 0;
  client.auto_response_on = (options & kOptionAutoResponse) != 0;
  if (!client.auto_response_on) {
    client.auto_response_text.clear();
  } else if (fields.Find(kFieldAutoResponse) != 0) {
    client.auto_response_text = fields.ReadText(kFieldAutoResponse, kMaxAutoResponseBytes + 1);
  } else {
    client.auto_response_text = kDefaultAutoResponse;
  }
}

void SendPrivileges(const ClientSession& client) {
  UFieldData fields;
  fields.AddField(kFieldUserAccess, client.privileges.bytes);
  client.connection->SendRequest(kTranUserAccess, fields);
}

}  // namespace

void ApplyLoginIdentity(const ClientList& clients, ClientSession& client, std::string_view nickname,
                        int16_t icon, const AccountIdentity& account) {
  client.icon = icon;
  client.privileges = account.privileges;
  client.account_name = CutText(account.name, kMaxNameBytes);
  client.login = CutText(account.login, kMaxNameBytes);
  client.nickname = CleanNickname(nickname);
  client.display_name = DisplayNameFor(client.privileges, client.nickname, client.account_name);
  clients.NotifyChange(client);
}

void ApplyUserInfo(const ClientList& clients, ClientSession& client, const UFieldData& fields,
                   const AccountIdentity* account) {
  if (account != nullptr) client.privileges = account->privileges;
  client.nickname = CleanNickname(fields.ReadText(kFieldNickname, kMaxNameBytes + 1));
  if (client.privileges.Test(kPrivilegeAnyName) || account != nullptr) {
    const std::string_view account_name =
        account != nullptr ? std::string_view(account->name) : std::string_view();
    client.display_name = DisplayNameFor(client.privileges, client.nickname, account_name);
  }
  // The icon travels as a signed 16-bit value, sometimes widened to 4 bytes.
  client.icon = static_cast<int16_t>(static_cast<uint16_t>(fields.ReadInteger(kFieldIcon)));
  ApplyOptions(client, fields);
  clients.NotifyChange(client);
}

void RefreshFromAccount(const ClientList& clients, std::string_view login,
                        const AccountIdentity& account) {
  for (const auto& entry : clients.All()) {
    ClientSession& client = *entry;
    if (!LoggedInAs(client, login)) continue;

    const bool privileges_changed = client.privileges != account.privileges;
    if (privileges_changed) {
      client.privileges = account.privileges;
      SendPrivileges(client);
    }
    client.account_name = CutText(account.name, kMaxNameBytes);
    client.login = CutText(account.login, kMaxNameBytes);
    std::string display_name =
        DisplayNameFor(client.privileges, client.nickname, client.account_name);
    const bool name_changed = display_name != client.display_name;
    client.display_name = std::move(display_name);
    if (privileges_changed || name_changed) clients.NotifyChange(client);
  }
}

void DisconnectUsersOfDeletedAccount(const ClientList& clients, LogWindow& log,
                                     PassRequester& passes, std::string_view login,
                                     const ClientSession& acting) {
  const UFieldData message = ServerMessageFields(kAccountDeletedText);
  for (const auto& entry : clients.All()) {
    ClientSession& client = *entry;
    if (!LoggedInAs(client, login)) continue;
    client.connection->SendRequest(kTranServerMessage, message);
    client.connection->CloseGracefully();
    passes.RequestPass();
    log.Line(acting.LogWho(), "Disconnect " + CurlyQuoted(client.LogWho()));
  }
}

}  // namespace vantrel
