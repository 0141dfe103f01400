#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// What the client information text (transaction 303) shows of one client's
// transfers. The transfer subsystem describes its tasks with these; the server
// core only formats them.

// One transfer in progress.
struct TransferInProgress {
  std::string name;             // the item's name, Mac Roman
  uint32_t size = 0;            // bytes in all
  uint32_t bytes_done = 0;      // download: handed to the connection and sent; upload: received
  bool has_connection = false;  // false until the client's transfer connection arrives
};

// One download waiting in the queue.
struct WaitingDownload {
  std::string name;
  bool is_folder = false;
};

// Everything of one client, each list in the transfer lists' order.
struct ClientTransfers {
  std::vector<TransferInProgress> file_downloads;
  std::vector<TransferInProgress> folder_downloads;
  std::vector<TransferInProgress> file_uploads;
  std::vector<TransferInProgress> folder_uploads;
  std::vector<WaitingDownload> waiting_downloads;
};

}  // namespace vantrel
