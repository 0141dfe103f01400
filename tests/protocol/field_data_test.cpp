#include "protocol/field_data.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/exception.h"

namespace vantrel {
namespace {

using ::testing::ElementsAre;

std::vector<uint8_t> Bytes(const UFieldData& fields) {
  const auto buffer = fields.Buffer();
  return {buffer.begin(), buffer.end()};
}

TEST(UFieldData, IntegersTakeTwoBytesUpTo65535AndFourAbove) {
  UFieldData fields;
  fields.AddInteger(103, 65535);
  fields.AddInteger(104, 65536);
  EXPECT_THAT(Bytes(fields), ElementsAre(0x00, 0x02,                          // count
                                         0x00, 0x67, 0x00, 0x02, 0xFF, 0xFF,  // 103: 65535
                                         0x00, 0x68, 0x00, 0x04, 0x00, 0x01, 0x00, 0x00));
  EXPECT_EQ(fields.ReadInteger(103), 65535u);
  EXPECT_EQ(fields.ReadInteger(104), 65536u);
}

TEST(UFieldData, TextsCarryNoLengthAndEmptyTextsAddNothing) {
  UFieldData fields;
  fields.AddText(102, "");
  EXPECT_EQ(fields.Count(), 0u);
  fields.AddText(102, "Ann");
  fields.AddText(101, "");
  EXPECT_THAT(Bytes(fields), ElementsAre(0x00, 0x01, 0x00, 0x66, 0x00, 0x03, 'A', 'n', 'n'));
}

TEST(UFieldData, FieldOver65535BytesRaisesAndLeavesListUnchanged) {
  UFieldData fields;
  fields.AddText(101, "x");
  const std::vector<uint8_t> big(65536, 'a');
  try {
    fields.AddField(101, big);
    FAIL() << "no failure raised";
  } catch (const Omberly::CException& failure) {
    EXPECT_EQ(failure.ErrorClass(), 1);
    EXPECT_EQ(failure.Code(), 10);
    EXPECT_EQ(failure.Description(), "UFieldData::AddField() - maximum field size is 65535 bytes");
  }
  EXPECT_THAT(Bytes(fields), ElementsAre(0x00, 0x01, 0x00, 0x65, 0x00, 0x01, 'x'));
  fields.AddField(101, std::span<const uint8_t>(big.data(), 65535));
  EXPECT_EQ(fields.Count(), 2u);
  EXPECT_EQ(fields.DataAt(2).size(), 65535u);
}

TEST(UFieldData, IntegerReadsBySize) {
  UFieldData fields(std::vector<uint8_t>{0x00, 0x04,                                //
                                         0x00, 0x01, 0x00, 0x01, 0x7F,              // 1 byte
                                         0x00, 0x02, 0x00, 0x03, 0x01, 0x02, 0x03,  // 3 bytes: 0
                                         0x00, 0x03, 0x00, 0x08, 0x01, 0x02, 0x03,
                                         0x04, 9,    9,    9,    9,  // 8 bytes: first 4
                                         0x00, 0x04, 0x00, 0x02, 0xAB, 0xCD});
  EXPECT_EQ(fields.ReadInteger(1), 0x7Fu);
  EXPECT_EQ(fields.ReadInteger(2), 0u);
  EXPECT_EQ(fields.ReadInteger(3), 0x01020304u);
  EXPECT_EQ(fields.ReadInteger(4), 0xABCDu);
  EXPECT_EQ(fields.ReadInteger(5), 0u);
}

TEST(UFieldData, LyingCountYieldsTheFieldsThatFit) {
  // Count 5, three complete fields, then a head whose size runs past the end.
  UFieldData fields(std::vector<uint8_t>{0x00, 0x05,                   //
                                         0x00, 0x0A, 0x00, 0x01, 'a',  //
                                         0x00, 0x0B, 0x00, 0x01, 'b',  //
                                         0x00, 0x0C, 0x00, 0x01, 'c',  //
                                         0x00, 0x0D, 0x00, 0x09, 'd'});
  EXPECT_EQ(fields.Count(), 3u);
  EXPECT_EQ(fields.ReadText(12, 32), "c");
  EXPECT_EQ(fields.Find(13), 0u);
  EXPECT_EQ(fields.FieldIdAt(3), 12);
  EXPECT_EQ(fields.FieldIdAt(4), 0);
  EXPECT_EQ(fields.FieldIdAt(0), 0);
}

TEST(UFieldData, TinyBuffersAndShortCountsHoldOnlyWhatTheyClaim) {
  EXPECT_EQ(UFieldData(std::vector<uint8_t>{0x00, 0x03}).Count(), 0u);
  EXPECT_EQ(UFieldData(std::vector<uint8_t>{0x00}).Count(), 0u);
  // Count 1 with two fields present: the second is not read.
  UFieldData fields(std::vector<uint8_t>{0x00, 0x01, 0x00, 0x0A, 0x00, 0x01, 'a',  //
                                         0x00, 0x0B, 0x00, 0x01, 'b'});
  EXPECT_EQ(fields.Count(), 1u);
  EXPECT_EQ(fields.Find(11), 0u);
}

TEST(UFieldData, TextIsCutToCapacityLessOne) {
  UFieldData fields;
  const std::string forty(40, 'n');
  fields.AddText(102, forty);
  EXPECT_EQ(fields.ReadText(102, 32), std::string(31, 'n'));
  EXPECT_EQ(fields.ReadText(102, 1), "");
}

TEST(UFieldData, ReadAtCopiesFromOffsetWithinCapacity) {
  UFieldData fields;
  fields.AddText(101, "abcdef");
  uint8_t out[4] = {};
  EXPECT_EQ(fields.Read(101, 2, out), 4u);
  EXPECT_THAT(out, ElementsAre('c', 'd', 'e', 'f'));
  EXPECT_EQ(fields.Read(101, 5, out), 1u);
  EXPECT_EQ(out[0], 'f');
  EXPECT_EQ(fields.Read(101, 6, out), 0u);
  EXPECT_EQ(fields.ReadAt(2, 0, out), 0u);
}

TEST(UFieldData, LookupFindsEveryFieldAfterChangesAndIgnoresIdZero) {
  UFieldData fields;
  for (uint16_t id = 120; id >= 101; --id) fields.AddInteger(id, id * 2u);
  for (uint16_t id = 101; id <= 120; ++id) EXPECT_EQ(fields.ReadInteger(id), id * 2u);
  fields.AddInteger(99, 7);  // drops the tables and the cache
  EXPECT_EQ(fields.ReadInteger(99), 7u);
  EXPECT_EQ(fields.ReadInteger(101), 202u);
  EXPECT_EQ(fields.Find(0), 0u);
  fields.Clear();
  EXPECT_EQ(fields.Find(101), 0u);
  EXPECT_THAT(Bytes(fields), ElementsAre(0, 0));
}

TEST(UFieldData, OffsetSkipsLeadingBytes) {
  UFieldData fields(std::vector<uint8_t>{0xEE, 0xEE, 0x00, 0x01, 0x00, 0x65, 0x00, 0x01, 'z'}, 2);
  EXPECT_EQ(fields.ReadText(101, 8), "z");
  EXPECT_THAT(Bytes(fields), ElementsAre(0x00, 0x01, 0x00, 0x65, 0x00, 0x01, 'z'));
}

TEST(Scramble, ComplementsEveryByte) {
  EXPECT_EQ(Scramble(std::string("\x00\x41\xFF", 3)), std::string("\xFF\xBE\x00", 3));
  EXPECT_EQ(Scramble(Scramble("guest")), "guest");
}

}  // namespace
}  // namespace vantrel
