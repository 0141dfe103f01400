#pragma once

#include <cstddef>
#include <cstdint>

// The byte layout of an account record, the whole content of an account's
// "UserData" file, shared by its reader and its writer. Integers are big-endian.
// Each text is a 16-bit length followed by its bytes in a slot of fixed place;
// the writer leaves the bytes of a slot beyond the length, and every reserved
// byte, zero.
namespace vantrel::account_record_layout {

// Size of a record, and of the part of a longer file that is read.
inline constexpr size_t kRecordSize = 734;

inline constexpr uint16_t kCurrentVersion = 1;  // the only version read or written

inline constexpr size_t kVersion = 0;     // 2 bytes
inline constexpr size_t kReserved1 = 2;   // 2 zero bytes
inline constexpr size_t kPrivileges = 4;  // 8 bytes, AccessPrivileges
inline constexpr size_t kReserved2 = 12;  // 516 zero bytes

inline constexpr size_t kNameLength = 528;  // 2 bytes
inline constexpr size_t kName = 530;        // slot of kNameSlot bytes
inline constexpr size_t kNameSlot = 66;
inline constexpr size_t kMaxName = 64;  // longest name kept

inline constexpr size_t kExtraTextLength = 596;  // 2 bytes
inline constexpr size_t kExtraText = 598;        // slot of kExtraTextSlot bytes
inline constexpr size_t kExtraTextSlot = 66;
inline constexpr size_t kMaxExtraText = 64;  // longest extra text kept

inline constexpr size_t kLoginLength = 664;  // 2 bytes
inline constexpr size_t kLogin = 666;        // slot of kLoginSlot bytes
inline constexpr size_t kLoginSlot = 34;
inline constexpr size_t kMaxLogin = 32;  // longest login kept

inline constexpr size_t kPasswordLength = 700;  // 2 bytes
inline constexpr size_t kPassword = 702;        // slot of kPasswordSlot bytes
inline constexpr size_t kPasswordSlot = 32;
inline constexpr size_t kMaxPassword = 32;  // longest password kept

static_assert(kPassword + kPasswordSlot == kRecordSize);
static_assert(kName + kNameSlot == kExtraTextLength);
static_assert(kExtraText + kExtraTextSlot == kLoginLength);
static_assert(kLogin + kLoginSlot == kPasswordLength);

}  // namespace vantrel::account_record_layout
