#include <algorithm>

#include "files/host_names.h"
#include "files/type_codes.h"
#include "platform/exception.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/client_session.h"
#include "transfer/transfer_header.h"
#include "transfer/transfer_pass_steps.h"
#include "transfer/transfer_passes.h"
#include "transfer/transfer_texts.h"

namespace vantrel {
namespace {

// Action codes of a folder download's client.
constexpr uint16_t kActionSendFile = 1;
constexpr uint16_t kActionResumeFile = 2;
constexpr uint16_t kActionNextItem = 3;
// The longest item header a folder download sends; deeper items are passed over.
constexpr size_t kMaxItemHeaderBytes = 1024;

void Nothing(TransferTask& /*task*/) {}

bool FileDownloadStep(Transfers& transfers, FileDownload& task, uint32_t now) {
  if (TaskGone(transfers, task, now, kDownloadClosedLogText, kDownloadNoResponseLogText)) {
    return false;
  }
  if (!task.connection || task.sent == task.size) return true;
  const uint32_t n = NextBufferSize(task.pacing, *task.connection, now, task.size - task.sent);
  if (n == 0) return true;
  if (task.view_file) {
    task.connection->SendFile(task.view_file, task.view_offset, n);
    task.view_offset += n;
  } else {
    task.flattener->SendTo(*task.connection, n);
  }
  task.sent += n;
  if (task.sent == task.size) {
    task.flattener.reset();
    task.view_file.reset();
    transfers.services.log.Line(ConnectionWho(task), kDownloadCompleteLogText);
  }
  return true;
}

// Starts sending the current file of a folder download, from `offset`.
void StartFolderItem(FileSystem& disk, FolderDownload& task, uint32_t offset) {
  const WalkedItem& item = *task.current;
  const std::string name = WireName(item.host.filename().native());
  task.flattener =
      std::make_unique<FileFlattener>(disk, item.host, name, TypeAndCreatorForName(name), offset);
  task.item_size = task.flattener->FlattenedSize();
  task.item_sent = 0;
  task.remaining_total = task.remaining_total - item.length + task.item_size;
  const uint8_t size[4] = {
      static_cast<uint8_t>(task.item_size >> 24), static_cast<uint8_t>(task.item_size >> 16),
      static_cast<uint8_t>(task.item_size >> 8), static_cast<uint8_t>(task.item_size)};
  task.connection->Send(size);
  task.state = FolderDownloadState::kSending;
}

// Offers the walker's next item; false when there is none left (the download
// is then over).
bool OfferNextItem(FolderDownload& task) {
  for (;;) {
    task.current = task.walker->Next();
    if (task.current == nullptr) return false;
    const std::vector<uint8_t> header =
        EncodeFolderItemHeader({task.current->is_folder, task.current->levels});
    if (header.size() > kMaxItemHeaderBytes) continue;
    task.connection->Send(header);
    task.state = task.current->is_folder ? FolderDownloadState::kWaitingForClient
                                         : FolderDownloadState::kFileOffered;
    return true;
  }
}

bool FolderDownloadStep(Transfers& transfers, FolderDownload& task, uint32_t now) {
  if (TaskGone(transfers, task, now, kDownloadClosedLogText, kDownloadNoResponseLogText)) {
    return false;
  }
  if (!task.connection) return true;
  Transport& connection = *task.connection;
  for (;;) {
    uint16_t action = 0;
    std::vector<uint8_t> record;
    switch (task.state) {
      case FolderDownloadState::kWaitingForClient:
        if (!Read16(connection, action)) return true;
        if (action != kActionNextItem) continue;
        if (!OfferNextItem(task)) {
          connection.CloseGracefully();
          task.connection.reset();
          return false;
        }
        continue;
      case FolderDownloadState::kFileOffered:
        if (!Read16(connection, action)) return true;
        if (action == kActionNextItem) {
          task.remaining_total -= std::min(task.remaining_total, task.current->length);
          if (!OfferNextItem(task)) {
            connection.CloseGracefully();
            task.connection.reset();
            return false;
          }
        } else if (action == kActionSendFile) {
          StartFolderItem(transfers.services.tree.Disk(), task, 0);
        } else if (action == kActionResumeFile) {
          task.state = FolderDownloadState::kRecordLength;
        }
        continue;
      case FolderDownloadState::kRecordLength:
        if (!Read16(connection, task.record_length)) return true;
        task.state = FolderDownloadState::kRecord;
        continue;
      case FolderDownloadState::kRecord:
        if (!ReadExactly(connection, task.record_length, record)) return true;
        StartFolderItem(transfers.services.tree.Disk(), task, ResumeOffset(record));
        continue;
      case FolderDownloadState::kSending: {
        const uint32_t remaining = task.item_size - task.item_sent;
        const uint32_t n = NextBufferSize(task.pacing, connection, now, remaining,
                                          task.item_size < kWindowStep ? task.item_size : 0);
        if (n == 0) return true;
        if (remaining != 0) task.flattener->SendTo(connection, n);
        task.item_sent += n;
        task.sent_total += n;
        if (task.item_sent == task.item_size) {
          task.flattener.reset();
          task.state = FolderDownloadState::kWaitingForClient;
        }
        return true;  // one buffer a pass
      }
    }
  }
}

bool BannerStep(Transfers& transfers, BannerDownload& task, uint32_t now,
                std::span<const uint8_t> banner) {
  if (TaskGone(transfers, task, now, kDownloadClosedLogText, kBannerNoResponseLogText)) {
    return false;
  }
  if (task.connection && !task.sent) {
    task.connection->Send(banner);
    task.sent = true;
    transfers.services.log.Line(ConnectionWho(task), kBannerCompleteLogText);
  }
  return true;
}

}  // namespace

void RunBannerPass(Transfers& transfers, uint32_t now) {
  const auto banner = transfers.services.banner();
  if (!banner) return;
  ForEachTask<BannerDownload>(
      transfers, transfers.lists.banners,
      [&](BannerDownload& task) { return BannerStep(transfers, task, now, *banner); }, Nothing);
}

void RunFileDownloadPass(Transfers& transfers, uint32_t now) {
  ForEachTask<FileDownload>(
      transfers, transfers.lists.file_downloads,
      [&](FileDownload& task) { return FileDownloadStep(transfers, task, now); }, Nothing);
}

void RunFolderDownloadPass(Transfers& transfers, uint32_t now) {
  ForEachTask<FolderDownload>(
      transfers, transfers.lists.folder_downloads,
      [&](FolderDownload& task) { return FolderDownloadStep(transfers, task, now); }, Nothing);
}

void RunQueuePass(Transfers& transfers, uint32_t now) {
  TransferLists& lists = transfers.lists;
  const ServerSettings& settings = transfers.services.settings.Settings();
  bool started = false;
  uint32_t kept = 0;
  for (size_t i = 0; i < lists.waiting.size();) {
    QueuedDownload& entry = lists.waiting[i];
    TransferTask& task = entry.Task();
    if (task.owner == nullptr || (task.connection && !task.connection->IsConnected())) {
      transfers.services.log.Line(ConnectionWho(task), kDownloadClosedLogText);
      if (task.connection) task.connection->Disconnect();
      lists.waiting.erase(lists.waiting.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    const uint32_t excess =
        lists.LimitExcess(task.owner_id, settings.max_downloads, settings.max_downloads_per_client);
    const uint32_t position = excess == 0 ? 0 : excess + kept;
    if (position == 0 || position != entry.position) {
      entry.position = position;
      UFieldData fields;
      fields.AddField(kFieldReferenceNumber, ReferenceBytes(task.reference));
      fields.AddInteger(kFieldQueuePosition, position);
      task.owner->connection->SendRequest(kTranDownloadQueuePosition, fields);
    }
    if (position != 0) {
      ++kept;
      ++i;
      continue;
    }
    task.time = now;
    if (entry.file) {
      lists.file_downloads.push_back(std::move(entry.file));
    } else {
      lists.folder_downloads.push_back(std::move(entry.folder));
    }
    lists.waiting.erase(lists.waiting.begin() + static_cast<std::ptrdiff_t>(i));
    started = true;
  }
  if (started) {
    transfers.services.stats.Refresh();
    transfers.services.passes.RequestPass();
  }
}

}  // namespace vantrel
