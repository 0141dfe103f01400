// The receive pump turning a byte stream of small requests into dispatched
// requests: header decoding, chunk joining and handing out in arrival order.
#include <benchmark/benchmark.h>

#include <vector>

#include "protocol/field_ids.h"
#include "protocol/transaction.h"
#include "protocol/transaction_session.h"
#include "support/memory_transport.h"

namespace vantrel {
namespace {

constexpr int kRequests = 10000;

// 10,000 chat-sized requests: a 20-byte header and a field list with one
// 40-byte text, back to back as they would arrive on a busy connection.
std::vector<uint8_t> RequestStream() {
  UFieldData fields;
  fields.AddText(kFieldData, "a line of chat of about forty characters");
  const auto body = fields.Buffer();
  std::vector<uint8_t> stream;
  for (uint32_t id = 1; id <= kRequests; ++id) {
    const auto header = Transaction::Request(105, id, static_cast<uint32_t>(body.size())).Encode();
    stream.insert(stream.end(), header.begin(), header.end());
    stream.insert(stream.end(), body.begin(), body.end());
  }
  return stream;
}

void BM_ReceivePump(benchmark::State& state) {
  const std::vector<uint8_t> stream = RequestStream();
  const std::vector<uint8_t> handshake = {'T', 'R', 'T', 'P', 'V', 'A', 'N', 'T', 0, 1, 0, 2};
  UFieldData fields;
  for (auto _ : state) {
    auto owned = std::make_unique<testing::MemoryTransport>();
    auto* transport = owned.get();
    TransactionSession session(std::move(owned));
    transport->Feed(handshake);
    session.CheckHandshake();
    session.AcceptHandshake();
    transport->Feed(stream);
    int taken = 0;
    while (auto request = session.NextRequest()) {
      request->FieldsOf(fields);
      benchmark::DoNotOptimize(fields.ReadText(kFieldData, 256));
      ++taken;
    }
    if (taken != kRequests) state.SkipWithError("requests were lost");
  }
  state.SetItemsProcessed(state.iterations() * kRequests);
}
BENCHMARK(BM_ReceivePump)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vantrel
