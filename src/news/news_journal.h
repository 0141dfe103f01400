#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>

#include "news/byte_ranges.h"
#include "news/news_database.h"
#include "platform/file_system.h"
#include "platform/random.h"

namespace vantrel {

// The journal of a news category ("Name.vnz.journal", beside it): the changes
// of operations that returned, kept until a checkpoint has written them into
// the category file and made them durable there. A sequence of records, each
// the whole change of one operation:
//   0 "VNJ1"; 4 the journal's salt (8 bytes, the same in every record since
//   the journal was last emptied); 12 the category's GUID (16); 28 the payload
//   length (4); 32 the payload: ranges, each an offset (8), a length (4) and
//   that many bytes; then the CRC-32/MPEG-2 of everything before it (4).
// Big-endian. The journal ends at the first record that is cut short, fails
// its checksum, or carries another salt (a leftover of a journal emptied since)
// or another GUID (a leftover of another category of that name): such a record
// was never acknowledged, or belongs to nothing. Owned by one operation; core
// thread only.
class NewsJournal {
 public:
  // Reads the records of the journal at `path` that belong to the category
  // whose GUID is `guid`; a missing journal has none. REQUIRES: `file_system`
  // outlives the object. Raises class 4 when the journal cannot be read.
  NewsJournal(FileSystem& file_system, std::filesystem::path path, const Guid& guid);

  // Every record's ranges laid over each other in order.
  const ByteRanges& Changes() const { return changes_; }
  // The bytes the records take: 0 for an empty journal.
  uint64_t Size() const { return end_; }

  // Appends a record of `changes` (after the records there; what follows them
  // is cut off) and, when `sync`, makes it durable. A journal this creates has
  // its folder synced, so that the file is found after a crash. When a step
  // fails, cuts the journal back to its records before (as far as the disk
  // lets it) and raises the failure. `random` draws the salt of a journal that
  // was empty.
  void Append(const ByteRanges& changes, bool sync, Random& random);
  // Makes the records durable.
  void Sync();
  // Empties the journal: its changes are durable in the category.
  void Clear();

 private:
  // The journal open for update, opened (and created) at the first need.
  RandomAccessFile& File();

  FileSystem& file_system_;
  std::filesystem::path path_;
  Guid guid_;
  std::unique_ptr<RandomAccessFile> file_;
  ByteRanges changes_;
  uint64_t end_ = 0;        // where the records end
  uint64_t file_size_ = 0;  // the file's size, garbage after the records included
  bool exists_ = false;
  uint64_t salt_ = 0;  // meaningful while end_ > 0
};

}  // namespace vantrel
