#include "accounts/account_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "account_test_support.h"
#include "accounts/account_errors.h"
#include "platform/exception.h"
#include "support/fault_injecting_file_system.h"
#include "support/full_disk.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::MakeRecord;
using testing::WriteBytes;
using namespace std::string_literals;

// A valid record of 734 bytes whose login is "al".
std::vector<uint8_t> ValidBytes() {
  return EncodeAccountRecord(MakeRecord("al"));
}

// The class and code of the failure `action` raises; {0, 0} when none.
template <typename Action>
std::pair<int, int> FailureOf(Action action) {
  try {
    action();
  } catch (const Omberly::CException& failure) {
    return {failure.ErrorClass(), failure.Code()};
  }
  return {0, 0};
}

class AccountStoreTest : public ::testing::Test, public testing::StoreFixture {
 protected:
  void PutUserData(const std::string& folder, const std::vector<uint8_t>& bytes) {
    fs::create_directory(Users() / folder);
    WriteBytes(Users() / folder / "UserData", bytes);
  }
  std::vector<std::string> SortedUsers() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Users())) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(AccountStoreTest, ReadTellsNotFoundDamagedAndWrongVersionApart) {
  const std::pair<int, int> not_found{4, 102};
  EXPECT_EQ(FailureOf([&] { Store().Read("nobody"); }), not_found);
  EXPECT_EQ(FailureOf([&] { Store().Read(""); }), not_found);
  fs::create_directory(Users() / "empty");
  EXPECT_EQ(FailureOf([&] { Store().Read("empty"); }), not_found);

  std::vector<uint8_t> bytes = ValidBytes();
  bytes[1] = 0x02;
  PutUserData("future", bytes);
  EXPECT_EQ(FailureOf([&] { Store().Read("future"); }), std::make_pair(4, 141));
  bytes.pop_back();
  PutUserData("short", bytes);
  try {
    Store().Read("short");
    FAIL() << "no failure raised";
  } catch (const Omberly::CException& failure) {
    EXPECT_FALSE(IsAccountNotFound(failure));  // callers tell not-found apart
    EXPECT_EQ(failure.IdentificationText(), "ID 4/140");
  }
  try {
    Store().Read("empty");
  } catch (const Omberly::CException& failure) {
    EXPECT_TRUE(IsAccountNotFound(failure));
  }
}

TEST_F(AccountStoreTest, CreateWritesTheRecordAndRefusesATakenLogin) {
  AccountRecord record = MakeRecord("Jo", "J");
  record.privileges.Set(2);
  Store().Create(record);
  EXPECT_EQ(UserData("Jo").size(), 734u);  // the bytes are checked in head_admin_test.cpp
  EXPECT_EQ(Store().Read("Jo"), record);

  EXPECT_EQ(FailureOf([&] { Store().Create(record); }), std::make_pair(4, 115));
  EXPECT_EQ(FailureOf([&] { Store().Create(MakeRecord("jO")); }), std::make_pair(4, 115));
  EXPECT_EQ(SortedUsers(), std::vector<std::string>{"Jo"});
}

TEST_F(AccountStoreTest, WriteReplacesOnlyAnExistingRecord) {
  Store().Create(MakeRecord("al", "Old"));
  AccountRecord changed = MakeRecord("AL", "New");
  changed.scrambled_password = "\x9E";
  Store().Write(changed);
  EXPECT_EQ(Store().Read("al"), changed);
  EXPECT_EQ(SortedUsers(), std::vector<std::string>{"al"});
  EXPECT_FALSE(fs::exists(Users() / "al" / "UserData.new"));

  EXPECT_EQ(FailureOf([&] { Store().Write(MakeRecord("ghost")); }), std::make_pair(4, 102));
  fs::create_directory(Users() / "bare");
  EXPECT_EQ(FailureOf([&] { Store().Write(MakeRecord("bare")); }), std::make_pair(4, 102));
  EXPECT_FALSE(fs::exists(Users() / "ghost"));
  EXPECT_FALSE(fs::exists(Users() / "bare" / "UserData"));
}

TEST_F(AccountStoreTest, FullDiskKeepsThePreviousRecord) {
  testing::FaultInjectingFileSystem disk(FileSystem::Default());
  const AccountStore store(disk, Users());
  store.Create(MakeRecord("al", "Old"));
  testing::ExpectFullDiskKeepsTheFileWhole(
      disk, {Users() / "al" / "UserData", Users() / "al" / "UserData.new",
             "Could not write the account file \xD2Users/al/UserData\xD3.",
             [&] { store.Write(MakeRecord("al", "New")); }});
}

TEST_F(AccountStoreTest, FullDiskWhileCreatingLeavesNothingOfTheAccount) {
  testing::FaultInjectingFileSystem disk(FileSystem::Default());
  const AccountStore store(disk, Users());
  const uint64_t before = disk.Changes();
  store.Create(MakeRecord("al"));
  const uint64_t changes = disk.Changes() - before;
  for (uint64_t n = 1; n <= changes; ++n) {
    fs::remove_all(Users() / "al");
    disk.FailChange(n, ENOSPC);
    EXPECT_EQ(FailureOf([&] { store.Create(MakeRecord("al")); }),
              std::make_pair(4, int{kErrorCodeInUse}))
        << "change " << n;
    EXPECT_FALSE(fs::exists(Users() / "al")) << "change " << n;
  }
}

TEST_F(AccountStoreTest, ExistsAndRenameUseTheFirst31BytesOfTheLogin) {
  const std::string login_32(32, 'k');
  Store().Create(MakeRecord(login_32));
  EXPECT_EQ(Store().Read(login_32).login, login_32);  // stored with length 32
  EXPECT_FALSE(Store().Exists(MakeRecord(login_32)));
  fs::create_directory(Users() / std::string(31, 'k'));
  EXPECT_TRUE(Store().Exists(MakeRecord(login_32)));

  Store().Create(MakeRecord("one"));
  Store().Create(MakeRecord("two"));
  Store().Rename("one", MakeRecord(std::string(31, 'r') + "X"));
  EXPECT_TRUE(fs::is_directory(Users() / std::string(31, 'r')));
  EXPECT_FALSE(fs::exists(Users() / "one"));
  // A taken name is refused, a change of letter case is not.
  const std::string renamed(31, 'r');
  EXPECT_EQ(FailureOf([&] { Store().Rename(renamed, MakeRecord("TWO")); }), std::make_pair(4, 115));
  EXPECT_EQ(FailureOf([&] { Store().Rename("none", MakeRecord("new")); }), std::make_pair(4, 102));
  Store().Rename("TWO", MakeRecord("Two"));
  EXPECT_TRUE(fs::is_directory(Users() / "Two"));
}

TEST_F(AccountStoreTest, ListsFoldersAndShortcutsToFolders) {
  Store().Create(MakeRecord("al"));
  fs::create_directory(Users() / "caf\xC3\xA9");
  fs::create_directory(Server() / "elsewhere");
  fs::create_directory_symlink(Server() / "elsewhere", Users() / "far.lnk");
  fs::create_symlink(Server() / "missing", Users() / "broken.lnk");
  WriteBytes(Users() / "notes.txt", {'x'});

  std::vector<std::string> logins = Store().List();
  std::sort(logins.begin(), logins.end());
  EXPECT_EQ(logins, (std::vector<std::string>{"al", "caf\x8E", "far.lnk"}));
  EXPECT_FALSE(Store().Exists("notes.txt"));
}

TEST_F(AccountStoreTest, NoLoginReachesOutsideUsers) {
  // A record beside "Users" that an escaping login could reach.
  fs::create_directory(Server() / "victim");
  WriteBytes(Server() / "victim" / "UserData", ValidBytes());
  for (const std::string& login :
       std::vector<std::string>{".", "..", "../victim", "a/b", "/etc", "./../x", "a\0b"s}) {
    SCOPED_TRACE(login);
    EXPECT_EQ(FailureOf([&] { Store().Read(login); }), std::make_pair(4, 102));
    EXPECT_EQ(FailureOf([&] { Store().Write(MakeRecord(login)); }), std::make_pair(4, 102));
    EXPECT_FALSE(Store().Exists(login));
    Store().Delete(login);
    EXPECT_EQ(FailureOf([&] { Store().Create(MakeRecord(login)); }), std::make_pair(4, 119));
  }
  Store().Create(MakeRecord("al"));
  EXPECT_EQ(FailureOf([&] { Store().Rename("al", MakeRecord("../out")); }), std::make_pair(4, 119));
  // Control bytes are kept in a folder name inside "Users"; an account is named
  // by the first 32 bytes of a long login.
  Store().Create(MakeRecord("a\r\x01"));
  Store().Create(MakeRecord(std::string(300, 'x')));
  EXPECT_EQ(SortedUsers(), (std::vector<std::string>{"a\r\x01", "al", std::string(32, 'x')}));
  EXPECT_EQ(testing::ReadWholeFile(Server() / "victim" / "UserData").size(), 734u);
  EXPECT_FALSE(fs::exists(Server() / "out"));
  EXPECT_FALSE(fs::exists(Server() / "x"));
}

}  // namespace
}  // namespace vantrel
