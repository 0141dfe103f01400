#pragma once

#include "chat/chat_handlers.h"
#include "server/dispatch_table.h"

namespace vantrel {

// Registers the private chat room transactions: 112 (create), 113 (invite),
// 114 (decline), 115 (join), 116 (leave) and 120 (set subject). The rooms
// themselves live in the chat capability's ChatRoomList.
void RegisterChatRoomHandlers(DispatchTable& table, ChatServices& chat);

}  // namespace vantrel
