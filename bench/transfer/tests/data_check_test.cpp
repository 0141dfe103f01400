// Checking transferred bytes against a file on disk.
#include "data_check.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "support/temporary_folder.h"

namespace vantrel::transfer {
namespace {

std::filesystem::path WriteFile(const testing::TemporaryFolder& folder,
                                const std::vector<uint8_t>& bytes) {
  const auto path = folder.Path() / "file";
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  return path;
}

TEST(FileComparer, FollowsTheFileAcrossPiecesAndFindsTheFirstDifference) {
  testing::TemporaryFolder folder;
  const auto path = WriteFile(folder, {1, 2, 3, 4, 5});

  FileComparer same(path);
  EXPECT_TRUE(same.Compare(std::vector<uint8_t>{1, 2}));
  EXPECT_FALSE(same.AtEnd());
  EXPECT_TRUE(same.Compare(std::vector<uint8_t>{3, 4, 5}));
  EXPECT_TRUE(same.AtEnd());

  FileComparer differs(path);
  EXPECT_TRUE(differs.Compare(std::vector<uint8_t>{1, 2}));
  EXPECT_FALSE(differs.Compare(std::vector<uint8_t>{3, 9, 5}));
  EXPECT_EQ(differs.position(), 3u);
  EXPECT_FALSE(differs.Compare(std::vector<uint8_t>{}));  // for good

  FileComparer longer(path);
  EXPECT_FALSE(longer.Compare(std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(longer.position(), 5u);

  EXPECT_FALSE(FileComparer(folder.Path() / "missing").Compare(std::vector<uint8_t>{1}));
}

TEST(UploadData, FileMustHoldTheRepeatedBlockExactly) {
  testing::TemporaryFolder folder;
  std::vector<uint8_t> bytes = UploadBlock();
  bytes.insert(bytes.end(), bytes.begin(), bytes.begin() + 10);  // the block again, cut short
  const auto path = WriteFile(folder, bytes);
  std::string error;
  EXPECT_TRUE(HoldsUploadData(path, bytes.size(), error)) << error;
  EXPECT_FALSE(HoldsUploadData(path, bytes.size() + 1, error));

  bytes[kUploadBlockSize + 3] ^= 1;
  WriteFile(folder, bytes);
  EXPECT_FALSE(HoldsUploadData(path, bytes.size(), error));
  EXPECT_NE(error.find(std::to_string(kUploadBlockSize + 3)), std::string::npos) << error;
}

}  // namespace
}  // namespace vantrel::transfer
