#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/date_stamp.h"
#include "news/category.h"

namespace vantrel {

// An article's record: the first chunk of every article (category_layout.h).
// Block numbers link it into the tree; 0 is none.
struct ArticleRecord {
  uint32_t first_chunk = 0;  // its first data flavor's chunk
  uint32_t id = 0;
  uint32_t previous = 0;
  uint32_t next = 0;
  uint32_t parent = 0;
  uint32_t first_child = 0;
  uint32_t flags = 0;
  DateStamp date{};
  std::string title;       // at most 63 bytes
  std::string poster;      // at most 31 bytes
  std::string identifier;  // at most 63 bytes
};

// The record at `block`. Raises as damaged when the chunk there is not an
// article record (another flavor or data length), or lies past the file's end.
ArticleRecord ReadRecord(const Category& category, uint32_t block);

// The whole block of the record: texts cut to their fields, zeros after.
std::vector<uint8_t> RecordBlock(const ArticleRecord& record, uint32_t block_size);

// What a chunk's header says.
struct ChunkHeader {
  uint32_t next = 0;  // the article's next chunk, 0 for its last
  uint32_t length = 0;
  std::string flavor;
  size_t data_offset = 0;  // from the chunk's start
};

// The header of the chunk at `block`; raises as damaged when it lies past the
// file's end.
ChunkHeader ReadChunkHeader(const Category& category, uint32_t block);

// The bytes of a chunk with `data_length` bytes of data and a flavor name of
// `flavor_length` bytes, before its padding.
uint64_t ChunkSize(size_t flavor_length, uint64_t data_length);

// The blocks `size` bytes take.
uint64_t BlocksFor(uint64_t size, uint32_t block_size);

// A chunk in whole blocks: `next`, the data's length, `flavor` (REQUIRES: at
// most 31 bytes), `data`, zeros to the end of its last block.
std::vector<uint8_t> ChunkBytes(uint32_t next, std::string_view flavor,
                                std::span<const uint8_t> data, uint32_t block_size);

}  // namespace vantrel
