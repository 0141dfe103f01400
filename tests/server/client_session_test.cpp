#include <gtest/gtest.h>

#include "server/client_session.h"

namespace vantrel {
namespace {

ClientSession Session(uint16_t user_id = 1) {
  return ClientSession(nullptr, 0x7F000001, user_id, 1000);
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
