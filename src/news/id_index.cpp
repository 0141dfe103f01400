#include "news/id_index.h"

#include <algorithm>
#include <array>
#include <vector>

#include "news/block_allocator.h"
#include "news/category_layout.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

using category::kBucketSize;
using category::kIndexEntrySize;

struct Bucket {
  uint64_t offset = 0;  // of the bucket in the table
  uint32_t first = 0;
  uint32_t count = 0;
};

Bucket ReadBucket(const Category& category, uint32_t id) {
  const CategoryHeader& header = category.Header();
  Bucket bucket;
  bucket.offset =
      category.BlockOffset(header.index_first) + uint64_t{id & header.index_mask} * kBucketSize;
  std::array<uint8_t, kBucketSize> bytes{};
  category.File().Read(bucket.offset, bytes);
  bucket.first = Get32(bytes.data());
  bucket.count = Get32(bytes.data() + 4);
  return bucket;
}

void WriteBucket(Category& category, const Bucket& bucket) {
  std::array<uint8_t, kBucketSize> bytes{};
  Put32(bytes.data(), bucket.first);
  Put32(bytes.data() + 4, bucket.count);
  category.File().Write(bucket.offset, bytes);
}

// The bytes of entries [from, to) of the bucket's list.
std::vector<uint8_t> ReadEntries(const Category& category, const Bucket& bucket, uint32_t from,
                                 uint32_t to) {
  // Each entry's article takes a block of its own.
  if (to > category.BlockCount()) {
    category.RaiseDamaged("its ID index counts more articles than it can hold.");
  }
  return category.ReadBytes(bucket.first, size_t{from} * kIndexEntrySize,
                            size_t{to - from} * kIndexEntrySize);
}

uint32_t EntryId(const std::vector<uint8_t>& entries, size_t i) {
  return Get32(entries.data() + i * kIndexEntrySize);
}

// The whole list of the bucket, checked to be in order.
std::vector<uint8_t> SortedEntries(const Category& category, const Bucket& bucket) {
  std::vector<uint8_t> entries = ReadEntries(category, bucket, 0, bucket.count);
  for (size_t i = 1; i < bucket.count; ++i) {
    if (EntryId(entries, i - 1) >= EntryId(entries, i)) {
      category.RaiseDamaged("its ID index is out of order.");
    }
  }
  return entries;
}

// The position of `id` in the sorted entries, if there.
std::optional<size_t> Position(const std::vector<uint8_t>& entries, uint32_t id) {
  size_t low = 0;
  size_t high = entries.size() / kIndexEntrySize;
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    const uint32_t found = EntryId(entries, middle);
    if (found == id) return middle;
    if (found < id) {
      low = middle + 1;
    } else {
      high = middle;
    }
  }
  return std::nullopt;
}

// The blocks a list of `count` entries takes.
uint32_t ListBlocks(const Category& category, uint32_t count) {
  const uint64_t bytes = uint64_t{count} * kIndexEntrySize;
  return static_cast<uint32_t>((bytes + category.BlockSize() - 1) / category.BlockSize());
}

}  // namespace

std::optional<uint32_t> FindArticle(const Category& category, uint32_t id) {
  const Bucket bucket = ReadBucket(category, id);
  if (bucket.count == 0) return std::nullopt;
  const std::vector<uint8_t> entries = SortedEntries(category, bucket);
  const std::optional<size_t> at = Position(entries, id);
  if (!at) return std::nullopt;
  return Get32(entries.data() + *at * kIndexEntrySize + 4);
}

void AddToIndex(Category& category, uint32_t id, uint32_t block) {
  Bucket bucket = ReadBucket(category, id);
  if (bucket.count > 0) {
    const std::vector<uint8_t> last = ReadEntries(category, bucket, bucket.count - 1, bucket.count);
    if (EntryId(last, 0) >= id) category.RaiseDamaged("its ID index holds a later article ID.");
  }
  std::array<uint8_t, kIndexEntrySize> entry{};
  Put32(entry.data(), id);
  Put32(entry.data() + 4, block);

  const uint32_t per_block = category.BlockSize() / uint32_t{kIndexEntrySize};
  if (bucket.count % per_block == 0) {
    // Full: a run one block longer, with the entries, the new one and zeros.
    const uint32_t old_blocks = bucket.count / per_block;
    const uint32_t first = AllocateBlocks(category, old_blocks + 1);
    std::vector<uint8_t> list =
        bucket.count > 0 ? ReadEntries(category, bucket, 0, bucket.count) : std::vector<uint8_t>();
    list.insert(list.end(), entry.begin(), entry.end());
    list.resize(size_t{old_blocks + 1} * category.BlockSize(), 0);
    category.WriteBytes(first, 0, list);
    FreeBlocks(category, bucket.first, old_blocks);
    bucket.first = first;
  } else {
    category.WriteBytes(bucket.first, size_t{bucket.count} * kIndexEntrySize, entry);
  }
  ++bucket.count;
  WriteBucket(category, bucket);
}

void RemoveFromIndex(Category& category, uint32_t id, uint32_t block) {
  Bucket bucket = ReadBucket(category, id);
  if (bucket.count == 0) return;
  std::vector<uint8_t> entries = SortedEntries(category, bucket);
  const std::optional<size_t> at = Position(entries, id);
  if (!at || Get32(entries.data() + *at * kIndexEntrySize + 4) != block) return;

  // The entries after it move down one; the last place is zeroed.
  const size_t from = *at * kIndexEntrySize;
  std::copy(entries.begin() + static_cast<ptrdiff_t>(from + kIndexEntrySize), entries.end(),
            entries.begin() + static_cast<ptrdiff_t>(from));
  std::fill(entries.end() - kIndexEntrySize, entries.end(), 0);
  category.WriteBytes(bucket.first, from, std::span(entries).subspan(from));

  const uint32_t blocks_before = ListBlocks(category, bucket.count);
  --bucket.count;
  if (ListBlocks(category, bucket.count) < blocks_before) {
    FreeBlocks(category, bucket.first + blocks_before - 1, 1);
  }
  if (bucket.count == 0) bucket.first = 0;
  WriteBucket(category, bucket);
}

}  // namespace vantrel
