#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/random.h"
#include "server/client_transfers.h"
#include "server/statistics.h"
#include "transfer/transfer_task.h"

namespace vantrel {

// A download waiting for its turn: a file or a folder download (one of the two
// set) and the queue position its owner was last told.
struct QueuedDownload {
  std::unique_ptr<FileDownload> file;
  std::unique_ptr<FolderDownload> folder;
  uint32_t position = 0;

  TransferTask& Task() const;
};

// Every transfer task and every transfer connection not yet identified, in
// their lists (each in the order tasks joined it), and the reference numbers.
// Owned by the transfers capability; core thread only.
class TransferLists {
 public:
  explicit TransferLists(Random& random) : random_(random) {}

  // A new reference number: the transfer counter (incremented first, never 0)
  // in the high half, a random low half, bit 0 set for a download and clear for
  // an upload.
  uint32_t NextReference(bool download);

  // The queue position of a new download of the client with user ID `owner_id`
  // under the limits: 0 when it may start now. Counts active downloads of all
  // owners against `max_downloads` and the owner's against `max_per_client`;
  // a non-zero position comes after every download already waiting.
  uint32_t QueuePosition(uint16_t owner_id, uint32_t max_downloads, uint32_t max_per_client) const;
  // The same without the waiting downloads added: p of the queue pass.
  uint32_t LimitExcess(uint16_t owner_id, uint32_t max_downloads, uint32_t max_per_client) const;

  // Forgets `leaving` as an owner: its tasks end at the next pass.
  void OwnerLeft(const ClientSession& leaving);
  // Drops every task and connection, closing their connections (the server reset).
  void Clear();

  // What the statistics show live.
  LiveTransferCounts LiveCounts() const;
  // What the client information shows of `owner`'s transfers.
  ClientTransfers TransfersOf(const ClientSession& owner) const;

  // Transfer connections waiting for their header, with the time each came.
  struct Unidentified {
    std::unique_ptr<Transport> connection;
    uint32_t since = 0;
  };
  std::vector<Unidentified> unidentified;
  std::vector<std::unique_ptr<FileDownload>> file_downloads;
  std::vector<std::unique_ptr<FolderDownload>> folder_downloads;
  std::vector<QueuedDownload> waiting;
  std::vector<std::unique_ptr<BannerDownload>> banners;
  std::vector<std::unique_ptr<FileUpload>> file_uploads;
  std::vector<std::unique_ptr<FolderUpload>> folder_uploads;

 private:
  Random& random_;
  uint16_t counter_ = 0;
};

}  // namespace vantrel
