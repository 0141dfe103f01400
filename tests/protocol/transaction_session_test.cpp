#include "protocol/transaction_session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "support/memory_transport.h"

namespace vantrel {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using testing::MemoryTransport;

const std::vector<uint8_t> kValidHandshake = {'T', 'R', 'T', 'P', 'V', 'A', 'N', 'T', 0, 1, 0, 2};

// A header: flags 0, is-reply, type, ID, error 0, total size, data size.
std::vector<uint8_t> Header(uint8_t is_reply, uint16_t type, uint32_t id, uint32_t total,
                            uint32_t data) {
  std::vector<uint8_t> bytes = {0, is_reply, uint8_t(type >> 8), uint8_t(type)};
  for (const uint32_t value : {id, 0u, total, data}) {
    for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(uint8_t(value >> shift));
  }
  return bytes;
}

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> all;
  for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

class SessionTest : public ::testing::Test {
 protected:
  SessionTest() {
    auto owned = std::make_unique<MemoryTransport>();
    transport_ = owned.get();
    session_ = std::make_unique<TransactionSession>(std::move(owned));
    SetMaxTransactionSize(kServerMaxTransactionSize);
  }
  ~SessionTest() override { SetMaxTransactionSize(kDefaultMaxTransactionSize); }

  void Accept() {
    transport_->Feed(kValidHandshake);
    ASSERT_EQ(session_->CheckHandshake(), HandshakeResult::kValid);
    session_->AcceptHandshake();
    transport_->TakeSent();
  }

  MemoryTransport* transport_;
  std::unique_ptr<TransactionSession> session_;
};

TEST_F(SessionTest, HandshakeSentByteByByteIsCheckedWhenComplete) {
  for (size_t i = 0; i + 1 < kValidHandshake.size(); ++i) {
    transport_->Feed(std::span<const uint8_t>(&kValidHandshake[i], 1));
    EXPECT_EQ(session_->CheckHandshake(), HandshakeResult::kNotYet);
  }
  transport_->Feed(std::span<const uint8_t>(&kValidHandshake.back(), 1));
  EXPECT_EQ(session_->CheckHandshake(), HandshakeResult::kValid);
  EXPECT_THAT(session_->SubProtocol(), ElementsAre('V', 'A', 'N', 'T'));
  EXPECT_EQ(session_->SubVersion(), 2);
  EXPECT_TRUE(transport_->Sent().empty());
  session_->AcceptHandshake();
  session_->AcceptHandshake();  // once only
  EXPECT_THAT(transport_->TakeSent(), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 0));
}

TEST_F(SessionTest, RefusalCodeZeroIsSentAsOne) {
  transport_->Feed(kValidHandshake);
  ASSERT_EQ(session_->CheckHandshake(), HandshakeResult::kValid);
  session_->RefuseHandshake(0);
  EXPECT_THAT(transport_->TakeSent(), ElementsAre('T', 'R', 'T', 'P', 0, 0, 0, 1));
  EXPECT_FALSE(session_->HandshakeDone());
}

TEST_F(SessionTest, NothingIsReadAsTransactionBeforeHandshakeAccepted) {
  transport_->Feed(Concat({Header(0, 500, 1, 2, 2), {0, 0}}));
  EXPECT_FALSE(session_->NextRequest().has_value());
}

TEST_F(SessionTest, TwoChunksAreDispatchedOnceWithAllTheirData) {
  Accept();
  std::vector<uint8_t> body = {0, 1, 0, 101, 0, 94};  // one field 101 of 94 bytes
  for (size_t i = body.size(); i < 100; ++i) body.push_back(static_cast<uint8_t>(i));

  transport_->Feed(Concat({Header(0, 105, 9, 100, 60), {body.begin(), body.begin() + 60}}));
  EXPECT_FALSE(session_->NextRequest().has_value());
  transport_->Feed(Concat({Header(0, 105, 9, 100, 40), {body.begin() + 60, body.end()}}));
  auto request = session_->NextRequest();
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->Type(), 105);
  EXPECT_EQ(request->Id(), 9u);
  UFieldData fields;
  request->FieldsOf(fields);
  EXPECT_THAT(std::vector<uint8_t>(fields.Buffer().begin(), fields.Buffer().end()),
              ElementsAreArray(body));
  request.reset();
  EXPECT_FALSE(session_->NextRequest().has_value());
}

TEST_F(SessionTest, RequestsArrivingTogetherComeOutInArrivalOrder) {
  Accept();
  transport_->Feed(Concat({Header(0, 300, 2, 2, 2), {0, 0}, Header(0, 500, 1, 2, 2), {0, 0}}));
  auto first = session_->NextRequest();
  ASSERT_TRUE(first.has_value());
  EXPECT_EQ(first->Type(), 300);
  first.reset();
  auto second = session_->NextRequest();
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->Type(), 500);
}

TEST_F(SessionTest, RequestSplitAtEveryByteBoundaryArrivesWhole) {
  Accept();
  const auto stream = Concat({Header(0, 303, 77, 8, 8), {0, 1, 0, 103, 0, 2, 0, 5}});
  for (size_t i = 0; i < stream.size(); ++i) {
    EXPECT_FALSE(session_->NextRequest().has_value()) << "at byte " << i;
    transport_->Feed(std::span<const uint8_t>(&stream[i], 1));
  }
  auto request = session_->NextRequest();
  ASSERT_TRUE(request.has_value());
  UFieldData fields;
  request->FieldsOf(fields);
  EXPECT_EQ(fields.ReadInteger(103), 5u);
}

TEST_F(SessionTest, MaximumSizeItselfIsAcceptedAndCostsOnlyWhatArrived) {
  Accept();
  transport_->Feed(Concat({Header(0, 500, 1, 524288, 524288), {7}}));
  EXPECT_FALSE(session_->NextRequest().has_value());
  EXPECT_FALSE(session_->IsBroken());
  EXPECT_LT(session_->HeldBytes(), 64u);
}

TEST_F(SessionTest, ReplyChunksMatchingNothingAreDropped) {
  Accept();
  transport_->Feed(Concat({Header(1, 0, 4, 2, 2), {0, 0}, Header(0, 500, 4, 2, 2), {0, 0}}));
  auto request = session_->NextRequest();
  ASSERT_TRUE(request.has_value());
  EXPECT_EQ(request->Type(), 500);
  request.reset();
  EXPECT_FALSE(session_->NextRequest().has_value());
}

TEST_F(SessionTest, TooManyIncompleteRequestsBreakTheSession) {
  Accept();
  for (uint32_t id = 1; id <= kMaxIncompleteRequests; ++id) {
    transport_->Feed(Concat({Header(0, 105, id, 100, 2), {0, 0}}));
  }
  session_->Pump();
  EXPECT_FALSE(session_->IsBroken());
  transport_->Feed(Concat({Header(0, 105, 999, 100, 2), {0, 0}}));
  session_->Pump();
  EXPECT_TRUE(session_->IsBroken());
  EXPECT_FALSE(transport_->IsConnected());
}

TEST_F(SessionTest, ServerRequestIdsStartAtOne) {
  Accept();
  UFieldData fields;
  fields.AddInteger(103, 7);
  EXPECT_EQ(session_->SendRequest(302, fields), 1u);
  EXPECT_THAT(transport_->TakeSent(),
              ElementsAre(0, 0, 0x01, 0x2E, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 8,  //
                          0, 1, 0, 103, 0, 2, 0, 7));
  EXPECT_EQ(session_->SendRequest(302, fields), 2u);
}

TEST_F(SessionTest, RepliesCarryTheRequestIdTypeZeroAndErrorCodeOneWithTheTextCutTo255) {
  Accept();
  transport_->Feed(Concat({Header(0, 999, 3, 2, 2), {0, 0}}));
  auto request = session_->NextRequest();
  ASSERT_TRUE(request.has_value());
  request->SendReply(UFieldData());
  EXPECT_THAT(transport_->TakeSent(),
              ElementsAre(0, 1, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0));
  SendErrorReply(*request, "No!");
  EXPECT_THAT(transport_->TakeSent(),
              ElementsAre(0, 1, 0, 0, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0, 9,  //
                          0, 1, 0, 100, 0, 3, 'N', 'o', '!'));
  SendErrorReply(*request, std::string(300, 'x'));
  const auto sent = transport_->TakeSent();
  ASSERT_EQ(sent.size(), 20u + 2 + 4 + 255);
}

TEST(FailureReply, JoinsMessageDescriptionAndIdentification) {
  EXPECT_EQ(FailureReplyText("Cannot delete.", Omberly::CException(4, 102)),
            "Cannot delete.\rThe specified file or folder could not be found.\rID 4/102");
  EXPECT_EQ(FailureReplyText("M", Omberly::CException(-1, 9, {}, -5, "f", 1)),
            "M\rAn unknown error has occured.\rID -1/9 [-5] @ f #1");
  EXPECT_EQ(FailureReplyText(std::string(2000, 'm'), Omberly::CException(1, 1)).size(), 1024u);
}

}  // namespace
}  // namespace vantrel
