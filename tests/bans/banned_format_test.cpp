// The bytes of "Banned": version 1 and 2 entries read, version 2 written,
// damaged files read up to the damage.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bans/banned_reader.h"
#include "bans/banned_writer.h"

namespace vantrel {
namespace {

using ::testing::ElementsAreArray;

using Bytes = std::vector<uint8_t>;

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Zeros(size_t count) {
  return Bytes(count, 0x00);
}

// A version 1 file with one entry for 10.1.2.3 dated "May 1" (5 bytes and 27
// bytes of padding), two skipped bytes, info "bad".
const Bytes kVersion1File = Join({
    {0x00, 0x01, 0x00, 0x00, 0x00, 0x01},  // version 1, one entry
    {0x01, 0x0A, 0x01, 0x02, 0x03},        // flag, address
    {0x05, 'M', 'a', 'y', ' ', '1'},       // date text
    Zeros(27),                             //
    {0xAA, 0xBB},                          // skipped
    {0x03, 'b', 'a', 'd'},                 // info
});

// The same entry in version 2.
const Bytes kVersion2File = Join({
    {0x00, 0x02, 0x00, 0x00, 0x00, 0x01},                    // version 2, one entry
    {0x01, 0x0A, 0x01, 0x02, 0x03, 0x0A, 0x01, 0x02, 0x03},  // flag, first, last
    {0x05, 'M', 'a', 'y', ' ', '1'},                         // date text
    Zeros(27),                                               //
    {0x03, 'b', 'a', 'd'},                                   // info
});

BanRecord Record(uint8_t flag, uint32_t first, uint32_t last, std::string date, std::string info) {
  BanRecord record;
  record.flag = flag;
  record.first_address = first;
  record.last_address = last;
  record.date_text = std::move(date);
  record.info_text = std::move(info);
  return record;
}

TEST(BannedFormat, Version1EntryHasOneAddressAndIsWrittenBackAsVersion2) {
  const BannedFileContents contents = ParseBannedFile(kVersion1File);
  ASSERT_EQ(contents.status, BannedFileStatus::kEntries);
  ASSERT_EQ(contents.records.size(), 1u);
  const BanRecord& record = contents.records[0];
  EXPECT_EQ(record.flag, 1);
  EXPECT_EQ(record.expiry, 0xFFFFFFFFu);
  EXPECT_EQ(record.first_address, 0x0A010203u);
  EXPECT_EQ(record.last_address, 0x0A010203u);
  EXPECT_EQ(record.date_text, "May 1");
  EXPECT_EQ(record.info_text, "bad");

  EXPECT_THAT(EncodeBannedFile(contents.records), ElementsAreArray(kVersion2File));
  EXPECT_EQ(ParseBannedFile(kVersion2File).records, contents.records);
}

TEST(BannedFormat, WritesEveryEntryWhateverItsFlag) {
  const BanList list = {Record(0, 0x7F000001, 0x7F0000FF, "", ""),
                        Record(1, 0xC0A80000, 0xC0A8FFFF, "d", std::string(63, 'i'))};
  const Bytes expected = Join({
      {0x00, 0x02, 0x00, 0x00, 0x00, 0x02},
      {0x00, 0x7F, 0x00, 0x00, 0x01, 0x7F, 0x00, 0x00, 0xFF},
      {0x00},  // empty date text, then its 32 bytes
      Zeros(32),
      {0x00},  // no info
      {0x01, 0xC0, 0xA8, 0x00, 0x00, 0xC0, 0xA8, 0xFF, 0xFF},
      {0x01, 'd'},
      Zeros(31),
      {0x3F},
      Bytes(63, 'i'),
  });
  const Bytes written = EncodeBannedFile(list);
  EXPECT_THAT(written, ElementsAreArray(expected));
  EXPECT_EQ(ParseBannedFile(written).records, list);
}

TEST(BannedFormat, DamagedFileKeepsTheEntriesBeforeTheDamage) {
  const Bytes second_entry = {0x01, 0x0B, 0x00, 0x00, 0x01, 0x0B, 0x00, 0x00, 0x02};
  const Bytes date = Join({{0x02, 'x', 'y'}, Zeros(30)});
  // Two good entries claimed as three; the third is missing.
  const Bytes cut_short = Join({{0x00, 0x02, 0x00, 0x00, 0x00, 0x03},
                                Bytes(kVersion2File.begin() + 6, kVersion2File.end()),
                                second_entry,
                                date,
                                {0x00}});
  const BannedFileContents contents = ParseBannedFile(cut_short);
  EXPECT_EQ(contents.status, BannedFileStatus::kEntries);
  ASSERT_EQ(contents.records.size(), 2u);
  EXPECT_EQ(contents.records[1].first_address, 0x0B000001u);
  EXPECT_EQ(contents.records[1].last_address, 0x0B000002u);
  EXPECT_EQ(contents.records[1].date_text, "xy");

  // Fewer info bytes than the length says: that entry is dropped too.
  const Bytes short_info = Join({{0x00, 0x02, 0x00, 0x00, 0x00, 0x02},
                                 Bytes(kVersion2File.begin() + 6, kVersion2File.end()),
                                 second_entry,
                                 date,
                                 {0x05, 'a', 'b'}});
  EXPECT_EQ(ParseBannedFile(short_info).records.size(), 1u);
}

TEST(BannedFormat, HeaderDecidesWhatHappensToTheFile) {
  EXPECT_EQ(ParseBannedFile(Bytes{0x00, 0x03, 0x00, 0x00, 0x00, 0x01}).status,
            BannedFileStatus::kUnknownVersion);
  // A version 3 file yields nothing even when its entries would parse.
  Bytes version3 = kVersion2File;
  version3[1] = 0x03;
  EXPECT_TRUE(ParseBannedFile(version3).records.empty());

  EXPECT_EQ(ParseBannedFile(Bytes{0x00, 0x02, 0x00, 0x00, 0x00, 0x00}).status,
            BannedFileStatus::kNoEntries);
  EXPECT_EQ(ParseBannedFile(Bytes{0x00, 0x01, 0x00, 0x00, 0x00, 0x00}).status,
            BannedFileStatus::kNoEntries);
  EXPECT_EQ(ParseBannedFile(Bytes{0x00, 0x02, 0x00, 0x00, 0x00}).status,
            BannedFileStatus::kTooShort);
  EXPECT_EQ(ParseBannedFile(Bytes{}).status, BannedFileStatus::kTooShort);
}

TEST(BannedFormat, HugeCountEndsWithTheDataAndKeepsTheNewest500) {
  Bytes file = {0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFF};  // version 1, count 4294967295
  for (uint32_t i = 0; i < 501; ++i) {
    const Bytes entry =
        Join({{0x01, 0x0A, 0x00, static_cast<uint8_t>(i >> 8), static_cast<uint8_t>(i)},
              Zeros(33 + 2),
              {0x00}});
    file.insert(file.end(), entry.begin(), entry.end());
  }
  const BannedFileContents contents = ParseBannedFile(file);
  ASSERT_EQ(contents.records.size(), 500u);
  EXPECT_EQ(contents.records.front().first_address, 0x0A000001u);
  EXPECT_EQ(contents.records.back().first_address, 0x0A0001F4u);
}

}  // namespace
}  // namespace vantrel
