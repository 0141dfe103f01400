#pragma once

#include <cstdint>
#include <string_view>

#include "server/core_services.h"
#include "server/dispatch_table.h"

namespace vantrel {

// The message rule shared by private messages (108), broadcasts (355), private
// chat creations (112) and invitations (113): one 60-second window and one
// count per client, kept in its ClientSession.

// The window restarts with the first of these requests after this many seconds.
inline constexpr uint32_t kMessageWindowSeconds = 60;
// More than this many in one window: the next one disconnects and bans (so 21
// pass and the 22nd bans).
inline constexpr uint16_t kMessageLimit = 20;

// 112 and 113: restarts the window when it has run out, then counts the request.
// When the count is already over the limit the client is auto-banned ("Autobanned
// for flooding") instead and false is returned; the handler stops there.
bool ChargeMessageWindow(AutoBanner& auto_bans, Request& request);

// 108 and 355: restarts the window, applies the repeated-text rule to `text`
// ("Autobanned for Message Spam" on the banning repeat), then counts as above.
// False when the client was banned.
bool ChargeMessage(AutoBanner& auto_bans, Request& request, std::string_view text);

}  // namespace vantrel
