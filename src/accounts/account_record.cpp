#include "accounts/account_record.h"

#include <algorithm>

#include "accounts/account_record_layout.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

namespace layout = account_record_layout;

// The text whose length is at `length_offset` and whose bytes start at
// `text_offset`, cut to `limit` bytes.
std::string ReadText(std::span<const uint8_t> bytes, size_t length_offset, size_t text_offset,
                     size_t limit) {
  const size_t length = std::min<size_t>(Get16(bytes, length_offset), limit);
  const auto start = bytes.begin() + static_cast<std::ptrdiff_t>(text_offset);
  return std::string(start, start + static_cast<std::ptrdiff_t>(length));
}

void WriteText(std::vector<uint8_t>& bytes, size_t length_offset, size_t text_offset, size_t limit,
               std::string_view text) {
  const size_t length = std::min(text.size(), limit);
  Put16(bytes.data() + length_offset, static_cast<uint16_t>(length));
  std::copy_n(text.begin(), length, bytes.begin() + static_cast<std::ptrdiff_t>(text_offset));
}

}  // namespace

AccountRecordStatus DecodeAccountRecord(std::span<const uint8_t> bytes, AccountRecord& record) {
  if (bytes.size() < layout::kRecordSize) return AccountRecordStatus::kDamaged;
  if (Get16(bytes, layout::kVersion) != layout::kCurrentVersion) {
    return AccountRecordStatus::kWrongVersion;
  }
  std::copy_n(bytes.begin() + layout::kPrivileges, record.privileges.bytes.size(),
              record.privileges.bytes.begin());
  record.name = ReadText(bytes, layout::kNameLength, layout::kName, layout::kMaxName);
  record.extra_text =
      ReadText(bytes, layout::kExtraTextLength, layout::kExtraText, layout::kMaxExtraText);
  record.login = ReadText(bytes, layout::kLoginLength, layout::kLogin, layout::kMaxLogin);
  record.scrambled_password =
      ReadText(bytes, layout::kPasswordLength, layout::kPassword, layout::kMaxPassword);
  return AccountRecordStatus::kRead;
}

std::vector<uint8_t> EncodeAccountRecord(const AccountRecord& record) {
  std::vector<uint8_t> bytes(layout::kRecordSize, 0);
  Put16(bytes.data() + layout::kVersion, layout::kCurrentVersion);
  std::copy(record.privileges.bytes.begin(), record.privileges.bytes.end(),
            bytes.begin() + layout::kPrivileges);
  WriteText(bytes, layout::kNameLength, layout::kName, layout::kMaxName, record.name);
  WriteText(bytes, layout::kExtraTextLength, layout::kExtraText, layout::kMaxExtraText,
            record.extra_text);
  WriteText(bytes, layout::kLoginLength, layout::kLogin, layout::kMaxLogin, record.login);
  WriteText(bytes, layout::kPasswordLength, layout::kPassword, layout::kMaxPassword,
            record.scrambled_password);
  return bytes;
}

}  // namespace vantrel
