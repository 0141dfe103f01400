#include "data_check.h"

#include <algorithm>
#include <cstring>

namespace vantrel::transfer {
namespace {

// The seed of the upload block's sequence (xorshift64).
constexpr uint64_t kUploadSeed = 0x9E3779B97F4A7C15;

}  // namespace

std::vector<uint8_t> UploadBlock() {
  std::vector<uint8_t> block(kUploadBlockSize);
  uint64_t state = kUploadSeed;
  for (auto& byte : block) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    byte = static_cast<uint8_t>(state >> 56);
  }
  return block;
}

FileComparer::FileComparer(const std::filesystem::path& path)
    : file_(path, std::ios::binary), differs_(!file_) {}

bool FileComparer::Compare(std::span<const uint8_t> bytes) {
  if (differs_) return false;
  buffer_.resize(bytes.size());
  file_.read(reinterpret_cast<char*>(buffer_.data()), static_cast<std::streamsize>(bytes.size()));
  const auto read = static_cast<size_t>(file_.gcount());
  const auto [mismatch, ignored] = std::mismatch(
      bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(read), buffer_.begin());
  const auto same = static_cast<size_t>(mismatch - bytes.begin());
  position_ += same;
  differs_ = same < bytes.size();
  return !differs_;
}

bool FileComparer::AtEnd() {
  if (differs_) return false;
  return file_.peek() == std::ifstream::traits_type::eof();
}

bool HoldsUploadData(const std::filesystem::path& path, uint64_t size, std::string& error) {
  std::error_code failure;
  const auto length = std::filesystem::file_size(path, failure);
  if (failure) {
    error = "cannot read " + path.string() + ": " + failure.message();
    return false;
  }
  if (length != size) {
    error =
        path.string() + " holds " + std::to_string(length) + " bytes, not " + std::to_string(size);
    return false;
  }
  const std::vector<uint8_t> block = UploadBlock();
  FileComparer file(path);
  for (uint64_t at = 0; at < size; at += block.size()) {
    const auto piece = std::span<const uint8_t>(block).first(
        static_cast<size_t>(std::min<uint64_t>(block.size(), size - at)));
    if (!file.Compare(piece)) {
      error =
          path.string() + " differs from the data sent at byte " + std::to_string(file.position());
      return false;
    }
  }
  return true;
}

}  // namespace vantrel::transfer
