#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace vantrel {

// New contents for ranges of a file, held before they reach it: the writes of
// an operation, or the records of a journal laid over each other. A later
// write replaces an earlier one where they overlap. Ranges that overlap or
// touch are kept as one. Owns its bytes; core thread only.
class ByteRanges {
 public:
  // Start offset -> contents; in order, none overlapping or touching another.
  using Map = std::map<uint64_t, std::vector<uint8_t>>;

  // Puts `bytes` at `offset`, over whatever was there.
  void Put(uint64_t offset, std::span<const uint8_t> bytes);
  // Puts every range of `later` over these.
  void Put(const ByteRanges& later);

  // Lays the ranges over `bytes`, which hold the file's bytes from `offset`.
  void LayOver(uint64_t offset, std::span<uint8_t> bytes) const;

  bool Empty() const { return ranges_.empty(); }
  // The offset one past the last range's end; 0 when there is none.
  uint64_t End() const;
  const Map& Ranges() const { return ranges_; }
  void Clear() { ranges_.clear(); }

 private:
  Map ranges_;
};

}  // namespace vantrel
