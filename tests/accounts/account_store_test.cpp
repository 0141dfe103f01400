#include "accounts/account_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "account_test_support.h"
#include "accounts/account_errors.h"
#include "platform/exception.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::MakeRecord;
using testing::WriteBytes;

// A valid record of 734 bytes whose login is "al".
std::vector<uint8_t> ValidBytes() {
  std::vector<uint8_t> bytes(734, 0);
  bytes[1] = 0x01;
  bytes[665] = 2;
  bytes[666] = 'a';
  bytes[667] = 'l';
  return bytes;
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

  std::vector<uint8_t> short_bytes = ValidBytes();
  short_bytes.pop_back();
  PutUserData("short", short_bytes);
  EXPECT_EQ(FailureOf([&] { Store().Read("short"); }), std::make_pair(4, 140));

  std::vector<uint8_t> version_2 = ValidBytes();
  version_2[1] = 0x02;
  PutUserData("future", version_2);
  EXPECT_EQ(FailureOf([&] { Store().Read("future"); }), std::make_pair(4, 141));

  // Callers tell not-found apart from the other failures.
  try {
    Store().Read("short");
  } catch (const Omberly::CException& failure) {
    EXPECT_FALSE(IsAccountNotFound(failure));
    EXPECT_EQ(failure.IdentificationText(), "ID 4/140");
  }
  try {
    Store().Read("empty");
  } catch (const Omberly::CException& failure) {
    EXPECT_TRUE(IsAccountNotFound(failure));
  }

  std::vector<uint8_t> long_bytes = ValidBytes();
  long_bytes.resize(800, 0x55);
  PutUserData("long", long_bytes);
  EXPECT_EQ(Store().Read("long").login, "al");
}

TEST_F(AccountStoreTest, CreateWritesTheRecordAndRefusesATakenLogin) {
  AccountRecord record = MakeRecord("Jo", "J");
  record.privileges.Set(2);
  Store().Create(record);
  const std::string bytes = UserData("Jo");
  ASSERT_EQ(bytes.size(), 734u);
  EXPECT_EQ(bytes.substr(0, 12),
            std::string("\x00\x01\x00\x00\x20\x00\x00\x00\x00\x00\x00\x00", 12));
  EXPECT_EQ(bytes.substr(664, 4), std::string("\x00\x02Jo", 4));
  EXPECT_EQ(Store().Read("Jo"), record);

  EXPECT_EQ(FailureOf([&] { Store().Create(record); }), std::make_pair(4, 115));
  EXPECT_EQ(FailureOf([&] { Store().Create(MakeRecord("jO")); }), std::make_pair(4, 115));
  EXPECT_EQ(SortedUsers(), std::vector<std::string>{"Jo"});
}

TEST_F(AccountStoreTest, CreateLeavesNothingBehindWhenTheFileCannotBeWritten) {
  // A "Users" path so long that the account folder fits but "UserData" does not.
  fs::path deep = Server();
  while (deep.native().size() < 4087 - 201) deep /= std::string(200, 'd');
  deep /= std::string(4087 - deep.native().size() - 1, 'u');
  ASSERT_EQ(deep.native().size(), 4087u);
  fs::create_directories(deep);
  const AccountStore store(deep);

  EXPECT_EQ(FailureOf([&] { store.Create(MakeRecord("abc")); }), std::make_pair(4, 130));
  EXPECT_TRUE(fs::is_empty(deep));
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

TEST_F(AccountStoreTest, LooksFoldersUpWithoutRegardToLetterCase) {
  Store().Create(MakeRecord("admin", "administrator"));
  EXPECT_EQ(Store().Read("ADMIN").name, "administrator");
  EXPECT_TRUE(Store().Exists("AdMiN"));
  EXPECT_EQ(Store().FolderLogin("ADMIN"), "admin");
  Store().Write(MakeRecord("Admin", "changed"));
  EXPECT_EQ(Store().Read("admin").name, "changed");
  // A folder whose name matches exactly wins over one that differs in case.
  Store().Create(MakeRecord("al"));
  fs::create_directory(Users() / "AL");
  EXPECT_EQ(Store().FolderLogin("AL"), "AL");
  EXPECT_EQ(Store().FolderLogin("al"), "al");
}

TEST_F(AccountStoreTest, ExistsAndRenameUseTheFirst31BytesOfTheLogin) {
  const std::string login_32(32, 'k');
  const std::string login_31(31, 'k');
  Store().Create(MakeRecord(login_32));
  EXPECT_EQ(Store().Read(login_32).login, login_32);  // stored with length 32
  EXPECT_FALSE(Store().Exists(MakeRecord(login_32)));

  fs::create_directory(Users() / login_31);
  EXPECT_TRUE(Store().Exists(MakeRecord(login_32)));
  fs::remove(Users() / login_31);

  Store().Create(MakeRecord("short"));
  Store().Rename("short", MakeRecord(std::string(31, 'r') + "X"));
  EXPECT_TRUE(fs::is_directory(Users() / std::string(31, 'r')));
  EXPECT_FALSE(fs::exists(Users() / "short"));
}

TEST_F(AccountStoreTest, RenameRefusesATakenNameButChangesCase) {
  Store().Create(MakeRecord("one"));
  Store().Create(MakeRecord("two"));
  EXPECT_EQ(FailureOf([&] { Store().Rename("one", MakeRecord("TWO")); }), std::make_pair(4, 115));
  EXPECT_EQ(FailureOf([&] { Store().Rename("none", MakeRecord("new")); }), std::make_pair(4, 102));
  Store().Rename("ONE", MakeRecord("One"));
  EXPECT_EQ(SortedUsers(), (std::vector<std::string>{"One", "two"}));
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

TEST_F(AccountStoreTest, DeleteMovesTheFolderToTheTrash) {
  Store().Create(MakeRecord("gone"));
  Store().Delete("GONE");
  EXPECT_FALSE(fs::exists(Users() / "gone"));
  EXPECT_EQ(testing::ReadWholeFile(Trash() / "files" / "gone" / "UserData").size(), 734u);
  const std::string info = testing::ReadWholeFile(Trash() / "info" / "gone.trashinfo");
  EXPECT_NE(info.find("Path=" + (Users() / "gone").string() + "\n"), std::string::npos);
  Store().Delete("never-there");  // no folder, no failure
}

TEST_F(AccountStoreTest, WithoutUsersFolderReadFailsAndTheRestDoesNothing) {
  const AccountStore store(Server() / "Missing");
  EXPECT_EQ(FailureOf([&] { store.Read("al"); }), std::make_pair(4, 104));
  EXPECT_EQ(FailureOf([&] { store.List(); }), std::make_pair(4, 104));
  store.Create(MakeRecord("al"));
  store.Write(MakeRecord("al"));
  store.Rename("al", MakeRecord("bo"));
  store.Delete("al");
  EXPECT_FALSE(store.Exists("al"));
  EXPECT_FALSE(fs::exists(Server() / "Missing"));
}

TEST_F(AccountStoreTest, NoLoginReachesOutsideUsers) {
  // A record beside "Users" that an escaping login could reach.
  WriteBytes(Server() / "UserData", ValidBytes());
  fs::create_directory(Server() / "victim");
  WriteBytes(Server() / "victim" / "UserData", ValidBytes());
  const std::vector<std::string> escaping = {
      ".", "..", "../victim", "a/b", "/etc", "..\x2F", "../.", "./../x", std::string("a\0b", 3)};
  for (const std::string& login : escaping) {
    SCOPED_TRACE(login.substr(0, 20));
    EXPECT_EQ(FailureOf([&] { Store().Read(login); }), std::make_pair(4, 102));
    EXPECT_EQ(FailureOf([&] { Store().Write(MakeRecord(login)); }), std::make_pair(4, 102));
    EXPECT_FALSE(Store().Exists(login));
    Store().Delete(login);
    EXPECT_EQ(FailureOf([&] { Store().Create(MakeRecord(login)); }), std::make_pair(4, 119));
  }
  Store().Create(MakeRecord("al"));
  EXPECT_EQ(FailureOf([&] { Store().Rename("al", MakeRecord("../out")); }), std::make_pair(4, 119));
  // Control bytes are kept in a folder name inside "Users".
  Store().Create(MakeRecord("a\r\x01"));
  EXPECT_TRUE(fs::is_directory(Users() / "a\r\x01"));
  // A long login is looked up as it is, but an account is named by its first 32 bytes.
  const std::string long_login(300, 'x');
  EXPECT_EQ(FailureOf([&] { Store().Read(long_login); }), std::make_pair(4, 102));
  Store().Create(MakeRecord(long_login));
  EXPECT_TRUE(fs::is_directory(Users() / std::string(32, 'x')));

  std::vector<std::string> beside;
  for (const auto& entry : fs::directory_iterator(Server())) {
    beside.push_back(entry.path().filename().string());
  }
  std::sort(beside.begin(), beside.end());
  EXPECT_EQ(beside, (std::vector<std::string>{"UserData", "Users", "victim"}));
  EXPECT_EQ(testing::ReadWholeFile(Server() / "UserData").size(), 734u);
  EXPECT_EQ(SortedUsers(), (std::vector<std::string>{"a\r\x01", "al", std::string(32, 'x')}));
}

}  // namespace
}  // namespace vantrel
