#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "server/client_session.h"

namespace vantrel {

// Message kinds (field 113 of transactions 108 and 104).
inline constexpr uint32_t kMessageKindOrdinary = 1;
inline constexpr uint32_t kMessageKindRefusesMessages = 2;
inline constexpr uint32_t kMessageKindRefusesChats = 3;
inline constexpr uint32_t kMessageKindAutoResponse = 4;

// "%#s does not accept private messages." and "%#s does not accept private
// chats." for `name`.
std::string RefusesMessagesText(std::string_view name);
std::string RefusesChatsText(std::string_view name);

// What a sender is told about a recipient that has its auto-response on or
// refuses something: transaction 104 to `sender` with 103 (the recipient's user
// ID), 102 (its display name), 113 `kind` and 101 `text`. Nothing is sent for an
// empty text (an auto-response without text).
void SendRecipientAnswer(ClientSession& sender, const ClientSession& recipient, uint32_t kind,
                         std::string_view text);

}  // namespace vantrel
