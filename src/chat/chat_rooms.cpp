#include "chat/chat_rooms.h"

#include <algorithm>

#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/client_session.h"

namespace vantrel {
namespace {

constexpr uint32_t kLowestByte = 0xFF;

}  // namespace

bool ChatRoom::HasMember(const ClientSession& client) const {
  return std::find(members.begin(), members.end(), &client) != members.end();
}

ChatRoom& ChatRoomList::Create(ClientSession& creator, uint32_t random) {
  ++id_counter_;
  uint32_t chat_id = (random & ~kLowestByte) | id_counter_;
  if (chat_id == kPublicChatId) chat_id = 1;
  while (chat_id == kPublicChatId || Find(chat_id) != nullptr) ++chat_id;

  ChatRoom& room = rooms_.emplace_front();
  room.chat_id = chat_id;
  room.members.push_back(&creator);
  return room;
}

ChatRoom* ChatRoomList::Find(uint32_t chat_id) {
  for (ChatRoom& room : rooms_) {
    if (room.chat_id == chat_id) return &room;
  }
  return nullptr;
}

bool ChatRoomList::RemoveMember(ChatRoom& room, const ClientSession& member) {
  const auto found = std::find(room.members.begin(), room.members.end(), &member);
  if (found == room.members.end()) return false;
  room.members.erase(found);
  if (room.members.empty()) return true;

  UFieldData fields;
  fields.AddInteger(kFieldChatId, room.chat_id);
  fields.AddInteger(kFieldUserId, member.user_id);
  const auto body = fields.Buffer();
  for (ClientSession* other : room.members) {
    if (other->connection->IsConnected()) other->connection->SendRequest(kTranUserLeftChat, body);
  }
  return true;
}

void ChatRoomList::Leave(ChatRoom& room, const ClientSession& member) {
  if (!RemoveMember(room, member) || !room.members.empty()) return;
  rooms_.remove_if([&room](const ChatRoom& listed) { return &listed == &room; });
}

void ChatRoomList::RemoveFromAll(const ClientSession& client) {
  for (ChatRoom& room : rooms_) RemoveMember(room, client);
  rooms_.remove_if([](const ChatRoom& room) { return room.members.empty(); });
}

}  // namespace vantrel
