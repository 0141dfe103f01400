#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/exception.h"
#include "platform/random.h"
#include "prefs/prefs_file.h"
#include "support/fault_injecting_file_system.h"
#include "support/full_disk.h"
#include "support/temporary_folder.h"

namespace vantrel {
namespace {

using testing::ReadWholeFile;
using testing::TemporaryFolder;

ServerSettings SomeSettings() {
  ServerSettings settings;
  settings.server_name = "Srv";
  settings.server_port = 6000;
  settings.tracker_pass_id = 99;
  settings.tracker_list[0].address = "t.example:5600";
  settings.tracker_list[0].port = 0;
  return settings;
}

TEST(PrefsFile, WrittenSettingsReadBack) {
  TemporaryFolder folder;
  WritePrefsFile(FileSystem::Default(), folder.Path(), SomeSettings());
  Random random(1);
  EXPECT_EQ(ReadPrefsFile(FileSystem::Default(), folder.Path(), random), SomeSettings());
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Prefs.new"));
}

TEST(PrefsFile, DamagedFileIsSetAsideAndLeftoverRemovedAtStart) {
  TemporaryFolder folder;
  const std::string damaged = "\x00\x05 not settings";  // far too short
  std::ofstream(folder.Path() / "Prefs", std::ios::binary) << damaged;
  std::ofstream(folder.Path() / "Prefs.new", std::ios::binary) << "half a save";
  Random random(1);
  const LoadedPrefs loaded = LoadPrefsFile(FileSystem::Default(), folder.Path(), random);
  EXPECT_TRUE(loaded.set_aside);
  EXPECT_EQ(loaded.settings.server_port, 5500);
  EXPECT_EQ(ReadWholeFile(folder.Path() / "Prefs.damaged"), damaged);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Prefs"));
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Prefs.new"));
  // A missing file is the first start, not damage.
  EXPECT_FALSE(LoadPrefsFile(FileSystem::Default(), folder.Path(), random).set_aside);
}

TEST(PrefsFile, FailedWriteKeepsThePreviousFile) {
  TemporaryFolder folder;
  WritePrefsFile(FileSystem::Default(), folder.Path(), SomeSettings());
  const std::string before = ReadWholeFile(folder.Path() / "Prefs");

  // Files may not grow past 150 bytes while the larger settings are written.
  ServerSettings larger = SomeSettings();
  larger.banner_link = std::string(200, 'l');
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 150;
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  bool raised = false;
  try {
    WritePrefsFile(FileSystem::Default(), folder.Path(), larger);
  } catch (const Omberly::CException& error) {
    raised = error.ErrorClass() == kErrorClassFile && error.SystemError() == EFBIG;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);

  EXPECT_TRUE(raised);
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "Prefs.new"));
  EXPECT_EQ(ReadWholeFile(folder.Path() / "Prefs"), before);
}

TEST(PrefsFile, FullDiskKeepsThePreviousFile) {
  TemporaryFolder folder;
  testing::FaultInjectingFileSystem disk(FileSystem::Default());
  WritePrefsFile(disk, folder.Path(), SomeSettings());
  ServerSettings other = SomeSettings();
  other.server_name = "Other";
  testing::ExpectFullDiskKeepsTheFileWhole(disk,
                                           {folder.Path() / "Prefs", folder.Path() / "Prefs.new",
                                            "Could not save the settings file \xD2Prefs\xD3.",
                                            [&] { WritePrefsFile(disk, folder.Path(), other); }});
}

}  // namespace
}  // namespace vantrel
