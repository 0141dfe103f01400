#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "client_codec.h"
#include "stream_link.h"
#include "vantrel_codec.h"

namespace vantrel::listing {

// One guest session with the Vantrel server on 127.0.0.1, driven one request at
// a time by a single thread: it logs in the way the chat load does
// (load::VantrelCodec), then sends requests and reads until their replies,
// passing over what else the server sends meanwhile. Owns its link; not
// copyable.
class VantrelSession final : private load::CodecEvents {
 public:
  // Called with the field list of a transaction; `fields` lives until it returns.
  using FieldsHandler = std::function<void(std::span<const uint8_t> fields)>;
  // Called with the number of a chat line the server delivered (load::ChatLineText).
  using DeliveryHandler = std::function<void(uint32_t line)>;

  // A session over plain TCP to `port`.
  VantrelSession(uint16_t port, std::string nickname);
  // A session over `link` (REQUIRES: not null), which knows where it leads.
  VantrelSession(std::unique_ptr<StreamLink> link, std::string nickname);
  VantrelSession(const VantrelSession&) = delete;
  VantrelSession& operator=(const VantrelSession&) = delete;

  // Closes the session there is, connects from `source` (an address of
  // 127.0.0.0/8) and logs in as "guest". False, with `error` set, on failure.
  bool LogIn(uint32_t source, ListingClock::time_point deadline, std::string& error);
  // Sends request `type` with the encoded field list `fields` and reads until
  // its reply, which goes to `on_reply`. False, with `error` set and the session
  // closed, when the server refused the request (its error text in `error`),
  // failed, closed the session or took past the deadline. REQUIRES: logged in.
  bool Call(uint16_t type, std::span<const uint8_t> fields, const FieldsHandler& on_reply,
            ListingClock::time_point deadline, std::string& error);
  // From now on, every transaction of `type` the server sends on its own goes
  // to `handler` (replacing the one set before), in the order of the stream:
  // one sent after a reply is seen after that reply's handler has run.
  void WatchTransactions(uint16_t type, FieldsHandler handler);
  // Reads until `done` holds, seeing what the server sends. False as for Call.
  // REQUIRES: logged in.
  bool Await(const std::function<bool()>& done, ListingClock::time_point deadline,
             std::string& error);
  // From now on, every chat line delivered (106) goes to `handler`, as it is read.
  void WatchDeliveries(DeliveryHandler handler) { on_delivery_ = std::move(handler); }
  // Sends `text` to the public chat (105), which has no reply. False, with
  // `error` set, on failure. REQUIRES: logged in.
  bool SendChat(std::string_view text, ListingClock::time_point deadline, std::string& error);

  // Bytes of the last reply Call read, its 20-byte header included.
  uint64_t last_reply_bytes() const { return last_reply_bytes_; }
  // The address the session connected from; 0 before the first login.
  uint32_t source() const { return source_; }
  bool IsOpen() const { return link_->IsOpen(); }
  void Close() { link_->Close(); }

 private:
  void Admitted() override {}
  void LoggedIn() override { logged_in_ = true; }
  void Announcement() override {}
  void Delivery(uint32_t line) override;
  void Failure(std::string why) override;
  void Reply(uint32_t id, uint32_t error, std::span<const uint8_t> body) override;
  void ServerTransaction(uint16_t type, std::span<const uint8_t> body) override;

  const std::unique_ptr<StreamLink> link_;
  const std::string nickname_;
  std::unique_ptr<load::VantrelCodec> codec_;  // the current session's
  std::vector<uint8_t> out_;                   // to send
  uint32_t source_ = 0;
  bool logged_in_ = false;
  // The request awaiting its reply, and what to do with it.
  uint32_t request_id_ = 0;
  const FieldsHandler* on_reply_ = nullptr;
  bool replied_ = false;
  uint64_t last_reply_bytes_ = 0;
  // The transactions watched.
  uint16_t watched_type_ = 0;
  FieldsHandler on_watched_;
  DeliveryHandler on_delivery_;
  std::optional<std::string> failure_;
};

}  // namespace vantrel::listing
