#include <gtest/gtest.h>

#include <initializer_list>
#include <string>

#include "server/user_names.h"

namespace vantrel {
namespace {

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

}  // namespace
}  // namespace vantrel
