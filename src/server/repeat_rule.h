#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace vantrel {

struct ClientSession;

// The repeated-message rule shared by chat, private messages, broadcasts and
// message board posts: one last checksum per client for all of them.

// Repeats in a row of the same text that ban the sender (the sixth identical
// text in a row).
inline constexpr uint16_t kRepeatsBeforeBan = 5;

// CRC-32/MPEG-2: polynomial 0x04C11DB7, most significant bit first, initial
// value 0xFFFFFFFF, no final inversion.
uint32_t Crc32Mpeg2(std::span<const uint8_t> bytes);

// Counts `text` against the client's last text: the same checksum again adds a
// repeat, another one starts over. True when this is the repeat that bans.
bool IsBanningRepeat(ClientSession& client, std::string_view text);

}  // namespace vantrel
