// Transaction 105: a line of the public chat or of a private chat room.
#include "chat/chat_handlers.h"

#include <algorithm>

#include "chat/chat_delivery.h"
#include "chat/chat_line.h"
#include "chat/chat_room_handlers.h"
#include "chat/private_messages.h"
#include "protocol/field_ids.h"
#include "protocol/field_text.h"
#include "protocol/transaction_types.h"
#include "server/repeat_rule.h"

namespace vantrel {
namespace {

constexpr std::string_view kNoChatText = "You are not allowed to participate in chat.";

// Transaction 104 to the sender alone, marked by field 109 = 1.
void RefuseChat(ClientSession& client) {
  UFieldData refusal;
  refusal.AddInteger(kFieldChatOptions, kChatOptionAction);
  refusal.AddText(kFieldData, kNoChatText);
  client.connection->SendRequest(kTranServerMessage, refusal);
}

// 105: the byte-flood window, the privilege (a refusal costs nothing), the
// repeated-text rule, then one formatted line delivered to every reader of the
// public chat or of the room named by field 114. The line is encoded once and the
// same body is queued to every recipient.
void SendChat(ChatServices& chat, Request& request) {
  ClientSession& client = request.client;
  if (client.chat_bytes_window.CountAt(request.now, kChatWindowSeconds) >= kChatFloodBytes) {
    chat.auto_bans.AutoBan(client, request.now, AutoBanRule::kChatFlood);
    return;
  }
  if (!client.privileges.Test(kPrivilegeSendChat)) {
    RefuseChat(client);
    return;
  }

  const bool action = request.fields.ReadInteger(kFieldChatOptions) == kChatOptionAction;
  const std::string_view text = FieldText(request.fields, kFieldData, kChatTextLimit);
  if (IsBanningRepeat(client, text)) {
    chat.auto_bans.AutoBan(client, request.now, AutoBanRule::kChatSpam);
    return;
  }

  UFieldData body;
  {
    const std::string line = FormatChatLine(ChatPrefix(client.display_name, action), text);
    client.chat_bytes_window.Add(
        static_cast<uint32_t>(std::max<size_t>(line.size(), kChatMinimumCharge)));
    body.AddText(kFieldData, line);
  }

  const uint32_t chat_id = request.fields.ReadInteger(kFieldChatId);
  if (chat_id == kPublicChatId) {
    SendChatToReaders(chat.clients.All(), body.Buffer());
    return;
  }
  const ChatRoom* room = chat.rooms.Find(chat_id);
  if (room == nullptr) return;
  body.AddInteger(kFieldChatId, chat_id);
  SendChatToReaders(room->members, body.Buffer());
}

}  // namespace

void RegisterChatHandlers(DispatchTable& table, ChatServices& chat) {
  table.Register(kTranSendChat, SendChat, chat);
  RegisterMessageHandlers(table, chat);
  RegisterChatRoomHandlers(table, chat);
}

}  // namespace vantrel
