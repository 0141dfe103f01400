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
// of operations that returned, kept until a checkpoint has made them durable
// in the category file. A 128-byte header, then records, each the whole
// change of one operation. Big-endian.
//
//   header: 0 "VNJH"; 4 applied end (8); 12 salt (8); 20 the category's GUID
//   (16); 36 the boot ID (FileSystem::BootId, length-prefixed in 64 bytes);
//   100 the CRC-32/MPEG-2 of the bytes before it (4); zeros to 128.
//   record: 0 "VNJ1"; 4 the salt (8, the same in every record since the
//   journal was last emptied); 12 the category's GUID (16); 28 the payload
//   length (4); 32 the payload: ranges, each an offset (8), a length (4) and
//   that many bytes; then the CRC-32/MPEG-2 of everything before it (4).
//
// The records end at the first that is cut short, fails its checksum, or
// carries another salt (a leftover of a journal emptied since) or another
// GUID (of another category of that name): such a record was never
// acknowledged, or belongs to nothing.
//
// The header is rewritten, never synced, once the category holds every record
// up to the applied end. Until the system restarts, what was written stays
// there, synced or not: a journal that ends at its applied end, under the boot
// ID of the running system, holds nothing the category lacks, and is not read
// further. Any other (a process killed between its record and its writes into
// the category, a crash of the system) has every record read.
//
// Owned by one operation; core thread only.
class NewsJournal {
 public:
  // Reads the journal at `path` of the category whose GUID is `guid`: its
  // header, and its records unless the header says the category holds them;
  // a missing journal has none. REQUIRES: `file_system` outlives the object.
  // Raises class 4 when the journal cannot be read.
  NewsJournal(FileSystem& file_system, std::filesystem::path path, const Guid& guid);

  // Whether the category holds every record.
  bool Applied() const { return applied_; }
  // The ranges of the records the category may lack, laid over each other in
  // order: none when Applied().
  const ByteRanges& Unapplied() const;
  // Every record's ranges, laid over each other in order (read now when the
  // header spared reading them). Raises class 4 when they cannot be read.
  const ByteRanges& Records();
  // The bytes the records take: 0 for none.
  uint64_t RecordBytes() const;

  // Appends a record of `changes` (after the records there; what follows them
  // is cut off) and, when `sync`, makes it durable. A journal this creates has
  // its folder synced, so that the file is found after a crash. When a step
  // fails, cuts the journal back to its records before (as far as the disk
  // lets it) and raises the failure. `random` draws the salt of a journal that
  // was empty.
  void Append(const ByteRanges& changes, bool sync, Random& random);
  // Writes the header saying that the category now holds every record (not
  // synced). REQUIRES: it does.
  void MarkApplied();
  // Makes the records durable, unless this object has already: a record it
  // appended with `sync`, or its own Sync, made every record before durable
  // too.
  void Sync();
  // Empties the journal: every record is durable in the category.
  void Clear();

 private:
  // The journal open for update, opened (and created) at the first need.
  RandomAccessFile& File();
  // Reads the records from the start, up to the first that does not belong.
  void ReadRecords(ReadableFile& file);
  // Writes the header with `applied_end`.
  void WriteHeader(uint64_t applied_end);

  FileSystem& file_system_;
  std::filesystem::path path_;
  Guid guid_;
  std::unique_ptr<RandomAccessFile> file_;
  bool exists_ = false;
  uint64_t file_size_ = 0;  // garbage after the records included
  uint64_t end_ = 0;        // where the records end
  uint64_t salt_ = 0;       // meaningful while there are records
  bool synced_ = false;     // every record known durable
  bool applied_ = true;     // the category holds every record
  bool loaded_ = true;      // records_ holds every record's ranges
  ByteRanges records_;
  ByteRanges appended_;  // the ranges appended here, while not loaded_
  ByteRanges none_;
};

}  // namespace vantrel
