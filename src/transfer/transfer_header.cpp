#include "transfer/transfer_header.h"

#include <algorithm>
#include <cassert>
#include <cstring>
#include <iterator>

#include "files/path_field.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

// The transfer header: tag, reference number, data size, kind, 2 reserved bytes.
constexpr uint8_t kTransferTag[4] = {'V', 'N', 'X', 'F'};
constexpr size_t kReferenceOffset = 4;
constexpr size_t kDataSizeOffset = 8;
constexpr size_t kKindOffset = 12;

// The folder item header: length, kind, level count, levels (2 reserved bytes,
// the name's length, the name).
constexpr uint16_t kItemKindFile = 0;
constexpr uint16_t kItemKindFolder = 1;
constexpr size_t kItemKindSize = 2;
constexpr size_t kLevelReservedSize = 2;
constexpr size_t kMaxLevelNameLength = 255;

}  // namespace

std::optional<TransferHeader> ParseTransferHeader(
    std::span<const uint8_t, kTransferHeaderSize> bytes) {
  if (std::memcmp(bytes.data(), kTransferTag, sizeof kTransferTag) != 0) return std::nullopt;
  TransferHeader header;
  for (size_t i = 4; i-- > 0;)
    header.reference = header.reference << 8 | bytes[kReferenceOffset + i];
  header.data_size = Get32(bytes, kDataSizeOffset);
  header.kind = Get16(bytes, kKindOffset);
  return header;
}

std::vector<uint8_t> ReferenceBytes(uint32_t reference) {
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(reference >> (8 * i)));
  return bytes;
}

std::array<uint8_t, kTransferHeaderSize> EncodeTransferHeader(std::span<const uint8_t, 4> reference,
                                                              uint32_t data_size, uint16_t kind) {
  std::array<uint8_t, kTransferHeaderSize> header{};
  std::copy(std::begin(kTransferTag), std::end(kTransferTag), header.begin());
  std::copy(reference.begin(), reference.end(), header.begin() + kReferenceOffset);
  Put32(&header[kDataSizeOffset], data_size);
  Put16(&header[kKindOffset], kind);
  return header;
}

std::vector<uint8_t> EncodeFolderItemHeader(const FolderItem& item) {
  std::vector<uint8_t> body;
  Append16(body, item.is_folder ? kItemKindFolder : kItemKindFile);
  Append16(body, static_cast<uint16_t>(item.levels.size()));
  for (const std::string& level : item.levels) {
    assert(!level.empty() && level.size() <= kMaxLevelNameLength);
    body.insert(body.end(), kLevelReservedSize, 0);
    body.push_back(static_cast<uint8_t>(level.size()));
    body.insert(body.end(), level.begin(), level.end());
  }
  std::vector<uint8_t> header;
  header.reserve(2 + body.size());
  Append16(header, static_cast<uint16_t>(body.size()));
  header.insert(header.end(), body.begin(), body.end());
  return header;
}

FolderItem DecodeFolderItemHeader(std::span<const uint8_t> body) {
  FolderItem item;
  if (body.size() < kItemKindSize) return item;
  item.is_folder = (Get16(body, 0) & kItemKindFolder) != 0;
  item.levels = PathLevels(body.subspan(kItemKindSize));
  return item;
}

}  // namespace vantrel
