#include "news/block_allocator.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "news/category_layout.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

[[noreturn]] void RaiseNoRoom() {
  throw Omberly::CException(kErrorClassFile, kErrorCodeInUse,
                            "The news category has no room for that much.");
}

uint64_t BitmapBytes(const Category& category) {
  return uint64_t{category.Header().bitmap_blocks} * category.BlockSize();
}

// The bitmap's bytes from `from` to `to`.
std::vector<uint8_t> ReadBitmap(const Category& category, uint64_t from, uint64_t to) {
  if (category.Header().bitmap_blocks == 0) category.RaiseDamaged("its bitmap is empty.");
  const uint64_t start = category.BlockOffset(category.Header().bitmap_first);
  // Checked before the buffer is made: a damaged length may be anything.
  if (start + to > category.File().Size()) category.RaiseDamaged("its bitmap lies past its end.");
  std::vector<uint8_t> bytes(to - from);
  category.File().Read(start + from, bytes);
  return bytes;
}

void WriteBitmap(Category& category, uint64_t from, std::span<const uint8_t> bytes) {
  category.File().Write(category.BlockOffset(category.Header().bitmap_first) + from, bytes);
}

bool BitIsSet(const std::vector<uint8_t>& bits, uint64_t bit) {
  return (bits[bit / 8] & (0x80 >> (bit % 8))) != 0;
}

void SetBits(std::vector<uint8_t>& bits, uint64_t first, uint64_t count, bool value) {
  for (uint64_t bit = first; bit < first + count; ++bit) {
    const auto mask = static_cast<uint8_t>(0x80 >> (bit % 8));
    bits[bit / 8] = static_cast<uint8_t>(value ? bits[bit / 8] | mask : bits[bit / 8] & ~mask);
  }
}

// The first bit of the first run of `count` clear bits in `bits`, if any.
std::optional<uint64_t> FindClearRun(const std::vector<uint8_t>& bits, uint32_t count) {
  uint64_t run = 0;
  uint64_t byte = 0;
  while (byte < bits.size()) {
    // Bytes of blocks all in use are passed eight at a time.
    if (run == 0 && bits.size() - byte >= 8) {
      uint64_t word = 0;
      std::memcpy(&word, bits.data() + byte, sizeof word);
      if (word == ~uint64_t{0}) {
        byte += 8;
        continue;
      }
    }
    for (uint64_t bit = byte * 8; bit < byte * 8 + 8; ++bit) {
      run = BitIsSet(bits, bit) ? 0 : run + 1;
      if (run == count) return bit + 1 - count;
    }
    ++byte;
  }
  return std::nullopt;
}

// Moves the bitmap to a larger one, as AllocateBlocks says.
void GrowBitmap(Category& category) {
  CategoryHeader& header = category.Header();
  const uint64_t block_size = category.BlockSize();
  const uint64_t old_blocks = header.bitmap_blocks;
  const uint64_t new_first = old_blocks * block_size * 8 + 1;
  const uint64_t new_blocks = old_blocks + 1;
  const uint64_t new_bits = new_blocks * block_size * 8;
  // The new bitmap must describe its own blocks, and end within reach.
  if (new_first - 1 + new_blocks > new_bits ||
      category::kHeaderSize + (new_first - 1 + new_blocks) * block_size > category::kMaxFileSize) {
    RaiseNoRoom();
  }

  std::vector<uint8_t> bits = ReadBitmap(category, 0, BitmapBytes(category));
  bits.resize(new_blocks * block_size, 0);
  const uint64_t old_first = header.bitmap_first;
  if (old_first - 1 + old_blocks <= new_bits) SetBits(bits, old_first - 1, old_blocks, false);
  SetBits(bits, new_first - 1, new_blocks, true);
  header.bitmap_first = static_cast<uint32_t>(new_first);
  header.bitmap_blocks = static_cast<uint32_t>(new_blocks);
  WriteBitmap(category, 0, bits);
  const auto freed_byte = static_cast<uint32_t>((old_first - 1) / 8 + 1);
  if (freed_byte < header.hint) header.hint = freed_byte;
}

}  // namespace

uint32_t AllocateBlocks(Category& category, uint32_t count) {
  // Each growth frees the blocks of the bitmap before, joining the free end of
  // the blocks it described to those the new one describes: the free run at
  // the end grows by about as many blocks as a bitmap block describes.
  const uint64_t most_growths = count / (uint64_t{category.BlockSize()} * 8) + 3;
  for (uint64_t growths = 0;; ++growths) {
    const CategoryHeader& header = category.Header();
    const uint64_t size = BitmapBytes(category);
    const uint64_t start =
        header.hint == 0 ? 0 : std::min<uint64_t>((header.hint - 1) / 4 * 4, size);
    std::vector<uint8_t> bits = ReadBitmap(category, start, size);
    if (const std::optional<uint64_t> found = FindClearRun(bits, count)) {
      const uint64_t first_bit = start * 8 + *found;
      if (category::kHeaderSize + (first_bit + count) * category.BlockSize() >
          category::kMaxFileSize) {
        RaiseNoRoom();
      }
      SetBits(bits, *found, count, true);
      const uint64_t from = *found / 8;
      const uint64_t to = (*found + count - 1) / 8 + 1;
      WriteBitmap(category, start + from, std::span(bits).subspan(from, to - from));
      return static_cast<uint32_t>(first_bit + 1);
    }
    if (growths == most_growths) RaiseNoRoom();
    GrowBitmap(category);
  }
}

void FreeBlocks(Category& category, uint32_t first, uint32_t count) {
  if (first == 0 || count == 0) return;
  const uint64_t first_bit = first - 1;
  if (first_bit + count > BitmapBytes(category) * 8) {
    category.RaiseDamaged("it uses blocks its bitmap does not describe.");
  }
  const uint64_t from = first_bit / 8;
  const uint64_t to = (first_bit + count - 1) / 8 + 1;
  std::vector<uint8_t> bits = ReadBitmap(category, from, to);
  SetBits(bits, first_bit - from * 8, count, false);
  WriteBitmap(category, from, bits);
  CategoryHeader& header = category.Header();
  const auto byte = static_cast<uint32_t>(from + 1);
  if (byte < header.hint) header.hint = byte;
}

}  // namespace vantrel
