#include "sqlite_connection.h"

#include <sqlite3.h>

#include <stdexcept>
#include <string>

namespace vantrel::news_bench {
namespace {

[[noreturn]] void Raise(sqlite3* database, std::string_view what) {
  throw std::runtime_error("SQLite, " + std::string(what) + ": " +
                           (database != nullptr ? sqlite3_errmsg(database) : "out of memory"));
}

}  // namespace

SqliteConnection::SqliteConnection(const std::filesystem::path& path) {
  const int result = sqlite3_open_v2(path.c_str(), &database_,
                                     SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  if (result != SQLITE_OK) {
    const std::string message =
        database_ != nullptr ? sqlite3_errmsg(database_) : sqlite3_errstr(result);
    sqlite3_close(database_);
    throw std::runtime_error("SQLite, opening " + path.string() + ": " + message);
  }
}

SqliteConnection::~SqliteConnection() {
  sqlite3_close(database_);
}

void SqliteConnection::Execute(const char* sql) {
  char* message = nullptr;
  if (sqlite3_exec(database_, sql, nullptr, nullptr, &message) != SQLITE_OK) {
    const std::string text = message != nullptr ? message : "failed";
    sqlite3_free(message);
    throw std::runtime_error("SQLite, " + std::string(sql) + ": " + text);
  }
}

SqliteStatement::SqliteStatement(SqliteConnection& connection, const char* sql)
    : connection_(connection) {
  if (sqlite3_prepare_v2(connection.Handle(), sql, -1, &statement_, nullptr) != SQLITE_OK) {
    Raise(connection.Handle(), sql);
  }
}

SqliteStatement::~SqliteStatement() {
  sqlite3_finalize(statement_);
}

void SqliteStatement::BindInteger(int parameter, int64_t value) {
  if (sqlite3_bind_int64(statement_, parameter, value) != SQLITE_OK) {
    Raise(connection_.Handle(), "binding");
  }
}

void SqliteStatement::BindNull(int parameter) {
  if (sqlite3_bind_null(statement_, parameter) != SQLITE_OK) {
    Raise(connection_.Handle(), "binding");
  }
}

void SqliteStatement::BindText(int parameter, std::string_view text) {
  if (sqlite3_bind_text(statement_, parameter, text.data(), static_cast<int>(text.size()),
                        SQLITE_STATIC) != SQLITE_OK) {
    Raise(connection_.Handle(), "binding");
  }
}

void SqliteStatement::BindBlob(int parameter, std::span<const uint8_t> bytes) {
  if (sqlite3_bind_blob(statement_, parameter, bytes.data(), static_cast<int>(bytes.size()),
                        SQLITE_STATIC) != SQLITE_OK) {
    Raise(connection_.Handle(), "binding");
  }
}

bool SqliteStatement::Step() {
  const int result = sqlite3_step(statement_);
  if (result == SQLITE_ROW) return true;
  if (result == SQLITE_DONE) return false;
  Raise(connection_.Handle(), sqlite3_sql(statement_));
}

void SqliteStatement::Run() {
  while (Step()) {
  }
}

void SqliteStatement::Reset() {
  sqlite3_reset(statement_);
}

int64_t SqliteStatement::Integer(int column) const {
  return sqlite3_column_int64(statement_, column);
}

std::string_view SqliteStatement::Text(int column) const {
  const auto* text = sqlite3_column_text(statement_, column);
  return {reinterpret_cast<const char*>(text),
          static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
}

std::span<const uint8_t> SqliteStatement::Blob(int column) const {
  const auto* bytes = static_cast<const uint8_t*>(sqlite3_column_blob(statement_, column));
  return {bytes, static_cast<size_t>(sqlite3_column_bytes(statement_, column))};
}

}  // namespace vantrel::news_bench
