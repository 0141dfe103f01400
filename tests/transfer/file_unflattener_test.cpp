#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "support/fault_injecting_file_system.h"
#include "support/temporary_folder.h"
#include "transfer/flattened_file.h"
#include "transfer_test_support.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

// Version 1, announcing 3 forks (a count nothing relies on).
const ByteString kFileHeader = Join({{'F', 'I', 'L', 'P', 0x00, 0x01}, Zeros(16), {0x00, 0x03}});

class FileUnflattenerTest : public ::testing::Test {
 protected:
  // An empty partial file, as an upload starts with.
  fs::path EmptyFile() const {
    const fs::path path = folder_.Path() / "upload.vpf";
    std::ofstream(path, std::ios::binary);
    return path;
  }

  // Writes `stream` into a new unflattener over `path` in pieces of `piece`
  // bytes, then closes it.
  static void Unflatten(const fs::path& path, const ByteString& stream, size_t piece) {
    FileUnflattener unflattener(FileSystem::Default(), path);
    for (size_t at = 0; at < stream.size(); at += piece) {
      unflattener.Write(std::span(stream).subspan(at, std::min(piece, stream.size() - at)));
    }
    unflattener.Close();
  }

  TemporaryFolder folder_;
};

TEST_F(FileUnflattenerTest, StoresOnlyTheDataForkHoweverTheStreamIsSplit) {
  // An information fork longer than what is kept of it, an empty fork, a fork
  // of another type, then the data fork.
  const ByteString info =
      Join({{'I', 'N', 'F', 'O'}, Zeros(8), {0x00, 0x00, 0x02, 0x58}, ByteString(600, 'i')});
  const ByteString empty_fork = Join({{'N', 'O', 'N', 'E'}, Zeros(12)});
  const ByteString other_fork =
      Join({{'M', 'A', 'C', 'R'}, Zeros(8), {0x00, 0x00, 0x00, 0x03}, {'r', 'r', 'r'}});
  const ByteString data =
      Join({{'D', 'A', 'T', 'A'}, Zeros(8), {0x00, 0x00, 0x00, 0x05}, {'h', 'e', 'l', 'l', 'o'}});
  const ByteString stream = Join({kFileHeader, info, empty_fork, other_fork, data});
  for (size_t piece : {stream.size(), size_t{1}, size_t{7}}) {
    const fs::path path = EmptyFile();
    Unflatten(path, stream, piece);
    EXPECT_EQ(ReadWholeFile(path), "hello") << piece;
  }
}

TEST_F(FileUnflattenerTest, ResumedUploadGoesOnAfterWhatTheFileHolds) {
  const fs::path path = folder_.Path() / "upload.vpf";
  std::ofstream(path, std::ios::binary) << "abc";
  FileUnflattener unflattener(FileSystem::Default(), path);
  EXPECT_EQ(unflattener.StartOffset(), 3u);
  unflattener.Write(Join(
      {kFileHeader, {'D', 'A', 'T', 'A'}, Zeros(8), {0x00, 0x00, 0x00, 0x03}, {'d', 'e', 'f'}}));
  unflattener.Close();
  EXPECT_EQ(ReadWholeFile(path), "abcdef");
}

TEST_F(FileUnflattenerTest, RefusesAnotherFormatVersionOrCompression) {
  const ByteString fork = Join({{'D', 'A', 'T', 'A'}, Zeros(8), {0x00, 0x00, 0x00, 0x01}, {'x'}});
  struct Case {
    const char* what;
    ByteString stream;
    int16_t code;
  };
  ByteString other_format = Join({kFileHeader, fork});
  other_format[3] = 'X';
  ByteString other_version = Join({kFileHeader, fork});
  other_version[5] = 2;
  ByteString compressed = Join({kFileHeader, fork});
  compressed[24 + 7] = 1;
  const Case cases[] = {{"format", other_format, kErrorCodeUnknownFormat},
                        {"version", other_version, kErrorCodeUnknownVersion},
                        {"compression", compressed, kErrorCodeUnknownFormat}};
  for (const Case& c : cases) {
    const fs::path path = EmptyFile();
    FileUnflattener unflattener(FileSystem::Default(), path);
    const auto expected = std::pair{kErrorClassFormat, c.code};
    EXPECT_EQ(Raised([&] { unflattener.Write(c.stream); }), expected) << c.what;
    EXPECT_EQ(Raised([&] { unflattener.Write(fork); }), expected) << c.what << ": it went on";
    EXPECT_EQ(ReadWholeFile(path), "") << c.what;
  }
}

TEST_F(FileUnflattenerTest, FullDiskRaisesClass4) {
  const ByteString stream = Join({kFileHeader,
                                  {'D', 'A', 'T', 'A'},
                                  Zeros(8),
                                  {0x00, 0x00, 0x00, 0x04},
                                  {'d', 'a', 't', 'a'}});
  FaultInjectingFileSystem disk(FileSystem::Default());
  {
    FileUnflattener unflattener(disk, EmptyFile());
    disk.ShortWrite(1);
    EXPECT_EQ(Raised([&] { unflattener.Write(stream); }).first, kErrorClassFile);
  }
  FileUnflattener unflattener(disk, EmptyFile());
  unflattener.Write(stream);
  disk.FailChange(1, ENOSPC);
  EXPECT_EQ(Raised([&] { unflattener.Close(); }).first, kErrorClassFile);
}

}  // namespace
}  // namespace vantrel::testing
