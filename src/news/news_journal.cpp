#include "news/news_journal.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "news/field_text.h"
#include "platform/byte_order.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

constexpr uint8_t kHeaderMagic[4] = {'V', 'N', 'J', 'H'};
constexpr size_t kHeaderSize = 128;
constexpr size_t kAppliedEndOffset = 4;
constexpr size_t kHeaderSaltOffset = 12;
constexpr size_t kHeaderGuidOffset = 20;
constexpr size_t kBootIdOffset = 36;
constexpr size_t kBootIdField = 64;
constexpr size_t kHeaderChecksumOffset = 100;

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
// How much of the journal's records the first read takes: all of a journal
// kept to 64 KiB (kAtCheckpoint), usually.
constexpr size_t kFirstRead = 128 * 1024;

// CRC-32/MPEG-2 (polynomial 0x04C11DB7, most significant bit first, initial
// value 0xFFFFFFFF, no final inversion), eight bytes at a time: every
// operation checks the whole journal. kCrcTables[k][b] is the remainder of the
// byte b followed by k zero bytes.
using CrcTables = std::array<std::array<uint32_t, 256>, 8>;

constexpr CrcTables MakeCrcTables() {
  constexpr uint32_t kPolynomial = 0x04C11DB7;
  CrcTables tables{};
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t crc = byte << 24;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 0x80000000u) != 0 ? (crc << 1) ^ kPolynomial : crc << 1;
    }
    tables[0][byte] = crc;
  }
  for (size_t k = 1; k < tables.size(); ++k) {
    for (uint32_t byte = 0; byte < 256; ++byte) {
      const uint32_t before = tables[k - 1][byte];
      tables[k][byte] = (before << 8) ^ tables[0][before >> 24];
    }
  }
  return tables;
}

constexpr CrcTables kCrcTables = MakeCrcTables();

uint32_t Checksum(std::span<const uint8_t> bytes) {
  const auto& t = kCrcTables;
  uint32_t crc = 0xFFFFFFFF;
  size_t at = 0;
  for (; bytes.size() - at >= 8; at += 8) {
    const uint32_t high = crc ^ Get32(bytes.data() + at);
    const uint32_t low = Get32(bytes.data() + at + 4);
    crc = t[7][high >> 24] ^ t[6][(high >> 16) & 0xFF] ^ t[5][(high >> 8) & 0xFF] ^
          t[4][high & 0xFF] ^ t[3][low >> 24] ^ t[2][(low >> 16) & 0xFF] ^ t[1][(low >> 8) & 0xFF] ^
          t[0][low & 0xFF];
  }
  for (; at < bytes.size(); ++at) crc = (crc << 8) ^ t[0][(crc >> 24) ^ bytes[at]];
  return crc;
}

uint64_t Get64(const uint8_t* p) {
  return (uint64_t{Get32(p)} << 32) | Get32(p + 4);
}

void Put64(uint8_t* p, uint64_t value) {
  Put32(p, static_cast<uint32_t>(value >> 32));
  Put32(p + 4, static_cast<uint32_t>(value));
}

void Append64(std::vector<uint8_t>& out, uint64_t value) {
  Append32(out, static_cast<uint32_t>(value >> 32));
  Append32(out, static_cast<uint32_t>(value));
}

// Lays the ranges of a payload whose checksum held over `into`; false, with
// nothing laid, when they do not fill it exactly (a record this program did
// not write).
bool ReadPayload(std::span<const uint8_t> payload, ByteRanges& into) {
  const auto each_range = [&](const auto& take) {
    size_t at = 0;
    while (at < payload.size()) {
      if (payload.size() - at < kRangeHeader) return false;
      const uint64_t offset = Get64(payload.data() + at);
      const uint32_t length = Get32(payload.data() + at + 8);
      at += kRangeHeader;
      if (payload.size() - at < length) return false;
      take(offset, payload.subspan(at, length));
      at += length;
    }
    return true;
  };
  if (!each_range([](uint64_t, std::span<const uint8_t>) {})) return false;
  each_range([&](uint64_t offset, std::span<const uint8_t> bytes) { into.Put(offset, bytes); });
  return true;
}

// The folder `path` is in.
std::filesystem::path FolderOf(const std::filesystem::path& path) {
  const std::filesystem::path folder = path.parent_path();
  return folder.empty() ? std::filesystem::path(".") : folder;
}

}  // namespace

NewsJournal::NewsJournal(FileSystem& file_system, std::filesystem::path path, const Guid& guid)
    : file_system_(file_system), path_(std::move(path)), guid_(guid), end_(kHeaderSize) {
  const std::optional<FileStatus> status = file_system_.Stat(path_, LinkHandling::kFollow);
  if (!status) return;
  exists_ = true;
  file_size_ = status->size;
  if (file_size_ <= kHeaderSize) return;  // no records

  const std::unique_ptr<ReadableFile> file = file_system_.OpenForReading(path_);
  std::array<uint8_t, kHeaderSize> header{};
  const std::string boot_id = file_system_.BootId();
  if (file->ReadAt(0, header) == header.size() &&
      std::equal(std::begin(kHeaderMagic), std::end(kHeaderMagic), header.begin()) &&
      Checksum(std::span(header).first(kHeaderChecksumOffset)) ==
          Get32(header.data() + kHeaderChecksumOffset) &&
      std::equal(guid_.begin(), guid_.end(), header.begin() + kHeaderGuidOffset) &&
      !boot_id.empty() &&
      FieldText(std::span(header).subspan(kBootIdOffset, kBootIdField)) == boot_id &&
      Get64(header.data() + kAppliedEndOffset) == file_size_) {
    // The category holds every record: they need not be read.
    end_ = file_size_;
    salt_ = Get64(header.data() + kHeaderSaltOffset);
    loaded_ = false;
    return;
  }
  ReadRecords(*file);
  applied_ = end_ == kHeaderSize;
}

void NewsJournal::ReadRecords(ReadableFile& file) {
  // bytes[i] is the journal's byte kHeaderSize + i.
  std::vector<uint8_t> bytes(std::min<uint64_t>(file_size_ - kHeaderSize, kFirstRead));
  bytes.resize(file.ReadAt(kHeaderSize, bytes));
  // Whether the bytes from `at` hold `size` more, reading further when needed.
  const auto have = [&](uint64_t at, uint64_t size) {
    if (at + size <= bytes.size()) return true;
    if (kHeaderSize + at + size > file_size_) return false;
    const size_t old_size = bytes.size();
    bytes.resize(at + size);
    const size_t got = file.ReadAt(kHeaderSize + old_size, std::span(bytes).subspan(old_size));
    bytes.resize(old_size + got);
    return at + size <= bytes.size();
  };

  records_.Clear();
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
    if (Checksum(record) != Get32(record.data() + record.size())) break;
    if (!ReadPayload(record.subspan(kPayloadOffset), records_)) break;
    salt_ = salt;
    at += kRecordOverhead + length;
  }
  end_ = kHeaderSize + at;
  loaded_ = true;
}

const ByteRanges& NewsJournal::Unapplied() const {
  if (applied_) return none_;
  return loaded_ ? records_ : appended_;
}

const ByteRanges& NewsJournal::Records() {
  if (!loaded_) {
    ReadRecords(File());
    appended_.Clear();
  }
  return records_;
}

uint64_t NewsJournal::RecordBytes() const {
  return end_ - kHeaderSize;
}

RandomAccessFile& NewsJournal::File() {
  if (!file_) file_ = file_system_.OpenForUpdate(path_, UpdateMode::kCreate);
  return *file_;
}

void NewsJournal::WriteHeader(uint64_t applied_end) {
  std::array<uint8_t, kHeaderSize> header{};
  std::copy(std::begin(kHeaderMagic), std::end(kHeaderMagic), header.begin());
  Put64(header.data() + kAppliedEndOffset, applied_end);
  Put64(header.data() + kHeaderSaltOffset, salt_);
  std::copy(guid_.begin(), guid_.end(), header.begin() + kHeaderGuidOffset);
  PutFieldText(std::span(header).subspan(kBootIdOffset, kBootIdField), file_system_.BootId());
  Put32(header.data() + kHeaderChecksumOffset,
        Checksum(std::span(header).first(kHeaderChecksumOffset)));
  File().WriteAt(0, header);
  file_size_ = std::max<uint64_t>(file_size_, kHeaderSize);
}

void NewsJournal::Append(const ByteRanges& changes, bool sync, Random& random) {
  if (end_ == kHeaderSize) salt_ = (uint64_t{random.Next32()} << 32) | random.Next32();
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
  Append32(record, Checksum(record));

  const bool creates = !exists_;
  try {
    // A header that says nothing is applied, for a journal without one.
    if (file_size_ < kHeaderSize) WriteHeader(kHeaderSize);
    exists_ = true;
    RandomAccessFile& file = File();
    file.WriteAt(end_, record);
    const uint64_t end = end_ + record.size();
    if (file_size_ > end) file.Truncate(end);
    file_size_ = end;
    if (sync) file.Sync();
    synced_ = sync;
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
  (loaded_ ? records_ : appended_).Put(changes);
  applied_ = false;
}

void NewsJournal::MarkApplied() {
  WriteHeader(end_);
  applied_ = true;
  appended_.Clear();
}

void NewsJournal::Sync() {
  if (synced_) return;
  File().Sync();
  synced_ = true;
}

void NewsJournal::Clear() {
  File().Truncate(kHeaderSize);
  file_size_ = kHeaderSize;
  end_ = kHeaderSize;
  records_.Clear();
  appended_.Clear();
  loaded_ = true;
  synced_ = true;
  WriteHeader(kHeaderSize);
  applied_ = true;
}

}  // namespace vantrel
