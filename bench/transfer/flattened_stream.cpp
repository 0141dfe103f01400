#include "flattened_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/byte_order.h"

namespace vantrel::transfer {
namespace {

constexpr std::string_view kFileFormat = "FILP";
constexpr uint16_t kFileVersion = 1;
constexpr uint16_t kUploadForkCount = 2;
constexpr std::string_view kInfoFork = "INFO";
constexpr std::string_view kDataFork = "DATA";
constexpr std::string_view kInfoPlatform = "MWIN";
// The type and creator of a file of no particular kind.
constexpr std::string_view kUploadType = "BINA";
constexpr std::string_view kUploadCreator = "dosa";
// The zero bytes of the information fork between the creator and the name's length.
constexpr size_t kInfoReservedSize = 58;
// Offsets in the file header and in a fork header.
constexpr size_t kVersionOffset = 4;
constexpr size_t kForkCountOffset = 22;
constexpr size_t kCompressionOffset = 4;
constexpr size_t kForkSizeOffset = 12;

void AppendText(std::vector<uint8_t>& out, std::string_view text) {
  // Byte by byte: GCC 12 falsely reports a range insert into a vector just
  // reserved as an overflow (-Wstringop-overflow).
  for (const char c : text) out.push_back(static_cast<uint8_t>(c));
}

void AppendForkHeader(std::vector<uint8_t>& out, std::string_view type, uint32_t size) {
  AppendText(out, type);
  Append32(out, 0);  // compression: none
  Append32(out, 0);  // reserved
  Append32(out, size);
}

bool Equals(std::span<const uint8_t> bytes, std::string_view text) {
  return bytes.size() >= text.size() && std::memcmp(bytes.data(), text.data(), text.size()) == 0;
}

}  // namespace

std::vector<uint8_t> FlattenedHead(std::string_view name, uint32_t data_size) {
  std::vector<uint8_t> head;
  head.reserve(FlattenedHeadSize(name.size()));
  AppendText(head, kFileFormat);
  Append16(head, kFileVersion);
  head.insert(head.end(), 16, 0);  // reserved
  Append16(head, kUploadForkCount);
  const auto info_size = static_cast<uint32_t>(kInfoForkFixedSize + name.size());
  AppendForkHeader(head, kInfoFork, info_size);
  AppendText(head, kInfoPlatform);
  AppendText(head, kUploadType);
  AppendText(head, kUploadCreator);
  head.insert(head.end(), kInfoReservedSize, 0);
  Append16(head, static_cast<uint16_t>(name.size()));
  AppendText(head, name);
  Append16(head, 0);  // no comment
  AppendForkHeader(head, kDataFork, data_size);
  return head;
}

FlattenedReader::FlattenedReader(DataHandler on_data) : on_data_(std::move(on_data)) {
  head_.reserve(kFlatFileHeaderSize);
}

void FlattenedReader::Invalid(std::string reason) {
  state_ = State::kInvalid;
  invalid_reason_ = std::move(reason);
}

bool FlattenedReader::TakeHead(std::span<const uint8_t> bytes, size_t& at, size_t size) {
  const size_t take = std::min(size - head_.size(), bytes.size() - at);
  head_.insert(head_.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at),
               bytes.begin() + static_cast<std::ptrdiff_t>(at + take));
  at += take;
  return head_.size() == size;
}

void FlattenedReader::OnFileHeader() {
  if (!Equals(head_, kFileFormat)) {
    Invalid("the stream does not start with \"FILP\"");
  } else if (Get16(head_, kVersionOffset) != kFileVersion) {
    Invalid("version " + std::to_string(Get16(head_, kVersionOffset)) + ", not 1");
  } else if (Get16(head_, kForkCountOffset) == 0) {
    Invalid("a flattened file of no forks");
  } else {
    forks_left_ = Get16(head_, kForkCountOffset);
    phase_ = Phase::kForkHeader;
  }
}

void FlattenedReader::OnForkHeader() {
  std::copy_n(head_.begin(), fork_type_.size(), fork_type_.begin());
  fork_left_ = Get32(head_, kForkSizeOffset);
  fork_position_ = 0;
  if (Get32(head_, kCompressionOffset) != 0) {
    Invalid("a compressed fork");
  } else if (Equals(fork_type_, kDataFork)) {
    if (has_data_fork_) {
      Invalid("two data forks");
      return;
    }
    has_data_fork_ = true;
    data_size_ = fork_left_;
  } else if (Equals(fork_type_, kInfoFork) && fork_left_ < kInfoPlatform.size()) {
    Invalid("an information fork of " + std::to_string(fork_left_) + " bytes");
  }
  phase_ = Phase::kForkBytes;
}

void FlattenedReader::TakeForkBytes(std::span<const uint8_t> bytes, size_t& at) {
  const auto take = static_cast<uint32_t>(std::min<size_t>(fork_left_, bytes.size() - at));
  const auto piece = bytes.subspan(at, take);
  if (Equals(fork_type_, kDataFork)) {
    if (take > 0) on_data_(piece);
  } else if (Equals(fork_type_, kInfoFork) && fork_position_ < info_start_.size()) {
    const size_t start = std::min<size_t>(info_start_.size() - fork_position_, take);
    std::copy_n(piece.begin(), start, info_start_.begin() + fork_position_);
    if (fork_position_ + start == info_start_.size() && !Equals(info_start_, kInfoPlatform)) {
      Invalid("an information fork that does not start with \"MWIN\"");
    }
  }
  at += take;
  fork_position_ += take;
  fork_left_ -= take;
}

void FlattenedReader::NextFork() {
  head_.clear();
  if (--forks_left_ == 0) {
    state_ = State::kComplete;
  } else {
    phase_ = Phase::kForkHeader;
  }
}

size_t FlattenedReader::Feed(std::span<const uint8_t> bytes) {
  size_t at = 0;
  while (state_ == State::kNeedMore) {
    switch (phase_) {
      case Phase::kFileHeader:
        if (!TakeHead(bytes, at, kFlatFileHeaderSize)) return at;
        OnFileHeader();
        head_.clear();
        break;
      case Phase::kForkHeader:
        if (!TakeHead(bytes, at, kForkHeaderSize)) return at;
        OnForkHeader();
        head_.clear();
        break;
      case Phase::kForkBytes:
        // A fork of no bytes ends here, before any byte of the next.
        TakeForkBytes(bytes, at);
        if (state_ != State::kNeedMore) return at;
        if (fork_left_ > 0) return at;
        NextFork();
        break;
    }
  }
  return at;
}

}  // namespace vantrel::transfer
