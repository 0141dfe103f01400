#pragma once

#include <cstddef>

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
// The log line of a poster banned for posting the same post over and over.
inline constexpr const char* kNewsSpamLogText = "Autobanned for News Spam";

// Registers the message board's transactions: 101 (get the board) and 103
// (post to it; every reader, the poster included, is sent the post as 102).
void RegisterBoardHandlers(DispatchTable& table);

}  // namespace vantrel
