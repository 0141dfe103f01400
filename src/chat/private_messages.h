#pragma once

#include <cstddef>

#include "chat/chat_handlers.h"
#include "server/dispatch_table.h"

namespace vantrel {

// The longest private message text (field 101) and quoted text (field 214), and
// the longest broadcast text, taken from a request; the rest is ignored.
inline constexpr size_t kMessageTextLimit = 4096;

// Registers 108 (send private message) and 355 (broadcast).
void RegisterMessageHandlers(DispatchTable& table, ChatServices& chat);

}  // namespace vantrel
