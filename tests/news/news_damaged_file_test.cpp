#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "news/news_database.h"
#include "news_database_test_support.h"
#include "platform/exception.h"

namespace vantrel::testing {
namespace {

using ::testing::HasSubstr;

// Where things are in the category the test makes: article 1 in block 3 (its
// index list in block 4, its flavor in block 5), article 2 in block 6.
constexpr size_t kBlock3 = 512 + 2 * 256;
constexpr size_t kBlock5 = 512 + 4 * 256;
constexpr size_t kBlock6 = 512 + 5 * 256;
constexpr size_t kBucket1 = 512 + 256 + 8;

TEST_F(NewsDatabaseTest, DamagedFilesRaiseClassFourSayingWhat) {
  {
    NewsDatabase database = Created();
    Post(database, 0, "1");
    Post(database, 0, "2");
    database.ArticleList(false);
  }
  DropJournal();  // the file alone is the category, damaged as below
  const std::string whole = ReadWholeFile(Path());

  struct Case {
    const char* damage;
    std::function<void()> damage_it;
    std::function<void(NewsDatabase&)> operation;
    const char* says;
  };
  const auto summary = [](NewsDatabase& database) { database.Summary(); };
  const auto list = [](NewsDatabase& database) { database.ArticleList(true); };
  const auto get = [](NewsDatabase& database) { database.GetArticle(1, "text/plain"); };
  const Case cases[] = {
      {"cut short", [&] { std::filesystem::resize_file(Path(), 300); }, summary,
       "shorter than its header"},
      {"another format", [&] { Patch(0, Bytes("XNNZ")); }, summary, "not a news category"},
      {"version 3",
       [&] {
         Patch(4, {0, 0, 0, 3});
       },
       summary, "version"},
      {"block size 100",
       [&] {
         Patch(32, {0, 0, 0, 100});
       },
       summary, "block size"},
      {"siblings in a loop",
       [&] {
         Patch(kBlock6 + 44, {0, 0, 0, 3});
       },
       list, "loop"},
      {"its own child",
       [&] {
         Patch(kBlock3 + 52, {0, 0, 0, 3});
       },
       list, "loop"},
      {"a child that is the index",
       [&] {
         Patch(kBlock3 + 52, {0, 0, 0, 2});
       },
       list, "other than an article"},
      {"a link past the end",
       [&] {
         Patch(kBlock3 + 52, {0, 0, 0x10, 0});
       },
       list, "past its end"},
      {"an index out of order",
       [&] {
         Patch(kBucket1 + 4, {0, 0, 0, 2});
       },
       get, "out of order"},
      {"an index count that lies",
       [&] {
         Patch(kBucket1 + 4, {0x10, 0, 0, 0});
       },
       get, "counts more articles"},
      {"a flavor length that lies",
       [&] {
         Patch(kBlock5 + 4, {0xFF, 0xFF, 0xFF, 0});
       },
       get, "past its end"},
      {"a cache past the end",
       [&] {
         Patch(36, {0, 0x10, 0, 0});
       },
       [](NewsDatabase& database) { database.ArticleList(false); }, "cached article list"},
      {"a bitmap past the end",
       [&] {
         Patch(64, {0, 0x10, 0, 0});
       },
       [](NewsDatabase& database) { database.AddArticle(0, "A", "p", 0, "i", kDate); },
       "bitmap lies past"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.damage);
    std::filesystem::remove(Path());
    std::ofstream(Path(), std::ios::binary) << whole;
    c.damage_it();
    NewsDatabase database = Database();
    try {
      c.operation(database);
      ADD_FAILURE() << "no failure raised";
    } catch (const Omberly::CException& failure) {
      EXPECT_EQ(failure.ErrorClass(), kErrorClassFile);
      EXPECT_THAT(failure.Description(), HasSubstr("\xD2General\xD3 is damaged"));
      EXPECT_THAT(failure.Description(), HasSubstr(c.says));
    }
  }
}

}  // namespace
}  // namespace vantrel::testing
