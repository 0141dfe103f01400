#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "news/category_file.h"
#include "news/news_database.h"
#include "news_database_test_support.h"
#include "platform/exception.h"

namespace vantrel::testing {
namespace {

using ::testing::MatchesRegex;

TEST_F(NewsDatabaseTest, NewCategoryIsAHeaderABitmapAndAnEmptyIndex) {
  NewsDatabase database = Created();
  ByteString bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 1024u);
  EXPECT_EQ(bytes[14] & 0xF0, 0x40);  // a random GUID (version 4)
  std::fill(bytes.begin() + 8, bytes.begin() + 24, 0);
  const ByteString expected = Join({
      {'V', 'N', 'N', 'Z', 0, 0, 0, 2},  // format, version
      Zeros(16),                         // the GUID
      {0, 0, 0, 1},                      // add serial
      {0, 0, 0, 1},                      // second serial
      {0, 0, 1, 0},                      // block size 256
      {0, 0, 0, 0, 0, 0, 0, 0},          // no cached list
      {0, 0, 0, 0},                      // no articles
      {0, 0, 0, 0, 0, 0, 0, 0},          // first and last top-level article
      {0, 0, 0, 1},                      // next ID
      {0, 0, 0, 1, 0, 0, 0, 1},          // bitmap: block 1, 1 block
      {0, 0, 0, 1},                      // allocation hint
      {0, 0, 0, 2, 0, 0, 0, 31},         // index: block 2, 32 buckets
      Zeros(12),                         //
      Field("General", 32),              //
      Field("All sorts", 256),           //
      Zeros(132),                        //
      {0xC0},
      Zeros(255),  // block 1: blocks 1 and 2 in use
      Zeros(256),  // block 2: empty buckets
  });
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(Raised([&] { database.Create("Other", ""); }),
            std::pair(kErrorClassFile, kErrorCodeExists));
  EXPECT_EQ(FileBytes().size(), 1024u);
}

TEST_F(NewsDatabaseTest, FirstArticleTakesIdOneAndBlockThree) {
  NewsDatabase database = Created();
  EXPECT_EQ(database.AddArticle(0, "Hello", "ann", 5, "id@x", kDate), 1u);
  const ByteString bytes = FileBytes();
  ASSERT_EQ(bytes.size(), 512u + 4 * 256);
  EXPECT_EQ(FileBytes(24, 56), Join({
                                   {0, 0, 0, 2},              // add serial
                                   {0, 0, 0, 1},              // second serial
                                   {0, 0, 1, 0},              // block size
                                   Zeros(8),                  // no cached list
                                   {0, 0, 0, 1},              // one article
                                   {0, 0, 0, 3, 0, 0, 0, 3},  // first and last top-level
                                   {0, 0, 0, 2},              // next ID
                                   {0, 0, 0, 1, 0, 0, 0, 1},  // bitmap
                                   {0, 0, 0, 1},              // hint
                                   {0, 0, 0, 2, 0, 0, 0, 31},
                               }));
  EXPECT_EQ(FileBytes(512, 1), ByteString{0xF0});  // blocks 1 to 4 in use
  // Bucket 1 of the index: its list in block 4, one entry: ID 1 in block 3.
  EXPECT_EQ(FileBytes(512 + 256 + 8, 8), (ByteString{0, 0, 0, 4, 0, 0, 0, 1}));
  EXPECT_EQ(FileBytes(512 + 3 * 256, 256), Join({{0, 0, 0, 1, 0, 0, 0, 3}, Zeros(248)}));
  EXPECT_EQ(FileBytes(512 + 2 * 256, 256), Join({
                                               {0, 0, 0, 0},    // no further chunk
                                               {0, 0, 0, 192},  // data length
                                               Pascal("application/x-vnnewsitem"),
                                               Zeros(3),      //
                                               {0, 0, 0, 1},  // ID
                                               Zeros(16),     // no links
                                               {0x07, 0xEA, 0, 0, 0x00, 0x56, 0x31, 0x5A},  // date
                                               {0, 0, 0, 5},                                // flags
                                               Field("Hello", 64),                          //
                                               Field("ann", 32),                            //
                                               Field("id@x", 64),                           //
                                               Zeros(28),  // to the block's end
                                           }));
}

TEST_F(NewsDatabaseTest, TextsAreCutToTheirFields) {
  NewsDatabase database = Database();
  database.Create(std::string(40, 'n'), std::string(300, 'd'));
  const CategorySummary summary = database.Summary();
  EXPECT_EQ(summary.name, std::string(31, 'n'));
  EXPECT_EQ(summary.description, std::string(255, 'd'));

  const uint32_t id = database.AddArticle(0, std::string(70, 't'), std::string(40, 'p'), 0,
                                          std::string(70, 'i'), kDate);
  database.AddFlavor(id, std::string(40, 'f'), AsBytes("x"));
  ArticleInfo info;
  EXPECT_EQ(database.GetArticle(id, std::string(31, 'f'), &info), Bytes("x"));
  EXPECT_EQ(info.title, std::string(63, 't'));
  EXPECT_EQ(info.poster, std::string(31, 'p'));
  EXPECT_EQ(info.identifier, std::string(63, 'i'));
}

TEST_F(NewsDatabaseTest, ArticlesPostedWithoutAnIdentifierGetANewOne) {
  NewsDatabase database = Created();
  const std::string first = Info(database, Post(database, 0, "A")).identifier;
  EXPECT_THAT(first, MatchesRegex("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-"
                                  "[0-9A-F]{12}@news\\.vantrel\\.invalid"));
  EXPECT_NE(Info(database, Post(database, 0, "B")).identifier, first);
}

TEST_F(NewsDatabaseTest, RepliesAreLinkedAsTheLastChildOfTheirParent) {
  NewsDatabase database = Created();
  Post(database, 0, "1");
  Post(database, 0, "2");
  Post(database, 1, "3");
  Post(database, 1, "4");
  Post(database, 3, "5");
  Post(database, 99, "6");  // no such parent: top-level
  struct Links {
    uint32_t id, previous, next, parent, first_child;
  };
  const Links expected[] = {
      {1, 0, 2, 0, 3}, {2, 1, 6, 0, 0}, {3, 0, 4, 1, 5},
      {4, 3, 0, 1, 0}, {5, 0, 0, 3, 0}, {6, 2, 0, 0, 0},
  };
  for (const Links& links : expected) {
    const ArticleInfo info = Info(database, links.id);
    EXPECT_EQ(info.previous_id, links.previous) << links.id;
    EXPECT_EQ(info.next_id, links.next) << links.id;
    EXPECT_EQ(info.parent_id, links.parent) << links.id;
    EXPECT_EQ(info.first_child_id, links.first_child) << links.id;
  }
}

TEST_F(NewsDatabaseTest, FlavorChunkEndingOnABlockBoundaryTakesNoPaddingBlock) {
  NewsDatabase database = Created();
  const uint32_t id = database.AddArticle(0, "T", "p", 0, "i", kDate);
  ASSERT_EQ(FileBytes().size(), 512u + 4 * 256);
  // 8 + "text/plain" in 12 + 236 bytes: exactly block 5.
  database.AddFlavor(id, "text/plain", ByteString(236, 'x'));
  EXPECT_EQ(FileBytes().size(), 512u + 5 * 256);
  EXPECT_EQ(FileBytes(512 + 4 * 256, 21),
            Join({{0, 0, 0, 0, 0, 0, 0, 236}, Pascal("text/plain"), {0}, Bytes("x")}));
  EXPECT_EQ(FileBytes(512 + 2 * 256, 4), (ByteString{0, 0, 0, 5}));  // the record's first
  // One byte more takes blocks 6 and 7; the first chunk links it.
  database.AddFlavor(id, "text/plain", ByteString(237, 'y'));
  EXPECT_EQ(FileBytes().size(), 512u + 7 * 256);
  EXPECT_EQ(FileBytes(512 + 4 * 256, 4), (ByteString{0, 0, 0, 6}));
  EXPECT_EQ(database.GetArticle(id, "text/plain"), ByteString(236, 'x'));  // the first match
}

TEST_F(NewsDatabaseTest, ArticleAddedWithItsFlavorEndsAsWhenTheFlavorIsAddedAfter) {
  NewsDatabase database = Created();
  database.AddArticle(0, "A", "p", 0, "i1", kDate);
  database.AddFlavor(1, "text/plain", AsBytes("first"));
  ByteString in_two = FileBytes();
  std::filesystem::remove(Path());
  database.Create("General", "All sorts");
  database.AddArticle(0, "A", "p", 0, "i1", kDate, "text/plain", AsBytes("first"));
  ByteString in_one = FileBytes();
  std::fill(in_two.begin() + 8, in_two.begin() + 24, 0);  // the GUIDs aside
  std::fill(in_one.begin() + 8, in_one.begin() + 24, 0);
  EXPECT_EQ(in_one, in_two);
}

TEST_F(NewsDatabaseTest, MissingArticlesAndFlavorsRaiseNotFound) {
  NewsDatabase database = Created();
  const uint32_t id = Post(database, 0, "A");
  const std::function<void()> calls[] = {
      [&] { database.GetArticle(id + 1, "text/plain"); },
      [&] { database.GetArticle(id, "text/html"); },
      [&] { database.AddFlavor(id + 1, "text/plain", AsBytes("x")); },
      [&] { database.DeleteArticle(id + 1, true); },
  };
  for (const auto& call : calls) {
    EXPECT_EQ(Raised(call), std::pair(kErrorClassFile, kErrorCodeNotFound));
  }
}

TEST_F(NewsDatabaseTest, DeleteWithoutDescendantsPutsTheFirstChildInItsPlace) {
  NewsDatabase database = Created();
  Post(database, 0, "1");  // the only top-level article
  Post(database, 1, "2");
  Post(database, 1, "3");
  Post(database, 1, "4");
  Post(database, 2, "5");
  database.DeleteArticle(1, false);
  Post(database, 0, "6");  // after the last top-level article, now 2
  struct Links {
    uint32_t id, previous, next, parent, first_child;
  };
  const Links expected[] = {
      {2, 0, 6, 0, 5}, {5, 0, 3, 2, 0}, {3, 5, 4, 2, 0}, {4, 3, 0, 2, 0}, {6, 2, 0, 0, 0},
  };
  for (const Links& links : expected) {
    const ArticleInfo info = Info(database, links.id);
    EXPECT_EQ(info.previous_id, links.previous) << links.id;
    EXPECT_EQ(info.next_id, links.next) << links.id;
    EXPECT_EQ(info.parent_id, links.parent) << links.id;
    EXPECT_EQ(info.first_child_id, links.first_child) << links.id;
  }
  EXPECT_EQ(database.Summary().article_count, 5u);
  EXPECT_EQ(Raised([&] { Info(database, 1); }), std::pair(kErrorClassFile, kErrorCodeNotFound));
  // The list starts from the header's first top-level article: 2.
  EXPECT_EQ(ByteString(database.ArticleList(false)).at(13), 2);
}

TEST_F(NewsDatabaseTest, DeleteWithDescendantsFreesTheThread) {
  NewsDatabase database = Created();
  Post(database, 0, "1");  // block 3
  Post(database, 1, "2");
  Post(database, 2, "3");
  Post(database, 0, "4");
  database.DeleteArticle(1, true);
  EXPECT_EQ(database.Summary().article_count, 1u);
  for (uint32_t gone : {1, 2, 3}) {
    EXPECT_EQ(Raised([&] { Info(database, gone); }),
              std::pair(kErrorClassFile, kErrorCodeNotFound));
  }
  EXPECT_EQ(Info(database, 4).previous_id, 0u);
  // The next article takes the first block freed.
  EXPECT_EQ(database.AddArticle(0, "5", "p", 0, "i", kDate), 5u);
  EXPECT_EQ(FileBytes(512 + 2 * 256 + 36, 4), (ByteString{0, 0, 0, 5}));
}

TEST_F(NewsDatabaseTest, ArticleListHoldsTheTreeDepthFirst) {
  NewsDatabase database = Created();
  database.AddArticle(0, "A", "x", 0, "i1", kDate);
  database.AddFlavor(1, "text/plain", AsBytes("hello"));
  database.AddArticle(0, "C", "z", 0, "i3", kDate);
  database.AddArticle(1, "B", "y", 2, "i2", kDate);
  const ByteString date(kDate.begin(), kDate.end());
  const ByteString head = {0, 0, 0, 0, 0, 0, 0, 3, 0, 0};
  // ID, date, parent, flags, flavor count, title, poster.
  const ByteString a = Join({{0, 0, 0, 1}, date, Zeros(8), {0, 1}, Pascal("A"), Pascal("x")});
  const ByteString b =
      Join({{0, 0, 0, 3}, date, {0, 0, 0, 1, 0, 0, 0, 2}, {0, 0}, Pascal("B"), Pascal("y")});
  const ByteString c = Join({{0, 0, 0, 2}, date, Zeros(8), {0, 0}, Pascal("C"), Pascal("z")});
  const ByteString flavor = Join({Pascal("text/plain"), {0, 5}});
  EXPECT_EQ(database.ArticleList(true),
            Join({head, a, Pascal("i1"), flavor, b, Pascal("i2"), c, Pascal("i3")}));
  EXPECT_EQ(database.ArticleList(false), Join({head, a, flavor, b, c}));
}

TEST_F(NewsDatabaseTest, ShortListIsReadFromItsCacheUntilAChange) {
  NewsDatabase database = Created();
  Post(database, 0, "A");
  // Lists, then marks the cached list in the file: a list read from the cache
  // shows the mark.
  const auto list_and_mark = [&] {
    const ByteString list = database.ArticleList(false);
    const ByteString cache = FileBytes(36, 8);
    EXPECT_EQ(cache[7], list.size());
    DropJournal();
    Patch(512 + (cache[3] - 1) * 256, {0x7F});
    return list;
  };
  list_and_mark();
  EXPECT_EQ(database.ArticleList(false)[0], 0x7F);
  EXPECT_EQ(database.ArticleList(true)[0], 0x00);  // never from the cache

  Post(database, 0, "B");
  const ByteString second = database.ArticleList(false);
  EXPECT_EQ(second[0], 0x00);
  EXPECT_EQ(second[7], 2);
  list_and_mark();
  database.DeleteArticle(1, true);
  EXPECT_EQ(database.ArticleList(false)[0], 0x00);
  EXPECT_EQ(database.ArticleList(false)[7], 1);
}

TEST_F(NewsDatabaseTest, ChangesDeferredToACheckpointAreReadFromTheJournal) {
  NewsDatabase database = Database(NewsDurability::kAtCheckpoint);
  database.Create("General", "");
  Post(database, 0, "A");
  EXPECT_EQ(FileBytes().size(), 1024u);  // not yet in the file
  EXPECT_EQ(Database().Summary().article_count, 1u);
  uint32_t posts = 1;
  while (FileBytes().size() == 1024 && posts < 1000) {
    Post(database, 0, "A");
    ++posts;
  }
  EXPECT_EQ(FileBytes(44, 4), (ByteString{0, 0, 0, static_cast<uint8_t>(posts)}));
  EXPECT_EQ(Database().Summary().article_count, posts);
}

TEST_F(NewsDatabaseTest, AfterTheSystemRestartsTheJournalIsWrittenIntoTheCategoryAgain) {
  NewsDatabase database = Created();
  database.AddArticle(0, "Kept", "p", 0, "i", kDate);
  // The crash of the system lost the article's block, written but not synced;
  // its journal record was synced.
  Patch(512 + 2 * 256, Zeros(256));
  disk_.Restart("the next boot");
  EXPECT_EQ(database.Summary().article_count, 1u);
  EXPECT_EQ(FileBytes(512 + 2 * 256 + 68, 5), Pascal("Kept"));
}

TEST_F(NewsDatabaseTest, JournalOfAnotherCategoryOfThatNameIsIgnored) {
  NewsDatabase database = Created();
  Post(database, 0, "A");
  const std::string old_journal = ReadWholeFile(Journal());
  ASSERT_FALSE(old_journal.empty());
  std::filesystem::remove(Path());
  database.Create("General", "");
  std::ofstream(Journal(), std::ios::binary) << old_journal;
  EXPECT_EQ(database.Summary().article_count, 0u);
  EXPECT_EQ(Post(database, 0, "B"), 1u);
}

TEST_F(NewsDatabaseTest, FullBitmapMovesPastTheBlocksItDescribes) {
  NewsDatabase database = Created();
  Patch(512, ByteString(256, 0xFF));  // every block it describes in use
  EXPECT_EQ(database.AddArticle(0, "A", "p", 0, "i", kDate), 1u);
  // The bitmap moved to blocks 2049 and 2050, freeing block 1, where the
  // article went; the index list took the block after the bitmap.
  EXPECT_EQ(FileBytes(48, 8), (ByteString{0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(FileBytes(60, 12), (ByteString{0, 0, 8, 1, 0, 0, 0, 2, 0, 0, 0, 1}));
  EXPECT_EQ(FileBytes(512 + 36, 4), (ByteString{0, 0, 0, 1}));
  EXPECT_EQ(FileBytes(512 + 2048 * 256, 512), Join({ByteString(256, 0xFF), {0xE0}, Zeros(255)}));
  EXPECT_EQ(FileBytes(512 + 256 + 8, 8), (ByteString{0, 0, 8, 3, 0, 0, 0, 1}));
  EXPECT_EQ(std::filesystem::file_size(Path()), 512u + 2051 * 256);
}

TEST_F(NewsDatabaseTest, LongRunGrowsTheBitmapUntilTheFreedBlocksJoin) {
  NewsDatabase database = Created();
  const uint32_t id = database.AddArticle(0, "A", "p", 0, "i", kDate);  // blocks 3 and 4
  // 8 + 12 + 768000 bytes: 3001 blocks, more than the 2048 a bitmap block
  // describes. The first growth leaves runs of 2046 blocks; the second frees
  // blocks 2049 and 2050 between two such runs, and the chunk goes to block 5.
  const ByteString data(768000, 'd');
  database.AddFlavor(id, "text/plain", data);
  EXPECT_EQ(FileBytes(60, 12), (ByteString{0, 0, 0x10, 0x01, 0, 0, 0, 3, 0, 0, 0, 1}));
  EXPECT_EQ(FileBytes(512 + 2 * 256, 4), (ByteString{0, 0, 0, 5}));
  EXPECT_EQ(database.GetArticle(id, "text/plain"), data);
}

TEST_F(NewsDatabaseTest, JournalEndsAtARecordThatFailsItsChecksum) {
  NewsDatabase database = Database(NewsDurability::kAtCheckpoint);
  database.Create("General", "");
  database.AddArticle(0, "A", "p", 0, "i", kDate);
  const size_t first_record = std::filesystem::file_size(Journal());
  database.AddFlavor(1, "text/plain", AsBytes("hello"));
  std::string journal = ReadWholeFile(Journal());
  const size_t hello = journal.find("hello");
  ASSERT_GT(hello, first_record);
  journal[hello] = 'j';  // as a crash in the middle of writing it may leave it
  std::ofstream(Journal(), std::ios::binary) << journal;
  EXPECT_EQ(database.Summary().article_count, 1u);
  EXPECT_EQ(Raised([&] { database.GetArticle(1, "text/plain"); }),
            std::pair(kErrorClassFile, kErrorCodeNotFound));
}

}  // namespace
}  // namespace vantrel::testing
