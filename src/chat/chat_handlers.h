#pragma once

#include <cstdint>

#include "chat/chat_rooms.h"
#include "platform/random.h"
#include "server/client_list.h"
#include "server/core_services.h"
#include "server/dispatch_table.h"

namespace vantrel {

// Chat byte-flood rule: within a window of this many seconds...
inline constexpr uint32_t kChatWindowSeconds = 60;
// ...a client whose charged bytes have reached this many is disconnected and
// banned on its next line.
inline constexpr uint16_t kChatFloodBytes = 10241;
// Every line is charged at least this many bytes, however short.
inline constexpr uint16_t kChatMinimumCharge = 90;

// Field 109 (chat options) of a line written as an action.
inline constexpr uint32_t kChatOptionAction = 1;

// What the chat handlers use: the core's clients, auto-bans and random numbers,
// and the chat capability's rooms. Everything referred to must outlive the handlers.
struct ChatServices {
  ClientList& clients;
  AutoBanner& auto_bans;
  Random& random;
  ChatRoomList& rooms;
};

// Registers every chat and messaging transaction: 105 (send chat), 108 (private
// message), 355 (broadcast) and the private chat rooms' 112 to 116 and 120.
// REQUIRES: `chat` outlives `table`.
void RegisterChatHandlers(DispatchTable& table, ChatServices& chat);

}  // namespace vantrel
