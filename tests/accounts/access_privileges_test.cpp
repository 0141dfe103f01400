#include "accounts/access_privileges.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace vantrel {
namespace {

using Bytes = std::array<uint8_t, 8>;

TEST(AccessPrivileges, BitsLiveInTheirByteUnderTheirMask) {
  AccessPrivileges privileges;
  privileges.Set(9);
  EXPECT_EQ(privileges.bytes, (Bytes{0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00}));
  EXPECT_TRUE(privileges.Test(9));
  EXPECT_FALSE(privileges.Test(8));
  EXPECT_FALSE(privileges.Test(10));

  AccessPrivileges send_messages;
  send_messages.Set(40);
  EXPECT_EQ(send_messages.bytes, (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00}));

  AccessPrivileges ends;
  ends.Set(0);
  ends.Set(63);
  EXPECT_EQ(ends.bytes, (Bytes{0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}));
}

TEST(AccessPrivileges, ClearTouchesOneBitAndClearAllEmpties) {
  AccessPrivileges privileges{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
  privileges.Clear(27);
  EXPECT_EQ(privileges.bytes, (Bytes{0xFF, 0xFF, 0xFF, 0xEF, 0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_FALSE(privileges.IsEmpty());
  privileges.ClearAll();
  EXPECT_TRUE(privileges.IsEmpty());
  EXPECT_EQ(privileges.bytes, Bytes{});
}

TEST(AccessPrivileges, FullAdministratorSetIsTheThirtySixMeaningfulBitsWithout27) {
  EXPECT_EQ(kFullAdministratorPrivileges.bytes,
            (Bytes{0xFF, 0xF3, 0xCF, 0xEF, 0xFF, 0x80, 0x00, 0x00}));
  // The bits in the order the head administrator setup names them.
  constexpr unsigned kOrder[] = {2,  39, 1,  38, 25, 0,  3,  4,  28, 5,  6,  7,
                                 8,  29, 30, 31, 14, 15, 16, 17, 24, 22, 23, 40,
                                 32, 20, 21, 33, 34, 35, 36, 37, 11, 9,  10, 26};
  AccessPrivileges built;
  for (unsigned bit : kOrder) built.Set(bit);
  EXPECT_EQ(built, kFullAdministratorPrivileges);
  for (unsigned bit : {12u, 13u, 18u, 19u, 27u, 41u}) {
    EXPECT_FALSE(kFullAdministratorPrivileges.Test(bit)) << bit;
  }
}

TEST(AccessPrivileges, CreationNeedsEveryBitExcept27) {
  AccessPrivileges with_27 = kFullAdministratorPrivileges;
  with_27.Set(kPrivilegeNoAgreement);
  EXPECT_TRUE(MayCreateAccountWith(kFullAdministratorPrivileges, with_27));

  AccessPrivileges only_27;
  only_27.Set(27);
  EXPECT_TRUE(MayCreateAccountWith(AccessPrivileges{}, only_27));

  AccessPrivileges creator = kFullAdministratorPrivileges;
  creator.Clear(kPrivilegeSendPrivateMessages);
  AccessPrivileges messages;
  messages.Set(40);
  EXPECT_FALSE(MayCreateAccountWith(creator, messages));
  EXPECT_TRUE(MayCreateAccountWith(kFullAdministratorPrivileges, messages));

  // A bit without meaning is held to the same rule.
  AccessPrivileges meaningless;
  meaningless.Set(50);
  EXPECT_FALSE(MayCreateAccountWith(kFullAdministratorPrivileges, meaningless));
  EXPECT_TRUE(MayCreateAccountWith(meaningless, meaningless));
}

}  // namespace
}  // namespace vantrel
