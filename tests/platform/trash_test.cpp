#include "platform/trash.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>

#include "support/scoped_environment.h"
#include "support/temporary_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;

// HOME and XDG_DATA_HOME point into a temporary folder, so that nothing
// reaches the real trash.
class TrashTest : public ::testing::Test {
 protected:
  fs::path MakeItem(const std::string& name) {
    const fs::path item = folder_.Path() / "work" / name;
    fs::create_directories(item);
    std::ofstream(item / "inside.txt") << "kept";
    return item;
  }
  fs::path Trash() const { return folder_.Path() / "data" / "Trash"; }

  const std::tm when_ = [] {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mday = 2;
    when.tm_hour = 3;
    when.tm_min = 4;
    when.tm_sec = 5;
    return when;
  }();
  testing::TemporaryFolder folder_;
  testing::ScopedEnvironment home_{"HOME", (folder_.Path() / "home").string()};
  testing::ScopedEnvironment data_home_{"XDG_DATA_HOME", (folder_.Path() / "data").string()};
};

TEST_F(TrashTest, MovesAFolderWithItsContentsIntoTheHomeTrash) {
  const fs::path item = MakeItem("old stuff");
  MoveToTrash(item, when_);
  EXPECT_FALSE(fs::exists(item));
  EXPECT_EQ(ReadWholeFile(Trash() / "files" / "old stuff" / "inside.txt"), "kept");
  EXPECT_EQ(ReadWholeFile(Trash() / "info" / "old stuff.trashinfo"),
            "[Trash Info]\nPath=" + (folder_.Path() / "work").string() +
                "/old%20stuff\nDeletionDate=2026-01-02T03:04:05\n");
  EXPECT_EQ(fs::status(Trash()).permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(TrashTest, GivesARepeatedNameANumberAndShortensALongOne) {
  for (int i = 0; i < 3; ++i) MoveToTrash(MakeItem("same"), when_);
  EXPECT_TRUE(fs::is_directory(Trash() / "files" / "same.3"));
  EXPECT_NE(ReadWholeFile(Trash() / "info" / "same.2.trashinfo").find("/work/same\n"),
            std::string::npos);
  MoveToTrash(MakeItem(std::string(250, 'n')), when_);
  const std::string kept(245, 'n');  // 245 + ".trashinfo" = 255 bytes
  EXPECT_TRUE(fs::exists(Trash() / "info" / (kept + ".trashinfo")));
}

TEST_F(TrashTest, FallsBackToHomeWhenXdgDataHomeIsRelative) {
  testing::ScopedEnvironment relative("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(HomeTrashFolder(), folder_.Path() / "home" / ".local" / "share" / "Trash");
}

TEST_F(TrashTest, MovesALinkAndNotItsTarget) {
  const fs::path target = MakeItem("target");
  const fs::path link = folder_.Path() / "work" / "link.lnk";
  fs::create_directory_symlink(target, link);
  MoveToTrash(link, when_);
  EXPECT_TRUE(fs::is_symlink(Trash() / "files" / "link.lnk"));
  EXPECT_EQ(ReadWholeFile(target / "inside.txt"), "kept");
}

TEST(TrashInfo, PercentEncodesAllButUnreservedBytes) {
  EXPECT_EQ(PercentEncodeTrashPath("/srv/a b/caf\xC3\xA9%#?:@+\r"),
            "/srv/a%20b/caf%C3%A9%25%23%3F%3A%40%2B%0D");
  EXPECT_EQ(PercentEncodeTrashPath("AZaz09-_.!~*'()/"), "AZaz09-_.!~*'()/");
}

}  // namespace
}  // namespace vantrel
