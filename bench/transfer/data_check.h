#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace vantrel::transfer {

// The bytes the tool uploads and how it checks what was transferred against a
// file on disk.

// The block an upload's data repeats: its byte i is byte i % kUploadBlockSize
// of the block, bytes of a fixed pseudo-random sequence, so that a byte
// written at the wrong place is found.
inline constexpr size_t kUploadBlockSize = 1024 * 1024;
std::vector<uint8_t> UploadBlock();

// Compares bytes that arrive in pieces with a file's contents from its start.
// Owns the open file; the tool's thread only.
class FileComparer {
 public:
  // Opens `path`; a file that cannot be opened makes every comparison fail.
  explicit FileComparer(const std::filesystem::path& path);

  // Compares `bytes` with the file's next bytes. False at the first difference
  // or when the file ends first; false for good once it has been.
  bool Compare(std::span<const uint8_t> bytes);
  // True when the file holds no byte after those compared.
  bool AtEnd();
  // The offset of the first difference, or where the file ended, once
  // Compare returned false: for the message.
  uint64_t position() const { return position_; }

 private:
  std::ifstream file_;
  std::vector<uint8_t> buffer_;
  uint64_t position_ = 0;
  bool differs_ = false;
};

// Whether the file `path` holds exactly `size` bytes of the upload's data
// (UploadBlock repeated). False, with `error` set, when it does not.
bool HoldsUploadData(const std::filesystem::path& path, uint64_t size, std::string& error);

}  // namespace vantrel::transfer
