#include <algorithm>

#include "server/server_limits.h"
#include "transfer/transfer_header.h"
#include "transfer/transfer_pass_steps.h"
#include "transfer/transfer_passes.h"
#include "transfer/transfer_texts.h"

namespace vantrel {
namespace {

// The list a download is found in by its reference and the kind its transfer
// header gave; null when none holds it.
TransferTask* FindDownload(TransferLists& lists, uint32_t reference, uint16_t kind) {
  const auto match = [reference](const auto& task) { return task->reference == reference; };
  if (kind == kTransferKindBanner) {
    const auto found = std::find_if(lists.banners.begin(), lists.banners.end(), match);
    return found != lists.banners.end() ? found->get() : nullptr;
  }
  const bool folder = kind == kTransferKindFolder;
  if (folder) {
    const auto found =
        std::find_if(lists.folder_downloads.begin(), lists.folder_downloads.end(), match);
    if (found != lists.folder_downloads.end()) return found->get();
  } else {
    const auto found =
        std::find_if(lists.file_downloads.begin(), lists.file_downloads.end(), match);
    if (found != lists.file_downloads.end()) return found->get();
  }
  for (QueuedDownload& entry : lists.waiting) {
    if ((entry.folder != nullptr) == folder && entry.Task().reference == reference) {
      return &entry.Task();
    }
  }
  return nullptr;
}

TransferTask* FindUpload(TransferLists& lists, const TransferHeader& header) {
  const auto match = [&header](const auto& task) { return task->reference == header.reference; };
  if (header.kind == kTransferKindFolder) {
    const auto found =
        std::find_if(lists.folder_uploads.begin(), lists.folder_uploads.end(), match);
    return found != lists.folder_uploads.end() ? found->get() : nullptr;
  }
  const auto found = std::find_if(lists.file_uploads.begin(), lists.file_uploads.end(), match);
  if (found == lists.file_uploads.end()) return nullptr;
  (*found)->expected = header.data_size;
  return found->get();
}

}  // namespace

void AddUnidentified(TransferLists& lists, std::unique_ptr<Transport> connection, uint32_t now) {
  if (lists.unidentified.size() >= kMaxUnidentifiedConnections) {
    // The oldest connection still without a header makes room.
    lists.unidentified.front().connection->Disconnect();
    lists.unidentified.erase(lists.unidentified.begin());
  }
  lists.unidentified.push_back({std::move(connection), now});
}

void IdentifyConnections(Transfers& transfers, uint32_t now) {
  auto& unidentified = transfers.lists.unidentified;
  LogWindow& log = transfers.services.log;
  for (size_t i = 0; i < unidentified.size();) {
    Transport& connection = *unidentified[i].connection;
    std::vector<uint8_t> bytes;
    if (!connection.IsConnected() || Exceeds(now, unidentified[i].since, kHeaderWaitSeconds)) {
      connection.Disconnect();
      unidentified.erase(unidentified.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    if (!ReadExactly(connection, kTransferHeaderSize, bytes)) {
      ++i;
      continue;
    }
    const auto header = ParseTransferHeader(
        std::span<const uint8_t, kTransferHeaderSize>(bytes.data(), kTransferHeaderSize));
    const bool download = header && (header->reference & 1) != 0;
    TransferTask* task = !header    ? nullptr
                         : download ? FindDownload(transfers.lists, header->reference, header->kind)
                                    : FindUpload(transfers.lists, *header);
    const std::string who = AddressText(connection.PeerAddress());
    if (task == nullptr) {
      log.Line(who, kConnectionFailedLogText);
      connection.Disconnect();
    } else {
      // A second header for a task replaces its first connection.
      if (task->connection) task->connection->Disconnect();
      task->connection = std::move(unidentified[i].connection);
      log.Line(who, download ? kDownloadConnectedLogText : kUploadConnectedLogText);
    }
    unidentified.erase(unidentified.begin() + static_cast<std::ptrdiff_t>(i));
  }
}

}  // namespace vantrel
