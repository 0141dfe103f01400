#include "vantrel_session.h"

#include <utility>

#include "protocol/field_data.h"
#include "protocol/field_ids.h"
#include "protocol/transaction.h"

namespace vantrel::listing {

VantrelSession::VantrelSession(uint16_t port, std::string nickname)
    : VantrelSession(std::make_unique<PlainLink>(port), std::move(nickname)) {}

VantrelSession::VantrelSession(std::unique_ptr<StreamLink> link, std::string nickname)
    : link_(std::move(link)), nickname_(std::move(nickname)) {}

void VantrelSession::Failure(std::string why) {
  if (!failure_) failure_ = std::move(why);
}

void VantrelSession::Reply(uint32_t id, uint32_t error, std::span<const uint8_t> body) {
  if (on_reply_ == nullptr || id != request_id_ || replied_) return;  // not the reply awaited
  replied_ = true;
  last_reply_bytes_ = kTransactionHeaderSize + body.size();
  if (error != 0) {
    const UFieldData fields(std::vector<uint8_t>(body.begin(), body.end()));
    const auto text = fields.Data(kFieldErrorText);
    Failure("the server refused the request (error " + std::to_string(error) +
            "): " + std::string(text.begin(), text.end()));
    return;
  }
  (*on_reply_)(body);
}

void VantrelSession::Delivery(uint32_t line) {
  if (on_delivery_) on_delivery_(line);
}

void VantrelSession::ServerTransaction(uint16_t type, std::span<const uint8_t> body) {
  if (on_watched_ && type == watched_type_) on_watched_(body);
}

void VantrelSession::WatchTransactions(uint16_t type, FieldsHandler handler) {
  watched_type_ = type;
  on_watched_ = std::move(handler);
}

bool VantrelSession::Await(const std::function<bool()>& done, ListingClock::time_point deadline,
                           std::string& error) {
  while (true) {
    if (failure_) {
      error = *failure_;
      link_->Close();
      return false;
    }
    if (done()) return true;
    if (ListingClock::now() >= deadline) {
      error = "timed out waiting for the server";
      link_->Close();
      return false;
    }
    const auto bytes = link_->Receive(kLinkReadSize, deadline, error);
    if (bytes.empty()) return false;
    out_.clear();
    codec_->Feed(bytes, out_, *this);
    if (!out_.empty() && !link_->Send(out_, deadline, error)) return false;
  }
}

bool VantrelSession::LogIn(uint32_t source, ListingClock::time_point deadline, std::string& error) {
  source_ = source;
  failure_.reset();
  if (!link_->Connect(source, deadline, error)) return false;
  codec_ = std::make_unique<load::VantrelCodec>(nickname_);
  logged_in_ = false;
  out_.clear();
  codec_->Greeting(out_);
  if (!link_->Send(out_, deadline, error)) return false;
  if (!Await([this] { return logged_in_; }, deadline, error)) {
    error = "login: " + error;
    return false;
  }
  return true;
}

bool VantrelSession::Call(uint16_t type, std::span<const uint8_t> fields,
                          const FieldsHandler& on_reply, ListingClock::time_point deadline,
                          std::string& error) {
  out_.clear();
  request_id_ = codec_->Request(type, fields, out_);
  on_reply_ = &on_reply;
  replied_ = false;
  const bool done =
      link_->Send(out_, deadline, error) && Await([this] { return replied_; }, deadline, error);
  on_reply_ = nullptr;
  return done;
}

bool VantrelSession::SendChat(std::string_view text, ListingClock::time_point deadline,
                              std::string& error) {
  out_.clear();
  codec_->ChatLine(text, out_);
  return link_->Send(out_, deadline, error);
}

}  // namespace vantrel::listing
