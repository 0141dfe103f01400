// The flattened file as the tool writes it for an upload and reads it in a download.
#include "flattened_stream.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <span>
#include <string_view>
#include <vector>

namespace vantrel::transfer {
namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;
using State = FlattenedReader::State;

std::vector<uint8_t> Zeros(size_t count) {
  return std::vector<uint8_t>(count, 0);
}

std::vector<uint8_t> Join(const std::vector<std::vector<uint8_t>>& parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(FlattenedHead, FileHeaderInformationForkAndDataForkHeader) {
  const std::vector<uint8_t> expected = Join({
      {'F', 'I', 'L', 'P', 0x00, 0x01},                                      // format, version 1
      Zeros(16),                                                             // reserved
      {0x00, 0x02},                                                          // two forks
      {'I', 'N', 'F', 'O', 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x4C},  // 74 + 2 bytes
      {'M', 'W', 'I', 'N', 'B', 'I', 'N', 'A', 'd', 'o', 's', 'a'},  // platform, type, creator
      Zeros(58),
      {0x00, 0x02, 'a', 'b', 0x00, 0x00},  // the name's length, the name, no comment
      {'D', 'A', 'T', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0x01, 0x02, 0x03, 0x04},  // 0x01020304 bytes
  });
  EXPECT_THAT(FlattenedHead("ab", 0x01020304), ElementsAreArray(expected));
  EXPECT_EQ(FlattenedHeadSize(2), expected.size());
}

// A download as a server sends it: an information fork of 76 bytes, then a
// data fork holding "hello".
std::vector<uint8_t> Download(std::vector<uint8_t> info_platform = {'M', 'W', 'I', 'N'}) {
  return Join({
      {'F', 'I', 'L', 'P', 0x00, 0x01},
      Zeros(16),
      {0x00, 0x02},
      {'I', 'N', 'F', 'O', 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x4C},
      info_platform,
      {'T', 'E', 'X', 'T', 't', 't', 'x', 't'},
      Zeros(58),
      {0x00, 0x02, 'h', 'i', 0x00, 0x00},
      {'D', 'A', 'T', 'A', 0, 0, 0, 0, 0, 0, 0, 0, 0x00, 0x00, 0x00, 0x05},
      {'h', 'e', 'l', 'l', 'o'},
  });
}

struct ReadResult {
  State state = State::kNeedMore;
  size_t taken = 0;
  std::vector<uint8_t> data;
  uint64_t data_size = 0;
  std::string reason;
};

// Feeds `stream` cut at `cut`, the second part only while more is needed.
ReadResult ReadSplit(std::span<const uint8_t> stream, size_t cut) {
  ReadResult result;
  FlattenedReader reader([&](std::span<const uint8_t> bytes) {
    result.data.insert(result.data.end(), bytes.begin(), bytes.end());
  });
  result.taken = reader.Feed(stream.first(cut));
  if (reader.state() == State::kNeedMore) result.taken += reader.Feed(stream.subspan(cut));
  result.state = reader.state();
  result.data_size = reader.data_size();
  result.reason = reader.invalid_reason();
  return result;
}

TEST(FlattenedReader, HandsOverTheDataForkHoweverTheBytesAreSplit) {
  const std::vector<uint8_t> download = Download();
  // Bytes past the last fork are left untaken.
  std::vector<uint8_t> stream = download;
  stream.push_back('x');
  for (size_t cut = 0; cut <= stream.size(); ++cut) {
    SCOPED_TRACE(cut);
    const ReadResult result = ReadSplit(stream, cut);
    EXPECT_EQ(result.state, State::kComplete) << result.reason;
    EXPECT_EQ(result.taken, download.size());
    EXPECT_EQ(result.data, (std::vector<uint8_t>{'h', 'e', 'l', 'l', 'o'}));
    EXPECT_EQ(result.data_size, 5u);
  }
}

TEST(FlattenedReader, RefusesDamagedStreams) {
  std::vector<uint8_t> version_2 = Download();
  version_2[5] = 0x02;
  std::vector<uint8_t> compressed = Download();
  compressed[24 + 7] = 0x01;  // the information fork's compression
  std::vector<uint8_t> no_forks = Download();
  no_forks[23] = 0x00;
  const struct {
    const char* name;
    std::vector<uint8_t> stream;
    const char* reason;
  } kCases[] = {
      {"another format", Join({{'F', 'I', 'L', 'E'}, Zeros(20)}), "FILP"},
      {"version 2", version_2, "version 2"},
      {"no forks", no_forks, "no forks"},
      {"compressed fork", compressed, "compressed"},
      {"information fork of another platform", Download({'A', 'M', 'A', 'C'}), "MWIN"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    for (size_t cut = 0; cut <= c.stream.size(); ++cut) {
      const ReadResult result = ReadSplit(c.stream, cut);
      EXPECT_EQ(result.state, State::kInvalid);
      EXPECT_THAT(result.reason, HasSubstr(c.reason));
      EXPECT_TRUE(result.data.empty());
    }
  }
}

}  // namespace
}  // namespace vantrel::transfer
