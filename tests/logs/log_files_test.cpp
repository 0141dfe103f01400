#include <gtest/gtest.h>

#include <filesystem>

#include "logs/log_files.h"
#include "platform/clock.h"
#include "support/temporary_folder.h"

namespace vantrel {
namespace {

using testing::ReadWholeFile;

constexpr const char* kDate = "01/02/2026 03:04:05";
constexpr const char* kErrorDate = "01/02/26 03:04:05     ";  // padded to 22

class LogFilesTest : public ::testing::Test {
 protected:
  std::string Read(const char* name) { return ReadWholeFile(folder_.Path() / name); }
  bool Exists(const char* name) { return std::filesystem::exists(folder_.Path() / name); }

  testing::TemporaryFolder folder_;
  FakeClock clock_;
  ServerSettings settings_;
  LogFiles logs_{FileSystem::Default(), folder_.Path(), clock_, settings_};
  const LogActor kay_{"10.0.0.1", "kay", "Kay \xA5"};
};

TEST_F(LogFilesTest, EachFileGetsItsHeaderOnceThenTabSeparatedLines) {
  settings_.option_flags =
      kOptionLogDownloads | kOptionLogUploads | kOptionLogConnects | kOptionLogAccountChanges;
  logs_.Download(kay_, "a.zip");
  logs_.Download(kay_, "b.zip");
  logs_.Upload(kay_, "c.zip");
  logs_.Connect(kay_);
  logs_.Account(kay_, kAccountActionCreate, "bob");
  logs_.Account(kay_, kAccountActionRename, RenamedAccountText("bob", "rob"));

  const std::string who = std::string(kDate) + "\t10.0.0.1\tkay\tKay \xA5\t";
  EXPECT_EQ(Read("Download Log.txt"),
            "Date/time\tAddress\tAccount\tName\tFile Name\r" + who + "a.zip\r" + who + "b.zip\r");
  EXPECT_EQ(Read("Upload Log.txt"),
            "Date/time\tAddress\tAccount\tName\tFile Name\r" + who + "c.zip\r");
  EXPECT_EQ(Read("Connect Log.txt"), "Date/time\tAddress\tAccount\tName\r" + std::string(kDate) +
                                         "\t10.0.0.1\tkay\tKay \xA5\r");
  EXPECT_EQ(Read("Account Log.txt"),
            "Date/time\tAddress\tAccount\tName\tAction\tAffected Account\r" + who +
                "Create\tbob\r" + who +
                "Rename\t\xD2"
                "bob\xD3 \xD2rob\xD3\r");
}

TEST_F(LogFilesTest, FlagsSwitchEachFile) {
  settings_.option_flags = kOptionLogDownloads;
  logs_.Connect(kay_);
  logs_.Upload(kay_, "c.zip");
  logs_.Account(kay_, kAccountActionDelete, "bob");
  EXPECT_FALSE(Exists("Connect Log.txt"));
  EXPECT_FALSE(Exists("Upload Log.txt"));
  EXPECT_FALSE(Exists("Account Log.txt"));

  settings_.option_flags = kOptionLogConnects;  // read at every line
  logs_.Download(kay_, "a.zip");
  logs_.Connect(kay_);
  EXPECT_FALSE(Exists("Download Log.txt"));
  EXPECT_TRUE(Exists("Connect Log.txt"));
}

TEST_F(LogFilesTest, DeletedFileComesBackWithItsHeader) {
  settings_.option_flags = kOptionLogConnects;
  logs_.Connect(kay_);
  std::filesystem::remove(folder_.Path() / "Connect Log.txt");
  clock_.Advance(1);
  logs_.Connect(kay_);
  EXPECT_EQ(Read("Connect Log.txt"),
            "Date/time\tAddress\tAccount\tName\r01/02/2026 03:04:06\t10.0.0.1\tkay\tKay \xA5\r");
}

TEST_F(LogFilesTest, ErrorLogShowsTheFourIdentificationForms) {
  logs_.Error(Omberly::CException(4, 102));
  logs_.Error(Omberly::CException(4, 102, "", 2));
  logs_.Error(Omberly::CException(4, 115, "", 0, "files.cpp", 12));
  logs_.Error(Omberly::CException(-3, 7, "Bad thing.", -5, "net.cpp", 4000000000u));
  const std::string not_found = "The specified file or folder could not be found.";
  EXPECT_EQ(Read("Error Log.txt"),
            std::string(kErrorDate) + " " + not_found + " (ID 4/102)\r" + kErrorDate + " " +
                not_found + " (ID 4/102 [2])\r" + kErrorDate +
                " A file or folder with that name already exists. (ID 4/115 @ files.cpp #12)\r" +
                kErrorDate + " Bad thing. (ID -3/7 [-5] @ net.cpp #4000000000)\r");
}

TEST(ErrorLogLine, WholeLineIsCutTo255Bytes) {
  std::tm when{};
  when.tm_year = 126;
  when.tm_mday = 1;
  const std::string line = ErrorLogLine(when, Omberly::CException(4, 102, std::string(300, 'd')));
  EXPECT_EQ(line, "01/01/26 00:00:00      " + std::string(232, 'd'));
}

}  // namespace
}  // namespace vantrel
