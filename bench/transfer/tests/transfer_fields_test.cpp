// The requests of a transfer, their replies and the transfer header.
#include "transfer_fields.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel::transfer {
namespace {

using ::testing::ElementsAreArray;

TEST(TransferFields, UploadRequestNamesTheFileItsFolderAndTheBytesToCome) {
  EXPECT_THAT(UploadRequestFields("Up", "f", 0x00012345),
              ElementsAreArray<uint8_t>({
                  0x00, 0x03,                                            // three fields
                  0x00, 0xC9, 0x00, 0x01, 'f',                           // 201: the name
                  0x00, 0xCA, 0x00, 0x07, 0x00, 0x01, 0x00, 0x00, 0x02,  // 202: one level,
                  'U',  'p',                                             // "Up"
                  0x00, 0x6C, 0x00, 0x04, 0x00, 0x01, 0x23, 0x45,        // 108: 74565 bytes
              }));
  // A file at the top has no path.
  EXPECT_THAT(DownloadRequestFields("", "f"),
              ElementsAreArray<uint8_t>({0x00, 0x01, 0x00, 0xC9, 0x00, 0x01, 'f'}));
}

TEST(TransferFields, HeaderCarriesTheReferenceAsTheServerSentIt) {
  EXPECT_THAT(TransferHeader({0x01, 0x02, 0x03, 0x04}, 0x00A0B0C0),
              ElementsAreArray<uint8_t>({
                  'V', 'N', 'X', 'F',      // magic
                  0x01, 0x02, 0x03, 0x04,  // reference, unchanged
                  0x00, 0xA0, 0xB0, 0xC0,  // data size
                  0x00, 0x00, 0x00, 0x00,  // kind 0 (a file), reserved
              }));
}

TEST(TransferFields, DownloadReplyWithATwoByteSizeAndAQueuePosition) {
  const std::vector<uint8_t> reply = {
      0x00, 0x04,                                      // four fields
      0x00, 0x6C, 0x00, 0x02, 0x01, 0x00,              // 108: 256 bytes
      0x00, 0xCF, 0x00, 0x04, 0x00, 0x00, 0x00, 0x50,  // 207: 80 bytes of file
      0x00, 0x6B, 0x00, 0x04, 0xDE, 0xAD, 0xBE, 0xEF,  // 107: the reference
      0x00, 0x74, 0x00, 0x02, 0x00, 0x03,              // 116: third in the queue
  };
  std::string error;
  const auto ticket = ReadDownloadReply(reply, error);
  ASSERT_TRUE(ticket) << error;
  EXPECT_EQ(ticket->stream_size, 256u);
  EXPECT_EQ(ticket->file_size, 80u);
  EXPECT_EQ(ticket->queue_position, 3u);
  EXPECT_EQ(ticket->reference, (Reference{0xDE, 0xAD, 0xBE, 0xEF}));

  // 211 with a reference ending in `last` and the queue position `position`.
  const auto update = [](uint8_t last, uint8_t position) {
    return std::vector<uint8_t>{0x00, 0x02, 0x00, 0x6B, 0x00, 0x04, 0xDE, 0xAD,
                                0xBE, last, 0x00, 0x74, 0x00, 0x02, 0x00, position};
  };
  EXPECT_FALSE(ReleasesDownload(update(0xEF, 1), ticket->reference));  // the queue moves
  EXPECT_TRUE(ReleasesDownload(update(0xEF, 0), ticket->reference));   // its turn
  EXPECT_FALSE(ReleasesDownload(update(0xEE, 0), ticket->reference));  // another's turn

  // Without a reference the download cannot go on.
  EXPECT_FALSE(ReadDownloadReply(
      std::vector<uint8_t>{0x00, 0x01, 0x00, 0x6C, 0x00, 0x02, 0x01, 0x00}, error));
}

}  // namespace
}  // namespace vantrel::transfer
