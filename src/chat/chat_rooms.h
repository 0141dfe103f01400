#pragma once

#include <cstddef>
#include <cstdint>
#include <forward_list>
#include <string>
#include <vector>

namespace vantrel {

struct ClientSession;

// The chat ID that names the public chat; no room ever has it.
inline constexpr uint32_t kPublicChatId = 0;
// The longest room subject kept and sent (field 115).
inline constexpr size_t kChatSubjectLimit = 255;

// One private chat room. Members are the sessions that joined, in joining order
// (the creator first); a room always has at least one member while it is listed.
struct ChatRoom {
  uint32_t chat_id = 0;
  std::vector<ClientSession*> members;
  std::string subject;  // at most kChatSubjectLimit bytes; empty when the room has none

  bool HasMember(const ClientSession& client) const;
};

// The private chat rooms, newest first, and the counter behind their IDs. Owned
// by the application; lives in memory only. Member pointers stay valid because
// every session leaving the client list is taken out of every room first
// (RemoveFromAll) and the server reset clears the list right after freeing the
// clients. Core thread only.
class ChatRoomList {
 public:
  ChatRoomList() = default;
  ChatRoomList(const ChatRoomList&) = delete;
  ChatRoomList& operator=(const ChatRoomList&) = delete;

  // A new room with `creator` as its only member and a new chat ID: `random`
  // (uniform over 32 bits) with its lowest byte replaced by the next value of the
  // 8-bit counter, 1 instead of 0, then counted up past the IDs in use (and past
  // 0). The reference stays valid until the room is removed.
  ChatRoom& Create(ClientSession& creator, uint32_t random);

  // The room with this ID; null when there is none.
  ChatRoom* Find(uint32_t chat_id);

  // Takes `member` out of `room` (nothing when it is not a member). The room is
  // freed when that leaves it empty (`room` is then invalid); otherwise every
  // remaining member whose connection is open is sent 118 (chat ID, user ID).
  void Leave(ChatRoom& room, const ClientSession& member);

  // Leave for every room: the session is going away.
  void RemoveFromAll(const ClientSession& client);

  // Frees every room without telling anyone (the server reset).
  void Clear() { rooms_.clear(); }

  bool Empty() const { return rooms_.empty(); }

 private:
  // Takes `member` out and tells the others; false when it was not a member.
  bool RemoveMember(ChatRoom& room, const ClientSession& member);

  std::forward_list<ChatRoom> rooms_;
  uint8_t id_counter_ = 0;  // wraps at 256
};

}  // namespace vantrel
