#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vantrel {

// What a transfer connection starts with: "VNXF", the reference number's four
// bytes as the request's reply gave them, the data size (for a file upload,
// the flattened bytes that will follow) and the transfer kind, big-endian.
inline constexpr size_t kTransferHeaderSize = 16;

// Transfer kinds of the header: downloads 0 file, 1 folder, 2 banner (any
// other value counts as a file); uploads 1 folder (anything else a file).
inline constexpr uint16_t kTransferKindFile = 0;
inline constexpr uint16_t kTransferKindFolder = 1;
inline constexpr uint16_t kTransferKindBanner = 2;

struct TransferHeader {
  uint32_t reference = 0;  // the four bytes read least significant first
  uint32_t data_size = 0;
  uint16_t kind = 0;
};

// The header of the first 16 bytes of a transfer connection; nothing when they
// do not begin with "VNXF". Pure.
std::optional<TransferHeader> ParseTransferHeader(
    std::span<const uint8_t, kTransferHeaderSize> bytes);

// The four bytes of a reference number in field 107: least significant first.
std::vector<uint8_t> ReferenceBytes(uint32_t reference);

// The header a client opens a transfer connection with: "VNXF", `reference`
// (the four bytes of field 107 as the request's reply gave them), `data_size`
// and `kind`, then 2 zero bytes. Pure.
std::array<uint8_t, kTransferHeaderSize> EncodeTransferHeader(std::span<const uint8_t, 4> reference,
                                                              uint32_t data_size, uint16_t kind);

// One item of a folder transfer: its kind and its path below the transferred
// folder (Mac Roman level names, its own name last).
struct FolderItem {
  bool is_folder = false;
  std::vector<std::string> levels;
};

// The item header the server sends in a folder download: the 2-byte length L
// of what follows, the kind (1 folder, 0 file), the level count and the levels
// (2 zero bytes, the name's length, the name). REQUIRES: 1 to 255 bytes a level.
std::vector<uint8_t> EncodeFolderItemHeader(const FolderItem& item);

// The item of a header a client sent in a folder upload, from the L bytes that
// follow its length: only bit 0 of the kind counts; the levels are read as a
// path field's (reading stops early at a level that does not fit). Pure.
FolderItem DecodeFolderItemHeader(std::span<const uint8_t> body);

}  // namespace vantrel
