#pragma once

#include <string_view>

#include "platform/exception.h"
#include "protocol/transaction_session.h"

namespace vantrel {

// The longest fixed message of an error reply.
inline constexpr size_t kErrorMessageLimit = 255;
// The longest text of an error reply for a caught failure.
inline constexpr size_t kFailureMessageLimit = 1024;

// Answers the request with error code 1 and field 100 holding `message`, cut to
// 255 bytes. The connection stays open.
void SendErrorReply(TransactionHandle& request, std::string_view message);

// The text of an error reply for a failure caught from a lower layer: `message`,
// a carriage return, the failure's description, a carriage return and its
// identification line, each piece added while the 1024 bytes have room.
std::string FailureReplyText(std::string_view message, const Omberly::CException& failure);

// Answers the request with error code 1 and FailureReplyText as field 100.
void SendFailureReply(TransactionHandle& request, std::string_view message,
                      const Omberly::CException& failure);

}  // namespace vantrel
