#include "news/news_database.h"

#include <cerrno>
#include <utility>

#include "news/article_chunks.h"
#include "news/article_list.h"
#include "news/article_tree.h"
#include "news/block_allocator.h"
#include "news/category.h"
#include "news/category_layout.h"
#include "news/id_index.h"
#include "platform/exception.h"
#include "platform/file_failure.h"

namespace vantrel {
namespace {

using namespace category;

// The domain of the identifiers made for articles posted without one.
constexpr std::string_view kIdentifierDomain = "news.vantrel.invalid";
// The further chunks Get article looks through for the flavor asked for.
constexpr size_t kMaxSearchedFlavors = 30;

Guid NewGuid(Random& random) {
  Guid guid{};
  for (size_t i = 0; i < guid.size(); i += 4) {
    const uint32_t word = random.Next32();
    for (size_t j = 0; j < 4; ++j) guid[i + j] = static_cast<uint8_t>(word >> (24 - 8 * j));
  }
  guid[6] = static_cast<uint8_t>((guid[6] & 0x0F) | 0x40);  // version 4: random
  guid[8] = static_cast<uint8_t>((guid[8] & 0x3F) | 0x80);  // the RFC 4122 variant
  return guid;
}

// "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX@news.vantrel.invalid": 57 bytes.
std::string NewIdentifier(Random& random) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  const Guid guid = NewGuid(random);
  std::string text;
  for (size_t i = 0; i < guid.size(); ++i) {
    if (i == 4 || i == 6 || i == 8 || i == 10) text += '-';
    text += kDigits[guid[i] >> 4];
    text += kDigits[guid[i] & 0x0F];
  }
  text += '@';
  text += kIdentifierDomain;
  return text;
}

[[noreturn]] void RaiseMissing(const char* text) {
  throw Omberly::CException(kErrorClassFile, kErrorCodeNotFound, text);
}

uint32_t BlockOfArticle(const Category& category, uint32_t id) {
  const std::optional<uint32_t> block = FindArticle(category, id);
  if (!block) RaiseMissing("The news article could not be found.");
  return *block;
}

// Frees the cached article list, when there is one within the bitmap (a
// cache that lies outside it is only forgotten).
void DropCache(Category& category) {
  CategoryHeader& header = category.Header();
  if (header.cache_first == 0) return;
  const uint64_t blocks = header.cache_length / category.BlockSize() + 1;
  const uint64_t bits = uint64_t{header.bitmap_blocks} * category.BlockSize() * 8;
  if (header.cache_first - 1 + blocks <= bits) {
    FreeBlocks(category, header.cache_first, static_cast<uint32_t>(blocks));
  }
  header.cache_first = 0;
  header.cache_length = 0;
}

// Frees every chunk of the article `record` at `block` (at most kMaxChunks)
// and removes it from the index.
void FreeArticle(Category& category, uint32_t block, const ArticleRecord& record) {
  uint32_t chunk = block;
  for (size_t n = 0; chunk != 0 && n < kMaxChunks; ++n) {
    const ChunkHeader header = ReadChunkHeader(category, chunk);
    const uint64_t blocks =
        BlocksFor(ChunkSize(header.flavor.size(), header.length), category.BlockSize());
    if (blocks > category.BlockCount()) category.RaiseDamaged("a chunk in it is too long.");
    FreeBlocks(category, chunk, static_cast<uint32_t>(blocks));
    chunk = header.next;
  }
  RemoveFromIndex(category, record.id, block);
}

// Writes a new last chunk of `flavor` (cut to 31 bytes) holding `data` into
// blocks allocated for it, and returns the first.
uint32_t NewChunk(Category& category, std::string_view flavor, std::span<const uint8_t> data) {
  flavor = flavor.substr(0, kMaxFlavorName);
  const uint64_t blocks = BlocksFor(ChunkSize(flavor.size(), data.size()), category.BlockSize());
  if (data.size() > UINT32_MAX || blocks > UINT32_MAX) {
    throw Omberly::CException(kErrorClassFile, kErrorCodeInUse,
                              "The news article's data is too large.");
  }
  const uint32_t first = AllocateBlocks(category, static_cast<uint32_t>(blocks));
  category.WriteBytes(first, 0, ChunkBytes(0, flavor, data, category.BlockSize()));
  return first;
}

// Runs `operation`, describing a failure of the file system with
// `failure_text` and the category's name.
template <typename Operation>
auto Described(const std::filesystem::path& path, std::string_view failure_text,
               Operation operation) -> decltype(operation()) {
  try {
    return operation();
  } catch (const Omberly::CException& failure) {
    if (failure.ErrorClass() != kErrorClassFile || !failure.Text().empty()) throw;
    RaiseFileFailure(std::string(failure_text) + " \xD2" + CategoryNameOf(path) + "\xD3.",
                     failure.SystemError());
  }
}

constexpr std::string_view kReadFailure = "Could not read the news category";
constexpr std::string_view kSaveFailure = "Could not save the news category";

}  // namespace

NewsDatabase::NewsDatabase(FileSystem& file_system, std::filesystem::path path, Random& random,
                           NewsDurability durability)
    : file_system_(file_system), path_(std::move(path)), random_(random), durability_(durability) {}

void NewsDatabase::Create(std::string_view name, std::string_view description) {
  // Written whole under another name and moved to its own, so that a crash
  // leaves no half a category, and an existing one is never replaced.
  if (file_system_.Stat(path_, LinkHandling::kNoFollow)) RaiseFileFailure({}, EEXIST);
  const std::filesystem::path temporary = NewCategoryPathOf(path_);
  try {
    file_system_.WriteFile(temporary, NewCategoryBytes(NewGuid(random_), name, description));
    file_system_.RemoveLeftover(JournalPathOf(path_));  // of a category of that name before
    file_system_.MoveItem(temporary, path_);
  } catch (const Omberly::CException& failure) {
    file_system_.RemoveLeftover(temporary);
    RaiseFileFailure("Could not create the news category \xD2" + CategoryNameOf(path_) + "\xD3.",
                     failure.SystemError());
  }
  try {
    file_system_.SyncFolder(path_.has_parent_path() ? path_.parent_path() : ".");
  } catch (const Omberly::CException&) {
    // The category is there all the same; only the name's durability is unsure.
  }
}

CategorySummary NewsDatabase::Summary() const {
  return Described(path_, kReadFailure, [&] {
    const Category category(file_system_, path_, durability_);
    const CategoryHeader& header = category.Header();
    CategorySummary summary;
    summary.guid = header.guid;
    summary.article_count = header.article_count;
    summary.add_serial = header.add_serial;
    summary.second_serial = header.second_serial;
    summary.name = header.name;
    summary.description = header.description;
    return summary;
  });
}

uint32_t NewsDatabase::AddArticle(uint32_t parent_id, std::string_view title,
                                  std::string_view poster, uint32_t flags,
                                  std::string_view identifier, const DateStamp& date,
                                  std::string_view flavor, std::span<const uint8_t> data) {
  return Described(path_, kSaveFailure, [&] {
    Category category(file_system_, path_, durability_);
    CategoryHeader& header = category.Header();
    if (header.next_id == 0) category.RaiseDamaged("its article IDs have run out.");
    ArticleRecord record;
    if (parent_id != 0) record.parent = FindArticle(category, parent_id).value_or(0);
    if (record.parent != 0) ReadRecord(category, record.parent);  // it must be an article
    const uint32_t block = AllocateBlocks(category, 1);
    record.id = header.next_id;
    record.date = date;
    record.flags = flags;
    record.title = title.substr(0, kTitleField - 1);
    record.poster = poster.substr(0, kPosterField - 1);
    record.identifier =
        identifier.empty() ? NewIdentifier(random_) : identifier.substr(0, kIdentifierField - 1);
    LinkLast(category, block, record);
    AddToIndex(category, record.id, block);
    if (!flavor.empty()) record.first_chunk = NewChunk(category, flavor, data);
    category.WriteBytes(block, 0, RecordBlock(record, category.BlockSize()));
    ++header.add_serial;
    ++header.article_count;
    ++header.next_id;
    DropCache(category);
    category.Commit(random_);
    return record.id;
  });
}

void NewsDatabase::AddFlavor(uint32_t id, std::string_view flavor, std::span<const uint8_t> data) {
  Described(path_, kSaveFailure, [&] {
    Category category(file_system_, path_, durability_);
    const uint32_t block = BlockOfArticle(category, id);
    uint32_t last = block;
    uint32_t next = ReadRecord(category, block).first_chunk;
    for (size_t chunks = 1; next != 0; ++chunks) {
      if (chunks >= kMaxChunks) {
        throw Omberly::CException(kErrorClassFile, kErrorCodeInUse,
                                  "The news article has as many flavors as it can hold.");
      }
      last = next;
      next = ReadChunkHeader(category, next).next;
    }
    category.WriteWord(last, kChunkNextOffset, NewChunk(category, flavor, data));
    DropCache(category);
    category.Commit(random_);
  });
}

std::vector<uint8_t> NewsDatabase::GetArticle(uint32_t id, std::string_view flavor,
                                              ArticleInfo* info) const {
  return Described(path_, kReadFailure, [&] {
    const Category category(file_system_, path_, durability_);
    const uint32_t block = BlockOfArticle(category, id);
    const ArticleRecord record = ReadRecord(category, block);
    if (info != nullptr) {
      const auto id_at = [&](uint32_t at) {
        return at == 0 ? 0 : category.ReadWord(at, kIdOffset);
      };
      info->id = record.id;
      info->previous_id = id_at(record.previous);
      info->next_id = id_at(record.next);
      info->parent_id = id_at(record.parent);
      info->first_child_id = id_at(record.first_child);
      info->flags = record.flags;
      info->date = record.date;
      info->title = record.title;
      info->poster = record.poster;
      info->identifier = record.identifier;
    }
    uint32_t chunk = record.first_chunk;
    for (size_t n = 0; chunk != 0 && n < kMaxSearchedFlavors; ++n) {
      const ChunkHeader header = ReadChunkHeader(category, chunk);
      if (header.flavor == flavor)
        return category.ReadBytes(chunk, header.data_offset, header.length);
      chunk = header.next;
    }
    RaiseMissing("The news article has no data of that flavor.");
  });
}

void NewsDatabase::DeleteArticle(uint32_t id, bool with_descendants) {
  Described(path_, kSaveFailure, [&] {
    Category category(file_system_, path_, durability_);
    CategoryHeader& header = category.Header();
    const uint32_t block = BlockOfArticle(category, id);
    const ArticleRecord record = ReadRecord(category, block);
    uint32_t deleted = 1;
    if (with_descendants) {
      const auto articles = SubtreeChildrenFirst(category, block, record);
      for (const auto& [at, article] : articles) FreeArticle(category, at, article);
      deleted = static_cast<uint32_t>(articles.size());
      Unlink(category, record);
    } else {
      FreeArticle(category, block, record);
      if (record.first_child != 0) {
        PromoteFirstChild(category, block, record);
      } else {
        Unlink(category, record);
      }
    }
    header.article_count -= std::min(header.article_count, deleted);
    DropCache(category);
    category.Commit(random_);
  });
}

std::vector<uint8_t> NewsDatabase::ArticleList(bool full) {
  return Described(path_, kReadFailure, [&] {
    Category category(file_system_, path_, durability_);
    CategoryHeader& header = category.Header();
    if (!full && header.cache_first != 0) {
      const uint64_t start = category.BlockOffset(header.cache_first);
      if (start + header.cache_length > category.File().Size()) {
        category.RaiseDamaged("its cached article list lies past its end.");
      }
      return category.ReadBytes(header.cache_first, 0, header.cache_length);
    }
    std::vector<uint8_t> list = BuildArticleList(category, full);
    if (full) return list;
    try {
      const uint32_t blocks = static_cast<uint32_t>(list.size() / category.BlockSize() + 1);
      const uint32_t first = AllocateBlocks(category, blocks);
      std::vector<uint8_t> padded = list;
      padded.resize(size_t{blocks} * category.BlockSize(), 0);
      category.WriteBytes(first, 0, padded);
      header.cache_first = first;
      header.cache_length = static_cast<uint32_t>(list.size());
      category.Commit(random_);
    } catch (const Omberly::CException&) {
      // The list is sent all the same; the next request builds it again.
    }
    return list;
  });
}

}  // namespace vantrel
