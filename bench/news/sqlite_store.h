#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

#include "category_plan.h"
#include "category_store.h"
#include "sqlite_connection.h"

namespace vantrel::news_bench {

// Writes the plan's articles into a new SQLite database at `path`, each under
// the ID `ids` gives its index: a table of articles (id, parent: 0 at the top
// level, title, poster, identifier, date, flags; siblings in ID order) with an
// index on parent, and a table of flavors (article, name, data), in WAL mode.
// Written in one transaction without syncs, then checkpointed and closed.
void BuildSqliteCategory(const CategoryPlan& plan, std::span<const uint32_t> ids,
                         const std::filesystem::path& path);

// Whether a store opens its database for each operation and closes it after,
// as the news database does, or keeps one connection and its prepared
// statements from its first operation to its end.
enum class Connection : uint8_t { kOpenPerOperation, kKeptOpen };

// The category in an SQLite database written by BuildSqliteCategory: a reply
// is posted, and a thread deleted, in one transaction each (synchronous=FULL
// or OFF, as `durability` says).
class SqliteStore final : public CategoryStore {
 public:
  SqliteStore(std::filesystem::path path, Connection connection, Durability durability);
  ~SqliteStore() override;

  void PostReply(uint32_t parent_id, const PlannedArticle& article,
                 std::span<const uint8_t> body) override;
  size_t ReadArticle(uint32_t id) override;
  size_t ListArticles() override;
  void DeleteThread(uint32_t id) override;
  uint32_t ArticleCount() override;

 private:
  // A connection with the statements prepared on it so far.
  class Session;

  // The session an operation works in: the kept one, or a new one in `fresh`.
  Session& Open(std::unique_ptr<Session>& fresh);

  std::filesystem::path path_;
  Connection connection_;
  Durability durability_;
  std::unique_ptr<Session> kept_;
  std::vector<uint8_t> list_;  // the last list built
};

}  // namespace vantrel::news_bench
