#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "bans/ban_record.h"

namespace vantrel {

// The bytes of a version 2 "Banned" file holding `records` in order, flag and
// all (banned_layout.h). Date texts are cut to 32 bytes and padded with zero
// bytes to their fixed size; info texts are cut to 63 bytes. Pure.
std::vector<uint8_t> EncodeBannedFile(std::span<const BanRecord> records);

}  // namespace vantrel
