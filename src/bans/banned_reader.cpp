#include "bans/banned_reader.h"

#include <algorithm>
#include <deque>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "bans/banned_layout.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

namespace layout = banned_layout;

// Bounds-checked big-endian reads over the file's bytes.
class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  std::optional<uint32_t> Integer(size_t size) {
    if (!Has(size)) return std::nullopt;
    const uint32_t value = GetBigEndian(bytes_.data() + position_, size);
    position_ += size;
    return value;
  }

  std::optional<std::span<const uint8_t>> Bytes(size_t size) {
    if (!Has(size)) return std::nullopt;
    const auto taken = bytes_.subspan(position_, size);
    position_ += size;
    return taken;
  }

 private:
  bool Has(size_t size) const { return bytes_.size() - position_ >= size; }

  std::span<const uint8_t> bytes_;
  size_t position_ = 0;
};

std::string Text(std::span<const uint8_t> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// One entry in the layout of `version`; empty when it is damaged.
std::optional<BanRecord> ReadEntry(ByteReader& reader, uint16_t version) {
  BanRecord record;
  const auto flag = reader.Integer(layout::kFlagSize);
  const auto first = reader.Integer(layout::kAddressSize);
  const auto last =
      version == layout::kCurrentVersion ? reader.Integer(layout::kAddressSize) : first;
  const auto date = reader.Bytes(layout::kDateFieldSize);
  if (!flag || !first || !last || !date) return std::nullopt;
  if (version != layout::kCurrentVersion && !reader.Bytes(layout::kFirstVersionSkippedSize)) {
    return std::nullopt;
  }
  const auto info_length = reader.Integer(layout::kInfoLengthSize);
  if (!info_length || *info_length > kMaxBanInfoTextLength) return std::nullopt;
  const auto info = reader.Bytes(*info_length);
  if (!info) return std::nullopt;

  record.flag = static_cast<uint8_t>(*flag);
  record.expiry = kPermanentBanExpiry;
  record.first_address = *first;
  record.last_address = *last;
  const size_t date_length = std::min<size_t>((*date)[0], kMaxBanDateTextLength);
  record.date_text = Text(date->subspan(1, date_length));
  record.info_text = Text(*info);
  return record;
}

}  // namespace

BannedFileContents ParseBannedFile(std::span<const uint8_t> bytes) {
  BannedFileContents contents;
  ByteReader reader(bytes);
  const auto version = reader.Integer(layout::kVersionSize);
  if (!version) return contents;
  if (*version > layout::kCurrentVersion) {
    contents.status = BannedFileStatus::kUnknownVersion;
    return contents;
  }
  const auto count = reader.Integer(layout::kCountSize);
  if (!count) return contents;
  if (*count == 0) {
    contents.status = BannedFileStatus::kNoEntries;
    return contents;
  }
  contents.status = BannedFileStatus::kEntries;
  // Every entry takes bytes, so the loop ends with the data whatever the count
  // says. The newest entries take the places of the oldest, as adding does.
  std::deque<BanRecord> kept;
  for (uint32_t i = 0; i < *count; ++i) {
    auto record = ReadEntry(reader, static_cast<uint16_t>(*version));
    if (!record) break;
    if (kept.size() == kMaxPermanentBans) kept.pop_front();
    kept.push_back(std::move(*record));
  }
  contents.records.assign(std::make_move_iterator(kept.begin()),
                          std::make_move_iterator(kept.end()));
  return contents;
}

}  // namespace vantrel
