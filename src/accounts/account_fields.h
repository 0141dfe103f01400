#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "accounts/account_record.h"
#include "protocol/field_data.h"

namespace vantrel {

// Accounts as the administration transactions carry them: name (102), extra
// text (111), login (105, complemented), password (106, as stored: complemented)
// and privileges (110). An account in a list, and an item of an update, is a
// whole field list packed into the bytes of one field 101. Pure functions.

// The longest texts taken from a request; longer fields are cut.
inline constexpr size_t kMaxReceivedName = 64;
inline constexpr size_t kMaxReceivedExtraText = 64;
inline constexpr size_t kMaxReceivedLogin = 32;
inline constexpr size_t kMaxReceivedPassword = 32;
// The login of a delete or get request.
inline constexpr size_t kMaxLookupLoginField = 63;
// An update item, and the previous login packed in it.
inline constexpr size_t kMaxUpdateItem = 512;
inline constexpr size_t kMaxPreviousLogin = 31;
// A password copied from the stored account when the request keeps it.
inline constexpr size_t kMaxKeptPassword = 31;

// A record built new from `fields`: name, extra text, the login decoded,
// the password as received and the privileges; a missing field leaves its part
// empty or zero.
AccountRecord RecordFromFields(const UFieldData& fields);

// The decoded login of field 105, at most `limit` bytes.
std::string LoginFromFields(const UFieldData& fields, size_t limit);

// True when field 106 is the single byte 0: the stored password stays.
bool KeepsPassword(const UFieldData& fields);

// What replies show for a password: nothing for an empty one, else "x".
std::string_view PasswordPlaceholder(const AccountRecord& record);

// An account as a get reply and a list entry show it: 102 the record's name, 105
// `login` complemented, 106 the placeholder and 110 the privileges.
UFieldData AccountFields(const AccountRecord& record, std::string_view login);

// The field list packed in `bytes`, at most kMaxUpdateItem of them.
UFieldData UnpackItem(std::span<const uint8_t> bytes);

}  // namespace vantrel
