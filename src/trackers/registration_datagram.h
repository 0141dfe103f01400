#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "prefs/server_settings.h"

namespace vantrel {

// The datagram that announces the server to a tracker. Big-endian except the
// pass ID:
//   offset 0  u16  kRegistrationVersion
//          2  u16  the port the listeners are open on
//          4  u16  connected users, low 16 bits
//          6  u16  0
//          8  u32  tracker pass ID, least significant byte first
//         12       server name, length-prefixed (at most kMaxServerName)
//                  server description, length-prefixed (at most kMaxServerDescription)
//                  the tracker's password, length-prefixed (at most
//                  kMaxTrackerPassword; a zero byte when empty)
// Everything before the password is the same for every tracker of a round.
inline constexpr uint16_t kRegistrationVersion = 1;

// The part of the datagram shared by every tracker: from the version to the
// description, from `settings`. Pure.
std::vector<uint8_t> RegistrationCommonPart(const ServerSettings& settings, uint16_t port,
                                            uint32_t users);

// `common` followed by one tracker's `password`: the whole datagram. Pure.
std::vector<uint8_t> RegistrationDatagram(std::span<const uint8_t> common,
                                          std::string_view password);

}  // namespace vantrel
