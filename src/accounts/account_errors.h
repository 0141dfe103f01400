#pragma once

#include <cstdint>

#include "platform/exception.h"

namespace vantrel {

// How the account store reports failures, all as Omberly::CException of class 4
// (kErrorClassFile):
// - not found: code kErrorCodeNotFound (102) for an empty or unusable login, a
//   missing account folder or a missing or unopenable "UserData";
//   kErrorCodeFolderNotFound (104) when the "Users" folder itself is missing;
// - kErrorCodeDamagedRecord: "UserData" holds fewer than 734 bytes;
// - kErrorCodeWrongVersion: its first two bytes are not 00 01;
// - kErrorCodeExists (115): an account folder of that name (letter case aside)
//   is already there;
// - kErrorCodeInvalidName (119): a login that cannot name a folder inside
//   "Users" (empty, ".", "..", with a slash or a zero byte, or too long);
// - any other code, with the system error number, for a failure of the file
//   system (file_failure.h).
inline constexpr int16_t kErrorCodeDamagedRecord = 140;
inline constexpr int16_t kErrorCodeWrongVersion = 141;

inline constexpr const char* kDamagedRecordText = "The account file is damaged.";
inline constexpr const char* kWrongVersionText = "The account file has an unknown version.";

// True for the store's not-found failures (class 4, code 102 or 104), which the
// login answers with "Incorrect login." and account administration with "No
// account with login …"; false for every other failure.
inline bool IsAccountNotFound(const Omberly::CException& failure) {
  return failure.ErrorClass() == kErrorClassFile &&
         (failure.Code() == kErrorCodeNotFound || failure.Code() == kErrorCodeFolderNotFound);
}

}  // namespace vantrel
