#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "news/byte_ranges.h"
#include "news/news_database.h"
#include "news/news_journal.h"
#include "platform/file_system.h"
#include "platform/random.h"

namespace vantrel {

// The journal is emptied by a checkpoint once its records reach these sizes.
// With kEveryChange the category already holds them, and operations read only
// the journal's header: the checkpoint's sync of the category is one in many
// changes (about 1,000 articles posted). With kAtCheckpoint every operation
// reads every record: fewer of them, at the cost of more checkpoints.
inline constexpr uint64_t kCheckpointSize = 1024 * 1024;
inline constexpr uint64_t kDeferredCheckpointSize = 64 * 1024;

// The journal of the category at `category`: "Name.vnz.journal" beside it.
std::filesystem::path JournalPathOf(const std::filesystem::path& category);
// Where a new category at `category` is written before it takes its name:
// "Name.vnz.new" beside it.
std::filesystem::path NewCategoryPathOf(const std::filesystem::path& category);
// The name of the category at `category`: its file's name without ".vnz".
std::string CategoryNameOf(const std::filesystem::path& category);

// A news category file as one operation sees it: the bytes on the disk with
// the records of its journal (news_journal.h) that it may lack and the
// operation's own writes laid over them. When opened with kEveryChange, a
// journal whose records the category may lack (a crash came between) is
// written into it again. Nothing else reaches the disk before Commit, which
// writes the operation's change as one journal record:
//  - first, when the journal is full, a checkpoint: the journal is synced, its
//    records are written into the category if it may lack them, the category
//    is synced and the journal emptied (a failure raises, and nothing of the
//    operation is done);
//  - then the record is appended (and synced with kEveryChange): once that
//    succeeds the change is done, whatever fails after it;
//  - with kEveryChange, the record's ranges are written into the category at
//    once (unsynced: the journal holds them until the next checkpoint) and the
//    journal's header says so: the file on the disk is up to date, and the
//    next operation need not read the records;
//  - when the journal is now full, a checkpoint (a failure is left for the
//    next operation to meet).
// Owned by one operation; core thread only.
class CategoryFile {
 public:
  // Opens the category at `path` and reads its journal. REQUIRES:
  // `file_system` outlives the object. Raises class 4 when either cannot be
  // read; as damaged (RaiseDamaged) when the file is shorter than a header.
  CategoryFile(FileSystem& file_system, std::filesystem::path path, NewsDurability durability);

  // The file's size with the changes laid over it.
  uint64_t Size() const;
  // Fills `bytes` from `offset`; raises as damaged when they reach past Size().
  void Read(uint64_t offset, std::span<uint8_t> bytes) const;
  // Writes `bytes` at `offset`: Read sees them at once, the disk after Commit.
  void Write(uint64_t offset, std::span<const uint8_t> bytes);
  // Commits the writes as the class comment says; nothing when there are none.
  // `random` draws the journal's salt. Raises class 4 when the change could
  // not be made durable (it may then be done or not, never in part).
  void Commit(Random& random);

  // Raises class 4 (kErrorCodeInUse) with the description
  // "The news category “Name” is damaged: `what`".
  [[noreturn]] void RaiseDamaged(std::string_view what) const;

 private:
  // Writes `ranges` into the category file.
  void WriteIntoCategory(const ByteRanges& ranges);
  // The checkpoint of the class comment.
  void Checkpoint();
  uint64_t CheckpointSize() const;

  FileSystem& file_system_;
  std::filesystem::path path_;
  NewsDurability durability_;
  std::unique_ptr<ReadableFile> file_;
  uint64_t file_size_ = 0;
  Guid guid_{};
  std::unique_ptr<NewsJournal> journal_;
  ByteRanges pending_;
  // The category open for update, opened at the first write into it.
  std::unique_ptr<RandomAccessFile> updater_;
};

}  // namespace vantrel
