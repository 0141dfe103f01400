#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "protocol/access_privileges.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/scoped_environment.h"
#include "support/server_fixture.h"
#include "support/shared_tree.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;
namespace fs = std::filesystem;

std::string Bytes(std::span<const uint8_t> data) {
  return {data.begin(), data.end()};
}

class FileOperations : public ::testing::Test {
 protected:
  fs::path Files() const { return fixture_.Folder() / "Files"; }

  // A logged-in client with the privilege bits `bits`.
  std::unique_ptr<TestClient> User(std::initializer_list<unsigned> bits = {}) {
    return fixture_.ConnectAs("Tester", bits);
  }

  static UFieldData Item(std::initializer_list<std::string> path, std::optional<std::string> name,
                         std::optional<std::vector<uint8_t>> destination = std::nullopt) {
    UFieldData fields;
    if (name) fields.AddText(kFieldFileName, *name);
    const auto field = PathField(path);
    if (path.size() != 0) fields.AddField(kFieldFilePath, field);
    if (destination) fields.AddField(kFieldFileNewPath, *destination);
    return fields;
  }

  // The entries of a file list reply by name, each as its 20-byte head.
  static std::map<std::string, std::string> Listed(const Received& reply) {
    std::map<std::string, std::string> entries;
    for (size_t i = 1; i <= reply.fields.Count(); ++i) {
      const std::string entry = Bytes(reply.fields.DataAt(i));
      entries[entry.substr(20)] = entry.substr(0, 20);
    }
    return entries;
  }

  static std::string ErrorText(const Received& reply) {
    return Bytes(reply.fields.Data(kFieldErrorText));
  }

  ServerFixture fixture_;
  ScopedEnvironment data_home_{"XDG_DATA_HOME", (fixture_.Folder() / "trash-home").string()};
};

TEST_F(FileOperations, ListsTheRootForPathFieldsShorterThanSixBytes) {
  MakeFile(Files() / "a.txt", "abc");
  MakeFile(Files() / "Sub" / "one");
  MakeFile(Files() / "Sub" / "two");
  auto client = User();
  const std::vector<uint8_t> path = {0, 1, 0, 0, 1, 'x'};
  for (size_t size = 0; size < 6; ++size) {
    UFieldData fields;
    fields.AddField(kFieldFilePath, std::span(path).first(size));
    const auto reply = client->Call(kTranGetFileList, fields);
    ASSERT_TRUE(reply);
    const auto entries = Listed(*reply);
    ASSERT_EQ(entries.size(), 2u) << size;
    EXPECT_EQ(entries.at("a.txt"), std::string("TEXTttxt\0\0\0\3\0\0\0\0\0\0\0\5", 20));
    EXPECT_EQ(entries.at("Sub"), std::string("fldr\0\0\0\0\0\0\0\2\0\0\0\0\0\0\0\3", 20));
  }
}

TEST_F(FileOperations, ShortcutsAreListedWithTheirTargets) {
  MakeFile(Files() / "notes.txt", "12345");
  fs::create_directory(Files() / "Empty");
  fs::create_symlink(Files() / "notes.txt", Files() / "notes.lnk");
  fs::create_symlink(Files() / "Empty", Files() / "Empty.LNK");
  fs::create_symlink(Files() / "gone", Files() / "gone.lnk");
  fs::create_symlink("loop.lnk", Files() / "loop.lnk");
  auto client = User();
  const auto reply = client->Call(kTranGetFileList, Item({}, std::nullopt));
  ASSERT_TRUE(reply);
  const auto entries = Listed(*reply);
  EXPECT_EQ(entries.at("notes.lnk").substr(0, 12), std::string("TEXTttxt\0\0\0\5", 12));
  EXPECT_EQ(entries.at("Empty.LNK").substr(0, 12), std::string("fldr\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(entries.at("gone.lnk").substr(0, 12), std::string("alis\0\0\0\0\0\0\0\0", 12));
  EXPECT_EQ(entries.at("loop.lnk").substr(0, 12), std::string("alis\0\0\0\0\0\0\0\0", 12));
}

TEST_F(FileOperations, DropBoxShowsOnlyIncompleteUploadsWithoutThePrivilege) {
  MakeFile(Files() / "Incoming Drop Box" / "secret.txt");
  MakeFile(Files() / "Incoming Drop Box" / "coming.txt.vpf");
  MakeFile(Files() / "dropbox" / "open.txt");
  auto plain = User();
  auto viewer = User({kPrivilegeViewDropBoxes});
  auto list = [](TestClient& client, const std::string& folder) {
    const auto reply = client.Call(kTranGetFileList, Item({folder}, std::nullopt));
    std::vector<std::string> names;
    for (const auto& [name, head] : Listed(*reply)) names.push_back(name);
    return names;
  };
  EXPECT_THAT(list(*plain, "Incoming Drop Box"), ElementsAre("coming.txt.vpf"));
  EXPECT_THAT(list(*viewer, "Incoming Drop Box"), ElementsAre("coming.txt.vpf", "secret.txt"));
  EXPECT_THAT(list(*plain, "dropbox"), ElementsAre("open.txt"));
}

TEST_F(FileOperations, ListingAFileOrAMissingFolderFails) {
  MakeFile(Files() / "a.txt");
  auto client = User();
  for (const char* name : {"a.txt", "missing"}) {
    const auto reply = client->Call(kTranGetFileList, Item({name}, std::nullopt));
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->header.error, 1u);
    EXPECT_EQ(ErrorText(*reply),
              "Cannot get file list because the specified folder could not be found.");
  }
}

TEST_F(FileOperations, AFolderRenamedWhileItIsListedIsAnsweredAtEveryStep) {
  MakeFile(Files() / "Docs" / "a.txt");
  MakeFile(Files() / "Docs" / "Sub" / "x");
  fs::create_symlink(Files() / "Docs" / "Sub", Files() / "Docs" / "sub.lnk");
  auto client = User();
  const UFieldData list = Item({"Docs"}, std::nullopt);
  const uint64_t before = fixture_.Disk().Operations();
  ASSERT_EQ(Listed(*client->Call(kTranGetFileList, list)).size(), 3u);
  const uint64_t steps = fixture_.Disk().Operations() - before;
  int unanswered = 0;
  for (uint64_t step = 1; step <= steps; ++step) {
    fixture_.Disk().RunBefore(step, [&] { fs::rename(Files() / "Docs", Files() / "Moved"); });
    const auto reply =
        client->WaitReply(client->SendRequest(kTranGetFileList, list), milliseconds(200));
    if (reply) {
      EXPECT_TRUE(reply->header.error != 0 || Listed(*reply).contains("a.txt")) << step;
    } else {
      ++unanswered;  // gone just before it was opened: an error for the error log
    }
    fs::rename(Files() / "Moved", Files() / "Docs");
  }
  EXPECT_LE(unanswered, 1);
  EXPECT_TRUE(client->Call(kTranGetFileList, list));
}

TEST_F(FileOperations, InfoOfAShortcutDescribesItsTargetUnderItsOwnName) {
  MakeFile(Files() / "Docs" / "readme.txt", "hello");
  fs::create_symlink(Files() / "Docs" / "readme.txt", Files() / "readme.lnk");
  auto client = User();
  const auto reply = client->Call(kTranGetFileInfo, Item({}, "readme.lnk"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(Bytes(reply->fields.Data(kFieldFileType)), "TEXT");
  EXPECT_EQ(Bytes(reply->fields.Data(kFieldFileTypeText)), "TEXT (alias)");
  EXPECT_EQ(Bytes(reply->fields.Data(kFieldFileCreatorText)), "SimpleText");
  EXPECT_EQ(reply->fields.ReadInteger(kFieldFileSize), 5u);
  EXPECT_EQ(Bytes(reply->fields.Data(kFieldFileName)), "readme.lnk");
  EXPECT_EQ(reply->fields.Data(kFieldFileModified).size(), 8u);
}

TEST_F(FileOperations, InfoByKind) {
  fs::create_directory(Files() / "Folder");
  fs::create_symlink(Files() / "Folder", Files() / "Folder.lnk");
  fs::create_symlink(Files() / "nowhere", Files() / "lost.lnk");
  MakeFile(Files() / "tool.sit", "x");
  struct Case {
    const char* name;
    const char* type;
    const char* description;
    const char* creator;
    bool dated;
  };
  const Case cases[] = {
      {"Folder", "fldr", "Folder", "n/a", true},
      {"Folder.lnk", "fldr", "Folder Alias", "n/a", true},
      {"lost.lnk", "alis", "Unattached Alias", "n/a", false},
      {"tool.sit", "SITD", "StuffIt Archive", "StuffIt", true},
  };
  auto client = User();
  for (const Case& c : cases) {
    const auto reply = client->Call(kTranGetFileInfo, Item({}, c.name));
    ASSERT_TRUE(reply) << c.name;
    EXPECT_EQ(Bytes(reply->fields.Data(kFieldFileType)), c.type) << c.name;
    EXPECT_EQ(Bytes(reply->fields.Data(kFieldFileTypeText)), c.description) << c.name;
    EXPECT_EQ(Bytes(reply->fields.Data(kFieldFileCreatorText)), c.creator) << c.name;
    EXPECT_EQ(reply->fields.Find(kFieldFileCreated) != 0, c.dated) << c.name;
  }
  const auto missing = client->Call(kTranGetFileInfo, Item({}, "none"));
  EXPECT_EQ(ErrorText(*missing),
            "Cannot get info because there is no file/folder named \xD2none\xD3.");
}

TEST_F(FileOperations, RenameNeedsThePrivilegeUnlessTheNameIsTheSame) {
  MakeFile(Files() / "name.txt");
  auto plain = User();
  auto renamer = User({kPrivilegeRenameFiles});
  auto rename = [](TestClient& client, const std::string& from, const std::string& to) {
    UFieldData fields = Item({}, from);
    fields.AddText(kFieldFileNewName, to);
    return client.Call(kTranSetFileInfo, fields);
  };
  EXPECT_EQ(rename(*plain, "name.txt", "name.txt")->header.error, 0u);
  EXPECT_EQ(ErrorText(*rename(*plain, "name.txt", "NAME.txt")),
            "You are not allowed to rename files.");
  EXPECT_EQ(rename(*renamer, "name.txt", "NAME.txt")->header.error, 0u);
  EXPECT_TRUE(fs::exists(Files() / "NAME.txt"));
  EXPECT_EQ(ErrorText(*rename(*renamer, "NAME.txt", "evil.LNK")),
            "You are not allowed to hack servers.");
  fs::create_symlink(Files() / "NAME.txt", Files() / "a.lnk");
  EXPECT_EQ(rename(*renamer, "a.lnk", "b.lnk")->header.error, 0u);
  EXPECT_TRUE(fs::is_symlink(Files() / "b.lnk"));
}

TEST_F(FileOperations, DeleteSendsAFolderWholeToTheTrashAndLogs) {
  MakeFile(Files() / "Old" / "Deep" / "file.txt", "kept");
  auto plain = User({kPrivilegeDeleteFiles});
  auto deleter = User({kPrivilegeDeleteFolders});
  EXPECT_EQ(ErrorText(*plain->Call(kTranDeleteFile, Item({}, "Old"))),
            "You are not allowed to delete folders.");
  const auto reply = deleter->Call(kTranDeleteFile, Item({}, "Old"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);
  EXPECT_FALSE(fs::exists(Files() / "Old"));
  EXPECT_EQ(ReadWholeFile(fixture_.Folder() / "trash-home/Trash/files/Old/Deep/file.txt"), "kept");
  EXPECT_TRUE(fixture_.Logged("Delete \xD2Old\xD3"));
  EXPECT_EQ(ErrorText(*deleter->Call(kTranDeleteFile, Item({}, "Old"))),
            "Cannot delete \xD2Old\xD3 because it does not exist or cannot be found.");
}

TEST_F(FileOperations, NewFolderIsSanitisedAndRefusedWhereItCannotBe) {
  auto plain = User();
  auto maker = User({kPrivilegeCreateFolders});
  EXPECT_EQ(ErrorText(*plain->Call(kTranNewFolder, Item({}, "New"))),
            "You are not allowed to create folders.");
  EXPECT_EQ(maker->Call(kTranNewFolder, Item({}, "a:b."))->header.error, 0u);
  EXPECT_TRUE(fs::is_directory(Files() / "a-b-"));
  EXPECT_TRUE(
      fixture_.Logged("Create folder \xD2"
                      "a-b-\xD3"));
  EXPECT_EQ(ErrorText(*maker->Call(kTranNewFolder, Item({}, "a:b."))),
            "Cannot create folder \xD2"
            "a-b-\xD3 because there is already a file or folder with "
            "that name.");
  EXPECT_EQ(ErrorText(*maker->Call(kTranNewFolder, Item({"nowhere"}, "x"))),
            "Cannot create folder \xD2x\xD3 because the enclosing folder could not be found.");
}

TEST_F(FileOperations, MoveAndItsRefusals) {
  MakeFile(Files() / "a.txt", "a");
  MakeFile(Files() / "Box" / "a.txt", "other");
  MakeFile(Files() / "Top" / "Inner" / "x");
  MakeFile(Files() / "b.txt", "b");
  auto mover = User({kPrivilegeMoveFiles, kPrivilegeMoveFolders});
  auto move = [&](const std::string& name, std::initializer_list<std::string> to) {
    return mover->Call(kTranMoveFile, Item({}, name, PathField(to)));
  };
  EXPECT_EQ(ErrorText(*User()->Call(kTranMoveFile, Item({}, "b.txt", PathField({"Box"})))),
            "You are not allowed to move files.");
  EXPECT_EQ(ErrorText(*move("a.txt", {"Box"})),
            "Cannot move \xD2"
            "a.txt\xD3 because there is already a file/folder in the "
            "destination folder with the same name.");
  EXPECT_EQ(ErrorText(*move("Top", {"Top", "Inner"})),
            "Cannot move \xD2Top\xD3 into itself or into a subfolder of itself.");
  EXPECT_EQ(ErrorText(*move("b.txt", {"Nowhere"})),
            "Cannot move \xD2"
            "b.txt\xD3 because the destination folder could not be found.");
  EXPECT_EQ(move("b.txt", {"Box"})->header.error, 0u);
  EXPECT_EQ(ReadWholeFile(Files() / "Box" / "b.txt"), "b");
  EXPECT_TRUE(
      fixture_.Logged("Move \xD2"
                      "b.txt\xD3"));
}

TEST_F(FileOperations, MakeAliasLinksToTheSourceUnderTheNamePlusLnk) {
  MakeFile(Files() / "Music" / "song.mp3", "la");
  fs::create_directory(Files() / "Links");
  auto plain = User();
  auto maker = User({kPrivilegeMakeAliases});
  const auto fields = Item({"Music"}, "song.mp3", PathField({"Links"}));
  EXPECT_EQ(ErrorText(*plain->Call(kTranMakeAlias, fields)),
            "You are not allowed to make aliases.");
  EXPECT_EQ(maker->Call(kTranMakeAlias, fields)->header.error, 0u);
  EXPECT_EQ(fs::read_symlink(Files() / "Links" / "song.mp3.lnk"), Files() / "Music" / "song.mp3");
  EXPECT_TRUE(fixture_.Logged("Alias \xD2song.mp3\xD3"));
  EXPECT_EQ(ErrorText(*maker->Call(kTranMakeAlias, fields)),
            "Cannot make alias of \xD2song.mp3\xD3 because there is already a file/folder in the "
            "destination folder with the same name.");
}

TEST_F(FileOperations, FileLayerFailureIsAnsweredWithItsDescription) {
  MakeFile(Files() / "stuck.txt");
  auto deleter = User({kPrivilegeDeleteFiles});
  fixture_.Disk().FailChange(1, EIO);  // the move to the trash; the lookups before it pass
  const auto reply = deleter->Call(kTranDeleteFile, Item({}, "stuck.txt"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 1u);
  EXPECT_THAT(ErrorText(*reply),
              ::testing::StartsWith("Cannot delete \xD2stuck.txt\xD3:\rThe file or folder is in "
                                    "use.\rID 4/116 [5]"));
  EXPECT_TRUE(fs::exists(Files() / "stuck.txt"));
}

TEST_F(FileOperations, InvalidItemNameLeavesTheHandlerWithoutAnAnswer) {
  auto deleter = User({kPrivilegeDeleteFiles});
  deleter->SendRequest(kTranDeleteFile, Item({}, ".."));
  EXPECT_TRUE(deleter->StaysQuiet(std::chrono::milliseconds(50)));
  EXPECT_THAT(ReadWholeFile(fixture_.Folder() / "Error Log.txt"),
              ::testing::HasSubstr("(ID 4/119)"));
  EXPECT_TRUE(deleter->Call(kTranGetFileList));
}

TEST_F(FileOperations, AnAccountsOwnFilesFolderIsItsWholeTreeUntilDeleted) {
  MakeFile(Files() / "shared.txt");
  const fs::path own = fixture_.Folder() / "Users" / "guest" / "Files";
  MakeFile(own / "mine.txt");
  auto client = User();
  fixture_.Session(0).login = "guest";
  auto names = [&] {
    std::vector<std::string> listed;
    for (const auto& [name, head] : Listed(*client->Call(kTranGetFileList))) listed.push_back(name);
    return listed;
  };
  EXPECT_THAT(names(), ElementsAre("mine.txt"));
  fs::remove_all(own);
  EXPECT_THAT(names(), ElementsAre("shared.txt"));
}

TEST_F(FileOperations, NamesOutsideMacRomanAreListedWithQuestionMarksAndReachable) {
  MakeFile(Files() / "\xE6\x97\xA5\xE6\x9C\xAC.txt", "jp");  // two CJK characters
  MakeFile(Files() / "caf\xC3\xA9.txt", "fr");
  auto client = User();
  const auto entries = Listed(*client->Call(kTranGetFileList));
  EXPECT_TRUE(entries.contains("??.txt"));
  EXPECT_TRUE(entries.contains("caf\x8E.txt"));
  for (const char* name : {"??.txt", "caf\x8E.txt"}) {
    const auto info = client->Call(kTranGetFileInfo, Item({}, name));
    EXPECT_EQ(info->fields.ReadInteger(kFieldFileSize), 2u) << name;
  }
}

}  // namespace
}  // namespace vantrel::testing
