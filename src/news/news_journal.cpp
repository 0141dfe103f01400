#include "news/news_journal.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/exception.h"
#include "protocol/byte_order.h"
#include "server/repeat_rule.h"

namespace vantrel {
namespace {

constexpr uint8_t kRecordMagic[4] = {'V', 'N', 'J', '1'};
constexpr size_t kSaltOffset = 4;
constexpr size_t kGuidOffset = 12;
constexpr size_t kPayloadLengthOffset = 28;
constexpr size_t kPayloadOffset = 32;
constexpr size_t kChecksumSize = 4;
// The record without its payload.
constexpr size_t kRecordOverhead = kPayloadOffset + kChecksumSize;
// A range in the payload: offset and length before the bytes.
constexpr size_t kRangeHeader = 12;
// How much of the journal the first read takes: every record of a journal
// below its checkpoint size, usually.
constexpr size_t kFirstRead = 64 * 1024;

uint64_t Get64(const uint8_t* p) {
  return (uint64_t{Get32(p)} << 32) | Get32(p + 4);
}

void Append64(std::vector<uint8_t>& out, uint64_t value) {
  Append32(out, static_cast<uint32_t>(value >> 32));
  Append32(out, static_cast<uint32_t>(value));
}

// The ranges of a payload whose checksum held; false when they do not fill it
// exactly (a record this program did not write).
bool ReadPayload(std::span<const uint8_t> payload, ByteRanges& into) {
  ByteRanges ranges;
  size_t at = 0;
  while (at < payload.size()) {
    if (payload.size() - at < kRangeHeader) return false;
    const uint64_t offset = Get64(payload.data() + at);
    const uint32_t length = Get32(payload.data() + at + 8);
    at += kRangeHeader;
    if (payload.size() - at < length) return false;
    ranges.Put(offset, payload.subspan(at, length));
    at += length;
  }
  into.Put(ranges);
  return true;
}

// The folder `path` is in.
std::filesystem::path FolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

NewsJournal::NewsJournal(FileSystem& file_system, std::filesystem::path path, const Guid& guid)
    : file_system_(file_system), path_(std::move(path)), guid_(guid) {
  const std::optional<FileStatus> status = file_system_.Stat(path_, LinkHandling::kFollow);
  if (!status) return;
  exists_ = true;
  file_size_ = status->size;
  if (file_size_ == 0) return;

  const std::unique_ptr<ReadableFile> file = file_system_.OpenForReading(path_);
  std::vector<uint8_t> bytes(std::min<uint64_t>(file_size_, kFirstRead));
  bytes.resize(file->ReadAt(0, bytes));
  // Whether the bytes from `at` hold `size` more, reading further when needed.
  const auto have = [&](uint64_t at, uint64_t size) {
    if (at + size <= bytes.size()) return true;
    if (at + size > file_size_) return false;
    const size_t old_size = bytes.size();
    bytes.resize(at + size);
    const size_t got = file->ReadAt(old_size, std::span(bytes).subspan(old_size));
    bytes.resize(old_size + got);
    return at + size <= bytes.size();
  };

  uint64_t at = 0;
  while (have(at, kRecordOverhead)) {
    const uint8_t* head = bytes.data() + at;
    if (std::memcmp(head, kRecordMagic, sizeof kRecordMagic) != 0 ||
        std::memcmp(head + kGuidOffset, guid_.data(), guid_.size()) != 0) {
      break;
    }
    const uint64_t salt = Get64(head + kSaltOffset);
    if (at > 0 && salt != salt_) break;
    const uint32_t length = Get32(head + kPayloadLengthOffset);
    if (!have(at, kRecordOverhead + uint64_t{length})) break;
    const std::span<const uint8_t> record(bytes.data() + at, kPayloadOffset + length);
    if (Crc32Mpeg2(record) != Get32(record.data() + record.size())) break;
    if (!ReadPayload(record.subspan(kPayloadOffset), changes_)) break;
    salt_ = salt;
    at += kRecordOverhead + length;
  }
  end_ = at;
}

RandomAccessFile& NewsJournal::File() {
  if (!file_) file_ = file_system_.OpenForUpdate(path_, UpdateMode::kCreate);
  return *file_;
}

void NewsJournal::Append(const ByteRanges& changes, bool sync, Random& random) {
  if (end_ == 0) salt_ = (uint64_t{random.Next32()} << 32) | random.Next32();
  std::vector<uint8_t> record(kRecordMagic, kRecordMagic + sizeof kRecordMagic);
  Append64(record, salt_);
  record.insert(record.end(), guid_.begin(), guid_.end());
  Append32(record, 0);  // the payload length, once known
  for (const auto& [offset, contents] : changes.Ranges()) {
    Append64(record, offset);
    Append32(record, static_cast<uint32_t>(contents.size()));
    record.insert(record.end(), contents.begin(), contents.end());
  }
  Put32(record.data() + kPayloadLengthOffset,
        static_cast<uint32_t>(record.size() - kPayloadOffset));
  Append32(record, Crc32Mpeg2(record));

  const bool creates = !exists_;
  try {
    RandomAccessFile& file = File();
    exists_ = true;
    file.WriteAt(end_, record);
    const uint64_t end = end_ + record.size();
    if (file_size_ > end) file.Truncate(end);
    file_size_ = end;
    if (sync) file.Sync();
    if (creates) file_system_.SyncFolder(FolderOf(path_));
  } catch (const Omberly::CException&) {
    try {
      if (file_) file_->Truncate(end_);
      file_size_ = end_;
    } catch (const Omberly::CException&) {
      // The record stays: when it is whole, the operation is done though it raised.
    }
    throw;
  }
  end_ += record.size();
  changes_.Put(changes);
}

void NewsJournal::Sync() {
  File().Sync();
}

void NewsJournal::Clear() {
  File().Truncate(0);
  end_ = 0;
  file_size_ = 0;
  changes_.Clear();
}

}  // namespace vantrel
