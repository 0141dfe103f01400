#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/access_privileges.h"

namespace vantrel {

// One account as its "UserData" file holds it (account_record_layout.h). Texts
// are Mac Roman and never longer than their limits: name and extra text 64
// bytes, login and password 32. A value type; the store reads and writes it.
struct AccountRecord {
  AccessPrivileges privileges;
  std::string name;        // shown as the display name of sessions without bit 26
  std::string extra_text;  // from field 111; kept, never read by the server
  std::string login;       // plain text, in the case it had when last written
  // The password with every byte complemented, exactly as field 106 carries it;
  // empty means no password. Compared byte for byte, never decoded for checks.
  std::string scrambled_password;

  bool operator==(const AccountRecord&) const = default;
};

enum class AccountRecordStatus {
  kRead,          // the record was filled
  kDamaged,       // fewer bytes than a record holds
  kWrongVersion,  // the version is not 1
};

// Fills `record` from the first 734 bytes of `bytes`; a longer input's rest is
// ignored. A text whose stored length exceeds its limit is cut to the limit.
// Pure; any input is safe. `record` is changed only when kRead is answered.
AccountRecordStatus DecodeAccountRecord(std::span<const uint8_t> bytes, AccountRecord& record);

// The 734 bytes of `record`: version 1, every reserved byte and unused slot byte
// zero. Texts over their limits are cut to them.
std::vector<uint8_t> EncodeAccountRecord(const AccountRecord& record);

}  // namespace vantrel
