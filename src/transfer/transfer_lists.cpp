#include "transfer/transfer_lists.h"

#include <algorithm>

#include "server/client_session.h"

namespace vantrel {
namespace {

template <typename Task>
void Forget(std::vector<std::unique_ptr<Task>>& tasks, const ClientSession& leaving) {
  for (auto& task : tasks) {
    if (task->owner == &leaving) task->owner = nullptr;
  }
}

template <typename Task>
void CloseAll(std::vector<std::unique_ptr<Task>>& tasks) {
  for (auto& task : tasks) {
    if (task->connection) task->connection->Disconnect();
  }
  tasks.clear();
}

template <typename Task>
size_t CountOwnedBy(const std::vector<std::unique_ptr<Task>>& tasks, uint16_t owner_id) {
  return static_cast<size_t>(std::count_if(
      tasks.begin(), tasks.end(), [&](const auto& task) { return task->owner_id == owner_id; }));
}

// How far `count` is past `limit`: count - limit + 1 when it reached it, else 0.
uint32_t Excess(size_t count, uint32_t limit) {
  return count >= limit ? static_cast<uint32_t>(count - limit + 1) : 0;
}

TransferInProgress InProgress(const TransferTask& task, uint64_t size, uint64_t done) {
  return {task.name, static_cast<uint32_t>(size), static_cast<uint32_t>(done),
          task.connection != nullptr};
}

}  // namespace

TransferTask& QueuedDownload::Task() const {
  if (file) return *file;
  return *folder;
}

uint32_t TransferLists::NextReference(bool download) {
  if (++counter_ == 0) ++counter_;
  uint32_t reference = (uint32_t{counter_} << 16) | (random_.Next32() & 0xFFFF);
  return download ? (reference | 1) : (reference & ~uint32_t{1});
}

uint32_t TransferLists::LimitExcess(uint16_t owner_id, uint32_t max_downloads,
                                    uint32_t max_per_client) const {
  const size_t active = file_downloads.size() + folder_downloads.size();
  const size_t owned =
      CountOwnedBy(file_downloads, owner_id) + CountOwnedBy(folder_downloads, owner_id);
  return std::max(Excess(active, max_downloads), Excess(owned, max_per_client));
}

uint32_t TransferLists::QueuePosition(uint16_t owner_id, uint32_t max_downloads,
                                      uint32_t max_per_client) const {
  const uint32_t position = LimitExcess(owner_id, max_downloads, max_per_client);
  return position == 0 ? 0 : position + static_cast<uint32_t>(waiting.size());
}

void TransferLists::OwnerLeft(const ClientSession& leaving) {
  Forget(file_downloads, leaving);
  Forget(folder_downloads, leaving);
  Forget(banners, leaving);
  Forget(file_uploads, leaving);
  Forget(folder_uploads, leaving);
  for (QueuedDownload& entry : waiting) {
    if (entry.Task().owner == &leaving) entry.Task().owner = nullptr;
  }
}

void TransferLists::Clear() {
  for (auto& waiting_header : unidentified) waiting_header.connection->Disconnect();
  unidentified.clear();
  CloseAll(file_downloads);
  CloseAll(folder_downloads);
  CloseAll(banners);
  CloseAll(file_uploads);
  CloseAll(folder_uploads);
  for (QueuedDownload& entry : waiting) {
    if (entry.Task().connection) entry.Task().connection->Disconnect();
  }
  waiting.clear();
}

LiveTransferCounts TransferLists::LiveCounts() const {
  return {static_cast<uint32_t>(file_downloads.size() + folder_downloads.size()),
          static_cast<uint32_t>(file_uploads.size() + folder_uploads.size()),
          static_cast<uint32_t>(waiting.size())};
}

ClientTransfers TransferLists::TransfersOf(const ClientSession& owner) const {
  ClientTransfers transfers;
  for (const auto& task : file_downloads) {
    if (task->owner == &owner)
      transfers.file_downloads.push_back(InProgress(*task, task->size, task->sent));
  }
  for (const auto& task : folder_downloads) {
    if (task->owner == &owner) {
      transfers.folder_downloads.push_back(
          InProgress(*task, task->remaining_total, task->sent_total));
    }
  }
  for (const auto& task : file_uploads) {
    if (task->owner == &owner) {
      transfers.file_uploads.push_back(InProgress(*task, task->expected, task->received));
    }
  }
  for (const auto& task : folder_uploads) {
    if (task->owner == &owner) {
      transfers.folder_uploads.push_back(InProgress(*task, task->total_size, task->received_total));
    }
  }
  for (const QueuedDownload& entry : waiting) {
    if (entry.Task().owner == &owner) {
      transfers.waiting_downloads.push_back({entry.Task().name, entry.folder != nullptr});
    }
  }
  return transfers;
}

}  // namespace vantrel
