#include <algorithm>

#include "files/host_names.h"
#include "files/item_names.h"
#include "server/server_limits.h"
#include "transfer/transfer_header.h"
#include "transfer/transfer_pass_steps.h"
#include "transfer/transfer_passes.h"
#include "transfer/transfer_texts.h"

namespace vantrel {
namespace {

constexpr std::string_view kPartialSuffix = ".vpf";
// Action codes the server sends in a folder upload.
constexpr uint16_t kActionSendFile = 1;
constexpr uint16_t kActionResumeFile = 2;
constexpr uint16_t kActionNextItem = 3;
// How much of an upload one read takes.
constexpr size_t kUploadReadBytes = 65536;

void Send16(Transport& connection, uint16_t value) {
  const uint8_t bytes[2] = {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  connection.Send(bytes);
}

// Passes what arrived, up to `limit` bytes, to the unflatten; returns how many.
uint32_t ReceiveInto(Transport& connection, FileUnflattener& unflattener, uint32_t limit) {
  uint32_t received = 0;
  std::vector<uint8_t> buffer;
  while (received < limit && connection.BytesAvailable() > 0) {
    buffer.resize(std::min<size_t>(
        {kUploadReadBytes, connection.BytesAvailable(), static_cast<size_t>(limit - received)}));
    buffer.resize(connection.Read(buffer));
    unflattener.Write(buffer);
    received += static_cast<uint32_t>(buffer.size());
  }
  return received;
}

// Closes a complete partial file and gives it its final name: without ".vpf"
// (exact lower case), sanitised. A partial file named otherwise keeps its name.
void Finish(FileSystem& disk, const std::filesystem::path& partial,
            std::unique_ptr<FileUnflattener>& unflattener) {
  unflattener->Close();
  unflattener.reset();
  const std::string name = WireName(partial.filename().native());
  if (!name.ends_with(kPartialSuffix)) return;
  const std::string final_name = SanitiseName(name.substr(0, name.size() - kPartialSuffix.size()));
  disk.MoveItem(partial,
                partial.parent_path() / HostEntryName(disk, partial.parent_path(), final_name));
}

// Whether an upload ends without completing: its owner left, its connection
// closed or it stayed silent too long ("Upload aborted"), or its client never
// connected ("Upload aborted (no response)").
bool UploadAborted(Transfers& transfers, const TransferTask& task, uint32_t now) {
  LogWindow& log = transfers.services.log;
  if (task.owner == nullptr || (task.connection && (!task.connection->IsConnected() ||
                                                    Exceeds(now, task.time, kUploadIdleSeconds)))) {
    log.Line(ConnectionWho(task), kUploadAbortedLogText);
    if (task.connection) task.connection->Disconnect();
    return true;
  }
  if (!task.connection && Exceeds(now, task.time, kNoResponseSeconds)) {
    log.Line("", kUploadNoResponseLogText);
    return true;
  }
  return false;
}

bool FileUploadStep(Transfers& transfers, FileUpload& task, uint32_t now) {
  if (task.owner == nullptr || !task.connection) return !UploadAborted(transfers, task, now);
  const uint32_t received =
      ReceiveInto(*task.connection, *task.unflattener, task.expected - task.received);
  if (received != 0) {
    task.received += received;
    task.time = now;
  }
  if (task.received >= task.expected) {
    transfers.services.log.Line(ConnectionWho(task), kUploadCompleteLogText);
    Finish(transfers.services.tree.Disk(), task.partial, task.unflattener);
    task.connection->CloseGracefully();
    return false;
  }
  return !UploadAborted(transfers, task, now);
}

// Ends a folder upload's current item and counts it; false when it was the
// last (the upload is then over). An item that ended at its header is answered
// with action 3 even when it was the last; a received file only when more follow.
bool EndItem(Transfers& transfers, FolderUpload& task, bool at_header, bool failed) {
  Transport& connection = *task.connection;
  if (at_header) Send16(connection, kActionNextItem);
  if (++task.items_done >= task.item_count) {
    transfers.services.log.Line(ConnectionWho(task),
                                failed ? kFolderItemFailedLogText : kFolderUploadCompleteLogText);
    connection.CloseGracefully();
    return false;
  }
  if (!at_header) Send16(connection, kActionNextItem);
  task.state = FolderUploadState::kHeaderLength;
  return true;
}

// Starts receiving a file item into `partial`, resumed when it is there; false
// when the item is passed over or fails instead (`failed` says which).
bool StartFileItem(Transfers& transfers, FolderUpload& task, const ItemReference& item,
                   const std::string& name, bool& failed) {
  FileSystem& disk = transfers.services.tree.Disk();
  const std::filesystem::path folder = item.host.parent_path();
  task.partial = folder / HostEntryName(disk, folder, name + std::string(kPartialSuffix));
  if (const auto partial = disk.Stat(task.partial, LinkHandling::kNoFollow)) {
    task.total_size -= std::min<uint64_t>(task.total_size, partial->size);
    task.unflattener = std::make_unique<FileUnflattener>(disk, task.partial);
    Send16(*task.connection, kActionResumeFile);
    Send16(*task.connection, kUploadResumeRecordSize);
    task.connection->Send(UploadResumeRecord(task.unflattener->StartOffset()));
    return true;
  }
  if (Exists(item.kind)) {
    if (const auto existing = disk.Stat(item.host, LinkHandling::kFollow)) {
      task.total_size -= std::min<uint64_t>(task.total_size, existing->size);
    }
    return false;
  }
  const std::string_view bare =
      EndsWithIgnoringCase(name, kPartialSuffix)
          ? std::string_view(name).substr(0, name.size() - kPartialSuffix.size())
          : std::string_view(name);
  if (HasShortcutSuffix(bare)) {
    failed = true;
    return false;
  }
  disk.WriteFile(task.partial, {});
  task.unflattener = std::make_unique<FileUnflattener>(disk, task.partial);
  Send16(*task.connection, kActionSendFile);
  return true;
}

// Takes the item header that arrived: creates a folder item, or starts a file
// item. False when the upload is over.
bool TakeItem(Transfers& transfers, FolderUpload& task, std::span<const uint8_t> header) {
  FolderItem item = DecodeFolderItemHeader(header);
  for (std::string& level : item.levels) level = SanitiseName(level);
  bool failed = item.levels.empty();
  if (!failed) {
    const std::string name = item.levels.back();
    const ItemReference reference =
        transfers.services.tree.Resolve(task.folder, item.levels, std::nullopt, kFailQuietly);
    if (reference.kind == ItemKind::kNoFolder) {
      failed = true;
    } else if (item.is_folder) {
      if (reference.kind == ItemKind::kMissing) {
        transfers.services.tree.Disk().CreateFolder(reference.host);
      } else {
        failed = reference.kind != ItemKind::kFolder;
      }
    } else if (StartFileItem(transfers, task, reference, name, failed)) {
      task.state = FolderUploadState::kItemSize;
      return true;
    }
  }
  return EndItem(transfers, task, true, failed);
}

bool FolderUploadStep(Transfers& transfers, FolderUpload& task, uint32_t now) {
  if (task.owner == nullptr || !task.connection) return !UploadAborted(transfers, task, now);
  Transport& connection = *task.connection;
  std::vector<uint8_t> header;
  for (;;) {
    switch (task.state) {
      case FolderUploadState::kStart:
        Send16(connection, kActionNextItem);
        task.state = FolderUploadState::kHeaderLength;
        continue;
      case FolderUploadState::kHeaderLength:
        if (!Read16(connection, task.header_length)) break;
        task.time = now;
        task.state = FolderUploadState::kHeader;
        continue;
      case FolderUploadState::kHeader:
        if (!ReadExactly(connection, task.header_length, header)) break;
        task.time = now;
        if (!TakeItem(transfers, task, header)) return false;
        continue;
      case FolderUploadState::kItemSize:
        if (!Read32(connection, task.item_size)) break;
        task.time = now;
        task.item_received = 0;
        task.state = FolderUploadState::kItemData;
        continue;
      case FolderUploadState::kItemData: {
        const uint32_t received =
            ReceiveInto(connection, *task.unflattener, task.item_size - task.item_received);
        if (received != 0) task.time = now;
        task.item_received += received;
        task.received_total += received;
        if (task.item_received < task.item_size) break;
        Finish(transfers.services.tree.Disk(), task.partial, task.unflattener);
        if (!EndItem(transfers, task, false, false)) return false;
        continue;
      }
    }
    break;
  }
  return !UploadAborted(transfers, task, now);
}

}  // namespace

void RunFileUploadPass(Transfers& transfers, uint32_t now) {
  ForEachTask<FileUpload>(
      transfers, transfers.lists.file_uploads,
      [&](FileUpload& task) { return FileUploadStep(transfers, task, now); },
      [&](FileUpload& task) {
        transfers.services.log.Line(ConnectionWho(task), kUploadAbortedLogText);
      });
}

void RunFolderUploadPass(Transfers& transfers, uint32_t now) {
  ForEachTask<FolderUpload>(
      transfers, transfers.lists.folder_uploads,
      [&](FolderUpload& task) { return FolderUploadStep(transfers, task, now); },
      [&](FolderUpload& task) {
        transfers.services.log.Line(ConnectionWho(task), kUploadAbortedLogText);
      });
}

}  // namespace vantrel
