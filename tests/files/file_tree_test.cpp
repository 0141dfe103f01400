#include "files/file_tree.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/exception.h"
#include "support/shared_tree.h"
#include "support/temporary_folder.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// A server folder with its shared tree, resolved through the real file system.
class FileTreeTest : public ::testing::Test {
 protected:
  FileTreeTest() { fs::create_directories(root_); }

  ItemReference Resolve(std::initializer_list<std::string> levels,
                        std::optional<std::string_view> name = std::nullopt,
                        unsigned flags = kFailQuietly) {
    return tree_.Resolve(root_, PathField(levels), name, flags);
  }

  // The class-4 code Resolve raises, or 0.
  int16_t RaisedCode(std::initializer_list<std::string> levels,
                     std::optional<std::string_view> name, unsigned flags = kFailQuietly) {
    try {
      Resolve(levels, name, flags);
    } catch (const Omberly::CException& failure) {
      return failure.Code();
    }
    return 0;
  }

  TemporaryFolder folder_;
  fs::path root_ = folder_.Path() / "Files";
  FileTree tree_{FileSystem::Default(), folder_.Path(),
                 [this](std::string_view login) -> std::optional<fs::path> {
                   if (login != "own") return std::nullopt;
                   return folder_.Path() / "Users" / "own";
                 }};
};

TEST_F(FileTreeTest, LevelsThatClimbOrCannotNameAnEntryNameNothing) {
  MakeFile(root_ / "A-B" / "x");
  MakeFile(root_ / "a..b" / "x");
  MakeFile(folder_.Path() / "outside" / "x");
  EXPECT_EQ(Resolve({"A\\B", "x"}).kind, ItemKind::kFile);
  const std::string levels[] = {"..",        "a..b", ".", "...", "/", std::string("A-B\0x", 5),
                                "../outside"};
  for (const std::string& level : levels) {
    EXPECT_EQ(Resolve({level, "x"}).kind, ItemKind::kNoFolder) << level;
    EXPECT_EQ(RaisedCode({level, "x"}, std::nullopt, kResolveNoFlags), 104) << level;
  }
}

TEST_F(FileTreeTest, ItemNamesAreCheckedWhateverTheFlags) {
  EXPECT_EQ(RaisedCode({}, ".."), 119);
  EXPECT_EQ(RaisedCode({}, "x."), 119);
  EXPECT_EQ(RaisedCode({}, "a/b"), 119);
  EXPECT_EQ(RaisedCode({"x."}, std::nullopt), 119);  // the last level is the item
  const size_t room = kMaxItemPathCharacters - root_.native().size() - 1;
  EXPECT_EQ(RaisedCode({}, std::string(room, 'n')), 0);
  EXPECT_EQ(RaisedCode({}, std::string(room + 1, 'n')), 130);
  // A leading dot stands for a hyphen.
  MakeFile(root_ / "-hidden");
  EXPECT_EQ(Resolve({}, ".hidden").host, root_ / "-hidden");
}

TEST_F(FileTreeTest, KindsWithAndWithoutFollowingShortcuts) {
  MakeFile(root_ / "file.txt");
  fs::create_directory(root_ / "Folder");
  fs::create_symlink(root_ / "file.txt", root_ / "file.lnk");
  fs::create_symlink(root_ / "Folder", root_ / "folder.LNK");
  fs::create_symlink(root_ / "nowhere", root_ / "dangling.lnk");
  fs::create_symlink("loop.lnk", root_ / "loop.lnk");
  struct Case {
    const char* name;
    ItemKind kind;
    ItemKind followed;
  };
  const Case cases[] = {
      {"missing", ItemKind::kMissing, ItemKind::kMissing},
      {"file.txt", ItemKind::kFile, ItemKind::kFile},
      {"Folder", ItemKind::kFolder, ItemKind::kFolder},
      {"file.lnk", ItemKind::kShortcutToFile, ItemKind::kFile},
      {"folder.LNK", ItemKind::kShortcutToFolder, ItemKind::kFolder},
      {"dangling.lnk", ItemKind::kUnattachedAlias, ItemKind::kUnattachedAlias},
      {"loop.lnk", ItemKind::kUnattachedAlias, ItemKind::kUnattachedAlias},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Resolve({}, c.name).kind, c.kind) << c.name;
    EXPECT_EQ(Resolve({}, c.name, kFollowShortcuts | kFailQuietly).kind, c.followed) << c.name;
  }
  EXPECT_EQ(Resolve({"missing", "x"}).kind, ItemKind::kNoFolder);
  EXPECT_EQ(Resolve({}, "file.lnk", kFollowShortcuts).host, root_ / "file.txt");
  EXPECT_EQ(RaisedCode({}, "dangling.lnk", kFollowShortcuts), 128);
  EXPECT_EQ(RaisedCode({}, "missing", kRaiseWhenMissing), 102);
  // Followed, a missing name is found as its shortcut, and then counts as a file.
  EXPECT_EQ(Resolve({}, "folder", kFollowShortcuts | kFailQuietly).kind, ItemKind::kMissing);
  EXPECT_EQ(Resolve({}, "file", kFollowShortcuts | kFailQuietly).host, root_ / "file.txt");
}

TEST_F(FileTreeTest, ShortcutLevelsLeadToFoldersAtMostEightLinksDeep) {
  MakeFile(root_ / "Target" / "x");
  fs::path previous = root_ / "Target";
  for (int link = 1; link <= 9; ++link) {
    const fs::path name = root_ / ("hop" + std::to_string(link) + ".lnk");
    fs::create_symlink(previous, name);
    previous = name;
  }
  EXPECT_EQ(Resolve({"hop8.lnk", "x"}).kind, ItemKind::kFile);
  EXPECT_EQ(Resolve({"hop9.lnk", "x"}).kind, ItemKind::kNoFolder);
  fs::create_symlink(root_ / "Target" / "x", root_ / "file.lnk");
  EXPECT_EQ(Resolve({"file.lnk", "x"}).kind, ItemKind::kNoFolder);
}

TEST_F(FileTreeTest, SessionRootIsTheAccountsOwnFilesFolderOrItsShortcut) {
  EXPECT_EQ(tree_.SessionRoot("own"), root_);
  const fs::path account = folder_.Path() / "Users" / "own";
  MakeFile(folder_.Path() / "Private" / "x");
  fs::create_directories(account);
  fs::create_symlink(folder_.Path() / "Private", account / "Files.lnk");
  EXPECT_EQ(tree_.SessionRoot("own"), folder_.Path() / "Private");
  fs::create_directory(account / "Files");
  EXPECT_EQ(tree_.SessionRoot("own"), account / "Files");
  EXPECT_EQ(tree_.SessionRoot("other"), root_);
}

}  // namespace
}  // namespace vantrel::testing
