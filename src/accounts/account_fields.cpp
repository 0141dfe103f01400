#include "accounts/account_fields.h"

#include <algorithm>

#include "protocol/field_ids.h"
#include "protocol/field_text.h"

namespace vantrel {

AccountRecord RecordFromFields(const UFieldData& fields) {
  AccountRecord record;
  record.name = FieldText(fields, kFieldNickname, kMaxReceivedName);
  record.extra_text = FieldText(fields, kFieldExtraText, kMaxReceivedExtraText);
  record.login = LoginFromFields(fields, kMaxReceivedLogin);
  record.scrambled_password = FieldText(fields, kFieldPassword, kMaxReceivedPassword);
  fields.Read(kFieldUserAccess, 0, record.privileges.bytes);
  return record;
}

std::string LoginFromFields(const UFieldData& fields, size_t limit) {
  return Scramble(FieldText(fields, kFieldUserLogin, limit));
}

bool KeepsPassword(const UFieldData& fields) {
  const auto password = fields.Data(kFieldPassword);
  return password.size() == 1 && password[0] == 0;
}

std::string_view PasswordPlaceholder(const AccountRecord& record) {
  return record.scrambled_password.empty() ? "" : "x";
}

UFieldData AccountFields(const AccountRecord& record, std::string_view login) {
  UFieldData fields;
  fields.AddText(kFieldNickname, record.name);
  fields.AddText(kFieldUserLogin, Scramble(login));
  fields.AddText(kFieldPassword, PasswordPlaceholder(record));
  fields.AddField(kFieldUserAccess, record.privileges.bytes);
  return fields;
}

UFieldData UnpackItem(std::span<const uint8_t> bytes) {
  const auto kept = bytes.first(std::min(bytes.size(), kMaxUpdateItem));
  return UFieldData(std::vector<uint8_t>(kept.begin(), kept.end()));
}

}  // namespace vantrel
