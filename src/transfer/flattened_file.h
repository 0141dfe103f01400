#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/type_codes.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "platform/transport.h"

namespace vantrel {

// The flattened file: how a file crosses a transfer connection. A 24-byte file
// header ("FILP", version 1, 16 reserved bytes, the fork count), then forks,
// each a 16-byte fork header (type, compression 0, 4 reserved bytes, data size)
// and its data: the information fork "INFO" ("MWIN", type, creator, 58 zero
// bytes, the name's length, the name, 2 zero bytes) and the data fork "DATA"
// (the file's bytes from the resume offset on). Big-endian throughout.

inline constexpr size_t kFlatFileHeaderSize = 24;
inline constexpr size_t kForkHeaderSize = 16;
// The information fork without its name.
inline constexpr size_t kInfoForkFixedSize = 74;
// The longest name an information fork carries; longer names are cut.
inline constexpr size_t kMaxFlattenedNameLength = 63;
// The shortest resume record accepted, and the one the server builds.
inline constexpr size_t kMinResumeRecordSize = 42;
inline constexpr size_t kUploadResumeRecordSize = 58;
// How much of a received information fork is kept.
inline constexpr size_t kKeptInfoForkSize = 592;

// Error codes of class 1 for damaged streams and records.
inline constexpr int16_t kErrorClassFormat = 1;
inline constexpr int16_t kErrorCodeRecordTooShort = 2;
inline constexpr int16_t kErrorCodeUnknownVersion = 7;
inline constexpr int16_t kErrorCodeUnknownFormat = 8;

// Whether `failure` is one of the class-1 refusals above: bytes a peer sent
// that are not a flattened file or a resume record (not a failure of the server).
bool IsFormatRefusal(const Omberly::CException& failure);

// The offset of the "DATA" entry of a resume record ("RFLT", version 1, 34
// reserved bytes, an entry count, then 16-byte entries: fork type, offset, 8
// reserved bytes), read only as far as the record's bytes reach; 0 without
// one. Raises Omberly::CException of class 1: code 2 below 42 bytes, code 8
// for a format other than "RFLT", code 7 for a version other than 1. Pure.
uint32_t ResumeOffset(std::span<const uint8_t> record);

// The 58-byte resume record of an upload already holding `offset` bytes: its
// count says 2 and one "DATA" entry follows, as clients expect. A client
// resuming a download sends the same record for its partial file. Pure.
std::array<uint8_t, kUploadResumeRecordSize> UploadResumeRecord(uint32_t offset);

// A host file read as a flattened stream, for a download. Owns the open file;
// core thread only.
class FileFlattener {
 public:
  // Opens `host` for reading. The information fork carries `codes` and `name`
  // (Mac Roman, cut to kMaxFlattenedNameLength); the data fork starts at
  // `resume_offset` and holds the file's length (its low 32 bits) less the
  // offset, none when the offset is not below the length (and less the last
  // bytes that would take the whole stream's size past 32 bits). Raises class 4
  // when the file cannot be opened.
  FileFlattener(FileSystem& file_system, const std::filesystem::path& host, std::string_view name,
                const TypeAndCreator& codes, uint32_t resume_offset);

  // 24 + 16 + (74 + N) + 16 + D: what the client is to expect.
  uint32_t FlattenedSize() const;
  // Bytes of the stream not yet read.
  uint32_t Remaining() const;

  // Fills `buffer` with the next bytes of the stream, crossing from header to
  // fork to fork; returns how many (fewer than the buffer only at the end, 0
  // once the stream is done). Raises class 4 when the file cannot be read, or
  // when it yields fewer bytes than the data fork announced (it shrank): the
  // stream cannot be completed.
  size_t Read(std::span<uint8_t> buffer);

  // Queues the next `n` bytes of the stream on `connection` (REQUIRES: n <=
  // Remaining()): what lies in the headers as a copy, what lies in the data
  // fork as a range of the file, which the connection may send without copying
  // it. Raises as Read does, and when the file has become shorter than the range.
  void SendTo(Transport& connection, uint32_t n);

 private:
  std::shared_ptr<ReadableFile> file_;
  // The file header, the information fork's header and data, the data fork's header.
  std::vector<uint8_t> head_;
  uint32_t data_offset_ = 0;  // where the data fork starts in the file
  uint32_t data_size_ = 0;
  uint32_t position_ = 0;  // in the whole stream
};

// A flattened stream written into a host file, for an upload. Forks of any type
// and number are accepted: the data fork is written, an information fork kept
// (its first 592 bytes; nothing uses it), any other fork counted and dropped.
// Owns the open file; core thread only.
class FileUnflattener {
 public:
  // Opens the existing file `host` to write the data fork from its current end:
  // from 0 for a new, empty partial file, or after what a resumed upload holds.
  // Raises class 4 when the file cannot be opened.
  FileUnflattener(FileSystem& file_system, const std::filesystem::path& host);

  // The length the file had when opened: where a resumed upload goes on.
  uint32_t StartOffset() const { return start_offset_; }

  // Consumes the next bytes of the stream, in any pieces. Raises class 1: code 8
  // for a format other than "FILP" or a compression other than 0, code 7 for a
  // version other than 1; class 4 when the file cannot be written. After a
  // raise the stream cannot go on: every later Write raises the same failure.
  void Write(std::span<const uint8_t> bytes);

  // Makes what was written durable and closes the file; raises class 4 when
  // that fails.
  void Close();

 private:
  enum class Stage : uint8_t { kFileHeader, kForkHeader, kForkData };

  // Collects the bytes of the header of `stage_` from the front of `bytes`;
  // true once the header is whole.
  bool CollectHeader(std::span<const uint8_t>& bytes, size_t header_size);
  // Checks the whole file header or fork header and moves to the next stage.
  void EndFileHeader();
  void EndForkHeader();
  // Takes the current fork's data from the front of `bytes`.
  void TakeForkData(std::span<const uint8_t>& bytes);

  std::unique_ptr<WritableFile> file_;
  uint32_t start_offset_ = 0;
  Stage stage_ = Stage::kFileHeader;
  // The header being collected (kFlatFileHeaderSize bytes at most) and how
  // much of it is there.
  std::array<uint8_t, kFlatFileHeaderSize> header_{};
  size_t header_filled_ = 0;
  // The current fork's type and the bytes of its data still to come.
  std::array<uint8_t, 4> fork_type_{};
  uint32_t fork_remaining_ = 0;
  // The start of the latest information fork (kKeptInfoForkSize bytes at most).
  std::vector<uint8_t> info_;
  // The failure raised, raised again by every later Write.
  std::exception_ptr failure_;
};

}  // namespace vantrel
