#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "news/category_file.h"
#include "news/news_database.h"
#include "news_database_test_support.h"
#include "platform/exception.h"
#include "support/fault_injecting_file_system.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// What a reader sees of a category: its summary and its full article list.
std::string ReaderView(NewsDatabase& database) {
  const CategorySummary summary = database.Summary();
  const ByteString list = database.ArticleList(true);
  return std::to_string(summary.article_count) + "/" + std::to_string(summary.add_serial) + "/" +
         std::string(list.begin(), list.end());
}

class NewsCrashTest : public NewsDatabaseTest {
 protected:
  // A category with a thread 1 (replies 2 and 3, 4 replying to 2) and a
  // top-level article 5, each with a flavor.
  void CreateThreads() {
    NewsDatabase database = Created();
    Post(database, 0, "1");
    Post(database, 1, "2");
    Post(database, 1, "3");
    Post(database, 2, "4");
    Post(database, 0, "5");
  }

  std::optional<std::string> Saved(const fs::path& path) const {
    if (!fs::exists(path)) return std::nullopt;
    return ReadWholeFile(path);
  }
  static void Restore(const fs::path& path, const std::optional<std::string>& bytes) {
    fs::remove(path);
    if (bytes) std::ofstream(path, std::ios::binary) << *bytes;
  }

  // Runs `change` once without faults, then again from the same files once for
  // each step it took, failing there: each change once (a full disk), each
  // write cut short, and each operation with every one after it (the process
  // killed there). After each run the category must read as before the change
  // or as after it; as after it when the change returned; and take a new
  // article.
  void ExpectWholeOrNothing(const std::function<void(NewsDatabase&)>& change) {
    const std::optional<std::string> category = Saved(Path());
    const std::optional<std::string> journal = Saved(Journal());
    NewsDatabase database = Database();
    const std::string before = ReaderView(database);
    const uint64_t operations = disk_.Operations();
    const uint64_t changes = disk_.Changes();
    const uint64_t writes = disk_.Writes();
    change(database);
    const uint64_t operations_taken = disk_.Operations() - operations;
    const uint64_t changes_taken = disk_.Changes() - changes;
    const uint64_t writes_taken = disk_.Writes() - writes;
    const std::string after = ReaderView(database);
    ASSERT_NE(after, before);
    ASSERT_GT(writes_taken, 0u);

    const auto run = [&](const std::string& fault, const std::function<void()>& set_fault) {
      SCOPED_TRACE(fault);
      Restore(Path(), category);
      Restore(Journal(), journal);
      set_fault();
      bool returned = false;
      try {
        change(database);
        returned = true;
      } catch (const Omberly::CException& failure) {
        EXPECT_EQ(failure.ErrorClass(), kErrorClassFile);
      }
      disk_.Heal();
      try {
        const std::string view = ReaderView(database);
        if (returned) {
          EXPECT_EQ(view, after);
        } else {
          EXPECT_TRUE(view == before || view == after);
        }
        database.AddArticle(0, "next", "p", 0, "i", kDate);
      } catch (const Omberly::CException& failure) {
        ADD_FAILURE() << failure.what();
      }
    };
    for (uint64_t n = 1; n <= changes_taken; ++n) {
      run("change " + std::to_string(n), [&] { disk_.FailChange(n, ENOSPC); });
    }
    for (uint64_t n = 1; n <= writes_taken; ++n) {
      run("short write " + std::to_string(n), [&] { disk_.ShortWrite(n); });
    }
    for (uint64_t n = 1; n <= operations_taken; ++n) {
      run("killed at operation " + std::to_string(n),
          [&] { disk_.FailOperation(n, EIO, FaultSpan::kFromThenOn); });
    }
  }
};

TEST_F(NewsCrashTest, AddIsWholeOrNothing) {
  CreateThreads();
  ExpectWholeOrNothing(
      [](NewsDatabase& database) { database.AddArticle(2, "reply", "poster", 0, "id@x", kDate); });
}

TEST_F(NewsCrashTest, AddThatFillsTheJournalIsWholeOrNothingThroughTheCheckpoint) {
  // Deferred syncs keep the journal small: its checkpoint comes soon.
  durability_ = NewsDurability::kAtCheckpoint;
  CreateThreads();
  NewsDatabase database = Database();
  // An add's record is over 400 bytes: the next one fills the journal.
  const auto records = [&] { return fs::file_size(Journal()) - kJournalHeaderSize; };
  while (records() + 300 < kDeferredCheckpointSize) Post(database, 0, "filler");
  bool first_run = true;
  bool checkpointed = false;
  ExpectWholeOrNothing([&](NewsDatabase& changed) {
    changed.AddArticle(2, "reply", "poster", 0, "id@x", kDate);
    if (std::exchange(first_run, false)) checkpointed = records() == 0;
  });
  EXPECT_TRUE(checkpointed);
}

TEST_F(NewsCrashTest, DeleteIsWholeOrNothing) {
  for (const bool with_descendants : {true, false}) {
    SCOPED_TRACE(with_descendants);
    CreateThreads();
    ExpectWholeOrNothing(
        [&](NewsDatabase& database) { database.DeleteArticle(1, with_descendants); });
    fs::remove(Path());
  }
}

}  // namespace
}  // namespace vantrel::testing
