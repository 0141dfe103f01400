#include "news/article_chunks.h"

#include <algorithm>

#include "news/category_layout.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

using namespace category;

// A flavor name field: its length byte, the name, and padding.
void PutFlavor(uint8_t* out, std::string_view flavor) {
  out[0] = static_cast<uint8_t>(flavor.size());
  std::copy(flavor.begin(), flavor.end(), out + 1);
}

}  // namespace

ArticleRecord ReadRecord(const Category& category, uint32_t block) {
  const std::vector<uint8_t> bytes = category.ReadBytes(block, 0, kRecordSize);
  const uint8_t* p = bytes.data();
  const std::string_view flavor(reinterpret_cast<const char*>(p + kChunkFlavorOffset + 1),
                                kRecordFlavor.size());
  if (Get32(p + kChunkLengthOffset) != kRecordDataSize ||
      p[kChunkFlavorOffset] != kRecordFlavor.size() || flavor != kRecordFlavor) {
    category.RaiseDamaged("a link in it leads to something other than an article.");
  }
  const std::span<const uint8_t> all(bytes);
  ArticleRecord record;
  record.first_chunk = Get32(p + kChunkNextOffset);
  record.id = Get32(p + kIdOffset);
  record.previous = Get32(p + kPreviousOffset);
  record.next = Get32(p + kNextOffset);
  record.parent = Get32(p + kParentOffset);
  record.first_child = Get32(p + kFirstChildOffset);
  std::copy_n(p + kDateOffset, record.date.size(), record.date.begin());
  record.flags = Get32(p + kFlagsOffset);
  record.title = FieldText(all.subspan(kTitleOffset, kTitleField));
  record.poster = FieldText(all.subspan(kPosterOffset, kPosterField));
  record.identifier = FieldText(all.subspan(kIdentifierOffset, kIdentifierField));
  return record;
}

std::vector<uint8_t> RecordBlock(const ArticleRecord& record, uint32_t block_size) {
  std::vector<uint8_t> bytes(block_size, 0);
  uint8_t* p = bytes.data();
  Put32(p + kChunkNextOffset, record.first_chunk);
  Put32(p + kChunkLengthOffset, kRecordDataSize);
  PutFlavor(p + kChunkFlavorOffset, kRecordFlavor);
  Put32(p + kIdOffset, record.id);
  Put32(p + kPreviousOffset, record.previous);
  Put32(p + kNextOffset, record.next);
  Put32(p + kParentOffset, record.parent);
  Put32(p + kFirstChildOffset, record.first_child);
  std::copy(record.date.begin(), record.date.end(), p + kDateOffset);
  Put32(p + kFlagsOffset, record.flags);
  const std::span<uint8_t> all(bytes);
  PutFieldText(all.subspan(kTitleOffset, kTitleField), record.title);
  PutFieldText(all.subspan(kPosterOffset, kPosterField), record.poster);
  PutFieldText(all.subspan(kIdentifierOffset, kIdentifierField), record.identifier);
  return bytes;
}

ChunkHeader ReadChunkHeader(const Category& category, uint32_t block) {
  // Read the longest header a chunk written here has, or what the file holds
  // of it; a longer name (written elsewhere) takes a second read.
  const uint64_t start = category.BlockOffset(block);
  const uint64_t size = category.File().Size();
  const size_t there = start < size ? std::min<uint64_t>(kMaxChunkHeader, size - start) : 0;
  std::vector<uint8_t> bytes =
      category.ReadBytes(block, 0, std::max<size_t>(there, kChunkFlavorOffset + 1));
  const size_t name_length = bytes[kChunkFlavorOffset];
  if (kChunkFlavorOffset + 1 + name_length > bytes.size()) {
    bytes = category.ReadBytes(block, 0, kChunkFlavorOffset + 1 + name_length);
  }
  ChunkHeader header;
  header.next = Get32(bytes.data() + kChunkNextOffset);
  header.length = Get32(bytes.data() + kChunkLengthOffset);
  header.flavor.assign(
      bytes.begin() + kChunkFlavorOffset + 1,
      bytes.begin() + static_cast<ptrdiff_t>(kChunkFlavorOffset + 1 + name_length));
  header.data_offset = kChunkFlavorOffset + FlavorFieldSize(name_length);
  return header;
}

uint64_t ChunkSize(size_t flavor_length, uint64_t data_length) {
  return kChunkFlavorOffset + FlavorFieldSize(flavor_length) + data_length;
}

uint64_t BlocksFor(uint64_t size, uint32_t block_size) {
  return (size + block_size - 1) / block_size;
}

std::vector<uint8_t> ChunkBytes(uint32_t next, std::string_view flavor,
                                std::span<const uint8_t> data, uint32_t block_size) {
  const uint64_t size = ChunkSize(flavor.size(), data.size());
  std::vector<uint8_t> bytes(BlocksFor(size, block_size) * block_size, 0);
  Put32(bytes.data() + kChunkNextOffset, next);
  Put32(bytes.data() + kChunkLengthOffset, static_cast<uint32_t>(data.size()));
  PutFlavor(bytes.data() + kChunkFlavorOffset, flavor);
  std::copy(data.begin(), data.end(), bytes.begin() + static_cast<ptrdiff_t>(size - data.size()));
  return bytes;
}

}  // namespace vantrel
