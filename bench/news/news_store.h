#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "category_plan.h"
#include "category_store.h"
#include "news/news_database.h"
#include "no_sync_file_system.h"
#include "platform/random.h"

namespace vantrel::news_bench {

// Writes the plan's articles into a new category file at `path` with the news
// database, article by article (each added with its flavor), without syncs,
// and syncs the file once at the end. Returns the ID each article got, by its
// index in the plan.
std::vector<uint32_t> BuildNewsCategory(const CategoryPlan& plan,
                                        const std::filesystem::path& path);

// The category file at `path`, through the news database: over the real file
// system, or with kNoSync over a wrapper whose syncs do nothing.
class NewsStore final : public CategoryStore {
 public:
  NewsStore(const std::filesystem::path& path, Durability durability);

  void PostReply(uint32_t parent_id, const PlannedArticle& article,
                 std::span<const uint8_t> body) override;
  size_t ReadArticle(uint32_t id) override;
  size_t ListArticles() override;
  void DeleteThread(uint32_t id) override;
  uint32_t ArticleCount() override;

 private:
  NoSyncFileSystem no_sync_;
  Random random_;
  NewsDatabase database_;
};

}  // namespace vantrel::news_bench
