#include "news/category.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <utility>

#include "news/category_layout.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

using namespace category;

// The numeric header fields in the order they stand, from kCountersOffset on.
template <typename Header>
auto Counters(Header& header) -> std::array<decltype(&header.add_serial), kCountersSize / 4> {
  return {&header.add_serial,   &header.second_serial, &header.block_size,    &header.cache_first,
          &header.cache_length, &header.article_count, &header.first_top,     &header.last_top,
          &header.next_id,      &header.bitmap_first,  &header.bitmap_blocks, &header.hint,
          &header.index_first,  &header.index_mask};
}

void PutCounters(std::span<uint8_t> header_bytes, const CategoryHeader& header) {
  size_t offset = kCountersOffset;
  for (const uint32_t* field : Counters(header)) {
    Put32(header_bytes.data() + offset, *field);
    offset += 4;
  }
}

}  // namespace

std::vector<uint8_t> NewCategoryBytes(const Guid& guid, std::string_view name,
                                      std::string_view description) {
  std::vector<uint8_t> bytes(kNewFileSize, 0);
  std::copy(std::begin(kMagic), std::end(kMagic), bytes.begin() + kMagicOffset);
  Put32(bytes.data() + kVersionOffset, kVersion);
  std::copy(guid.begin(), guid.end(), bytes.begin() + kGuidOffset);
  CategoryHeader header;
  header.add_serial = 1;
  header.second_serial = 1;
  header.block_size = kNewBlockSize;
  header.next_id = 1;
  header.bitmap_first = kNewBitmapBlock;
  header.bitmap_blocks = 1;
  header.hint = 1;
  header.index_first = kNewIndexBlock;
  header.index_mask = kNewIndexMask;
  PutCounters(bytes, header);
  PutFieldText(std::span(bytes).subspan(kNameOffset, kNameField), name);
  PutFieldText(std::span(bytes).subspan(kDescriptionOffset, kDescriptionField), description);
  // The bitmap: blocks 1 (itself) and 2 (the index table) in use.
  bytes[kHeaderSize] = 0xC0;
  return bytes;
}

Category::Category(FileSystem& file_system, std::filesystem::path path, NewsDurability durability)
    : file_(file_system, std::move(path), durability) {
  std::array<uint8_t, kHeaderReadSize> bytes{};
  file_.Read(0, bytes);
  if (!std::equal(std::begin(kMagic), std::end(kMagic), bytes.begin() + kMagicOffset)) {
    RaiseDamaged("it is not a news category file.");
  }
  if (Get32(bytes.data() + kVersionOffset) != kVersion) {
    RaiseDamaged("it is of a version this server does not read.");
  }
  std::copy_n(bytes.begin() + kGuidOffset, header_.guid.size(), header_.guid.begin());
  size_t offset = kCountersOffset;
  for (uint32_t* field : Counters(header_)) {
    *field = Get32(bytes.data() + offset);
    offset += 4;
  }
  header_.name = FieldText(std::span(bytes).subspan(kNameOffset, kNameField));
  header_.description = FieldText(std::span(bytes).subspan(kDescriptionOffset, kDescriptionField));
  const uint32_t block_size = header_.block_size;
  if (!std::has_single_bit(block_size) || block_size < kMinBlockSize ||
      block_size > kMaxBlockSize) {
    RaiseDamaged("its block size is not one this server reads.");
  }
}

uint32_t Category::BlockCount() const {
  const uint64_t size = file_.Size();
  if (size <= kHeaderSize) return 0;
  const uint64_t blocks = (size - kHeaderSize + BlockSize() - 1) / BlockSize();
  return static_cast<uint32_t>(std::min<uint64_t>(blocks, std::numeric_limits<uint32_t>::max()));
}

uint64_t Category::BlockOffset(uint32_t block) const {
  if (block == 0) RaiseDamaged("a link in it leads nowhere.");
  return kHeaderSize + uint64_t{block - 1} * BlockSize();
}

std::vector<uint8_t> Category::ReadBytes(uint32_t block, size_t offset, size_t length) const {
  const uint64_t start = BlockOffset(block) + offset;
  // Checked before the buffer is made: a damaged length may be anything.
  if (start > file_.Size() || length > file_.Size() - start) {
    RaiseDamaged("it refers to bytes past its end.");
  }
  std::vector<uint8_t> bytes(length);
  file_.Read(start, bytes);
  return bytes;
}

uint32_t Category::ReadWord(uint32_t block, size_t offset) const {
  std::array<uint8_t, 4> bytes{};
  file_.Read(BlockOffset(block) + offset, bytes);
  return Get32(bytes.data());
}

void Category::WriteWord(uint32_t block, size_t offset, uint32_t value) {
  const uint64_t at = BlockOffset(block) + offset;
  // A field of something already in the file: a link that leads past its end
  // must not make it grow there.
  if (at > file_.Size() || file_.Size() - at < 4) RaiseDamaged("it refers to bytes past its end.");
  std::array<uint8_t, 4> bytes{};
  Put32(bytes.data(), value);
  file_.Write(at, bytes);
}

void Category::WriteBytes(uint32_t block, size_t offset, std::span<const uint8_t> bytes) {
  file_.Write(BlockOffset(block) + offset, bytes);
}

void Category::Commit(Random& random) {
  std::array<uint8_t, kCountersOffset + kCountersSize> bytes{};
  PutCounters(bytes, header_);
  file_.Write(kCountersOffset, std::span(bytes).subspan(kCountersOffset));
  file_.Commit(random);
}

}  // namespace vantrel
