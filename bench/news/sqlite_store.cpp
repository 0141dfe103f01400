#include "sqlite_store.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "news/news_database.h"

namespace vantrel::news_bench {
namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "CREATE TABLE articles (id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, title TEXT NOT NULL,"
    " poster TEXT NOT NULL, identifier TEXT NOT NULL, date BLOB NOT NULL,"
    " flags INTEGER NOT NULL);"
    "CREATE INDEX articles_by_parent ON articles (parent);"
    "CREATE TABLE flavors (article INTEGER NOT NULL, name TEXT NOT NULL, data BLOB NOT NULL,"
    " PRIMARY KEY (article, name));";

// The statements the store runs, prepared once per session on first use.
enum Query : uint8_t {
  kBegin,
  kCommit,
  kInsertArticle,
  kInsertFlavor,
  kReadArticle,
  kList,
  kDeleteFlavors,
  kDeleteArticles,
  kCount,
  kQueries
};

constexpr std::array<const char*, kQueries> kSql = {
    "BEGIN",
    "COMMIT",
    "INSERT INTO articles (id, parent, title, poster, identifier, date, flags)"
    " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
    "INSERT INTO flavors (article, name, data) VALUES (?1, ?2, ?3)",
    // The record with its neighbours among its siblings, its first reply and
    // the flavor's data.
    "SELECT a.parent, a.flags, a.date, a.title, a.poster, a.identifier,"
    " (SELECT max(id) FROM articles WHERE parent = a.parent AND id < a.id),"
    " (SELECT min(id) FROM articles WHERE parent = a.parent AND id > a.id),"
    " (SELECT min(id) FROM articles WHERE parent = a.id), f.data"
    " FROM articles a JOIN flavors f ON f.article = a.id AND f.name = ?2 WHERE a.id = ?1",
    // Per flavor of each article in ID order: what the short-form list holds.
    "SELECT a.id, a.date, a.parent, a.flags, a.title, a.poster, f.name, length(f.data)"
    " FROM articles a JOIN flavors f ON f.article = a.id ORDER BY a.id, f.name",
    "WITH RECURSIVE thread(id) AS (SELECT ?1 UNION ALL"
    " SELECT a.id FROM articles a JOIN thread t ON a.parent = t.id)"
    " DELETE FROM flavors WHERE article IN thread",
    "WITH RECURSIVE thread(id) AS (SELECT ?1 UNION ALL"
    " SELECT a.id FROM articles a JOIN thread t ON a.parent = t.id)"
    " DELETE FROM articles WHERE id IN thread",
    "SELECT count(*) FROM articles",
};

void Put32(std::vector<uint8_t>& bytes, uint64_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void Put16(std::vector<uint8_t>& bytes, uint64_t value) {
  bytes.push_back(static_cast<uint8_t>(value >> 8));
  bytes.push_back(static_cast<uint8_t>(value));
}

// A text of at most 255 bytes after its length byte.
void PutText(std::vector<uint8_t>& bytes, std::string_view text) {
  text = text.substr(0, 255);
  bytes.push_back(static_cast<uint8_t>(text.size()));
  bytes.insert(bytes.end(), text.begin(), text.end());
}

void InsertArticle(SqliteStatement& statement, std::optional<uint32_t> id, uint32_t parent_id,
                   const PlannedArticle& article) {
  statement.Reset();
  if (id) {
    statement.BindInteger(1, *id);
  } else {
    statement.BindNull(1);
  }
  statement.BindInteger(2, parent_id);
  statement.BindText(3, article.title);
  statement.BindText(4, article.poster);
  statement.BindText(5, article.identifier);
  statement.BindBlob(6, article.date);
  statement.BindInteger(7, article.flags);
  statement.Run();
}

void InsertFlavor(SqliteStatement& statement, int64_t id, std::span<const uint8_t> body) {
  statement.Reset();
  statement.BindInteger(1, id);
  statement.BindText(2, kFlavor);
  statement.BindBlob(3, body);
  statement.Run();
}

}  // namespace

class SqliteStore::Session {
 public:
  Session(const std::filesystem::path& path, Durability durability) : connection_(path) {
    connection_.Execute(durability == Durability::kSync ? "PRAGMA synchronous=FULL"
                                                        : "PRAGMA synchronous=OFF");
  }

  SqliteStatement& Statement(Query query) {
    auto& statement = statements_[query];
    if (!statement) statement = std::make_unique<SqliteStatement>(connection_, kSql[query]);
    statement->Reset();
    return *statement;
  }

  // The ID of the article inserted last.
  int64_t LastId() const { return sqlite3_last_insert_rowid(connection_.Handle()); }

 private:
  SqliteConnection connection_;
  // Declared after the connection: finalized before it closes.
  std::array<std::unique_ptr<SqliteStatement>, kQueries> statements_;
};

void BuildSqliteCategory(const CategoryPlan& plan, std::span<const uint32_t> ids,
                         const std::filesystem::path& path) {
  SqliteConnection connection(path);
  connection.Execute(kSchema);
  connection.Execute("PRAGMA synchronous=OFF; BEGIN");
  SqliteStatement article(connection, kSql[kInsertArticle]);
  SqliteStatement flavor(connection, kSql[kInsertFlavor]);
  const auto& articles = plan.Articles();
  for (size_t i = 0; i < articles.size(); ++i) {
    const uint32_t parent_id = articles[i].top_level ? 0 : ids[articles[i].parent];
    InsertArticle(article, ids[i], parent_id, articles[i]);
    InsertFlavor(flavor, ids[i], plan.Body(articles[i]));
  }
  connection.Execute("COMMIT; PRAGMA wal_checkpoint(TRUNCATE)");
}

SqliteStore::SqliteStore(std::filesystem::path path, Connection connection, Durability durability)
    : path_(std::move(path)), connection_(connection), durability_(durability) {}

SqliteStore::~SqliteStore() = default;

SqliteStore::Session& SqliteStore::Open(std::unique_ptr<Session>& fresh) {
  if (connection_ == Connection::kOpenPerOperation) {
    fresh = std::make_unique<Session>(path_, durability_);
    return *fresh;
  }
  if (!kept_) kept_ = std::make_unique<Session>(path_, durability_);
  return *kept_;
}

void SqliteStore::PostReply(uint32_t parent_id, const PlannedArticle& article,
                            std::span<const uint8_t> body) {
  std::unique_ptr<Session> fresh;
  Session& session = Open(fresh);
  session.Statement(kBegin).Run();
  auto& insert = session.Statement(kInsertArticle);
  InsertArticle(insert, std::nullopt, parent_id, article);
  const int64_t id = session.LastId();
  InsertFlavor(session.Statement(kInsertFlavor), id, body);
  session.Statement(kCommit).Run();
}

size_t SqliteStore::ReadArticle(uint32_t id) {
  std::unique_ptr<Session> fresh;
  auto& read = Open(fresh).Statement(kReadArticle);
  read.BindInteger(1, id);
  read.BindText(2, kFlavor);
  if (!read.Step()) throw std::runtime_error("SQLite: no article " + std::to_string(id));
  // What the news database's GetArticle hands back: the record and a copy of the data.
  ArticleInfo info;
  info.id = id;
  info.parent_id = static_cast<uint32_t>(read.Integer(0));
  info.flags = static_cast<uint32_t>(read.Integer(1));
  const auto date = read.Blob(2);
  if (date.size() == info.date.size()) std::copy(date.begin(), date.end(), info.date.begin());
  info.title = read.Text(3);
  info.poster = read.Text(4);
  info.identifier = read.Text(5);
  info.previous_id = static_cast<uint32_t>(read.Integer(6));
  info.next_id = static_cast<uint32_t>(read.Integer(7));
  info.first_child_id = static_cast<uint32_t>(read.Integer(8));
  const auto data = read.Blob(9);
  const std::vector<uint8_t> body(data.begin(), data.end());
  read.Reset();
  return body.size();
}

size_t SqliteStore::ListArticles() {
  std::unique_ptr<Session> fresh;
  auto& list = Open(fresh).Statement(kList);
  // The short form: a header (the article count is set at the end), then per
  // article its ID, date, parent's ID, flags, flavor count, title and poster,
  // and per flavor its name and size.
  list_.clear();
  Put32(list_, 0);
  Put32(list_, 0);
  PutText(list_, kCategoryName);
  PutText(list_, "");
  uint32_t articles = 0;
  int64_t last_id = -1;
  size_t flavor_count_at = 0;
  while (list.Step()) {
    const int64_t id = list.Integer(0);
    if (id != last_id) {
      last_id = id;
      ++articles;
      Put32(list_, static_cast<uint64_t>(id));
      const auto date = list.Blob(1);
      list_.insert(list_.end(), date.begin(), date.end());
      Put32(list_, static_cast<uint64_t>(list.Integer(2)));
      Put32(list_, static_cast<uint64_t>(list.Integer(3)));
      flavor_count_at = list_.size();
      Put16(list_, 0);
      PutText(list_, list.Text(4));
      PutText(list_, list.Text(5));
    }
    ++list_[flavor_count_at + 1];  // fewer than 256 flavors an article here
    PutText(list_, list.Text(6));
    Put16(list_, static_cast<uint64_t>(list.Integer(7)));
  }
  list.Reset();
  for (int i = 0; i < 4; ++i) list_[4 + i] = static_cast<uint8_t>(articles >> (24 - 8 * i));
  return list_.size();
}

void SqliteStore::DeleteThread(uint32_t id) {
  std::unique_ptr<Session> fresh;
  Session& session = Open(fresh);
  session.Statement(kBegin).Run();
  auto& flavors = session.Statement(kDeleteFlavors);
  flavors.BindInteger(1, id);
  flavors.Run();
  auto& articles = session.Statement(kDeleteArticles);
  articles.BindInteger(1, id);
  articles.Run();
  session.Statement(kCommit).Run();
}

uint32_t SqliteStore::ArticleCount() {
  std::unique_ptr<Session> fresh;
  auto& count = Open(fresh).Statement(kCount);
  if (!count.Step()) throw std::runtime_error("SQLite: no count");
  const auto articles = static_cast<uint32_t>(count.Integer(0));
  count.Reset();
  return articles;
}

}  // namespace vantrel::news_bench
