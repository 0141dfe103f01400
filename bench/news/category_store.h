#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "category_plan.h"

namespace vantrel::news_bench {

// Whether each operation that changes a category makes its change durable
// before it returns: the news database syncs its journal; SQLite runs with
// synchronous=FULL. Without: no sync at all on either side.
enum class Durability : uint8_t { kSync, kNoSync };

// One way of keeping the benchmark's category, driven one operation at a time
// by the benchmark; each operation is the one measured. Failures raise.
// Benchmark thread only.
class CategoryStore {
 public:
  virtual ~CategoryStore() = default;
  CategoryStore(const CategoryStore&) = delete;
  CategoryStore& operator=(const CategoryStore&) = delete;

  // Adds `article` with its text/plain `body` as the last reply to `parent_id`.
  virtual void PostReply(uint32_t parent_id, const PlannedArticle& article,
                         std::span<const uint8_t> body) = 0;
  // Reads the article `id`, its record and its text/plain body, and returns
  // the body's size.
  virtual size_t ReadArticle(uint32_t id) = 0;
  // Builds the short-form article list and returns its size in bytes.
  virtual size_t ListArticles() = 0;
  // Deletes the article `id` and all its descendants.
  virtual void DeleteThread(uint32_t id) = 0;
  // The articles the category holds.
  virtual uint32_t ArticleCount() = 0;

 protected:
  CategoryStore() = default;
};

}  // namespace vantrel::news_bench
