#include "bans/banned_writer.h"

#include <algorithm>
#include <string_view>

#include "bans/banned_layout.h"

namespace vantrel {
namespace {

namespace layout = banned_layout;

void PutInteger(std::vector<uint8_t>& out, uint32_t value, size_t size) {
  for (size_t i = size; i-- > 0;) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void PutText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

std::vector<uint8_t> EncodeBannedFile(std::span<const BanRecord> records) {
  std::vector<uint8_t> out;
  out.reserve(layout::kHeaderSize + records.size() * layout::kMaxEntrySize);
  PutInteger(out, layout::kCurrentVersion, layout::kVersionSize);
  PutInteger(out, static_cast<uint32_t>(records.size()), layout::kCountSize);
  for (const BanRecord& record : records) {
    PutInteger(out, record.flag, layout::kFlagSize);
    PutInteger(out, record.first_address, layout::kAddressSize);
    PutInteger(out, record.last_address, layout::kAddressSize);

    const std::string_view date =
        std::string_view(record.date_text).substr(0, kMaxBanDateTextLength);
    PutInteger(out, static_cast<uint32_t>(date.size()), 1);
    PutText(out, date);
    out.insert(out.end(), kMaxBanDateTextLength - date.size(), 0);

    const std::string_view info =
        std::string_view(record.info_text).substr(0, kMaxBanInfoTextLength);
    PutInteger(out, static_cast<uint32_t>(info.size()), layout::kInfoLengthSize);
    PutText(out, info);
  }
  return out;
}

}  // namespace vantrel
