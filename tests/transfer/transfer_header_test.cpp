#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/transfer_header.h"

namespace vantrel {
namespace {

using ByteString = std::vector<uint8_t>;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(TransferHeader, ReadsTheReferenceLeastSignificantFirstAndTheRestBigEndian) {
  const std::array<uint8_t, 16> bytes = {'V', 'N', 'X', 'F',  0x78, 0x56, 0x34, 0x12,
                                         0,   0,   4,   0x6B, 0,    1,    0xFF, 0xFF};
  const auto header = ParseTransferHeader(bytes);
  ASSERT_TRUE(header);
  EXPECT_EQ(header->reference, 0x12345678u);
  EXPECT_EQ(header->data_size, 0x46Bu);
  EXPECT_EQ(header->kind, 1u);

  std::array<uint8_t, 16> other = bytes;
  other[3] = 'P';
  EXPECT_FALSE(ParseTransferHeader(other));
}

TEST(TransferHeader, ReferenceBytesAreLeastSignificantFirst) {
  EXPECT_THAT(ReferenceBytes(0x12345678), ElementsAre(0x78, 0x56, 0x34, 0x12));
}

TEST(TransferHeader, EncodesTheReferenceBytesUnchangedAndTheRestBigEndian) {
  const std::array<uint8_t, 4> reference = {0x78, 0x56, 0x34, 0x12};
  EXPECT_THAT(EncodeTransferHeader(reference, 0x46B, 1),
              ElementsAre('V', 'N', 'X', 'F', 0x78, 0x56, 0x34, 0x12, 0, 0, 4, 0x6B, 0, 1, 0, 0));
}

TEST(FolderItemHeader, EncodesLengthKindAndLevels) {
  EXPECT_EQ(
      EncodeFolderItemHeader({true, {"Sub", "a.txt"}}),
      ByteString({0, 18, 0, 1, 0, 2, 0, 0, 3, 'S', 'u', 'b', 0, 0, 5, 'a', '.', 't', 'x', 't'}));
  EXPECT_EQ(EncodeFolderItemHeader({false, {"b"}}), ByteString({0, 8, 0, 0, 0, 1, 0, 0, 1, 'b'}));
}

TEST(FolderItemHeader, DecodesBitZeroOfTheKindAndTheLevelsAsAPathField) {
  struct Case {
    ByteString body;
    bool is_folder;
    std::vector<std::string> levels;
  };
  const Case cases[] = {
      {{0, 3, 0, 1, 9, 9, 1, 'x'}, true, {"x"}},
      {{0xFF, 0xFE, 0, 2, 0, 0, 1, 'a', 0, 0, 2, 'b', 'c'}, false, {"a", "bc"}},
      // Reading stops at a name that runs past the end, keeping what was read.
      {{0, 0, 0, 2, 0, 0, 1, 'a', 0, 0, 9, 'b'}, false, {"a"}},
      {{0, 1, 0, 1, 0}, true, {}},
      {{1}, false, {}},
  };
  for (const Case& c : cases) {
    const FolderItem item = DecodeFolderItemHeader(c.body);
    EXPECT_EQ(item.is_folder, c.is_folder);
    EXPECT_EQ(item.levels, c.levels);
  }
}

}  // namespace
}  // namespace vantrel
