// Transactions 108 (a private message to one user) and 355 (a broadcast to every
// logged-in user), which share the message window and the repeated-text rule.
#include "chat/private_messages.h"

#include "chat/broadcast.h"
#include "chat/message_window.h"
#include "chat/refusal_answers.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/field_text.h"
#include "protocol/transaction_types.h"

namespace vantrel {
namespace {

// The sender hears about a recipient that refuses messages or has its
// auto-response on, for ordinary messages only and only when it does not refuse
// messages itself.
void AnswerSender(ClientSession& sender, const ClientSession& recipient, uint32_t kind) {
  if (sender.refuses_private_messages || kind != kMessageKindOrdinary) return;
  if (recipient.auto_response_on) {
    SendRecipientAnswer(sender, recipient, kMessageKindAutoResponse, recipient.auto_response_text);
  } else if (recipient.refuses_private_messages) {
    SendRecipientAnswer(sender, recipient, kMessageKindRefusesMessages,
                        RefusesMessagesText(recipient.display_name));
  }
}

// Transaction 104 to the recipient. Kinds 2 and 3 are notices whose text the
// server writes; every other kind carries the sender's text as given.
void Deliver(const ClientSession& sender, ClientSession& recipient, uint32_t kind,
             std::string_view text, std::string_view quoted) {
  if (recipient.refuses_private_messages) return;
  std::string notice;
  if (kind == kMessageKindRefusesMessages) {
    notice = RefusesMessagesText(sender.display_name);
    text = notice;
  } else if (kind == kMessageKindRefusesChats) {
    notice = RefusesChatsText(sender.display_name);
    text = notice;
  }
  if (text.empty()) return;
  UFieldData fields;
  fields.AddInteger(kFieldUserId, sender.user_id);
  fields.AddText(kFieldNickname, sender.display_name);
  fields.AddInteger(kFieldOptions, kind);
  fields.AddText(kFieldData, text);
  fields.AddText(kFieldQuotedText, quoted);
  recipient.connection->SendRequest(kTranServerMessage, fields);
}

// 108: the message window and the repeated-text rule come before the privilege,
// so a refused message still counts.
void SendPrivateMessage(ChatServices& chat, Request& request) {
  const UFieldData& fields = request.fields;
  const auto recipient_id = static_cast<uint16_t>(fields.ReadInteger(kFieldUserId));
  const uint32_t kind = fields.ReadInteger(kFieldOptions);
  const std::string_view text = FieldText(fields, kFieldData, kMessageTextLimit);
  const std::string_view quoted = FieldText(fields, kFieldQuotedText, kMessageTextLimit);

  if (!ChargeMessage(chat.auto_bans, request, text)) return;
  if (!request.client.privileges.Test(kPrivilegeSendPrivateMessages)) {
    SendErrorReply(request.transaction, "You are not allowed to send private messages.");
    return;
  }
  ClientSession* recipient = chat.clients.Find(recipient_id);
  if (recipient == nullptr || !recipient->connection->IsConnected()) {
    SendErrorReply(request.transaction,
                   "Couldn't send your message because the client is not connected to this "
                   "server.");
    return;
  }
  request.transaction.SendReply(UFieldData());
  AnswerSender(request.client, *recipient, kind);
  Deliver(request.client, *recipient, kind, text, quoted);
}

// 355: answered before the message rules; an empty text is counted but not sent.
void Broadcast(ChatServices& chat, Request& request) {
  ClientSession& client = request.client;
  if (!client.privileges.Test(kPrivilegeBroadcast)) {
    SendErrorReply(request.transaction, "You are not allowed to broadcast.");
    return;
  }
  request.transaction.SendReply(UFieldData());
  const std::string_view text = FieldText(request.fields, kFieldData, kMessageTextLimit);
  if (!ChargeMessage(chat.auto_bans, request, text) || text.empty()) return;

  UFieldData fields;
  fields.AddInteger(kFieldUserId, client.user_id);
  fields.AddText(kFieldNickname, client.display_name);
  fields.AddText(kFieldData, text);
  SendToLoggedIn(chat.clients, kTranBroadcast, fields.Buffer(), client.user_id);
}

}  // namespace

void RegisterMessageHandlers(DispatchTable& table, ChatServices& chat) {
  table.Register(kTranSendPrivateMessage, SendPrivateMessage, chat);
  table.Register(kTranBroadcast, Broadcast, chat);
}

}  // namespace vantrel
