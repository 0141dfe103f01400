// One chat line built once and queued to 1000 readers over in-memory
// transports: the public chat's hot path, as the chat handler runs it.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "chat/chat_delivery.h"
#include "chat/chat_line.h"
#include "protocol/access_privileges.h"
#include "protocol/field_ids.h"
#include "server/client_list.h"
#include "support/memory_transport.h"

namespace vantrel {
namespace {

using testing::MemoryTransport;

constexpr size_t kRecipients = 1000;
// A recipient's sent bytes are dropped, outside the timing, once they pass
// this (bounds the benchmark's memory at about kRecipients times this).
constexpr size_t kDrainBytes = 64 * 1024;
constexpr uint32_t kFirstAddress = 0x7F000001;

// Logged-in readers of the public chat, each over its own memory transport.
class Audience {
 public:
  Audience() {
    for (size_t i = 0; i < kRecipients; ++i) {
      auto transport = std::make_unique<MemoryTransport>();
      transports_.push_back(transport.get());
      auto client = std::make_unique<ClientSession>(
          std::make_unique<TransactionSession>(std::move(transport)),
          kFirstAddress + static_cast<uint32_t>(i), clients_.NextUserId(), 0);
      client->privileges.Set(kPrivilegeReadChat);
      client->logged_in = true;
      clients_.Add(std::move(client));
    }
  }

  const ClientList& Clients() const { return clients_; }

  void DrainWhenFull(benchmark::State& state) {
    if (transports_.front()->Sent().size() < kDrainBytes) return;
    state.PauseTiming();
    for (MemoryTransport* transport : transports_) transport->TakeSent();
    state.ResumeTiming();
  }

 private:
  ClientList clients_;
  std::vector<MemoryTransport*> transports_;
};

// Formatting, encoding once and queuing to every reader, per line of
// state.range(0) bytes.
void BM_ChatLineToThousandReaders(benchmark::State& state) {
  Audience audience;
  const std::string text(static_cast<size_t>(state.range(0)), 'x');
  size_t body_size = 0;
  for (auto _ : state) {
    UFieldData body;
    body.AddText(kFieldData, FormatChatLine(ChatPrefix("Speaker", false), text));
    SendChatToReaders(audience.Clients().All(), body.Buffer());
    body_size = body.Buffer().size();
    audience.DrainWhenFull(state);
  }
  const auto recipients = static_cast<int64_t>(kRecipients);
  state.SetItemsProcessed(state.iterations() * recipients);
  state.SetBytesProcessed(state.iterations() * recipients *
                          static_cast<int64_t>(body_size + kTransactionHeaderSize));
}
BENCHMARK(BM_ChatLineToThousandReaders)->Arg(16)->Arg(256)->Arg(4096);

// Formatting and encoding alone, for a text of ten lines.
void BM_BuildTenLineChatBody(benchmark::State& state) {
  std::string text;
  for (int i = 0; i < 10; ++i) text += "a line of about forty bytes of chat text\r";
  for (auto _ : state) {
    UFieldData body;
    body.AddText(kFieldData, FormatChatLine(ChatPrefix("Speaker", false), text));
    benchmark::DoNotOptimize(body.Buffer().data());
  }
}
BENCHMARK(BM_BuildTenLineChatBody);

}  // namespace
}  // namespace vantrel
