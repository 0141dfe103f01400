#include "accounts/login_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_operator.h"

namespace vantrel {
namespace {

TEST(LoginName, CleanerReplacesRefusedBytesWithHyphens) {
  EXPECT_EQ(CleanLoginName("admin"), "admin");
  EXPECT_EQ(CleanLoginName(".hidden"), "-hidden");
  EXPECT_EQ(CleanLoginName("a.b"), "a.b");
  EXPECT_EQ(CleanLoginName("a\"b*c/d:e<f>g?h\\i|j"), "a-b-c-d-e-f-g-h-i-j");
  EXPECT_EQ(CleanLoginName("tab\there\r\x1F"), "tab-here--");
  EXPECT_EQ(CleanLoginName("\x81\x8D\x8E\x8F\x90\x9D\x9E"), "-------");
  // Neighbours of the refused high bytes stay.
  EXPECT_EQ(CleanLoginName("\x80\x82\x8C\x91\x9C\x9F\xD2"), "\x80\x82\x8C\x91\x9C\x9F\xD2");
}

TEST(LoginName, CleanerTurnsTrailingBlanksAndDotsIntoHyphens) {
  EXPECT_EQ(CleanLoginName("name. ."), "name---");
  EXPECT_EQ(CleanLoginName("a b"), "a b");
  EXPECT_EQ(CleanLoginName(".."), "--");
  EXPECT_EQ(CleanLoginName("..."), "---");
  EXPECT_EQ(CleanLoginName(""), "");
  EXPECT_EQ(CleanLoginName(std::string(300, 'a')), std::string(255, 'a'));
}

TEST(LoginName, OperatorIsToldOnlyWhenTheLoginChanged) {
  testing::ScriptedOperator op;
  EXPECT_EQ(CleanTypedLogin("boss", op), "boss");
  EXPECT_TRUE(op.Shown().empty());
  EXPECT_EQ(CleanTypedLogin("bo/ss.", op), "bo-ss-");
  EXPECT_EQ(op.Shown(),
            std::vector<std::string>{
                "notice:Invalid Login:You have used invalid characters in your account login. "
                "It has been changed to a valid alternative."});
}

}  // namespace
}  // namespace vantrel
