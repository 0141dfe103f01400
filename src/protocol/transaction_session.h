#pragma once

#include <array>
#include <cstdint>
#include <list>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "platform/transport.h"
#include "protocol/field_data.h"
#include "protocol/handshake.h"
#include "protocol/transaction.h"

namespace vantrel {

class TransactionHandle;

// The largest total or chunk size any session accepts: a process-wide setting,
// kDefaultMaxTransactionSize until the server sets kServerMaxTransactionSize at start.
uint32_t MaxTransactionSize();
void SetMaxTransactionSize(uint32_t size);

// Bounds on what a peer can make a session hold while requests are incomplete:
// a real client never has more than a few requests in flight. Passing either
// breaks the session like a refused chunk header.
inline constexpr size_t kMaxIncompleteRequests = 16;
inline constexpr size_t kMaxHeldRequestBytes = 2 * size_t{kServerMaxTransactionSize};
// Complete requests read ahead of the dispatcher; the rest stays in the
// transport's inbound queue until these are taken.
inline constexpr size_t kMaxReadyRequests = 64;

// One client connection's protocol state: checks the 12-byte handshake, cuts the
// incoming byte stream into chunks, joins chunks with the same transaction ID
// into requests in arrival order, and sends replies and server requests (which
// never expect a reply). Owns its transport unless detached. Core thread only.
class TransactionSession {
 public:
  explicit TransactionSession(std::unique_ptr<Transport> transport);
  ~TransactionSession();

  TransactionSession(const TransactionSession&) = delete;
  TransactionSession& operator=(const TransactionSession&) = delete;

  // Consumes the 12 handshake bytes once they are all there. After an accepted
  // handshake it keeps answering kValid. kBadVersion sends the refusal itself.
  HandshakeResult CheckHandshake();
  std::array<uint8_t, 4> SubProtocol() const { return sub_protocol_; }
  uint16_t SubVersion() const { return sub_version_; }

  // Sends "TRTP" and code 0 and starts reading transactions; once only.
  void AcceptHandshake();
  // Sends "TRTP" and `code` (0 is sent as 1). REQUIRES: !HandshakeDone().
  void RefuseHandshake(uint32_t code);
  bool HandshakeDone() const { return handshake_done_; }

  // Reads every complete chunk the transport holds into the request records.
  // A chunk header with a total or data size of 0 or over the maximum breaks
  // the session: it disconnects and reads nothing more.
  void Pump();

  // Pumps, then hands out the first complete request not yet taken, in arrival
  // order. The handle must not outlive the session.
  std::optional<TransactionHandle> NextRequest();

  // Sends a request of `type` carrying `field_list` (an encoded field list) with
  // the next transaction ID (1, 2, ..., never 0); returns that ID.
  uint32_t SendRequest(uint16_t type, std::span<const uint8_t> field_list);
  uint32_t SendRequest(uint16_t type, const UFieldData& fields) {
    return SendRequest(type, fields.Buffer());
  }

  void Disconnect();
  void CloseGracefully();
  bool IsConnected() const { return transport_ && transport_->IsConnected(); }
  bool IsClosePending() const { return transport_ && transport_->IsClosePending(); }
  bool IsBroken() const { return broken_; }
  // The transport dropped the connection because the peer did not read.
  bool DroppedForNotReading() const { return transport_ && transport_->DroppedForNotReading(); }
  // The bytes this session holds for requests not yet taken, the one being
  // received included: what its peer sent, not what its headers claim.
  size_t HeldBytes() const { return held_bytes_ + receive_buffer_.capacity(); }

  // Leaves the session without a transport, so that destroying the session
  // keeps the connection open.
  std::unique_ptr<Transport> DetachTransport() { return std::move(transport_); }

 private:
  friend class TransactionHandle;

  struct Record {
    enum class Kind : uint16_t { kReply = 2, kRequest = 3, kReceivedReply = 4 };
    Kind kind = Kind::kRequest;
    uint32_t id = 0;
    uint16_t type = 0;
    uint32_t error = 0;
    uint32_t total_size = 0;
    uint32_t received_size = 0;
    std::vector<uint8_t> data;
    bool taken = false;
    bool reply_arrived = false;

    bool Complete() const { return received_size >= total_size; }
  };

  void Send(std::span<const uint8_t> header, std::span<const uint8_t> body);
  void SendAnswer(uint32_t code);
  void AddChunk();
  void Break();
  void Dispose(std::list<Record>::iterator request);
  // Adds (+1) or removes (-1) the record's share of the tallies below.
  void Count(const Record& record, int sign);

  std::unique_ptr<Transport> transport_;
  uint32_t next_request_id_ = 0;
  std::list<Record> records_;
  // Tallies over the request records not yet taken.
  size_t held_bytes_ = 0;  // their data
  size_t incomplete_ = 0;  // still waiting for chunks
  size_t ready_ = 0;       // complete
  uint32_t body_remaining_ = 0;
  uint32_t body_received_ = 0;
  std::vector<uint8_t> receive_buffer_;
  Transaction current_{};
  std::array<uint8_t, 4> sub_protocol_{};
  uint16_t sub_version_ = 0;
  bool handshake_checked_ = false;
  bool handshake_done_ = false;
  bool broken_ = false;
};

// One request handed to the dispatcher, with its reply. Destroying the handle
// removes the request from its session. Move-only.
class TransactionHandle {
 public:
  TransactionHandle(TransactionHandle&& other) noexcept;
  TransactionHandle& operator=(TransactionHandle&&) = delete;
  TransactionHandle(const TransactionHandle&) = delete;
  ~TransactionHandle();

  uint16_t Type() const { return request_->type; }
  uint32_t Id() const { return request_->id; }

  // Moves the request's field data into `fields` (the handle keeps no copy).
  void FieldsOf(UFieldData& fields);
  // The error code the reply will carry (0 unless set).
  void SetReplyError(uint32_t code) { reply_error_ = code; }
  // Sends the reply: type 0, this request's ID, the error code, `fields`.
  void SendReply(const UFieldData& fields);

  TransactionSession& Session() const { return *session_; }

 private:
  friend class TransactionSession;
  TransactionHandle(TransactionSession& session,
                    std::list<TransactionSession::Record>::iterator request)
      : session_(&session), request_(request) {}

  TransactionSession* session_;
  std::list<TransactionSession::Record>::iterator request_;
  uint32_t reply_error_ = 0;
};

}  // namespace vantrel
