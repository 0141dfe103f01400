#include "news/article_list.h"

#include <string_view>
#include <unordered_set>

#include "news/article_chunks.h"
#include "platform/byte_order.h"

namespace vantrel {
namespace {

// The flavors an article shows in the list.
constexpr size_t kMaxListedFlavors = 32;
// The longest flavor name the list carries.
constexpr size_t kMaxListedFlavorName = 63;
constexpr size_t kCountOffset = 4;

void AppendArticle(const Category& category, const ArticleRecord& record, uint32_t parent_id,
                   bool full, std::vector<uint8_t>& out) {
  Append32(out, record.id);
  out.insert(out.end(), record.date.begin(), record.date.end());
  Append32(out, parent_id);
  Append32(out, record.flags);
  const size_t count_at = out.size();
  Append16(out, 0);  // the flavor count, once known
  AppendLengthPrefixed(out, record.title, 63);
  AppendLengthPrefixed(out, record.poster, 31);
  if (full) AppendLengthPrefixed(out, record.identifier, 63);
  uint16_t flavors = 0;
  for (uint32_t chunk = record.first_chunk; chunk != 0 && flavors < kMaxListedFlavors; ++flavors) {
    const ChunkHeader header = ReadChunkHeader(category, chunk);
    AppendLengthPrefixed(out, header.flavor, kMaxListedFlavorName);
    Append16(out, static_cast<uint16_t>(header.length));
    chunk = header.next;
  }
  Put16(out.data() + count_at, flavors);
}

}  // namespace

std::vector<uint8_t> BuildArticleList(const Category& category, bool full) {
  std::vector<uint8_t> out;
  Append32(out, 0);
  Append32(out, 0);  // the number of articles, once counted
  out.push_back(0);  // no name
  out.push_back(0);  // no description

  // Each listed article whose descendants are being listed: its ID, and the
  // sibling that follows them.
  struct Open {
    uint32_t id;
    uint32_t next;
  };
  std::vector<Open> path;
  std::unordered_set<uint32_t> seen;
  const uint32_t most = category.BlockCount();
  uint32_t block = category.Header().first_top;
  while (block != 0 || !path.empty()) {
    if (block == 0) {
      block = path.back().next;
      path.pop_back();
      continue;
    }
    if (seen.size() >= most || !seen.insert(block).second) {
      category.RaiseDamaged("its articles' links run in a loop.");
    }
    const ArticleRecord record = ReadRecord(category, block);
    AppendArticle(category, record, path.empty() ? 0 : path.back().id, full, out);
    path.push_back({record.id, record.next});
    block = record.first_child;
  }
  Put32(out.data() + kCountOffset, static_cast<uint32_t>(seen.size()));
  return out;
}

}  // namespace vantrel
