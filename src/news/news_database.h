#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "files/date_stamp.h"
#include "platform/file_system.h"
#include "platform/random.h"

namespace vantrel {

// A 16-byte GUID as the category file holds it.
using Guid = std::array<uint8_t, 16>;

// What the header of a category file says of it.
struct CategorySummary {
  Guid guid{};
  uint32_t article_count = 0;
  uint32_t add_serial = 0;
  uint32_t second_serial = 0;
  std::string name;         // Mac Roman, at most 31 bytes
  std::string description;  // Mac Roman, at most 255 bytes
};

// One article as Get article reads it: the neighbours by ID (0 where there is
// none) and the record's texts.
struct ArticleInfo {
  uint32_t id = 0;
  uint32_t previous_id = 0;
  uint32_t next_id = 0;
  uint32_t parent_id = 0;
  uint32_t first_child_id = 0;
  uint32_t flags = 0;
  DateStamp date{};
  std::string title;       // at most 63 bytes
  std::string poster;      // at most 31 bytes
  std::string identifier;  // at most 63 bytes
};

// When a change that returned is on the disk for sure.
enum class NewsDurability : uint8_t {
  // Each operation that changes the file syncs its journal record before it
  // returns: nothing it did is lost, even when the system crashes.
  kEveryChange,
  // Only checkpoints sync (news_journal.h): a crash of the process loses
  // nothing, a crash of the system may lose the latest changes; either leaves
  // the file whole.
  kAtCheckpoint,
};

// One news category file ("Name.vnz", type "VNNZ", creator "VRSV"): a 512-byte
// header and blocks holding an allocation bitmap, an ID index of buckets, and
// articles as chains of chunks (the article record, then one chunk per data
// flavor), threaded by parent, first-child and sibling links; and the
// flattened article list (`CNZArticleList`) cached in the file. Every
// operation opens the file, works and closes it: nothing is kept in memory
// between operations. Every operation that changes the file either happens
// whole or not at all, even when the process dies or the disk fails in the
// middle of it: its change is first written to the journal "Name.vnz.journal"
// beside the file (category_file.h), which belongs to the category and is
// read by every operation. Failures raise Omberly::CException (a damaged file:
// class 4, with a description). Core thread only.
class NewsDatabase {
 public:
  // The category file at `path`, through `file_system`; `random` makes GUIDs
  // and article identifiers. REQUIRES: both outlive the object.
  NewsDatabase(FileSystem& file_system, std::filesystem::path path, Random& random,
               NewsDurability durability = NewsDurability::kEveryChange);

  // Writes a new, empty category file of 1024 bytes named `name` (cut to 31)
  // with `description` (cut to 255). Raises when the file exists.
  void Create(std::string_view name, std::string_view description);

  CategorySummary Summary() const;

  // Adds an article as the last child of `parent_id` (0, or an ID the category
  // does not hold: the last top-level article) and returns its ID. `title` is
  // cut to 63 bytes, `poster` to 31; an empty `identifier` is generated. With
  // a `flavor`, the article gets its first data flavor in the same change (one
  // sync where AddFlavor after it takes a second; the file ends the same).
  uint32_t AddArticle(uint32_t parent_id, std::string_view title, std::string_view poster,
                      uint32_t flags, std::string_view identifier, const DateStamp& date,
                      std::string_view flavor = {}, std::span<const uint8_t> data = {});

  // Adds a data flavor (its name cut to 31 bytes) to the article `id`.
  void AddFlavor(uint32_t id, std::string_view flavor, std::span<const uint8_t> data);

  // The data of the flavor named exactly `flavor` of the article `id`, and the
  // article's record (`info`, when given). Raises when either is missing.
  std::vector<uint8_t> GetArticle(uint32_t id, std::string_view flavor,
                                  ArticleInfo* info = nullptr) const;

  // Deletes the article `id`, with its descendants, or promoting its first
  // child into its place. Raises when it is missing.
  void DeleteArticle(uint32_t id, bool with_descendants);

  // The flattened article list: the short form (no identifiers) from the
  // cache when the file holds one, else built (and then cached); the full form
  // always built, never cached.
  std::vector<uint8_t> ArticleList(bool full);

 private:
  FileSystem& file_system_;
  std::filesystem::path path_;
  Random& random_;
  NewsDurability durability_;
};

}  // namespace vantrel
