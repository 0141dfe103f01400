#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The layout of a news category file ("Name.vnz"), in one place for its readers
// and writers. Big-endian throughout.
//
// A 512-byte header, then blocks of one size; block n (from 1) starts at
// 512 + (n - 1) x block size, and block 0 means "none". The blocks hold the
// allocation bitmap (one bit per block, the most significant bit first, bit k
// for block k + 1, 1 in use), the ID index (a table of buckets, each naming a
// run of blocks that holds its entries sorted by ID), the articles (chains of
// chunks: the record, then one chunk per data flavor) and the cached short
// article list.
namespace vantrel::category {

// The header.
inline constexpr size_t kHeaderSize = 512;
// The part of the header that operations read: everything up to its zero tail.
inline constexpr size_t kHeaderReadSize = 380;
inline constexpr uint8_t kMagic[4] = {'V', 'N', 'N', 'Z'};
inline constexpr uint32_t kVersion = 2;
inline constexpr size_t kMagicOffset = 0;
inline constexpr size_t kVersionOffset = 4;
inline constexpr size_t kGuidOffset = 8;
inline constexpr size_t kAddSerialOffset = 24;
inline constexpr size_t kSecondSerialOffset = 28;
inline constexpr size_t kBlockSizeOffset = 32;
inline constexpr size_t kCacheFirstOffset = 36;
inline constexpr size_t kCacheLengthOffset = 40;
inline constexpr size_t kArticleCountOffset = 44;
inline constexpr size_t kFirstTopOffset = 48;
inline constexpr size_t kLastTopOffset = 52;
inline constexpr size_t kNextIdOffset = 56;
inline constexpr size_t kBitmapFirstOffset = 60;
inline constexpr size_t kBitmapBlocksOffset = 64;
inline constexpr size_t kHintOffset = 68;
inline constexpr size_t kIndexFirstOffset = 72;
inline constexpr size_t kIndexMaskOffset = 76;
// The numeric fields an operation may change: add serial to index mask.
inline constexpr size_t kCountersOffset = kAddSerialOffset;
inline constexpr size_t kCountersSize = kIndexMaskOffset + 4 - kAddSerialOffset;
// Length-prefixed texts, each in a field of fixed size.
inline constexpr size_t kNameOffset = 92;
inline constexpr size_t kNameField = 32;
inline constexpr size_t kDescriptionOffset = 124;
inline constexpr size_t kDescriptionField = 256;
static_assert(kDescriptionOffset + kDescriptionField == kHeaderReadSize);

// A new category: its block size, its index of 32 buckets, its bitmap in block
// 1 and its index table in block 2; 1024 bytes in all.
inline constexpr uint32_t kNewBlockSize = 256;
inline constexpr uint32_t kNewIndexMask = 31;
inline constexpr uint32_t kNewBitmapBlock = 1;
inline constexpr uint32_t kNewIndexBlock = 2;
inline constexpr size_t kNewFileSize = kHeaderSize + 2 * kNewBlockSize;

// The block sizes a file may have: powers of two in this range. Every file is
// written with 256; a larger one is read, a smaller one could not hold a record.
inline constexpr uint32_t kMinBlockSize = 256;
inline constexpr uint32_t kMaxBlockSize = 8192;

// Block numbers reach at most this far into the file: 4 GiB, the reach of the
// 32-bit lengths and counts the file holds.
inline constexpr uint64_t kMaxFileSize = uint64_t{1} << 32;

// The ID index: per bucket, the first block of its entries and their count;
// per entry, the article's ID and its first block.
inline constexpr size_t kBucketSize = 8;
inline constexpr size_t kIndexEntrySize = 8;

// A chunk: the next chunk of the article (0 for the last), the data length,
// the flavor name (length-prefixed, padded to a multiple of 4), the data, and
// zeros to the end of its last block.
inline constexpr size_t kChunkNextOffset = 0;
inline constexpr size_t kChunkLengthOffset = 4;
inline constexpr size_t kChunkFlavorOffset = 8;
inline constexpr size_t kMaxFlavorName = 31;
// The chunk header with the longest flavor name.
inline constexpr size_t kMaxChunkHeader = kChunkFlavorOffset + kMaxFlavorName + 1;

// The bytes a flavor name of `length` bytes takes with its length byte and
// padding: (length + 4) rounded down to a multiple of 4.
constexpr size_t FlavorFieldSize(size_t length) {
  return (length + 4) / 4 * 4;
}

// The article record: the first chunk of every article, of this flavor.
inline constexpr std::string_view kRecordFlavor = "application/x-vnnewsitem";
inline constexpr size_t kRecordDataOffset = kChunkFlavorOffset + FlavorFieldSize(24);
inline constexpr uint32_t kRecordDataSize = 192;
inline constexpr size_t kRecordSize = kRecordDataOffset + kRecordDataSize;
inline constexpr size_t kIdOffset = 36;
inline constexpr size_t kPreviousOffset = 40;
inline constexpr size_t kNextOffset = 44;
inline constexpr size_t kParentOffset = 48;
inline constexpr size_t kFirstChildOffset = 52;
inline constexpr size_t kDateOffset = 56;
inline constexpr size_t kFlagsOffset = 64;
inline constexpr size_t kTitleOffset = 68;
inline constexpr size_t kTitleField = 64;
inline constexpr size_t kPosterOffset = 132;
inline constexpr size_t kPosterField = 32;
inline constexpr size_t kIdentifierOffset = 164;
inline constexpr size_t kIdentifierField = 64;
static_assert(kRecordDataOffset == kIdOffset);
static_assert(kIdentifierOffset + kIdentifierField == kRecordSize);
static_assert(kRecordSize <= kMinBlockSize);

// The chunks an article may have, its record included: delete frees this many
// at most, so no more are added.
inline constexpr size_t kMaxChunks = 64;

}  // namespace vantrel::category
