#include "news/category_file.h"

#include <algorithm>
#include <utility>

#include "news/category_layout.h"
#include "platform/exception.h"

namespace vantrel {

std::filesystem::path JournalPathOf(const std::filesystem::path& category) {
  std::filesystem::path journal = category;
  journal += ".journal";
  return journal;
}

std::filesystem::path NewCategoryPathOf(const std::filesystem::path& category) {
  std::filesystem::path temporary = category;
  temporary += ".new";
  return temporary;
}

std::string CategoryNameOf(const std::filesystem::path& category) {
  std::string name = category.filename().string();
  if (name.size() > 4 && name.ends_with(".vnz")) name.resize(name.size() - 4);
  return name;
}

CategoryFile::CategoryFile(FileSystem& file_system, std::filesystem::path path,
                           NewsDurability durability)
    : file_system_(file_system),
      path_(std::move(path)),
      durability_(durability),
      file_(file_system_.OpenForReading(path_)),
      file_size_(file_->Size()) {
  if (file_size_ < category::kHeaderReadSize) RaiseDamaged("it is shorter than its header.");
  // The GUID, which no change touches, tells the journal's records from a
  // leftover journal of another category.
  file_->ReadAt(category::kGuidOffset, guid_);
  journal_ = std::make_unique<NewsJournal>(file_system_, JournalPathOf(path_), guid_);
  if (durability_ == NewsDurability::kEveryChange && !journal_->Applied()) {
    try {
      WriteIntoCategory(journal_->Records());
      journal_->MarkApplied();
    } catch (const Omberly::CException&) {
      // Read through the journal; the next operation tries again.
    }
  }
}

uint64_t CategoryFile::Size() const {
  return std::max({file_size_, journal_->Unapplied().End(), pending_.End()});
}

void CategoryFile::Read(uint64_t offset, std::span<uint8_t> bytes) const {
  const uint64_t size = Size();
  if (offset > size || bytes.size() > size - offset) {
    RaiseDamaged("it refers to bytes past its end.");
  }
  size_t got = 0;
  if (offset < file_size_) {
    const size_t want = static_cast<size_t>(std::min<uint64_t>(bytes.size(), file_size_ - offset));
    got = file_->ReadAt(offset, bytes.first(want));
  }
  std::fill(bytes.begin() + static_cast<ptrdiff_t>(got), bytes.end(), 0);
  journal_->Unapplied().LayOver(offset, bytes);
  pending_.LayOver(offset, bytes);
}

void CategoryFile::Write(uint64_t offset, std::span<const uint8_t> bytes) {
  pending_.Put(offset, bytes);
}

void CategoryFile::Commit(Random& random) {
  if (pending_.Empty()) return;
  if (journal_->RecordBytes() >= CheckpointSize()) Checkpoint();
  const bool every_change = durability_ == NewsDurability::kEveryChange;
  const bool was_applied = journal_->Applied();
  journal_->Append(pending_, every_change, random);
  // Done: what fails from here on is mended from the journal.
  try {
    if (every_change) {
      WriteIntoCategory(was_applied ? pending_ : journal_->Records());
      journal_->MarkApplied();
    }
    if (journal_->RecordBytes() >= CheckpointSize()) Checkpoint();
  } catch (const Omberly::CException&) {
    // The journal keeps the change until a checkpoint succeeds.
  }
  pending_.Clear();
}

void CategoryFile::WriteIntoCategory(const ByteRanges& ranges) {
  if (!updater_) updater_ = file_system_.OpenForUpdate(path_, UpdateMode::kExisting);
  for (const auto& [offset, contents] : ranges.Ranges()) updater_->WriteAt(offset, contents);
  file_size_ = std::max(file_size_, ranges.End());
}

void CategoryFile::Checkpoint() {
  // Every record must be durable before the category changes: with
  // kAtCheckpoint none is yet, and a journal read from the disk may hold
  // records written in that mode.
  journal_->Sync();
  WriteIntoCategory(journal_->Applied() ? ByteRanges() : journal_->Records());
  updater_->Sync();
  // Not synced: a journal that comes back after a crash holds what the
  // category now holds, and writing it again changes nothing.
  journal_->Clear();
}

uint64_t CategoryFile::CheckpointSize() const {
  return durability_ == NewsDurability::kEveryChange ? kCheckpointSize : kDeferredCheckpointSize;
}

void CategoryFile::RaiseDamaged(std::string_view what) const {
  throw Omberly::CException(
      kErrorClassFile, kErrorCodeInUse,
      "The news category \xD2" + CategoryNameOf(path_) + "\xD3 is damaged: " + std::string(what));
}

}  // namespace vantrel
