#pragma once

#include <cstdint>
#include <span>

#include "bans/ban_record.h"

namespace vantrel {

// What the bytes of "Banned" hold.
enum class BannedFileStatus {
  kEntries,         // a version 1 or 2 file; `records` holds the entries read
  kNoEntries,       // a known version with a count of 0: the file is to be deleted
  kUnknownVersion,  // a version above 2: no entries, the file is left alone
  kTooShort,        // not even a version and a count: no entries, the file is left alone
};

struct BannedFileContents {
  BannedFileStatus status = BannedFileStatus::kTooShort;
  BanList records;
};

// Decodes the bytes of a "Banned" file (banned_layout.h). Entries are read in
// the layout of the file's version (versions 0 and 1 in the version 1 layout),
// flag and all, each with the permanent expiry; reading stops without error at
// the first entry that is cut short or whose info length is over 63, keeping
// the entries before it. Past kMaxPermanentBans entries the oldest ones are
// dropped. A date length over 32 counts as 32. Pure; never raises.
BannedFileContents ParseBannedFile(std::span<const uint8_t> bytes);

}  // namespace vantrel
