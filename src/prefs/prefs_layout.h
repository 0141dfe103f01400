#pragma once

#include <cstddef>
#include <cstdint>

// The byte layout of the "Prefs" file, shared by its reader and its writer. All
// integers are big-endian. The fixed part is followed by length-prefixed strings
// (a length byte, then the bytes, no padding) in this order: three empty strings,
// server name, one empty string, server description, head admin login, banner
// file, banner link, banner URL, then for each of the five tracker entries the
// address, the reserved text (not in version 4) and the password.
namespace vantrel::prefs_layout {

inline constexpr const char* kFileName = "Prefs";
// The file is written here first and then renamed over kFileName.
inline constexpr const char* kTemporaryFileName = "Prefs.new";
// A damaged "Prefs", set aside at start-up before the defaults replace it.
inline constexpr const char* kDamagedFileName = "Prefs.damaged";

inline constexpr uint16_t kCurrentVersion = 5;  // written, and read
inline constexpr uint16_t kOldVersion = 4;      // read only: no reserved tracker texts
// Only this many bytes of the file are read.
inline constexpr size_t kReadLimit = 8192;
// A shorter file counts as missing.
inline constexpr size_t kMinimumSize = 96;

inline constexpr size_t kVersion = 0;           // 2 bytes
inline constexpr size_t kWindowVisibility = 2;  // 2 bytes
inline constexpr size_t kMainWindowRect = 4;    // 4 signed 16-bit coordinates
inline constexpr size_t kLogWindowRect = 12;    // 4 signed 16-bit coordinates
inline constexpr size_t kStatsWindowRect = 20;  // 4 signed 16-bit coordinates
inline constexpr size_t kZeroArea = 28;         // kZeroAreaSize zero bytes
inline constexpr size_t kZeroAreaSize = 26;
inline constexpr size_t kMaxConnections = 54;         // 2 bytes
inline constexpr size_t kServerIpAddress = 56;        // 4 bytes, first part first
inline constexpr size_t kOptionFlags = 60;            // 4 bytes
inline constexpr size_t kServerPort = 64;             // 2 bytes
inline constexpr size_t kMaxDownloads = 66;           // 2 bytes
inline constexpr size_t kMaxDownloadsPerClient = 68;  // 2 bytes
inline constexpr size_t kResolveShortcuts = 70;       // 1 byte, 0 or 1
inline constexpr size_t kZeroByte = 71;               // 1 byte
inline constexpr size_t kTrackerPassId = 72;          // 4 bytes
inline constexpr size_t kStrings = 76;                // the first length byte

// Empty strings in front of the server name, and between it and the description.
inline constexpr size_t kEmptyStringsBeforeName = 3;
inline constexpr size_t kEmptyStringsAfterName = 1;

}  // namespace vantrel::prefs_layout
