#include "news_store.h"

namespace vantrel::news_bench {
namespace {

// Seeds the category's GUID and any identifier it makes: runs repeat.
constexpr uint64_t kSeed = 1;

}  // namespace

std::vector<uint32_t> BuildNewsCategory(const CategoryPlan& plan,
                                        const std::filesystem::path& path) {
  NoSyncFileSystem no_sync(FileSystem::Default());
  Random random(kSeed);
  NewsDatabase database(no_sync, path, random);
  database.Create(kCategoryName, "");
  const auto& articles = plan.Articles();
  std::vector<uint32_t> ids(articles.size(), 0);
  for (size_t i = 0; i < articles.size(); ++i) {
    const PlannedArticle& article = articles[i];
    const uint32_t parent_id = article.top_level ? 0 : ids[article.parent];
    ids[i] = database.AddArticle(parent_id, article.title, article.poster, article.flags,
                                 article.identifier, article.date, kFlavor, plan.Body(article));
  }
  FileSystem::Default().OpenForWriting(path, WriteMode::kAppend)->Sync();
  return ids;
}

NewsStore::NewsStore(const std::filesystem::path& path, Durability durability)
    : no_sync_(FileSystem::Default()),
      random_(kSeed),
      database_(durability == Durability::kSync ? FileSystem::Default() : no_sync_, path, random_) {
}

void NewsStore::PostReply(uint32_t parent_id, const PlannedArticle& article,
                          std::span<const uint8_t> body) {
  database_.AddArticle(parent_id, article.title, article.poster, article.flags, article.identifier,
                       article.date, kFlavor, body);
}

size_t NewsStore::ReadArticle(uint32_t id) {
  ArticleInfo info;
  return database_.GetArticle(id, kFlavor, &info).size();
}

size_t NewsStore::ListArticles() {
  return database_.ArticleList(false).size();
}

void NewsStore::DeleteThread(uint32_t id) {
  database_.DeleteArticle(id, true);
}

uint32_t NewsStore::ArticleCount() {
  return database_.Summary().article_count;
}

}  // namespace vantrel::news_bench
