#include "server/user_handlers.h"

#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/client_info.h"
#include "server/user_identity.h"

namespace vantrel {
namespace {

// 300: one user entry per logged-in client, in list order. No privilege needed.
void GetUserList(ClientList& clients, Request& request) {
  UFieldData reply;
  for (const auto& client : clients.All()) {
    if (client->logged_in) reply.AddField(kFieldUserEntry, client->UserEntry());
  }
  request.transaction.SendReply(reply);
}

// 303: the information text about the client named by field 103.
void GetClientInfo(ClientList& clients, Request& request) {
  if (!request.client.privileges.Test(kPrivilegeGetClientInfo)) {
    SendErrorReply(request.transaction, "You are not allowed to get client information.");
    return;
  }
  const auto user_id = static_cast<uint16_t>(request.fields.ReadInteger(kFieldUserId));
  const ClientSession* target = clients.Find(user_id);
  if (target == nullptr) {
    SendErrorReply(request.transaction,
                   "Cannot get info for the specified client because it does not exist.");
    return;
  }
  UFieldData reply;
  reply.AddText(kFieldData, ClientInfoText(*target, clients.TransfersOf(*target)));
  reply.AddText(kFieldNickname, target->display_name);
  request.transaction.SendReply(reply);
}

// 304: the client's own nickname, icon and options, under the set-user-info
// flood rule. Answered with 301 to everyone, never with a reply.
void SetUserInfo(ClientList& clients, AutoBanner& auto_bans, Request& request) {
  ClientSession& client = request.client;
  if (client.user_info_window.CountAt(request.now, kUserInfoWindowSeconds) > kUserInfoLimit) {
    auto_bans.AutoBan(client, request.now, AutoBanRule::kUserInfoFlood);
    return;
  }
  client.user_info_window.Add();
  ApplyUserInfo(clients, client, request.fields, nullptr);
}

}  // namespace

void RegisterUserHandlers(DispatchTable& table, ClientList& clients, AutoBanner& auto_bans) {
  table.Register(kTranGetUserList, GetUserList, clients);
  table.Register(kTranGetClientInfo, GetClientInfo, clients);
  table.Register(kTranSetUserInfo, [&clients, &auto_bans](Request& request) {
    SetUserInfo(clients, auto_bans, request);
  });
}

}  // namespace vantrel
