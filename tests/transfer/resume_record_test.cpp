#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/flattened_file.h"
#include "transfer_test_support.h"

namespace vantrel::testing {
namespace {

// The 40 bytes in front of a resume record's entry count: format, version, reserved.
ByteString RecordHead(uint16_t version = 1) {
  ByteString head = {'R', 'F', 'L', 'T', 0, static_cast<uint8_t>(version)};
  head.insert(head.end(), 34, 0);
  return head;
}

ByteString Record(std::initializer_list<ByteString> tail) {
  ByteString record = RecordHead();
  for (const ByteString& part : tail) record.insert(record.end(), part.begin(), part.end());
  return record;
}

const ByteString kInfoEntry = {'I', 'N', 'F', 'O', 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 0};
const ByteString kDataEntry = {'D', 'A', 'T', 'A', 0, 1, 0x23, 0x45, 0, 0, 0, 0, 0, 0, 0, 0};

TEST(ResumeRecord, OffsetIsTheDataEntrysWithinTheCountAndTheBytes) {
  struct Case {
    const char* what;
    ByteString record;
    uint32_t offset;
  };
  const Case cases[] = {
      {"no entry", Record({{0, 0}}), 0},
      {"the data entry", Record({{0, 1}, kDataEntry}), 0x12345},
      {"after another entry", Record({{0, 2}, kInfoEntry, kDataEntry}), 0x12345},
      {"no data entry", Record({{0, 1}, kInfoEntry}), 0},
      {"beyond the count", Record({{0, 1}, kInfoEntry, kDataEntry}), 0},
      {"beyond the bytes", Record({{0, 9}}), 0},
      {"without its reserved bytes",
       Record({{0, 1}, ByteString(kDataEntry.begin(), kDataEntry.begin() + 8)}), 0x12345},
      {"cut in its offset",
       Record({{0, 1}, ByteString(kDataEntry.begin(), kDataEntry.begin() + 7)}), 0},
  };
  for (const Case& c : cases) EXPECT_EQ(ResumeOffset(c.record), c.offset) << c.what;
}

TEST(ResumeRecord, RefusesShortOrForeignRecords) {
  ByteString other_format = Record({{0, 0}});
  other_format[0] = 'X';
  struct Case {
    const char* what;
    ByteString record;
    int16_t code;
  };
  const Case cases[] = {
      {"41 bytes", Record({{0}}), kErrorCodeRecordTooShort},
      {"another format", other_format, kErrorCodeUnknownFormat},
      {"version 2",
       [] {
         ByteString record = RecordHead(2);
         record.insert(record.end(), {0, 0});
         return record;
       }(),
       kErrorCodeUnknownVersion},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Raised([&] { ResumeOffset(c.record); }), std::pair(kErrorClassFormat, c.code))
        << c.what;
  }
}

TEST(ResumeRecord, UploadRecordCountsTwoAndHoldsOneDataEntry) {
  const ByteString expected = {
      'R', 'F', 'L', 'T', 0, 1,                                //
      0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // 34 reserved
      0,   0,   0,   0,   0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  //
      0,   0,                                                  //
      0,   2,                                                  // count
      'D', 'A', 'T', 'A', 1, 2, 3, 4, 0, 0, 0, 0, 0, 0, 0, 0};
  const auto record = UploadResumeRecord(0x01020304);
  EXPECT_EQ(ByteString(record.begin(), record.end()), expected);
}

}  // namespace
}  // namespace vantrel::testing
