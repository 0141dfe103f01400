// One processing pass over idle logged-in clients: what every transport event
// costs the server once that many users are on, since each event asks for a pass.
// The server is built over a temporary folder and never started (no listeners);
// its clients talk over in-memory transports.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include <asio/io_context.hpp>

#include "app/application.h"
#include "platform/clock.h"
#include "protocol/transaction_session.h"
#include "server/client_session.h"
#include "support/memory_transport.h"
#include "support/temporary_folder.h"

namespace vantrel {
namespace {

using testing::MemoryTransport;

constexpr uint32_t kFirstAddress = 0x7F0A0001;  // 127.10.0.1

// A client as the pass finds it after its login: handshake accepted, logged
// in, nothing to read.
std::unique_ptr<ClientSession> IdleClient(uint32_t address, uint16_t user_id, uint32_t now) {
  auto session = std::make_unique<TransactionSession>(std::make_unique<MemoryTransport>(address));
  session->AcceptHandshake();  // from here on the session reads transactions
  auto client = std::make_unique<ClientSession>(std::move(session), address, user_id, now);
  client->logged_in = true;
  return client;
}

// One pass over state.range(0) idle logged-in clients; items are clients.
void BM_ProcessingPassOverIdleClients(benchmark::State& state) {
  const auto clients = static_cast<uint32_t>(state.range(0));
  asio::io_context io;
  FakeClock clock;  // stands still: no time rule fires during the passes
  testing::TemporaryFolder folder;
  CMyApplication server(io, clock, clock, folder.Path());
  for (uint32_t i = 0; i < clients; ++i) {
    server.Core().Clients().Add(
        IdleClient(kFirstAddress + i, static_cast<uint16_t>(i + 1), clock.Seconds()));
  }
  for (auto _ : state) server.Core().RunPass();
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ProcessingPassOverIdleClients)->Arg(1000)->Arg(10'000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace vantrel
