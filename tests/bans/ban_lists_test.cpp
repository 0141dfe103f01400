// The temporary list's expiry and capacity, and the permanent list's file
// handling: load, add, save with its backup.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bans/banned_writer.h"
#include "bans/permanent_ban_list.h"
#include "bans/temporary_ban_list.h"
#include "platform/clock.h"
#include "platform/exception.h"
#include "support/fault_injecting_file_system.h"
#include "support/full_disk.h"
#include "support/temporary_folder.h"

namespace vantrel {
namespace {

using testing::ReadWholeFile;
using testing::TemporaryFolder;

constexpr uint32_t kAddress = 0x0A000001;  // 10.0.0.1

std::string AsText(const std::vector<uint8_t>& bytes) {
  return {bytes.begin(), bytes.end()};
}

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

BanRecord Entry(uint8_t flag, uint32_t address, std::string info = {}) {
  BanRecord record;
  record.flag = flag;
  record.first_address = address;
  record.last_address = address;
  record.date_text = "then";
  record.info_text = std::move(info);
  return record;
}

TEST(TemporaryBanList, BanLasts1800SecondsAcrossTheClocksWrap) {
  FakeClock clock(0xFFFFFF00);
  TemporaryBanList bans(clock);
  const uint32_t t = clock.Seconds();
  bans.Add(kAddress, t);
  const BanRecord& entry = bans.Entries().at(0);
  EXPECT_EQ(entry.flag, 1);
  EXPECT_EQ(entry.last_address, kAddress);
  EXPECT_EQ(entry.expiry, t + 1800u);
  EXPECT_EQ(entry.date_text, "01/02/26 03:04:05");  // the C locale's short date and time
  EXPECT_TRUE(bans.IsBanned(kAddress, t + 1799u));
  EXPECT_FALSE(bans.IsBanned(kAddress + 1, t + 1799u));
  EXPECT_FALSE(bans.IsBanned(kAddress, t + 1800u));
  EXPECT_EQ(bans.Size(), 0u);  // swept
}

TEST(TemporaryBanList, The33rdBanDropsTheOldest) {
  FakeClock clock;
  TemporaryBanList bans(clock);
  const uint32_t now = clock.Seconds();
  for (uint32_t i = 0; i < 33; ++i) bans.Add(kAddress + i, now);
  EXPECT_EQ(bans.Size(), 32u);
  EXPECT_FALSE(bans.IsBanned(kAddress, now));
  EXPECT_TRUE(bans.IsBanned(kAddress + 1, now));
  EXPECT_TRUE(bans.IsBanned(kAddress + 32, now));
}

class PermanentBans : public ::testing::Test {
 protected:
  std::filesystem::path Banned() const { return folder_.Path() / "Banned"; }
  std::filesystem::path Backup() const { return folder_.Path() / "Banned.bak"; }

  TemporaryFolder folder_;
  FakeClock clock_;
  PermanentBanList bans_{FileSystem::Default(), folder_.Path(), clock_};
};

TEST_F(PermanentBans, LoadKeepsEntriesInForceOnly) {
  WriteFile(Banned(), AsText(EncodeBannedFile(BanList{Entry(1, kAddress), Entry(0, kAddress + 1),
                                                      Entry(1, 0x0B000000)})));
  bans_.Load();
  EXPECT_EQ(bans_.Entries().size(), 2u);
  EXPECT_TRUE(bans_.IsBanned(kAddress));
  EXPECT_FALSE(bans_.IsBanned(kAddress + 1));
  EXPECT_TRUE(bans_.IsBanned(0x0B000000));
  // The working list keeps the removed entry for the operator.
  EXPECT_EQ(bans_.ReadWorkingList().size(), 3u);
}

TEST_F(PermanentBans, CountOfZeroDeletesTheFileAtLoad) {
  WriteFile(Banned(), std::string("\x00\x02\x00\x00\x00\x00", 6));
  bans_.Load();
  EXPECT_TRUE(bans_.Entries().empty());
  EXPECT_FALSE(std::filesystem::exists(Banned()));
}

TEST_F(PermanentBans, AddSavesTheFileAndKeepsThePreviousAsBackup) {
  bans_.Add(kAddress, kAddress + 255, std::string(70, 'r'));
  EXPECT_FALSE(std::filesystem::exists(Backup()));  // there was no list before
  const std::string first = ReadWholeFile(Banned());
  ASSERT_FALSE(first.empty());

  bans_.Add(0x0B000000, 0x0B000000, "second");
  EXPECT_EQ(ReadWholeFile(Backup()), first);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "Banned.new"));

  const BanList saved = bans_.ReadWorkingList();
  ASSERT_EQ(saved.size(), 2u);
  EXPECT_EQ(saved[0].first_address, kAddress);
  EXPECT_EQ(saved[0].last_address, kAddress + 255);
  EXPECT_EQ(saved[0].info_text, std::string(63, 'r'));
  EXPECT_EQ(saved[0].date_text, "01/02/26 03:04:05");
  EXPECT_EQ(saved[0].expiry, 0xFFFFFFFFu);
  EXPECT_EQ(saved, bans_.Entries());
  EXPECT_TRUE(bans_.IsBanned(kAddress + 200));
}

TEST_F(PermanentBans, The501stEntryReusesTheOldest) {
  BanList full;
  for (uint32_t i = 0; i < 500; ++i) full.push_back(Entry(1, kAddress + i));
  WriteFile(Banned(), AsText(EncodeBannedFile(full)));
  bans_.Load();
  EXPECT_TRUE(bans_.IsBanned(kAddress));

  bans_.Add(0x0B000000, 0x0B000000, "new");
  const BanList saved = bans_.ReadWorkingList();
  ASSERT_EQ(saved.size(), 500u);
  EXPECT_EQ(saved.front().first_address, kAddress + 1);
  EXPECT_EQ(saved.back().first_address, 0x0B000000u);
  EXPECT_FALSE(bans_.IsBanned(kAddress));
  EXPECT_TRUE(bans_.IsBanned(0x0B000000));
}

TEST_F(PermanentBans, LongFileKeepsItsLast500Entries) {
  BanList many;
  for (uint32_t i = 0; i < 100000; ++i) many.push_back(Entry(1, kAddress + i));
  WriteFile(Banned(), AsText(EncodeBannedFile(many)));  // about 4.3 MB
  bans_.Load();
  ASSERT_EQ(bans_.Entries().size(), 500u);
  EXPECT_EQ(bans_.Entries().front().first_address, kAddress + 99500);
  EXPECT_TRUE(bans_.IsBanned(kAddress + 99999));
  EXPECT_FALSE(bans_.IsBanned(kAddress + 99499));
}

TEST_F(PermanentBans, SavingAnEmptyListLeavesOnlyTheBackup) {
  bans_.Add(kAddress, kAddress, "");
  const std::string previous = ReadWholeFile(Banned());
  bans_.Save({});
  EXPECT_FALSE(std::filesystem::exists(Banned()));
  EXPECT_EQ(ReadWholeFile(Backup()), previous);
  EXPECT_FALSE(bans_.IsBanned(kAddress));
}

TEST_F(PermanentBans, FailedSaveRaisesKeepsTheFileAndBansInMemory) {
  bans_.Add(kAddress, kAddress, "");
  const std::string before = ReadWholeFile(Banned());
  // A folder with something in it cannot be deleted in the backup's place.
  std::filesystem::remove(Backup());
  std::filesystem::create_directories(Backup() / "inside");
  try {
    bans_.Add(kAddress + 1, kAddress + 1, "");
    FAIL() << "no failure raised";
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.ErrorClass(), kErrorClassFile);
    EXPECT_NE(failure.SystemError(), 0);
  }
  EXPECT_EQ(ReadWholeFile(Banned()), before);
  EXPECT_FALSE(std::filesystem::exists(folder_.Path() / "Banned.new"));
  EXPECT_TRUE(bans_.IsBanned(kAddress));
  EXPECT_TRUE(bans_.IsBanned(kAddress + 1));  // in force until the list is loaded again
}

TEST(PermanentBanFile, FullDiskKeepsThePreviousFile) {
  TemporaryFolder folder;
  FakeClock clock;
  testing::FaultInjectingFileSystem disk(FileSystem::Default());
  PermanentBanList bans(disk, folder.Path(), clock);
  bans.Save({Entry(1, kAddress)});
  testing::ExpectFullDiskKeepsTheFileWhole(
      disk, {folder.Path() / "Banned", folder.Path() / "Banned.new",
             "Could not save the ban list \xD2"
             "Banned\xD3.",
             [&] {
               bans.Save({Entry(1, kAddress), Entry(1, kAddress + 1)});
             }});
}

}  // namespace
}  // namespace vantrel
