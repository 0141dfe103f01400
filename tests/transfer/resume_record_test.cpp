#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "transfer/flattened_file.h"
#include "transfer_test_support.h"

namespace vantrel::testing {
namespace {

// The 40 bytes in front of a resume record's entry count: "RFLT", version 1, 34
// reserved bytes.
ByteString RecordHead() {
  ByteString head = Zeros(40);
  std::copy_n("RFLT\0\1", 6, head.begin());
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
  ByteString other_version = Record({{0, 0}});
  other_version[5] = 2;
  struct Case {
    const char* what;
    ByteString record;
    int16_t code;
  };
  const Case cases[] = {
      {"41 bytes", Record({{0}}), kErrorCodeRecordTooShort},
      {"another format", other_format, kErrorCodeUnknownFormat},
      {"version 2", other_version, kErrorCodeUnknownVersion},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Raised([&] { ResumeOffset(c.record); }), std::pair(kErrorClassFormat, c.code))
        << c.what;
  }
}

TEST(ResumeRecord, UploadRecordCountsTwoAndHoldsOneDataEntry) {
  const ByteString expected = Join({
      {'R', 'F', 'L', 'T', 0x00, 0x01},              // format, version 1
      Zeros(34),                                     //
      {0x00, 0x02},                                  // 2 entries
      {'D', 'A', 'T', 'A', 0x01, 0x02, 0x03, 0x04},  // data fork, offset
      Zeros(8),                                      //
  });
  const auto record = UploadResumeRecord(0x01020304);
  EXPECT_EQ(ByteString(record.begin(), record.end()), expected);
}

}  // namespace
}  // namespace vantrel::testing
