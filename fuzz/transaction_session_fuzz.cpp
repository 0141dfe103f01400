// Arbitrary bytes from a peer, in arbitrary pieces, through the handshake check
// and the receive pump: no crash, no unbounded memory, requests handed out whole.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "protocol/transaction_session.h"
#include "support/memory_transport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using vantrel::HandshakeResult;
  vantrel::SetMaxTransactionSize(vantrel::kServerMaxTransactionSize);
  auto owned = std::make_unique<vantrel::testing::MemoryTransport>();
  auto* transport = owned.get();
  vantrel::TransactionSession session(std::move(owned));

  // The first byte chooses the piece size, so that every split gets explored.
  const size_t piece = size == 0 ? 1 : (data[0] % 31) + 1;
  size_t at = size == 0 ? 0 : 1;
  vantrel::UFieldData fields;
  while (at < size) {
    const size_t n = std::min(piece, size - at);
    transport->Feed(std::span<const uint8_t>(data + at, n));
    at += n;
    if (!session.HandshakeDone()) {
      const HandshakeResult result = session.CheckHandshake();
      if (result == HandshakeResult::kValid) session.AcceptHandshake();
      if (result == HandshakeResult::kNotProtocol || result == HandshakeResult::kBadVersion) break;
      continue;
    }
    while (auto request = session.NextRequest()) {
      request->FieldsOf(fields);
      fields.ReadText(101, 256);
      request->SendReply(fields);
    }
    transport->TakeSent();
  }
  return 0;
}
