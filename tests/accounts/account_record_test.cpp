#include "accounts/account_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "protocol/field_data.h"

namespace vantrel {
namespace {

// Writes `text` at `offset` of `bytes`.
void Put(std::vector<uint8_t>& bytes, size_t offset, std::vector<uint8_t> text) {
  for (size_t i = 0; i < text.size(); ++i) bytes[offset + i] = text[i];
}

// A valid record with name "Al" and login "al", written out byte by byte.
std::vector<uint8_t> SmallRecord() {
  std::vector<uint8_t> bytes(734, 0);
  Put(bytes, 0, {0x00, 0x01});
  Put(bytes, 528, {0x00, 0x02, 'A', 'l'});
  Put(bytes, 664, {0x00, 0x02, 'a', 'l'});
  return bytes;
}

TEST(AccountRecord, EncodesEveryFieldAtItsPlace) {
  AccountRecord record;
  record.privileges.Set(9);
  record.privileges.Set(40);
  record.name = "Jo";
  record.extra_text = "x";
  record.login = "jo";
  record.scrambled_password = Scramble("pw");

  std::vector<uint8_t> expected(734, 0);
  Put(expected, 0, {0x00, 0x01});
  Put(expected, 4, {0x00, 0x40, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00});
  Put(expected, 528, {0x00, 0x02, 'J', 'o'});
  Put(expected, 596, {0x00, 0x01, 'x'});
  Put(expected, 664, {0x00, 0x02, 'j', 'o'});
  Put(expected, 700, {0x00, 0x02, 0x8F, 0x88});
  EXPECT_EQ(EncodeAccountRecord(record), expected);
}

TEST(AccountRecord, DecodesAValidRecord) {
  std::vector<uint8_t> bytes = SmallRecord();
  Put(bytes, 4, {0xFF, 0xF3, 0xCF, 0xEF, 0xFF, 0x80, 0x00, 0x00});
  Put(bytes, 596, {0x00, 0x03, 'e', 'x', 't'});
  Put(bytes, 700, {0x00, 0x01, 0x9E});
  AccountRecord record;
  ASSERT_EQ(DecodeAccountRecord(bytes, record), AccountRecordStatus::kRead);
  EXPECT_EQ(record.privileges, kFullAdministratorPrivileges);
  EXPECT_EQ(record.name, "Al");
  EXPECT_EQ(record.extra_text, "ext");
  EXPECT_EQ(record.login, "al");
  EXPECT_EQ(record.scrambled_password, "\x9E");
}

TEST(AccountRecord, RefusesOtherVersionsAndShortInput) {
  std::vector<uint8_t> bytes = SmallRecord();
  bytes[1] = 0x02;
  AccountRecord record;
  record.name = "untouched";
  EXPECT_EQ(DecodeAccountRecord(bytes, record), AccountRecordStatus::kWrongVersion);
  bytes[0] = 0x01;
  bytes[1] = 0x01;
  EXPECT_EQ(DecodeAccountRecord(bytes, record), AccountRecordStatus::kWrongVersion);

  std::vector<uint8_t> short_bytes = SmallRecord();
  short_bytes.pop_back();  // 733 bytes
  EXPECT_EQ(DecodeAccountRecord(short_bytes, record), AccountRecordStatus::kDamaged);
  EXPECT_EQ(DecodeAccountRecord({}, record), AccountRecordStatus::kDamaged);
  EXPECT_EQ(record.name, "untouched");
}

TEST(AccountRecord, ReadsTheFirst734BytesOfALongerInputAndCutsStoredLengths) {
  std::vector<uint8_t> bytes = SmallRecord();
  Put(bytes, 528, {0xFF, 0xFF});  // name length 65535
  Put(bytes, 700, {0x01, 0x00});  // password length 256
  bytes.resize(800, 0xEE);
  AccountRecord record;
  ASSERT_EQ(DecodeAccountRecord(bytes, record), AccountRecordStatus::kRead);
  EXPECT_EQ(record.login, "al");
  EXPECT_EQ(record.name.size(), 64u);
  EXPECT_EQ(record.scrambled_password.size(), 32u);
}

}  // namespace
}  // namespace vantrel
