#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>

#include "server/client_session.h"
#include "server/user_names.h"

namespace vantrel {
namespace {

using ::testing::ElementsAre;

ClientSession Session(uint16_t user_id = 1) {
  return ClientSession(nullptr, 0x7F000001, user_id, 1000);
}

AccessPrivileges WithBits(std::initializer_list<unsigned> bits) {
  AccessPrivileges privileges;
  for (unsigned bit : bits) privileges.Set(bit);
  return privileges;
}

TEST(Nickname, BytesOutsidePrintableAsciiBecomeStarsEmptyIsThreeStarsLongIsCut) {
  EXPECT_EQ(CleanNickname(std::string("a\x7F"
                                      "b\x80"
                                      "c\xFF"
                                      "d\x1F"
                                      " ~",
                                      10)),
            "a*b*c*d* ~");
  EXPECT_EQ(CleanNickname(""), "***");
  EXPECT_EQ(CleanNickname(std::string(40, 'n')), std::string(31, 'n'));
}

TEST(DisplayName, NicknameOnlyWithAnyNamePrivilege) {
  EXPECT_EQ(DisplayNameFor(WithBits({26}), "Nick", "Account"), "Nick");
  EXPECT_EQ(DisplayNameFor(WithBits({22, 24, 25, 27}), "Nick", "Account"), "Account");
  EXPECT_EQ(DisplayNameFor(AccessPrivileges{}, "Nick", ""), "***");
  EXPECT_EQ(DisplayNameFor(AccessPrivileges{}, "Nick", std::string(64, 'a')), std::string(31, 'a'));
}

TEST(StatusFlags, FullAdministratorWithDisconnectShows18) {
  ClientSession client = Session();
  for (unsigned bit = 0; bit <= 40; ++bit) {
    if ((bit >= 12 && bit <= 13) || (bit >= 18 && bit <= 19) || bit == 27) continue;
    client.privileges.Set(bit);
  }
  EXPECT_EQ(client.StatusFlags(), 18);
  client.privileges.Clear(40);  // one bit short of the full set
  EXPECT_EQ(client.StatusFlags(), 2);
}

TEST(StatusFlags, NoPrivilegesAtAllShows32) {
  ClientSession client = Session();
  EXPECT_EQ(client.StatusFlags(), 32);
  client.privileges.Set(63);  // a bit without meaning still counts as a privilege
  EXPECT_EQ(client.StatusFlags(), 0);
}

TEST(StatusFlags, AwayAndOptionFlagsAdd) {
  ClientSession client = Session();
  client.privileges.Set(10);
  client.away = true;
  client.refuses_private_chat = true;
  EXPECT_EQ(client.StatusFlags(), 1 + 8);
  client.refuses_private_messages = true;
  EXPECT_EQ(client.StatusFlags(), 1 + 4 + 8);
}

}  // namespace
}  // namespace vantrel
