#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace vantrel::news_bench {

// An SQLite database open for reading and writing (created when missing);
// closed when destroyed. Failures raise std::runtime_error with SQLite's
// message. Benchmark thread only.
class SqliteConnection {
 public:
  explicit SqliteConnection(const std::filesystem::path& path);
  ~SqliteConnection();
  SqliteConnection(const SqliteConnection&) = delete;
  SqliteConnection& operator=(const SqliteConnection&) = delete;

  // Runs `sql` (one or more statements), dropping any rows.
  void Execute(const char* sql);

  sqlite3* Handle() const { return database_; }

 private:
  sqlite3* database_ = nullptr;
};

// A statement prepared on a connection; finalized when destroyed.
// REQUIRES: the connection outlives it.
class SqliteStatement {
 public:
  SqliteStatement(SqliteConnection& connection, const char* sql);
  ~SqliteStatement();
  SqliteStatement(const SqliteStatement&) = delete;
  SqliteStatement& operator=(const SqliteStatement&) = delete;

  // Parameters from 1. Text and blobs are not copied: they must stay until
  // the statement is reset or bound again.
  void BindInteger(int parameter, int64_t value);
  void BindNull(int parameter);
  void BindText(int parameter, std::string_view text);
  void BindBlob(int parameter, std::span<const uint8_t> bytes);

  // Steps once: true with a row to read, false when done.
  bool Step();
  // Steps to the end, for a statement that returns no rows.
  void Run();
  // Makes the statement ready to run again (its bindings stay).
  void Reset();

  // Columns of the current row, from 0; views stay valid until the next step.
  int64_t Integer(int column) const;
  std::string_view Text(int column) const;
  std::span<const uint8_t> Blob(int column) const;

 private:
  SqliteConnection& connection_;
  sqlite3_stmt* statement_ = nullptr;
};

}  // namespace vantrel::news_bench
