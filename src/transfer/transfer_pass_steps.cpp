#include "transfer/transfer_pass_steps.h"

#include <algorithm>

#include "server/server_limits.h"
#include "transfer/transfer_passes.h"

namespace vantrel {

std::string ConnectionWho(const TransferTask& task) {
  return task.connection ? AddressText(task.connection->PeerAddress()) : std::string();
}

bool TaskGone(Transfers& transfers, const TransferTask& task, uint32_t now, const char* closed_text,
              const char* no_response_text) {
  LogWindow& log = transfers.services.log;
  if (task.owner == nullptr || (task.connection && !task.connection->IsConnected())) {
    log.Line(ConnectionWho(task), closed_text);
    if (task.connection) task.connection->Disconnect();
    return true;
  }
  if (!task.connection && Exceeds(now, task.time, kNoResponseSeconds)) {
    log.Line("", no_response_text);
    return true;
  }
  return false;
}

bool ReadExactly(Transport& transport, size_t count, std::vector<uint8_t>& out) {
  if (transport.BytesAvailable() < count) return false;
  out.resize(count);
  transport.Read(out);
  return true;
}

bool Read16(Transport& transport, uint16_t& value) {
  std::vector<uint8_t> bytes;
  if (!ReadExactly(transport, 2, bytes)) return false;
  value = static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
  return true;
}

bool Read32(Transport& transport, uint32_t& value) {
  std::vector<uint8_t> bytes;
  if (!ReadExactly(transport, 4, bytes)) return false;
  value = uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 | bytes[3];
  return true;
}

uint32_t NextBufferSize(Pacing& pacing, const Transport& connection, uint32_t now,
                        uint32_t remaining, uint32_t small_item) {
  const size_t unsent = connection.QueuedBytes();
  if (unsent > pacing.window) return 0;
  if (small_item != 0) {
    pacing.window = std::max(pacing.window, small_item);
  } else {
    if (unsent == 0) pacing.window += kWindowStep;
    if (pacing.has_sent && now - pacing.last_send_time < kRecentSendSeconds) {
      pacing.window += kWindowStep;
    }
    pacing.window = std::min(pacing.window, kMaxWindow);
  }
  pacing.last_send_time = now;
  pacing.has_sent = true;
  return std::min(pacing.window, remaining);
}

}  // namespace vantrel
