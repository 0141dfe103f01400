#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "transfer/flattened_file.h"

namespace vantrel::transfer {

// The flattened file as a client sends and reads it on a transfer connection,
// big-endian throughout: a 24-byte file header ("FILP", version 1, 16 zero
// bytes, the fork count), then per fork a 16-byte fork header (type,
// compression 0, 4 zero bytes, the fork's size) and its bytes. The information
// fork "INFO" is "MWIN", type, creator, 58 zero bytes, the name's length (2
// bytes), the name and 2 zero bytes; the data fork "DATA" holds the file's bytes.

// The layout's sizes are the server's (transfer/flattened_file.h).

// The longest name the tool writes into an information fork.
inline constexpr size_t kMaxInfoName = 255;

// The bytes of an upload's flattened file before its data: the file header
// with two forks, the information fork of `name` (type "BINA", creator "dosa":
// a file of no particular kind) and the data fork's header announcing
// `data_size` bytes. REQUIRES: 1 <= name.size() <= kMaxInfoName.
std::vector<uint8_t> FlattenedHead(std::string_view name, uint32_t data_size);

// The size of FlattenedHead(name, ...) for a name of `name_size` bytes.
constexpr uint64_t FlattenedHeadSize(size_t name_size) {
  return kFlatFileHeaderSize + kForkHeaderSize + kInfoForkFixedSize + name_size + kForkHeaderSize;
}

// Reads a download's flattened file as it arrives, in any split: checks the
// file header (version 1, at least one fork), reads each fork header, checks
// that an information fork starts with "MWIN", hands the data fork's bytes to
// the data handler and passes over other forks. Keeps only the header being
// read; one per stream; the tool's thread only.
class FlattenedReader {
 public:
  enum class State { kNeedMore, kComplete, kInvalid };
  // Called with the data fork's bytes in order; `bytes` lives until it returns.
  using DataHandler = std::function<void(std::span<const uint8_t> bytes)>;

  explicit FlattenedReader(DataHandler on_data);

  // Reads from `bytes` up to the end of the last fork. Returns how many bytes
  // it took: all of them while the stream goes on, fewer when it ended (or
  // turned out invalid) before their end. REQUIRES: state() == kNeedMore.
  size_t Feed(std::span<const uint8_t> bytes);

  State state() const { return state_; }
  // Why the stream is invalid; empty while it is not.
  const std::string& invalid_reason() const { return invalid_reason_; }
  // The data fork's size as its header announced it (0 until then), and
  // whether the stream had a data fork.
  uint64_t data_size() const { return data_size_; }
  bool has_data_fork() const { return has_data_fork_; }

 private:
  enum class Phase { kFileHeader, kForkHeader, kForkBytes };

  // Collects the bytes of a header of `size` bytes into head_ from `bytes` at
  // `at`; true once it is whole.
  bool TakeHead(std::span<const uint8_t> bytes, size_t& at, size_t size);
  void OnFileHeader();
  void OnForkHeader();
  // The current fork's bytes at `at`, as many as it still lacks.
  void TakeForkBytes(std::span<const uint8_t> bytes, size_t& at);
  void NextFork();
  void Invalid(std::string reason);

  DataHandler on_data_;
  State state_ = State::kNeedMore;
  Phase phase_ = Phase::kFileHeader;
  std::vector<uint8_t> head_;  // of the header being read
  uint16_t forks_left_ = 0;
  std::array<uint8_t, 4> fork_type_{};
  uint32_t fork_left_ = 0;      // bytes of the current fork still to come
  uint32_t fork_position_ = 0;  // bytes of the current fork taken
  std::array<uint8_t, 4> info_start_{};
  uint64_t data_size_ = 0;
  bool has_data_fork_ = false;
  std::string invalid_reason_;
};

}  // namespace vantrel::transfer
