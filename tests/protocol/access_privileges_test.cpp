#include "protocol/access_privileges.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace vantrel {
namespace {

using Bytes = std::array<uint8_t, 8>;

TEST(AccessPrivileges, BitsLiveInTheirByteUnderTheirMask) {
  AccessPrivileges privileges;
  privileges.Set(9);
  privileges.Set(40);
  EXPECT_EQ(privileges.bytes, (Bytes{0x00, 0x40, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00}));
  EXPECT_TRUE(privileges.Test(9));
  EXPECT_FALSE(privileges.Test(8));
  EXPECT_FALSE(privileges.Test(10));

  AccessPrivileges ends;
  ends.Set(0);
  ends.Set(63);
  EXPECT_EQ(ends.bytes, (Bytes{0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}));
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
