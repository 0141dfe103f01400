// Private chat rooms: creating one, inviting, declining, joining, leaving and
// setting the subject.
#include "chat/chat_room_handlers.h"

#include <string>

#include "chat/chat_delivery.h"
#include "chat/chat_rooms.h"
#include "chat/message_window.h"
#include "chat/refusal_answers.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"

namespace vantrel {
namespace {

// The longest decline notice.
constexpr size_t kDeclineTextLimit = 255;

// The icon as field 104 carries it: a negative one widened with its sign to 4 bytes.
uint32_t IconValue(const ClientSession& client) {
  return static_cast<uint32_t>(int32_t{client.icon});
}

ChatRoom* RoomOf(ChatServices& chat, Request& request) {
  return chat.rooms.Find(request.fields.ReadInteger(kFieldChatId));
}

// Tells the inviter about an invitee that refuses private chat or has its
// auto-response on (unless the inviter refuses messages), then invites the
// invitee with 113 unless it refuses private chat.
void Invite(ClientSession& inviter, ClientSession& invitee, uint32_t chat_id) {
  if (!inviter.refuses_private_messages) {
    if (invitee.auto_response_on) {
      SendRecipientAnswer(inviter, invitee, kMessageKindAutoResponse, invitee.auto_response_text);
    } else if (invitee.refuses_private_chat) {
      SendRecipientAnswer(inviter, invitee, kMessageKindRefusesChats,
                          RefusesChatsText(invitee.display_name));
    }
  }
  if (invitee.refuses_private_chat) return;
  UFieldData fields;
  fields.AddInteger(kFieldChatId, chat_id);
  fields.AddInteger(kFieldUserId, inviter.user_id);
  fields.AddText(kFieldNickname, inviter.display_name);
  invitee.connection->SendRequest(kTranInviteToChat, fields);
}

// Invites every user named by a field 103 of the request, in order, skipping
// unknown users, closed connections, the inviter and the room's members.
void InviteListed(ChatServices& chat, Request& request, const ChatRoom& room) {
  const UFieldData& fields = request.fields;
  for (size_t position = 1; position <= fields.Count(); ++position) {
    if (fields.FieldIdAt(position) != kFieldUserId) continue;
    const auto user_id = static_cast<uint16_t>(fields.ReadIntegerAt(position));
    ClientSession* invitee = chat.clients.Find(user_id);
    if (invitee == nullptr || !invitee->connection->IsConnected() || invitee == &request.client ||
        room.HasMember(*invitee)) {
      continue;
    }
    Invite(request.client, *invitee, room.chat_id);
  }
}

// 112: counted in the message window before the privilege is checked.
void CreateChat(ChatServices& chat, Request& request) {
  if (!ChargeMessageWindow(chat.auto_bans, request)) return;
  ClientSession& creator = request.client;
  if (!creator.privileges.Test(kPrivilegeCreatePrivateChats)) {
    SendErrorReply(request.transaction, "You are not allowed to create a new chat.");
    return;
  }
  const ChatRoom& room = chat.rooms.Create(creator, chat.random.Next32());
  InviteListed(chat, request, room);

  UFieldData reply;
  reply.AddInteger(kFieldChatId, room.chat_id);
  reply.AddInteger(kFieldUserId, creator.user_id);
  reply.AddInteger(kFieldIcon, IconValue(creator));
  reply.AddInteger(kFieldStatusFlags, creator.StatusFlags());
  reply.AddText(kFieldNickname, creator.display_name);
  request.transaction.SendReply(reply);
}

// 113: no reply; the inviter need not be a member.
void InviteToChat(ChatServices& chat, Request& request) {
  if (!ChargeMessageWindow(chat.auto_bans, request)) return;
  if (const ChatRoom* room = RoomOf(chat, request)) InviteListed(chat, request, *room);
}

// 114: the members hear, as a chat line, that the invitation was declined.
void DeclineChat(ChatServices& chat, Request& request) {
  const ChatRoom* room = RoomOf(chat, request);
  if (room == nullptr) return;
  std::string text =
      "\r<<< \"" + request.client.display_name + "\" declined invitation to chat >>>";
  if (text.size() > kDeclineTextLimit) text.resize(kDeclineTextLimit);
  UFieldData fields;
  fields.AddInteger(kFieldChatId, room->chat_id);
  fields.AddText(kFieldData, text);
  SendChatToReaders(room->members, fields.Buffer());
}

// 115: a new member is announced to the others (117) before it is added; the
// reply lists the subject and every member, the joiner last.
void JoinChat(ChatServices& chat, Request& request) {
  ChatRoom* room = RoomOf(chat, request);
  if (room == nullptr) {
    SendErrorReply(request.transaction,
                   "Cannot join private chat because it has been closed already.");
    return;
  }
  ClientSession& joiner = request.client;
  if (!room->HasMember(joiner)) {
    UFieldData joined;
    joined.AddInteger(kFieldChatId, room->chat_id);
    joined.AddInteger(kFieldUserId, joiner.user_id);
    joined.AddInteger(kFieldIcon, IconValue(joiner));
    joined.AddInteger(kFieldStatusFlags, joiner.StatusFlags());
    joined.AddText(kFieldNickname, joiner.display_name);
    SendToMembers(*room, kTranUserJoinedChat, joined.Buffer());
    room->members.push_back(&joiner);
  }

  UFieldData reply;
  reply.AddText(kFieldChatSubject, room->subject);
  for (const ClientSession* member : room->members) {
    if (!member->display_name.empty()) reply.AddField(kFieldUserEntry, member->UserEntry());
  }
  request.transaction.SendReply(reply);
}

// 116: no reply; the room goes when its last member leaves.
void LeaveChat(ChatServices& chat, Request& request) {
  if (ChatRoom* room = RoomOf(chat, request)) chat.rooms.Leave(*room, request.client);
}

// 120: anyone may set the subject of an existing room; an empty one removes it.
void SetChatSubject(ChatServices& chat, Request& request) {
  ChatRoom* room = RoomOf(chat, request);
  if (room == nullptr) return;
  room->subject = request.fields.ReadText(kFieldChatSubject, kChatSubjectLimit + 1);
  UFieldData fields;
  fields.AddInteger(kFieldChatId, room->chat_id);
  fields.AddText(kFieldChatSubject, room->subject);
  SendToMembers(*room, kTranChatSubject, fields.Buffer());
}

}  // namespace

void RegisterChatRoomHandlers(DispatchTable& table, ChatServices& chat) {
  table.Register(kTranCreatePrivateChat, CreateChat, chat);
  table.Register(kTranInviteToChat, InviteToChat, chat);
  table.Register(kTranDeclineChat, DeclineChat, chat);
  table.Register(kTranJoinChat, JoinChat, chat);
  table.Register(kTranLeaveChat, LeaveChat, chat);
  table.Register(kTranSetChatSubject, SetChatSubject, chat);
}

}  // namespace vantrel
