#pragma once

#include <string_view>

#include "chat/chat_handlers.h"
#include "chat/chat_rooms.h"
#include "server/capability.h"

namespace vantrel {

// Chat: the public chat, private messages, broadcasts (from users and from the
// operator) and the private chat rooms, which it owns. A client that leaves
// leaves every room; the server reset empties the list of rooms. Built by the
// composition root; core thread only.
class ChatCapability final : public Capability {
 public:
  // REQUIRES: `clients`, `auto_bans` and `random` outlive the capability.
  ChatCapability(ClientList& clients, AutoBanner& auto_bans, Random& random)
      : services_{clients, auto_bans, random, rooms_} {}

  void RegisterHandlers(DispatchTable& table) override { RegisterChatHandlers(table, services_); }
  void ClientLeft(ClientSession& leaving) override { rooms_.RemoveFromAll(leaving); }
  void ServerReset() override { rooms_.Clear(); }

  ChatRoomList& Rooms() { return rooms_; }

  // The operator's broadcast: a server message (104) with `text` to every
  // logged-in client whose connection is open.
  void BroadcastServerMessage(std::string_view text);

 private:
  ChatRoomList rooms_;
  ChatServices services_;
};

}  // namespace vantrel
