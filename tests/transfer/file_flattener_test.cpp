#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "support/temporary_folder.h"
#include "transfer/flattened_file.h"
#include "transfer_test_support.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;

constexpr TypeAndCreator kText = {MakeFourCharCode("TEXT"), MakeFourCharCode("ttxt")};

// The 135 bytes in front of the data of a file "a.txt" (TEXT/ttxt) whose data
// fork's size has the 4 bytes `data_size`.
std::string HeadOfATxt(const ByteString& data_size) {
  const ByteString head = Join({
      {'F', 'I', 'L', 'P', 0x00, 0x01},                              // format, version 1
      Zeros(16),                                                     //
      {0x00, 0x02},                                                  // 2 forks
      {'I', 'N', 'F', 'O', 0x00, 0x00, 0x00, 0x00},                  // information, no compression
      {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x4F},              // reserved, size 79
      {'M', 'W', 'I', 'N', 'T', 'E', 'X', 'T', 't', 't', 'x', 't'},  // type, creator
      Zeros(58),                                                     //
      {0x00, 0x05, 'a', '.', 't', 'x', 't', 0x00, 0x00},             // name, reserved
      {'D', 'A', 'T', 'A', 0x00, 0x00, 0x00, 0x00},                  // data, no compression
      {0x00, 0x00, 0x00, 0x00},                                      // reserved
      data_size,
  });
  return {head.begin(), head.end()};
}

class FileFlattenerTest : public ::testing::Test {
 protected:
  fs::path Put(const std::string& name, const std::string& bytes) const {
    const fs::path path = folder_.Path() / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  // The whole stream, read in pieces of `piece` bytes.
  static std::string ReadStream(FileFlattener& flattener, size_t piece) {
    std::string stream;
    std::vector<uint8_t> buffer(piece);
    for (int reads = 0; reads < 100'000; ++reads) {
      const size_t got = flattener.Read(buffer);
      if (got == 0) break;
      stream.append(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
    }
    return stream;
  }

  TemporaryFolder folder_;
};

TEST_F(FileFlattenerTest, StreamIsTheHeadersAndTheWholeFile) {
  const std::string data = Counting(1000);
  FileFlattener flattener(FileSystem::Default(), Put("a.txt", data), "a.txt", kText, 0);
  EXPECT_EQ(flattener.FlattenedSize(), 1135u);
  const std::string stream = ReadStream(flattener, 7);
  EXPECT_EQ(stream, HeadOfATxt({0x00, 0x00, 0x03, 0xE8}) + data);
  EXPECT_EQ(flattener.Remaining(), 0u);
}

TEST_F(FileFlattenerTest, ResumedStreamCarriesTheFileFromTheOffset) {
  const std::string data = Counting(1000);
  FileFlattener flattener(FileSystem::Default(), Put("a.txt", data), "a.txt", kText, 400);
  EXPECT_EQ(flattener.FlattenedSize(), 735u);
  EXPECT_EQ(ReadStream(flattener, 4096), HeadOfATxt({0x00, 0x00, 0x02, 0x58}) + data.substr(400));
}

TEST_F(FileFlattenerTest, OffsetAtOrPastTheEndGivesAnEmptyDataFork) {
  const fs::path file = Put("a.txt", Counting(1000));
  for (uint32_t offset : {1000u, 1001u, 0xFFFFFFFFu}) {
    FileFlattener flattener(FileSystem::Default(), file, "a.txt", kText, offset);
    EXPECT_EQ(flattener.FlattenedSize(), 135u) << offset;
    EXPECT_EQ(ReadStream(flattener, 4096), HeadOfATxt(Zeros(4))) << offset;
  }
}

TEST_F(FileFlattenerTest, LongNameTravelsAsItsFirst63Bytes) {
  const std::string name(63, 'n');
  FileFlattener flattener(FileSystem::Default(), Put("long", "xy"), name + "1234567", kText, 0);
  const std::string stream = ReadStream(flattener, 4096);
  ASSERT_EQ(stream.size(), 24u + 16u + 137u + 16u + 2u);
  EXPECT_EQ(stream.substr(36, 4), std::string("\0\0\0\x89", 4));  // 74 + 63
  EXPECT_EQ(stream.substr(110, 2 + 63 + 2), std::string("\0\x3F", 2) + name + std::string(2, '\0'));
  EXPECT_EQ(stream.substr(177), std::string("DATA\0\0\0\0\0\0\0\0\0\0\0\x02xy", 18));
}

TEST_F(FileFlattenerTest, FileThatShrinksWhileSentRaisesClass4) {
  const fs::path file = Put("a.txt", Counting(1000));
  FileFlattener flattener(FileSystem::Default(), file, "a.txt", kText, 0);
  std::vector<uint8_t> buffer(200);
  ASSERT_EQ(flattener.Read(buffer), 200u);
  fs::resize_file(file, 300);
  buffer.resize(2000);
  try {
    flattener.Read(buffer);
    ADD_FAILURE() << "a file that shrank was read to the end";
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.ErrorClass(), kErrorClassFile);
    EXPECT_EQ(failure.Description(), "The file became shorter while it was being sent.");
  }
}

}  // namespace
}  // namespace vantrel::testing
