#include "news/board_handlers.h"

#include <algorithm>
#include <string>

#include "news/board_post.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/repeat_rule.h"

namespace vantrel {
namespace {

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

// 101: the newest part of the board. An empty board gives a reply without fields.
void GetMessageBoard(BoardServices& news, Request& request) {
  if (!request.client.privileges.Test(kPrivilegeReadNews)) {
    SendErrorReply(request.transaction, kCannotReadBoardText);
    return;
  }
  const std::string& board = news.board.Text();
  UFieldData reply;
  reply.AddField(kFieldData, Bytes(board).first(std::min(board.size(), kMaxBoardReplyBytes)));
  request.transaction.SendReply(reply);
}

// Sends the post as 102 to every client whose connection is open and that may
// read the board, the poster included.
void NotifyReaders(const ClientList& clients, std::string_view post) {
  UFieldData notification;
  notification.AddField(kFieldData, Bytes(post));
  for (const auto& client : clients.All()) {
    const TransactionSession& connection = *client->connection;
    if (!connection.IsConnected() || connection.IsClosePending()) continue;
    if (!client->privileges.Test(kPrivilegeReadNews)) continue;
    client->connection->SendRequest(kTranNewMessageBoardPost, notification);
  }
}

// 103: puts the post in front of the board and saves it, then tells the readers,
// unless the post is one repeat too many (its poster is banned instead; the post
// stays). A board that cannot be saved is answered with an error reply and reported;
// the post stays in memory.
void PostMessageBoard(BoardServices& news, Request& request) {
  ClientSession& client = request.client;
  if (!client.privileges.Test(kPrivilegePostNews)) {
    SendErrorReply(request.transaction, kCannotPostBoardText);
    return;
  }
  const std::span<const uint8_t> body = request.fields.Data(kFieldData);
  if (body.size() > kMaxPostBodyBytes) {
    SendErrorReply(request.transaction, kPostTooBigText);
    return;
  }

  const std::string post = ComposeBoardPost(client.display_name, news.clock.LocalTime(), body);
  try {
    news.board.AddPost(post);
  } catch (const Omberly::CException& failure) {
    // The post stays on the board in memory and is saved with the next one.
    SendFailureReply(request.transaction, kPostNotSavedText, failure);
    news.failures.ReportFailure(failure);
    return;
  }
  request.transaction.SendReply(UFieldData());

  if (IsBanningRepeat(client, post)) {
    news.auto_bans.AutoBan(client, request.now, AutoBanRule::kNewsSpam);
    return;
  }
  NotifyReaders(news.clients, post);
}

}  // namespace

void RegisterBoardHandlers(DispatchTable& table, BoardServices& news) {
  table.Register(kTranGetMessageBoard, GetMessageBoard, news);
  table.Register(kTranPostMessageBoard, PostMessageBoard, news);
}

}  // namespace vantrel
