#include "news/byte_ranges.h"

#include <algorithm>
#include <iterator>

namespace vantrel {

void ByteRanges::Put(uint64_t offset, std::span<const uint8_t> bytes) {
  if (bytes.empty()) return;
  const uint64_t end = offset + bytes.size();
  // The first range that overlaps or touches [offset, end), if any.
  auto first = ranges_.upper_bound(offset);
  if (first != ranges_.begin()) {
    const auto before = std::prev(first);
    if (before->first + before->second.size() >= offset) first = before;
  }
  auto last = first;
  uint64_t merged_end = end;
  while (last != ranges_.end() && last->first <= end) {
    merged_end = std::max(merged_end, last->first + last->second.size());
    ++last;
  }

  if (first != last && first->first <= offset) {
    // Grow the first range in place (the usual case: a write into or just
    // after a range already there) and fold the others into it.
    std::vector<uint8_t>& contents = first->second;
    const uint64_t start = first->first;
    contents.resize(merged_end - start);
    for (auto other = std::next(first); other != last; ++other) {
      std::copy(other->second.begin(), other->second.end(),
                contents.begin() + static_cast<ptrdiff_t>(other->first - start));
    }
    std::copy(bytes.begin(), bytes.end(),
              contents.begin() + static_cast<ptrdiff_t>(offset - start));
    ranges_.erase(std::next(first), last);
    return;
  }

  std::vector<uint8_t> contents(merged_end - offset);
  for (auto other = first; other != last; ++other) {
    std::copy(other->second.begin(), other->second.end(),
              contents.begin() + static_cast<ptrdiff_t>(other->first - offset));
  }
  std::copy(bytes.begin(), bytes.end(), contents.begin());
  ranges_.erase(first, last);
  ranges_.emplace(offset, std::move(contents));
}

void ByteRanges::Put(const ByteRanges& later) {
  for (const auto& [offset, contents] : later.ranges_) Put(offset, contents);
}

void ByteRanges::LayOver(uint64_t offset, std::span<uint8_t> bytes) const {
  const uint64_t end = offset + bytes.size();
  auto range = ranges_.upper_bound(offset);
  if (range != ranges_.begin()) --range;
  for (; range != ranges_.end() && range->first < end; ++range) {
    const uint64_t from = std::max(offset, range->first);
    const uint64_t to = std::min(end, range->first + range->second.size());
    if (from >= to) continue;
    std::copy_n(range->second.begin() + static_cast<ptrdiff_t>(from - range->first), to - from,
                bytes.begin() + static_cast<ptrdiff_t>(from - offset));
  }
}

uint64_t ByteRanges::End() const {
  if (ranges_.empty()) return 0;
  const auto& [offset, contents] = *ranges_.rbegin();
  return offset + contents.size();
}

}  // namespace vantrel
