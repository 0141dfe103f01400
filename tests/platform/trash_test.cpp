#include "platform/trash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/exception.h"
#include "support/temporary_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;

// Points HOME and XDG_DATA_HOME into a temporary folder for one test, so that
// nothing reaches the real trash, and restores them afterwards.
class TrashTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Save("HOME", saved_home_);
    Save("XDG_DATA_HOME", saved_data_home_);
    ::setenv("HOME", (folder_.Path() / "home").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (folder_.Path() / "data").c_str(), 1);
  }
  void TearDown() override {
    Restore("HOME", saved_home_);
    Restore("XDG_DATA_HOME", saved_data_home_);
  }
  static void Save(const char* name, std::optional<std::string>& saved) {
    if (const char* value = std::getenv(name)) saved = value;
  }
  static void Restore(const char* name, const std::optional<std::string>& saved) {
    if (saved) {
      ::setenv(name, saved->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  fs::path MakeItem(const std::string& name) {
    const fs::path item = folder_.Path() / "work" / name;
    fs::create_directories(item);
    std::ofstream(item / "inside.txt") << "kept";
    return item;
  }
  fs::path Trash() const { return folder_.Path() / "data" / "Trash"; }

  static std::tm When() {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 0;
    when.tm_mday = 2;
    when.tm_hour = 3;
    when.tm_min = 4;
    when.tm_sec = 5;
    return when;
  }

  testing::TemporaryFolder folder_;
  std::optional<std::string> saved_home_;
  std::optional<std::string> saved_data_home_;
};

TEST_F(TrashTest, MovesAFolderWithItsContentsIntoTheHomeTrash) {
  const fs::path item = MakeItem("old stuff");
  MoveToTrash(item, When());
  EXPECT_FALSE(fs::exists(item));
  EXPECT_EQ(ReadWholeFile(Trash() / "files" / "old stuff" / "inside.txt"), "kept");
  EXPECT_EQ(ReadWholeFile(Trash() / "info" / "old stuff.trashinfo"),
            "[Trash Info]\nPath=" + (folder_.Path() / "work").string() +
                "/old%20stuff\nDeletionDate=2026-01-02T03:04:05\n");
  EXPECT_EQ(fs::status(Trash()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(TrashTest, GivesARepeatedNameANumber) {
  MoveToTrash(MakeItem("same"), When());
  MoveToTrash(MakeItem("same"), When());
  MoveToTrash(MakeItem("same"), When());
  EXPECT_TRUE(fs::is_directory(Trash() / "files" / "same"));
  EXPECT_TRUE(fs::is_directory(Trash() / "files" / "same.2"));
  EXPECT_TRUE(fs::is_directory(Trash() / "files" / "same.3"));
  EXPECT_TRUE(fs::exists(Trash() / "info" / "same.3.trashinfo"));
  EXPECT_NE(ReadWholeFile(Trash() / "info" / "same.2.trashinfo").find("/work/same\n"),
            std::string::npos);
}

TEST_F(TrashTest, FallsBackToHomeWhenXdgDataHomeIsUnsetOrRelative) {
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(HomeTrashFolder(), folder_.Path() / "home" / ".local" / "share" / "Trash");
  ::setenv("XDG_DATA_HOME", "relative/data", 1);
  EXPECT_EQ(HomeTrashFolder(), folder_.Path() / "home" / ".local" / "share" / "Trash");
  MoveToTrash(MakeItem("x"), When());
  EXPECT_TRUE(fs::exists(folder_.Path() / "home/.local/share/Trash/info/x.trashinfo"));
}

TEST_F(TrashTest, MovesALinkAndNotItsTarget) {
  const fs::path target = MakeItem("target");
  const fs::path link = folder_.Path() / "work" / "link.lnk";
  fs::create_directory_symlink(target, link);
  MoveToTrash(link, When());
  EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
  EXPECT_TRUE(fs::is_symlink(Trash() / "files" / "link.lnk"));
  EXPECT_EQ(ReadWholeFile(target / "inside.txt"), "kept");
}

TEST_F(TrashTest, AMissingItemFailsAndLeavesNoInfo) {
  try {
    MoveToTrash(folder_.Path() / "nothing", When());
    FAIL() << "no failure raised";
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.ErrorClass(), 4);
    EXPECT_EQ(failure.Code(), 104);
  }
  EXPECT_FALSE(fs::exists(Trash() / "info" / "nothing.trashinfo"));
}

TEST_F(TrashTest, ShortensANameTooLongForItsInfoFile) {
  const std::string name(250, 'n');
  MoveToTrash(MakeItem(name), When());
  const std::string kept(245, 'n');  // 245 + ".trashinfo" = 255 bytes
  EXPECT_TRUE(fs::is_directory(Trash() / "files" / kept));
  EXPECT_TRUE(fs::exists(Trash() / "info" / (kept + ".trashinfo")));
}

TEST(TrashInfo, PercentEncodesAllButUnreservedBytes) {
  EXPECT_EQ(PercentEncodeTrashPath("/srv/a b/caf\xC3\xA9%#?:@+"),
            "/srv/a%20b/caf%C3%A9%25%23%3F%3A%40%2B");
  EXPECT_EQ(PercentEncodeTrashPath("AZaz09-_.!~*'()/"), "AZaz09-_.!~*'()/");
  EXPECT_EQ(PercentEncodeTrashPath(std::string("\r\x01", 2)), "%0D%01");
}

}  // namespace
}  // namespace vantrel
