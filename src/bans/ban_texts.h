#pragma once

namespace vantrel {

// What a banned user is told (transaction 104, field 101) before its connection closes.
inline constexpr const char* kPermanentlyBannedText = "You are permanently banned on this server.";
inline constexpr const char* kTemporarilyBannedText = "You are temporarily banned on this server.";

// The log-window messages of a disconnect, before the quoted name of the user.
inline constexpr const char* kDisconnectLogText = "Disconnect ";
inline constexpr const char* kPermanentBanLogText = "Disconnect & permanent ban ";
inline constexpr const char* kTemporaryBanLogText = "Disconnect & temporary ban ";

}  // namespace vantrel
