#pragma once

#include <cstddef>

#include "news/message_board.h"
#include "platform/clock.h"
#include "server/client_list.h"
#include "server/core_services.h"
#include "server/dispatch_table.h"

namespace vantrel {

// The most of the board one reply carries: the newest posts, cut to one field.
inline constexpr size_t kMaxBoardReplyBytes = 65535;
// The longest post body accepted.
inline constexpr size_t kMaxPostBodyBytes = 8192;

inline constexpr const char* kCannotReadBoardText =
    "You are not allowed to read news from the message board.";
inline constexpr const char* kCannotPostBoardText =
    "You are not allowed to post news to the message board.";
inline constexpr const char* kPostTooBigText =
    "Your news post was not accepted because it was too big.";
// The start of the error reply when the board cannot be saved (the failure's
// description and identification follow).
inline constexpr const char* kPostNotSavedText = "Your news post could not be saved.";

// What the board's handlers use. Everything referred to must outlive them.
struct BoardServices {
  ClientList& clients;
  AutoBanner& auto_bans;
  FailureReporter& failures;
  const Clock& clock;
  MessageBoard& board;
};

// Registers the message board's transactions: 101 (get the board) and 103
// (post to it; every reader, the poster included, is sent the post as 102).
// REQUIRES: `board` outlives `table`.
void RegisterBoardHandlers(DispatchTable& table, BoardServices& board);

}  // namespace vantrel
