#include "platform/file_system.h"

#include <fcntl.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <string>

#include "platform/exception.h"
#include "support/fault_injecting_file_system.h"
#include "support/full_disk.h"
#include "support/temporary_folder.h"

namespace vantrel {
namespace {

namespace fs = std::filesystem;
using testing::ReadWholeFile;
using ::testing::UnorderedElementsAre;

// The errno `call` raised, after checking that it raised class 4; 0 when it
// did not raise.
int RaisedErrno(const std::function<void()>& call) {
  try {
    call();
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.ErrorClass(), kErrorClassFile);
    return failure.SystemError();
  }
  return 0;
}

std::string Text(std::span<const uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

// The real file system over a fresh temporary folder.
class FileSystemTest : public ::testing::Test {
 protected:
  fs::path At(const std::string& name) const { return folder_.Path() / name; }
  void Put(const std::string& name, const std::string& bytes) const {
    std::ofstream(At(name), std::ios::binary) << bytes;
  }

  FileSystem& files_ = FileSystem::Default();
  testing::TemporaryFolder folder_;
};

TEST_F(FileSystemTest, WholeFilesAreWrittenAndReadBackUpToALimit) {
  std::string large(200000, '\0');  // more than one read at a time
  for (size_t i = 0; i < large.size(); ++i) large[i] = static_cast<char>(i % 251);
  files_.WriteFile(At("large"), AsBytes(large));

  std::string bytes;
  files_.ReadFile(At("large"), std::numeric_limits<size_t>::max(), bytes);
  EXPECT_EQ(bytes, large);
  files_.ReadFile(At("large"), 70000, bytes);
  EXPECT_EQ(bytes, large.substr(0, 70000));
  files_.WriteFile(At("large"), AsBytes("short"));
  files_.ReadFile(At("large"), 100, bytes);
  EXPECT_EQ(bytes, "short");
}

TEST_F(FileSystemTest, FailuresRaiseClassFourWithTheErrno) {
  Put("file", "x");
  fs::create_directories(At("full/inside"));
  fs::create_symlink("loop", At("loop"));
  std::string bytes = "left over";
  const struct {
    const char* what;
    std::function<void()> call;
    int system_error;
  } kCases[] = {
      {"read a missing file", [&] { files_.ReadFile(At("none"), 10, bytes); }, ENOENT},
      {"read a folder", [&] { files_.ReadFile(At("full"), 10, bytes); }, EISDIR},
      {"write in a missing folder", [&] { files_.WriteFile(At("none/f"), AsBytes("x")); }, ENOENT},
      {"stat a loop of links", [&] { files_.Stat(At("loop"), LinkHandling::kFollow); }, ELOOP},
      {"list a file", [&] { files_.ListFolder(At("file")); }, ENOTDIR},
      {"rename a missing file", [&] { files_.Rename(At("none"), At("other")); }, ENOENT},
      {"remove a folder as a file", [&] { files_.Remove(At("full")); }, EISDIR},
      {"remove a full folder", [&] { files_.RemoveFolder(At("full")); }, ENOTEMPTY},
      {"create a folder over a file", [&] { files_.CreateFolder(At("file")); }, EEXIST},
      {"link to a taken name", [&] { files_.HardLink(At("file"), At("loop")); }, EEXIST},
      {"read a file as a link", [&] { files_.ReadSymbolicLink(At("file")); }, EINVAL},
      {"sync a missing folder", [&] { files_.SyncFolder(At("none")); }, ENOENT},
      {"free space of nothing", [&] { files_.FreeSpace(At("none")); }, ENOENT},
  };
  for (const auto& test : kCases) EXPECT_EQ(RaisedErrno(test.call), test.system_error) << test.what;
  EXPECT_EQ(bytes, "");  // what was read before the failure: nothing
}

TEST_F(FileSystemTest, ReplaceFileSwapsTheWholeFileOrRaisesItsOwnText) {
  Put("target", "old");
  files_.ReplaceFile(At("target"), At("target.new"), std::string_view("new contents"), "unused");
  EXPECT_EQ(ReadWholeFile(At("target")), "new contents");
  EXPECT_FALSE(fs::exists(At("target.new")));

  fs::create_directory(At("target.new"));  // the temporary cannot be written
  try {
    files_.ReplaceFile(At("target"), At("target.new"), std::string_view("lost"), "Not saved.");
    ADD_FAILURE() << "no failure raised";
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.Description(), "Not saved.");
    EXPECT_EQ(failure.SystemError(), EISDIR);
  }
  EXPECT_EQ(ReadWholeFile(At("target")), "new contents");
}

TEST_F(FileSystemTest, FullDiskOrShortWriteDuringAReplaceKeepsTheTargetWhole) {
  testing::FaultInjectingFileSystem disk(files_);
  Put("target", "old contents");
  testing::ExpectFullDiskKeepsTheFileWhole(
      disk, {At("target"), At("target.new"), "Not saved.", [&] {
               disk.ReplaceFile(At("target"), At("target.new"), std::string_view("new"),
                                "Not saved.");
             }});
}

TEST_F(FileSystemTest, StreamedFilesReadAtOffsetsAndWriteInSequence) {
  const auto out = files_.OpenForWriting(At("stream"), WriteMode::kTruncate);
  out->Append(AsBytes("0123"));
  out->Append(AsBytes("4567"));
  EXPECT_EQ(out->Size(), 8u);
  out->Sync();
  out->Close();
  const auto more = files_.OpenForWriting(At("stream"), WriteMode::kAppend);
  more->Append(AsBytes("89"));
  more->Close();

  const auto in = files_.OpenForReading(At("stream"));
  EXPECT_EQ(in->Size(), 10u);
  std::array<uint8_t, 4> buffer{};
  EXPECT_EQ(in->ReadAt(3, buffer), 4u);
  EXPECT_EQ(Text(buffer), "3456");
  ASSERT_EQ(in->ReadAt(8, buffer), 2u);
  EXPECT_EQ(Text(std::span(buffer).first(2)), "89");
  EXPECT_EQ(in->ReadAt(10, buffer), 0u);

  files_.OpenForWriting(At("stream"), WriteMode::kTruncate)->Close();
  EXPECT_EQ(ReadWholeFile(At("stream")), "");
}

TEST_F(FileSystemTest, UpdatedFilesAreWrittenAnywhereAndCut) {
  EXPECT_EQ(RaisedErrno([&] { files_.OpenForUpdate(At("missing"), UpdateMode::kExisting); }),
            ENOENT);
  const auto file = files_.OpenForUpdate(At("data"), UpdateMode::kCreate);
  file->WriteAt(0, AsBytes("abcd"));
  file->WriteAt(2, AsBytes("XYZ"));
  file->WriteAt(8, AsBytes("!"));
  file->Sync();
  EXPECT_EQ(file->Size(), 9u);
  std::array<uint8_t, 4> buffer{};
  EXPECT_EQ(file->ReadAt(1, buffer), 4u);
  EXPECT_EQ(Text(buffer), "bXYZ");
  EXPECT_EQ(ReadWholeFile(At("data")), std::string("abXYZ\0\0\0!", 9));
  file->Truncate(3);
  EXPECT_EQ(ReadWholeFile(At("data")), "abX");
  // Opening again, even with kCreate, keeps what is there.
  EXPECT_EQ(files_.OpenForUpdate(At("data"), UpdateMode::kCreate)->Size(), 3u);
}

TEST_F(FileSystemTest, StatTellsKindSizeAndTimes) {
  constexpr std::time_t kModified = 1000000000;
  const std::time_t start = std::time(nullptr);
  Put("file", "12345");
  const timespec times[2] = {{kModified, 0}, {kModified, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, At("file").c_str(), times, 0), 0);
  fs::create_directory(At("folder"));
  fs::create_symlink("file", At("link"));
  fs::create_symlink("nowhere", At("dangling"));

  const std::optional<FileStatus> file = files_.Stat(At("file"), LinkHandling::kNoFollow);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->kind, FileKind::kFile);
  EXPECT_EQ(file->size, 5u);
  EXPECT_EQ(file->modification_time, kModified);
  // The birth time where the file system keeps one, else the modification time.
  EXPECT_TRUE(file->creation_time >= start - 1 || file->creation_time == kModified)
      << file->creation_time;

  const struct {
    const char* name;
    LinkHandling links;
    FileKind kind;
    uint64_t size;
  } kCases[] = {
      {"folder", LinkHandling::kFollow, FileKind::kFolder, 0},
      {"link", LinkHandling::kNoFollow, FileKind::kSymbolicLink, 4},  // "file"
      {"link", LinkHandling::kFollow, FileKind::kFile, 5},
      {"dangling", LinkHandling::kNoFollow, FileKind::kSymbolicLink, 7},
  };
  for (const auto& test : kCases) {
    const std::optional<FileStatus> status = files_.Stat(At(test.name), test.links);
    ASSERT_TRUE(status) << test.name;
    EXPECT_EQ(status->kind, test.kind) << test.name;
    if (test.kind != FileKind::kFolder) {
      EXPECT_EQ(status->size, test.size) << test.name;
    }
  }
  EXPECT_FALSE(files_.Stat(At("dangling"), LinkHandling::kFollow));
  EXPECT_FALSE(files_.Stat(At("missing"), LinkHandling::kFollow));
  EXPECT_FALSE(files_.Stat(At("file/below"), LinkHandling::kFollow));
}

TEST_F(FileSystemTest, FoldersAreCreatedListedAndEmptied) {
  EXPECT_TRUE(files_.CreateFolder(At("box")));
  EXPECT_FALSE(files_.CreateFolder(At("box")));
  Put("box/a", "1");
  Put("box/b", "2");
  EXPECT_THAT(files_.ListFolder(At("box")), UnorderedElementsAre("a", "b"));

  files_.Rename(At("box/a"), At("box/c"));
  EXPECT_THAT(files_.ListFolder(At("box")), UnorderedElementsAre("b", "c"));
  EXPECT_TRUE(files_.Remove(At("box/b")));
  EXPECT_FALSE(files_.Remove(At("box/b")));
  EXPECT_TRUE(files_.Remove(At("box/c")));
  EXPECT_TRUE(files_.RemoveFolder(At("box")));
  EXPECT_FALSE(files_.RemoveFolder(At("box")));
}

TEST_F(FileSystemTest, HardLinksShareTheFileAndSymbolicLinksHoldTheirTarget) {
  Put("first", "shared");
  files_.HardLink(At("first"), At("second"));
  EXPECT_TRUE(files_.Remove(At("first")));
  EXPECT_EQ(ReadWholeFile(At("second")), "shared");

  const std::string long_target = std::string(300, 't') + "/far away";
  for (const std::string& target : {std::string("second"), long_target}) {
    files_.CreateSymbolicLink(target, At("link"));
    EXPECT_EQ(files_.ReadSymbolicLink(At("link")), target);
    EXPECT_TRUE(files_.Remove(At("link")));  // the link, not its target
  }
  EXPECT_EQ(ReadWholeFile(At("second")), "shared");
}

TEST_F(FileSystemTest, FreeSpaceIsWhatIsLeftForUsers) {
  const uint64_t free = files_.FreeSpace(folder_.Path());
  const fs::space_info space = fs::space(folder_.Path());
  EXPECT_GT(free, 0u);
  EXPECT_LE(free, space.capacity);
  // Others may write to the disk in between.
  constexpr double kSlack = 256.0 * 1024 * 1024;
  EXPECT_NEAR(static_cast<double>(free), static_cast<double>(space.available), kSlack);
}

}  // namespace
}  // namespace vantrel
