#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "load_options.h"

namespace vantrel::load {

// What a client's codec finds in the bytes the server sent.
class CodecEvents {
 public:
  virtual ~CodecEvents() = default;
  // The server took the connection (Vantrel: the accepting handshake answer;
  // IRC: the welcome), so it no longer waits in the server's listen queue.
  virtual void Admitted() = 0;
  // The client is fully logged in (Vantrel: the agreement after the login reply
  // and the privileges; IRC: the end of the channel's name list after JOIN).
  virtual void LoggedIn() = 0;
  // Another user was announced to this client (Vantrel 301, IRC JOIN of another).
  virtual void Announcement() = 0;
  // Chat line `number` reached this client.
  virtual void Delivery(uint32_t number) = 0;
  // The server refused something or ended the session; `why` says what, in the
  // server's words where it gave some.
  virtual void Failure(std::string why) = 0;
  // Vantrel only: the whole reply, error code `error` and field list `body`, to
  // the request with ID `id` sent with VantrelCodec::Request. `body` lives until
  // the call returns. Ignored unless overridden.
  virtual void Reply(uint32_t /*id*/, uint32_t /*error*/, std::span<const uint8_t> /*body*/) {}
  // Vantrel only: a transaction the server sent on its own that the codec does
  // not handle itself (211, a download's place in the queue, say), of `type`
  // with field list `body`, which lives until the call returns. Ignored unless
  // overridden.
  virtual void ServerTransaction(uint16_t /*type*/, std::span<const uint8_t> /*body*/) {}
};

// One client's side of a protocol: the bytes it sends and the decoding of what
// it receives, with no socket. Each client owns one; the tool's thread only.
class ClientCodec {
 public:
  virtual ~ClientCodec() = default;

  // Bytes to send once the connection is up.
  virtual void Greeting(std::vector<uint8_t>& out) = 0;
  // Decodes `bytes` (any split of the stream), reporting to `events` and
  // appending to `out` whatever the protocol answers by itself (the login after
  // the handshake answer, JOIN after the welcome, PONG).
  virtual void Feed(std::span<const uint8_t> bytes, std::vector<uint8_t>& out,
                    CodecEvents& events) = 0;
  // Appends the request that sends `text` to the public chat or channel.
  virtual void ChatLine(std::string_view text, std::vector<uint8_t>& out) = 0;
};

// The codec for client `index` (its nickname is derived from the index).
std::unique_ptr<ClientCodec> MakeCodec(Protocol protocol, size_t index);

// How many clients each chat line reaches when `clients` are logged in: the
// Vantrel server sends a chat line to everyone, the sender included; an IRC
// server sends a channel message to every member but the sender.
size_t DeliveriesPerLine(Protocol protocol, size_t clients);

// How many announcements a full login phase of `clients` brings: each newcomer
// is announced to everyone already there, so n (n - 1) / 2 for both protocols.
inline size_t ExpectedAnnouncements(size_t clients) {
  return clients * (clients - 1) / 2;
}

// The most logins whose announcements `announcements` can account for: the
// largest k with ExpectedAnnouncements(k) <= announcements. A run stopped part
// way counts its logins done this way, not by the logins replied to, whose
// announcements may still be on their way.
size_t LoginsCoveredBy(size_t announcements);

}  // namespace vantrel::load
