#pragma once

#include <cstdint>

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

// Registers every chat and messaging transaction: 105 (send chat), 108 (private
// message), 355 (broadcast) and the private chat rooms' 112 to 116 and 120.
void RegisterChatHandlers(DispatchTable& table);

}  // namespace vantrel
