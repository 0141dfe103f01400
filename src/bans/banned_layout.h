#pragma once

// The layout of the permanent ban list file "Banned" and the names of the files
// it is saved through, shared by its reader, writer and file code. All
// integers big-endian.
//
//   offset 0  2 bytes  version (written as 2; 1 and 2 are read)
//   offset 2  4 bytes  number of entries N
//   offset 6           N entries back to back
//
// Version 2 entry: flag (1), first address (4), last address (4), date text
// (33: a length byte and 32 bytes, those after the text not significant), info
// length L (1, at most 63), info text (L).
// Version 1 entry: flag (1), address (4, both first and last), date text (33),
// 2 bytes skipped, info length L (1), info text (L).
// Entries read from the file are permanent; the expiry is not stored.

#include <cstddef>
#include <cstdint>

#include "bans/ban_record.h"

namespace vantrel::banned_layout {

inline constexpr const char* kFileName = "Banned";
// The previous "Banned", kept by each save.
inline constexpr const char* kBackupFileName = "Banned.bak";
// The new list while it is written, before it takes the place of "Banned".
inline constexpr const char* kTemporaryFileName = "Banned.new";

inline constexpr uint16_t kFirstVersion = 1;
inline constexpr uint16_t kCurrentVersion = 2;

inline constexpr size_t kVersionSize = 2;
inline constexpr size_t kCountSize = 4;
inline constexpr size_t kHeaderSize = kVersionSize + kCountSize;

inline constexpr size_t kFlagSize = 1;
inline constexpr size_t kAddressSize = 4;
// The date text's length byte and its fixed 32 bytes.
inline constexpr size_t kDateFieldSize = 1 + kMaxBanDateTextLength;
// Version 1 entries hold two unused bytes before the info length.
inline constexpr size_t kFirstVersionSkippedSize = 2;
inline constexpr size_t kInfoLengthSize = 1;

// The longest version 2 entry.
inline constexpr size_t kMaxEntrySize =
    kFlagSize + 2 * kAddressSize + kDateFieldSize + kInfoLengthSize + kMaxBanInfoTextLength;
// Bytes of "Banned" that are read: room for about 800,000 entries (the list
// keeps the last 500 of them), held only while the file is read. Entries past
// this limit count as damaged, so a huge file cannot make the server hold more.
inline constexpr size_t kReadLimit = 32 * 1024 * 1024;

}  // namespace vantrel::banned_layout
