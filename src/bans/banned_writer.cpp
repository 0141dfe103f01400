#include "bans/banned_writer.h"

#include <algorithm>
#include <string_view>

#include "bans/banned_layout.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

namespace layout = banned_layout;

void PutText(std::vector<uint8_t>& out, std::string_view text) {
  out.insert(out.end(), text.begin(), text.end());
}

}  // namespace

std::vector<uint8_t> EncodeBannedFile(std::span<const BanRecord> records) {
  std::vector<uint8_t> out;
  out.reserve(layout::kHeaderSize + records.size() * layout::kMaxEntrySize);
  AppendBigEndian(out, layout::kCurrentVersion, layout::kVersionSize);
  AppendBigEndian(out, static_cast<uint32_t>(records.size()), layout::kCountSize);
  for (const BanRecord& record : records) {
    AppendBigEndian(out, record.flag, layout::kFlagSize);
    AppendBigEndian(out, record.first_address, layout::kAddressSize);
    AppendBigEndian(out, record.last_address, layout::kAddressSize);

    const std::string_view date =
        std::string_view(record.date_text).substr(0, kMaxBanDateTextLength);
    AppendBigEndian(out, static_cast<uint32_t>(date.size()), 1);
    PutText(out, date);
    out.insert(out.end(), kMaxBanDateTextLength - date.size(), 0);

    const std::string_view info =
        std::string_view(record.info_text).substr(0, kMaxBanInfoTextLength);
    AppendBigEndian(out, static_cast<uint32_t>(info.size()), layout::kInfoLengthSize);
    PutText(out, info);
  }
  return out;
}

}  // namespace vantrel
