#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "news/category_file.h"
#include "news/field_text.h"
#include "news/news_database.h"
#include "platform/file_system.h"
#include "platform/random.h"

namespace vantrel {

// The header of a category file, as category_layout.h places its fields.
struct CategoryHeader {
  Guid guid{};
  uint32_t add_serial = 0;
  uint32_t second_serial = 0;
  uint32_t block_size = 0;
  uint32_t cache_first = 0;  // the cached short article list: first block, 0 = none
  uint32_t cache_length = 0;
  uint32_t article_count = 0;
  uint32_t first_top = 0;  // first and last top-level article blocks
  uint32_t last_top = 0;
  uint32_t next_id = 0;
  uint32_t bitmap_first = 0;
  uint32_t bitmap_blocks = 0;
  uint32_t hint = 0;  // 1-based bitmap byte where allocation starts looking
  uint32_t index_first = 0;
  uint32_t index_mask = 0;
  std::string name;
  std::string description;
};

// The 1024 bytes of a new, empty category: its header, the bitmap in block 1
// (blocks 1 and 2 in use) and the empty index table of 32 buckets in block 2.
// `name` is cut to 31 bytes, `description` to 255. Pure.
std::vector<uint8_t> NewCategoryBytes(const Guid& guid, std::string_view name,
                                      std::string_view description);

// One operation's view of a category: its file (category_file.h) and its
// header, read and checked when opened and written back by Commit. Owned by
// the operation; core thread only.
class Category {
 public:
  // Opens the category at `path`. Raises class 4 when it cannot be read, and
  // as damaged when its header is short, of another format or version, or
  // names a block size that is not a power of two from 256 to 8192.
  Category(FileSystem& file_system, std::filesystem::path path, NewsDurability durability);

  CategoryFile& File() { return file_; }
  const CategoryFile& File() const { return file_; }
  CategoryHeader& Header() { return header_; }
  const CategoryHeader& Header() const { return header_; }
  uint32_t BlockSize() const { return header_.block_size; }

  // The blocks the file reaches into (its last one whole or not): no chain,
  // list or tree in it can hold more, so every walk stops there.
  uint32_t BlockCount() const;
  // Where block `block` starts; raises as damaged for block 0 (none).
  uint64_t BlockOffset(uint32_t block) const;

  // The `length` bytes at `offset` into block `block`; raises as damaged when
  // they are not all in the file.
  std::vector<uint8_t> ReadBytes(uint32_t block, size_t offset, size_t length) const;
  // The 32-bit integer at `offset` into block `block`.
  uint32_t ReadWord(uint32_t block, size_t offset) const;
  void WriteWord(uint32_t block, size_t offset, uint32_t value);
  void WriteBytes(uint32_t block, size_t offset, std::span<const uint8_t> bytes);

  // Writes the header's numeric fields and commits the operation's writes
  // (CategoryFile::Commit).
  void Commit(Random& random);

  [[noreturn]] void RaiseDamaged(std::string_view what) const { file_.RaiseDamaged(what); }

 private:
  CategoryFile file_;
  CategoryHeader header_;
};

}  // namespace vantrel
