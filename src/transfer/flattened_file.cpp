#include "transfer/flattened_file.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/byte_order.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

// The file header: format, version, reserved bytes, fork count.
constexpr uint8_t kFlatFileFormat[4] = {'F', 'I', 'L', 'P'};
constexpr uint16_t kFlatFileVersion = 1;
constexpr size_t kFlatFileVersionOffset = 4;
constexpr size_t kFlatFileReservedSize = 16;
constexpr size_t kForkCountOffset = 22;
// The forks the server sends: information and data.
constexpr uint16_t kSentForkCount = 2;

// The fork header: type, compression, reserved bytes, data size.
constexpr uint8_t kInfoForkType[4] = {'I', 'N', 'F', 'O'};
constexpr uint8_t kDataForkType[4] = {'D', 'A', 'T', 'A'};
constexpr size_t kForkTypeSize = 4;
constexpr size_t kForkCompressionOffset = 4;
constexpr size_t kForkDataSizeOffset = 12;
// The only compression accepted: none.
constexpr uint32_t kNoCompression = 0;

// The information fork: platform, type, creator, reserved bytes, the name's
// length, the name, 2 reserved bytes.
constexpr uint8_t kInfoPlatform[4] = {'M', 'W', 'I', 'N'};
constexpr size_t kInfoTypeOffset = 4;
constexpr size_t kInfoCreatorOffset = 8;
constexpr size_t kInfoReservedSize = 58;
constexpr size_t kInfoNameLengthOffset = 70;
constexpr size_t kInfoNameOffset = 72;
constexpr size_t kInfoTrailerSize = 2;

// The resume record: format, version, reserved bytes, entry count, entries
// (fork type, offset, reserved bytes).
constexpr uint8_t kResumeFormat[4] = {'R', 'F', 'L', 'T'};
constexpr uint16_t kResumeVersion = 1;
constexpr size_t kResumeVersionOffset = 4;
constexpr size_t kResumeReservedSize = 34;
constexpr size_t kResumeCountOffset = 40;
constexpr size_t kResumeEntriesOffset = 42;
constexpr size_t kResumeEntrySize = 16;
// What an entry must hold to be read: its fork type and offset.
constexpr size_t kResumeEntryReadSize = 8;
// The count an upload's record gives, with its single entry.
constexpr uint16_t kUploadResumeCount = 2;

static_assert(kResumeCountOffset == kResumeVersionOffset + 2 + kResumeReservedSize);
static_assert(kResumeEntriesOffset + kResumeEntrySize == kUploadResumeRecordSize);
static_assert(kFlatFileVersionOffset + 2 + kFlatFileReservedSize == kForkCountOffset);
static_assert(kForkCountOffset + 2 == kFlatFileHeaderSize);
static_assert(kForkDataSizeOffset + 4 == kForkHeaderSize);
static_assert(kInfoCreatorOffset + 4 + kInfoReservedSize == kInfoNameLengthOffset);
static_assert(kInfoNameOffset + kInfoTrailerSize == kInfoForkFixedSize);

// Raised when the data fork cannot be completed from the file.

bool HasTag(std::span<const uint8_t> bytes, const uint8_t (&tag)[4]) {
  return std::memcmp(bytes.data(), tag, sizeof tag) == 0;
}

void PutTag(uint8_t* p, const uint8_t (&tag)[4]) {
  std::memcpy(p, tag, sizeof tag);
}

// A fork header of `type` without compression, into the zeroed bytes at `p`.
void PutForkHeader(uint8_t* p, const uint8_t (&type)[4], uint32_t data_size) {
  PutTag(p, type);
  Put32(p + kForkDataSizeOffset, data_size);
}

[[noreturn]] void RaiseFormat(int16_t code) {
  throw Omberly::CException(kErrorClassFormat, code);
}

}  // namespace

bool IsFormatRefusal(const Omberly::CException& failure) {
  const int16_t code = failure.Code();
  return failure.ErrorClass() == kErrorClassFormat &&
         (code == kErrorCodeRecordTooShort || code == kErrorCodeUnknownVersion ||
          code == kErrorCodeUnknownFormat);
}

uint32_t ResumeOffset(std::span<const uint8_t> record) {
  if (record.size() < kMinResumeRecordSize) RaiseFormat(kErrorCodeRecordTooShort);
  if (!HasTag(record, kResumeFormat)) RaiseFormat(kErrorCodeUnknownFormat);
  if (Get16(record, kResumeVersionOffset) != kResumeVersion) {
    RaiseFormat(kErrorCodeUnknownVersion);
  }
  const size_t count = Get16(record, kResumeCountOffset);
  size_t offset = kResumeEntriesOffset;
  for (size_t entry = 0; entry < count && offset + kResumeEntryReadSize <= record.size(); ++entry) {
    const auto fields = record.subspan(offset);
    if (HasTag(fields, kDataForkType)) return Get32(fields, kForkTypeSize);
    offset += kResumeEntrySize;
  }
  return 0;
}

std::array<uint8_t, kUploadResumeRecordSize> UploadResumeRecord(uint32_t offset) {
  std::array<uint8_t, kUploadResumeRecordSize> record{};
  PutTag(record.data(), kResumeFormat);
  Put16(record.data() + kResumeVersionOffset, kResumeVersion);
  Put16(record.data() + kResumeCountOffset, kUploadResumeCount);
  PutTag(record.data() + kResumeEntriesOffset, kDataForkType);
  Put32(record.data() + kResumeEntriesOffset + kForkTypeSize, offset);
  return record;
}

FileFlattener::FileFlattener(FileSystem& file_system, const std::filesystem::path& host,
                             std::string_view name, const TypeAndCreator& codes,
                             uint32_t resume_offset)
    : file_(file_system.OpenForReading(host)), data_offset_(resume_offset) {
  name = name.substr(0, kMaxFlattenedNameLength);
  const size_t info_size = kInfoForkFixedSize + name.size();
  head_.assign(kFlatFileHeaderSize + kForkHeaderSize + info_size + kForkHeaderSize, 0);

  uint8_t* p = head_.data();
  PutTag(p, kFlatFileFormat);
  Put16(p + kFlatFileVersionOffset, kFlatFileVersion);
  Put16(p + kForkCountOffset, kSentForkCount);
  p += kFlatFileHeaderSize;

  PutForkHeader(p, kInfoForkType, static_cast<uint32_t>(info_size));
  p += kForkHeaderSize;
  PutTag(p, kInfoPlatform);
  std::copy(codes.type.begin(), codes.type.end(), p + kInfoTypeOffset);
  std::copy(codes.creator.begin(), codes.creator.end(), p + kInfoCreatorOffset);
  Put16(p + kInfoNameLengthOffset, static_cast<uint16_t>(name.size()));
  std::copy(name.begin(), name.end(), p + kInfoNameOffset);
  p += info_size;

  const auto length = static_cast<uint32_t>(file_->Size());
  // The whole stream's size must fit its 32 bits: a file within a few bytes of
  // 4 GiB loses its last ones.
  const uint32_t most = std::numeric_limits<uint32_t>::max() - static_cast<uint32_t>(head_.size());
  data_size_ = resume_offset < length ? std::min(length - resume_offset, most) : 0;
  PutForkHeader(p, kDataForkType, data_size_);
}

uint32_t FileFlattener::FlattenedSize() const {
  return static_cast<uint32_t>(head_.size()) + data_size_;
}

uint32_t FileFlattener::Remaining() const {
  return FlattenedSize() - position_;
}

size_t FileFlattener::Read(std::span<uint8_t> buffer) {
  buffer = buffer.first(std::min<size_t>(buffer.size(), Remaining()));
  size_t done = 0;
  if (position_ < head_.size()) {
    done = std::min(buffer.size(), head_.size() - position_);
    std::copy_n(head_.begin() + position_, done, buffer.begin());
    position_ += static_cast<uint32_t>(done);
  }
  if (done == buffer.size()) return done;

  // The rest of the buffer lies in the data fork.
  const auto wanted = buffer.subspan(done);
  const uint64_t from = uint64_t{data_offset_} + (position_ - head_.size());
  if (file_->ReadAt(from, wanted) < wanted.size()) {
    throw Omberly::CException(kErrorClassFile, kErrorCodeInUse, kFileShrankText);
  }
  position_ += static_cast<uint32_t>(wanted.size());
  return buffer.size();
}

void FileFlattener::SendTo(Transport& connection, uint32_t n) {
  if (position_ < head_.size()) {
    const auto head = static_cast<uint32_t>(std::min<size_t>(n, head_.size() - position_));
    connection.Send(std::span(head_).subspan(position_, head));
    position_ += head;
    n -= head;
  }
  if (n == 0) return;
  connection.SendFile(file_, uint64_t{data_offset_} + (position_ - head_.size()), n);
  position_ += n;
}

FileUnflattener::FileUnflattener(FileSystem& file_system, const std::filesystem::path& host)
    : file_(file_system.OpenForWriting(host, WriteMode::kAppend)),
      start_offset_(static_cast<uint32_t>(file_->Size())) {}

void FileUnflattener::Write(std::span<const uint8_t> bytes) {
  if (failure_) std::rethrow_exception(failure_);
  try {
    while (!bytes.empty()) {
      switch (stage_) {
        case Stage::kFileHeader:
          if (CollectHeader(bytes, kFlatFileHeaderSize)) EndFileHeader();
          break;
        case Stage::kForkHeader:
          if (CollectHeader(bytes, kForkHeaderSize)) EndForkHeader();
          break;
        case Stage::kForkData:
          TakeForkData(bytes);
          break;
      }
    }
  } catch (...) {
    failure_ = std::current_exception();
    throw;
  }
}

void FileUnflattener::Close() {
  file_->Sync();
  file_->Close();
}

bool FileUnflattener::CollectHeader(std::span<const uint8_t>& bytes, size_t header_size) {
  const size_t taken = std::min(bytes.size(), header_size - header_filled_);
  std::copy_n(bytes.begin(), taken, header_.begin() + header_filled_);
  header_filled_ += taken;
  bytes = bytes.subspan(taken);
  if (header_filled_ < header_size) return false;
  header_filled_ = 0;
  return true;
}

void FileUnflattener::EndFileHeader() {
  // The fork count is not used: forks follow until the stream ends.
  if (!HasTag(header_, kFlatFileFormat)) RaiseFormat(kErrorCodeUnknownFormat);
  if (Get16(header_.data() + kFlatFileVersionOffset) != kFlatFileVersion) {
    RaiseFormat(kErrorCodeUnknownVersion);
  }
  stage_ = Stage::kForkHeader;
}

void FileUnflattener::EndForkHeader() {
  if (Get32(header_.data() + kForkCompressionOffset) != kNoCompression) {
    RaiseFormat(kErrorCodeUnknownFormat);
  }
  std::copy_n(header_.begin(), kForkTypeSize, fork_type_.begin());
  if (HasTag(fork_type_, kInfoForkType)) info_.clear();
  fork_remaining_ = Get32(header_.data() + kForkDataSizeOffset);
  if (fork_remaining_ > 0) stage_ = Stage::kForkData;
}

void FileUnflattener::TakeForkData(std::span<const uint8_t>& bytes) {
  const auto taken = bytes.first(std::min<size_t>(bytes.size(), fork_remaining_));
  if (HasTag(fork_type_, kDataForkType)) {
    file_->Append(taken);
  } else if (HasTag(fork_type_, kInfoForkType)) {
    const size_t kept = std::min(taken.size(), kKeptInfoForkSize - info_.size());
    info_.insert(info_.end(), taken.begin(), taken.begin() + kept);
  }
  fork_remaining_ -= static_cast<uint32_t>(taken.size());
  bytes = bytes.subspan(taken.size());
  if (fork_remaining_ == 0) stage_ = Stage::kForkHeader;
}

}  // namespace vantrel
