// Reads arbitrary transfer headers and folder item headers. Besides never
// crashing, a header's reference gives back its 4 bytes, and an item with
// levels, encoded and decoded again, is the same item.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "platform/byte_order.h"
#include "transfer/transfer_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  if (size >= vantrel::kTransferHeaderSize) {
    const auto header = vantrel::ParseTransferHeader(bytes.first<vantrel::kTransferHeaderSize>());
    if (header) {
      const std::vector<uint8_t> reference = vantrel::ReferenceBytes(header->reference);
      if (reference != std::vector<uint8_t>(data + 4, data + 8)) std::abort();
    }
  }

  const vantrel::FolderItem item = vantrel::DecodeFolderItemHeader(bytes);
  if (item.levels.empty()) return 0;
  const std::vector<uint8_t> encoded = vantrel::EncodeFolderItemHeader(item);
  if (encoded.size() < 2 || vantrel::Get16(encoded.data()) != encoded.size() - 2) std::abort();
  const vantrel::FolderItem again = vantrel::DecodeFolderItemHeader(std::span(encoded).subspan(2));
  if (again.is_folder != item.is_folder || again.levels != item.levels) std::abort();
  return 0;
}
