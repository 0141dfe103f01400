#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/exception.h"
#include "transfer/flattened_file.h"
#include "transfer/transfer_services.h"

namespace vantrel {

// Pieces the transfer passes share.

// Who the log names for a task's line: its connection's address, or nobody.
std::string ConnectionWho(const TransferTask& task);

// Whether the task ends now: its owner left, or its connection was closed
// (then `closed_text` is logged), or its client never connected (then
// `no_response_text` is logged without a source).
bool TaskGone(Transfers& transfers, const TransferTask& task, uint32_t now, const char* closed_text,
              const char* no_response_text);

// Reads exactly `count` bytes from `transport` into `out` when that many have
// arrived; false (and nothing read) otherwise.
bool ReadExactly(Transport& transport, size_t count, std::vector<uint8_t>& out);
// A 2- or 4-byte big-endian value read when it has arrived.
bool Read16(Transport& transport, uint16_t& value);
bool Read32(Transport& transport, uint32_t& value);

// How many bytes the next buffer of a download may hold, by its pacing (at
// most `remaining`); 0 when the task is to be skipped this pass because its
// connection still holds more than its window. `small_item`, when not 0, is
// the size of a folder download's file under one window step: the window is
// raised to it instead of growing.
uint32_t NextBufferSize(Pacing& pacing, const Transport& connection, uint32_t now,
                        uint32_t remaining, uint32_t small_item = 0);

// Runs `step` for each task of `tasks` in turn; a task for which it returns
// false is removed. A failure of a task's step ends that task after
// `on_failure` has run for it, and is reported unless it is the peer's
// (IsFormatRefusal): a client sending garbage must not count towards a server
// reset. (A report may reset the server, which empties every list: the walk
// then stops.)
template <typename Task>
void ForEachTask(Transfers& transfers, std::vector<std::unique_ptr<Task>>& tasks,
                 const std::function<bool(Task&)>& step,
                 const std::function<void(Task&)>& on_failure) {
  for (size_t i = 0; i < tasks.size();) {
    bool keep = false;
    try {
      keep = step(*tasks[i]);
    } catch (const std::exception& failure) {
      on_failure(*tasks[i]);
      if (tasks[i]->connection) tasks[i]->connection->Disconnect();
      const auto* refusal = dynamic_cast<const Omberly::CException*>(&failure);
      if (refusal == nullptr || !IsFormatRefusal(*refusal)) {
        transfers.services.failures.ReportFailure(failure);
        if (i >= tasks.size()) return;
      }
    }
    if (keep) {
      ++i;
    } else {
      tasks.erase(tasks.begin() + static_cast<std::ptrdiff_t>(i));
      transfers.services.stats.Refresh();
    }
  }
}

}  // namespace vantrel
