#include "accounts/login_name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/scripted_operator.h"

namespace vantrel {
namespace {

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
