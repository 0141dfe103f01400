#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>

#include "news/board_handlers.h"
#include "news/message_board.h"
#include "protocol/access_privileges.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/full_disk.h"
#include "support/server_fixture.h"

namespace vantrel::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAreArray;
using namespace std::string_literals;

constexpr uint32_t kReaderAddress = 0x7F000002;
constexpr uint32_t kOutsiderAddress = 0x7F000003;

constexpr std::string_view kTrailer =
    "\r__________________________________________________________\r";

std::string Body(const Received& received) {
  const auto data = received.fields.Data(kFieldData);
  return {data.begin(), data.end()};
}

UFieldData PostFields(const std::string& body) {
  UFieldData fields;
  fields.AddText(kFieldData, body);
  return fields;
}

class MessageBoardTest : public ::testing::Test {
 protected:
  MessageBoardTest() {
    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 2;  // March
    when.tm_mday = 7;
    when.tm_hour = 9;
    when.tm_min = 5;
    fixture_.Clock().SetCalendar(when);
  }

  std::optional<Received> Post(TestClient& client, const std::string& body) {
    return client.Call(kTranPostMessageBoard, PostFields(body));
  }

  std::string BoardFile() const { return ReadWholeFile(fixture_.Folder() / "MessageBoard.txt"); }

  ServerFixture fixture_;
};

TEST_F(MessageBoardTest, MissingBoardFileIsCreatedEmptyAtStart) {
  EXPECT_TRUE(std::filesystem::is_regular_file(fixture_.Folder() / "MessageBoard.txt"));
  EXPECT_EQ(std::filesystem::file_size(fixture_.Folder() / "MessageBoard.txt"), 0u);

  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews});
  ASSERT_TRUE(kay);
  const auto reply = kay->Call(kTranGetMessageBoard);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);
  EXPECT_EQ(reply->fields.Count(), 0u);  // an empty board is no field at all
}

TEST_F(MessageBoardTest, PostIsSentToEveryReaderWithItsHeaderAndTrailer) {
  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews, kPrivilegePostNews});
  auto reader = fixture_.ConnectAs("Reader", {kPrivilegeReadNews}, kReaderAddress);
  auto outsider = fixture_.ConnectAs("Outsider", {kPrivilegeSendChat}, kOutsiderAddress);
  ASSERT_TRUE(kay && reader && outsider);

  const auto reply = Post(*kay, "Hi");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 0u);
  EXPECT_EQ(reply->fields.Count(), 0u);

  EXPECT_THAT(Bytes(reader->WaitRequest(kTranNewMessageBoardPost)),  // field 101 of 87 bytes
              ElementsAreArray(Wire("\x00\x01\x00\x65\x00\x57"
                                    "From Kay (Mar07 09:05):\r\rHi"s +
                                    std::string(kTrailer))));
  EXPECT_TRUE(kay->WaitRequest(kTranNewMessageBoardPost));  // the poster reads it too
  EXPECT_FALSE(outsider->WaitRequest(kTranNewMessageBoardPost, milliseconds(50)));
  EXPECT_EQ(BoardFile(), "From Kay (Mar07 09:05):\r\rHi" + std::string(kTrailer));
}

TEST_F(MessageBoardTest, BodyOf8192BytesIsTakenOneMoreIsRefused) {
  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews, kPrivilegePostNews});
  ASSERT_TRUE(kay);
  const auto too_big = Post(*kay, std::string(8193, 'b'));
  EXPECT_EQ(ErrorText(too_big), "Your news post was not accepted because it was too big.");
  EXPECT_EQ(BoardFile(), "");
  EXPECT_EQ(fixture_.Server().News().Board().Text(), "");

  const auto taken = Post(*kay, std::string(8192, 'b'));
  ASSERT_TRUE(taken);
  EXPECT_EQ(taken->header.error, 0u);
  EXPECT_EQ(BoardFile(),
            "From Kay (Mar07 09:05):\r\r" + std::string(8192, 'b') + std::string(kTrailer));
}

TEST_F(MessageBoardTest, GetSendsOnlyTheNewest65535Bytes) {
  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews, kPrivilegePostNews});
  ASSERT_TRUE(kay);
  for (char letter = 'a'; letter < 'a' + 9; ++letter) {  // about 74,000 bytes of posts
    ASSERT_TRUE(Post(*kay, std::string(8000, letter)));
  }
  const std::string file = BoardFile();
  ASSERT_GT(file.size(), 70000u);
  const auto reply = kay->Call(kTranGetMessageBoard);
  ASSERT_TRUE(reply);
  const std::string body = Body(*reply);
  EXPECT_EQ(body.size(), 65535u);
  EXPECT_EQ(body, file.substr(0, 65535));
  EXPECT_EQ(body.substr(0, 28), "From Kay (Mar07 09:05):\r\riii");  // the newest post first
}

TEST_F(MessageBoardTest, RefusalsWithoutPrivileges) {
  auto nobody = fixture_.ConnectAs("Nobody", {kPrivilegeSendChat});
  ASSERT_TRUE(nobody);
  const auto read = nobody->Call(kTranGetMessageBoard);
  EXPECT_EQ(ErrorText(read), "You are not allowed to read news from the message board.");

  const auto post = Post(*nobody, "let me in");
  EXPECT_EQ(ErrorText(post), "You are not allowed to post news to the message board.");
  EXPECT_EQ(BoardFile(), "");
}

TEST_F(MessageBoardTest, SixthIdenticalPostInAMinuteBansThePoster) {
  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews, kPrivilegePostNews});
  auto reader = fixture_.ConnectAs("Reader", {kPrivilegeReadNews}, kReaderAddress);
  ASSERT_TRUE(kay && reader);
  for (int i = 1; i <= 5; ++i) {
    ASSERT_TRUE(Post(*kay, "spam")) << i;
    ASSERT_TRUE(reader->WaitRequest(kTranNewMessageBoardPost)) << i;
  }
  EXPECT_EQ(fixture_.Server().Core().GetCounters().AutoBans(AutoBanRule::kNewsSpam), 0u);

  kay->SendRequest(kTranPostMessageBoard, PostFields("spam"));
  EXPECT_TRUE(kay->WaitClosed());
  EXPECT_FALSE(reader->WaitRequest(kTranNewMessageBoardPost, milliseconds(50)));
  EXPECT_THAT(fixture_.LogLines(), Contains("Kay|Autobanned for News Spam"));

  const std::string one = "From Kay (Mar07 09:05):\r\rspam" + std::string(kTrailer);
  std::string six;
  for (int i = 0; i < 6; ++i) six += one;
  EXPECT_EQ(BoardFile(), six);  // the banned post stays

  EXPECT_TRUE(fixture_.Server().Bans().Temporary().IsBanned(kLoopback, fixture_.Clock().Seconds()));
}

TEST_F(MessageBoardTest, SameTextInANewMinuteIsNoRepeat) {
  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews, kPrivilegePostNews});
  ASSERT_TRUE(kay);
  for (int i = 1; i <= 5; ++i) ASSERT_TRUE(Post(*kay, "news")) << i;
  fixture_.Clock().Advance(60);
  const auto sixth = Post(*kay, "news");
  ASSERT_TRUE(sixth);
  EXPECT_EQ(sixth->header.error, 0u);
  EXPECT_FALSE(kay->WaitClosed(milliseconds(50)));
  EXPECT_EQ(fixture_.Server().Core().GetCounters().AutoBans(AutoBanRule::kNewsSpam), 0u);
}

TEST_F(MessageBoardTest, FailureToSaveKeepsThePostInMemoryAndIsLogged) {
  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews, kPrivilegePostNews});
  ASSERT_TRUE(kay);
  // A folder where the new board file would be written.
  std::filesystem::create_directory(fixture_.Folder() / "MessageBoard.txt.new");
  const auto reply = kay->Call(kTranPostMessageBoard, PostFields("lost?"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->header.error, 1u);
  EXPECT_THAT(reply->fields.ReadText(kFieldErrorText, 1024),
              ::testing::StartsWith("Your news post could not be saved.\rCould not save the "
                                    "message board \xD2MessageBoard.txt\xD3.\rID 4/"));
  EXPECT_EQ(BoardFile(), "");
  EXPECT_EQ(fixture_.Server().News().Board().Text(),
            "From Kay (Mar07 09:05):\r\rlost?" + std::string(kTrailer));
  EXPECT_THAT(ReadWholeFile(fixture_.Folder() / "Error Log.txt"),
              ::testing::HasSubstr("Could not save the message board"));
}

TEST_F(MessageBoardTest, FullDiskKeepsTheBoardFileAndTheServerGoesOn) {
  auto kay = fixture_.ConnectAs("Kay", {kPrivilegeReadNews, kPrivilegePostNews});
  ASSERT_TRUE(kay);
  ASSERT_TRUE(Post(*kay, "first"));
  const std::string saved = BoardFile();
  // Nothing more fits: neither the board nor the error log can be written.
  fixture_.Disk().FailChange(1, ENOSPC, FaultSpan::kFromThenOn);
  ::testing::internal::CaptureStderr();
  const auto refused = kay->Call(kTranPostMessageBoard, PostFields("second"));
  const std::string standard_error = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->header.error, 1u);
  EXPECT_EQ(BoardFile(), saved);
  EXPECT_TRUE(
      fixture_.Logged("Could not write the log file \xD2"
                      "Error Log.txt\xD3."));
  // The error log's line reaches the operator all the same.
  EXPECT_THAT(standard_error, ::testing::HasSubstr("Could not save the message board \xE2\x80\x9C"
                                                   "MessageBoard.txt\xE2\x80\x9D. (ID 4/"));

  fixture_.Disk().Heal();
  ASSERT_TRUE(Post(*kay, "third"));
  EXPECT_EQ(BoardFile(), fixture_.Server().News().Board().Text());
  EXPECT_THAT(BoardFile(), ::testing::HasSubstr("second"));  // kept in memory, saved now
}

TEST(MessageBoardFile, FullDiskKeepsThePreviousFile) {
  TemporaryFolder folder;
  FaultInjectingFileSystem disk(FileSystem::Default());
  std::ofstream(folder.Path() / "MessageBoard.txt", std::ios::binary) << "old post\r";
  ExpectFullDiskKeepsTheFileWhole(
      disk, {folder.Path() / "MessageBoard.txt", folder.Path() / "MessageBoard.txt.new",
             "Could not save the message board \xD2MessageBoard.txt\xD3.", [&] {
               MessageBoard board(disk, folder.Path());
               board.AddPost("new post\r");
             }});
}

TEST(MessageBoardStart, ExistingBoardIsLoadedAsItIs) {
  ServerFixture fixture(false);
  std::ofstream(fixture.Folder() / "MessageBoard.txt", std::ios::binary) << "old\r\npost\n";
  fixture.Start();
  EXPECT_EQ(fixture.Server().News().Board().Text(), "old\r\npost\n");
}

}  // namespace
}  // namespace vantrel::testing
