#include "protocol/error_reply.h"

#include <string>

#include "protocol/field_ids.h"

namespace vantrel {
namespace {

constexpr uint32_t kReplyError = 1;

void SendErrorText(TransactionHandle& request, std::string_view text) {
  UFieldData fields;
  fields.AddText(kFieldErrorText, text);
  request.SetReplyError(kReplyError);
  request.SendReply(fields);
}

void AppendWhileRoom(std::string& text, std::string_view piece) {
  if (text.size() >= kFailureMessageLimit) return;
  text.append(piece.substr(0, kFailureMessageLimit - text.size()));
}

}  // namespace

void SendErrorReply(TransactionHandle& request, std::string_view message) {
  SendErrorText(request, message.substr(0, kErrorMessageLimit));
}

std::string FailureReplyText(std::string_view message, const Omberly::CException& failure) {
  std::string text;
  AppendWhileRoom(text, message);
  AppendWhileRoom(text, "\r");
  AppendWhileRoom(text, failure.Description());
  AppendWhileRoom(text, "\r");
  AppendWhileRoom(text, failure.IdentificationText());
  return text;
}

void SendFailureReply(TransactionHandle& request, std::string_view message,
                      const Omberly::CException& failure) {
  SendErrorText(request, FailureReplyText(message, failure));
}

}  // namespace vantrel
