#include <algorithm>
#include <string>

#include "files/file_texts.h"
#include "files/host_names.h"
#include "files/item_names.h"
#include "files/request_item.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/client_session.h"
#include "transfer/transfer_handlers.h"
#include "transfer/transfer_header.h"
#include "transfer/transfer_texts.h"

namespace vantrel {
namespace {

std::string_view AsText(std::span<const uint8_t> bytes) {
  return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

uint32_t QueuePositionFor(const Transfers& transfers, const ClientSession& client) {
  const ServerSettings& settings = transfers.services.settings.Settings();
  return transfers.lists.QueuePosition(client.user_id, settings.max_downloads,
                                       settings.max_downloads_per_client);
}

void Own(TransferTask& task, Request& request, uint32_t reference, std::string_view name) {
  task.reference = reference;
  task.owner = &request.client;
  task.owner_id = request.client.user_id;
  task.time = request.now;
  task.name = TaskName(name);
}

// The reply's reference and, for a waiting download, position fields.
void AddReference(UFieldData& reply, uint32_t reference, uint32_t position) {
  reply.AddField(kFieldReferenceNumber, ReferenceBytes(reference));
  if (position != 0) reply.AddInteger(kFieldQueuePosition, position);
}

// 202: a file, flattened (resumed from field 203's record when there is one),
// or in view mode its raw bytes.
void DownloadFile(Transfers& transfers, Request& request) {
  ClientSession& client = request.client;
  if (!client.privileges.Test(kPrivilegeDownloadFiles)) {
    SendErrorReply(request.transaction, kDownloadFilesRefusedText);
    return;
  }
  const uint32_t position = QueuePositionFor(transfers, client);
  const FileTree& tree = transfers.services.tree;
  const auto [root, name, item] =
      ResolveRequestedItem(tree, request, kFollowShortcuts | kFailQuietly);
  const auto status = item.kind == ItemKind::kFile
                          ? tree.Disk().Stat(item.host, LinkHandling::kFollow)
                          : std::nullopt;
  if (!status || status->kind != FileKind::kFile) {
    SendErrorReply(request.transaction, Quote(kNoFileToDownloadText, name));
    return;
  }
  const std::span<const uint8_t> path = request.fields.Data(kFieldFilePath);
  if (!client.privileges.Test(kPrivilegeViewDropBoxes) &&
      (MentionsDropBox(WireName(item.host.parent_path().filename().native())) ||
       MentionsDropBox(AsText(path)))) {
    SendErrorReply(request.transaction, Quote(kDownloadInDropBoxText, name));
    return;
  }
  const auto length = static_cast<uint32_t>(status->size);
  const bool view = request.fields.ReadInteger(kFieldTransferOptions) == kOptionView;
  if (view && length == 0) {
    UFieldData reply;
    reply.AddInteger(kFieldTransferSize, 0);
    request.transaction.SendReply(reply);
    return;
  }

  auto task = std::make_unique<FileDownload>();
  if (view) {
    task->view_file = tree.Disk().OpenForReading(item.host);
    task->size = length;
  } else {
    const std::span<const uint8_t> record = request.fields.Data(kFieldResumeRecord);
    const uint32_t offset =
        record.empty() ? 0 : ResumeOffset(record.first(std::min<size_t>(record.size(), 512)));
    const std::string host_name = WireName(item.host.filename().native());
    task->flattener = std::make_unique<FileFlattener>(tree.Disk(), item.host, host_name,
                                                      TypeAndCreatorForName(host_name), offset);
    task->size = task->flattener->FlattenedSize();
  }
  Own(*task, request, transfers.lists.NextReference(true), name);

  UFieldData reply;
  reply.AddInteger(kFieldTransferSize, task->size);
  reply.AddInteger(kFieldFileSize, length);
  AddReference(reply, task->reference, position);
  if (position == 0) {
    transfers.lists.file_downloads.push_back(std::move(task));
  } else {
    transfers.lists.waiting.push_back({std::move(task), nullptr, position});
  }
  request.transaction.SendReply(reply);
  LogGranted(transfers, request, true, view ? kViewLogText : kDownloadLogText, name);
}

// 210: a folder, as its walker offers it.
void DownloadFolder(Transfers& transfers, Request& request) {
  ClientSession& client = request.client;
  if (!client.privileges.Test(kPrivilegeDownloadFolders)) {
    SendErrorReply(request.transaction, kDownloadFoldersRefusedText);
    return;
  }
  const uint32_t position = QueuePositionFor(transfers, client);
  const FileTree& tree = transfers.services.tree;
  const auto [root, name, item] =
      ResolveRequestedItem(tree, request, kFollowShortcuts | kFailQuietly);
  if (item.kind != ItemKind::kFolder) {
    SendErrorReply(request.transaction, Quote(kNoFolderToDownloadText, name));
    return;
  }
  const bool view_drop_boxes = client.privileges.Test(kPrivilegeViewDropBoxes);
  if (!view_drop_boxes &&
      (MentionsDropBox(name) || MentionsDropBox(AsText(request.fields.Data(kFieldFilePath))))) {
    SendErrorReply(request.transaction, Quote(kFolderDropBoxRefusedText, name));
    return;
  }
  auto walker = std::make_unique<FolderWalker>(tree.Disk(), item.host, view_drop_boxes);
  const uint64_t total = walker->TotalFileBytes();
  const auto count = static_cast<uint32_t>(walker->ItemCount());
  UFieldData reply;
  reply.AddInteger(kFieldTransferSize, static_cast<uint32_t>(total));
  reply.AddInteger(kFieldItemCount, count);
  if (count == 0) {
    request.transaction.SendReply(reply);
    return;
  }
  auto task = std::make_unique<FolderDownload>();
  task->walker = std::move(walker);
  task->remaining_total = total;
  Own(*task, request, transfers.lists.NextReference(true), name);
  AddReference(reply, task->reference, position);
  if (position == 0) {
    transfers.lists.folder_downloads.push_back(std::move(task));
  } else {
    transfers.lists.waiting.push_back({nullptr, std::move(task), position});
  }
  request.transaction.SendReply(reply);
  LogGranted(transfers, request, true, kDownloadLogText, name);
}

// 212: the banner the server holds, sent raw.
void DownloadBanner(Transfers& transfers, Request& request) {
  const auto banner = transfers.services.banner();
  if (!banner) {
    throw Omberly::CException(kErrorClassFile, kErrorCodeNotFound, "No banner is loaded.");
  }
  auto task = std::make_unique<BannerDownload>();
  Own(*task, request, transfers.lists.NextReference(true), {});
  UFieldData reply;
  reply.AddInteger(kFieldTransferSize, static_cast<uint32_t>(banner->size()));
  reply.AddField(kFieldReferenceNumber, ReferenceBytes(task->reference));
  transfers.lists.banners.push_back(std::move(task));
  request.transaction.SendReply(reply);
}

// Removes the download `reference` from `tasks` when `owner` owns it; true
// when it was found there (whoever owns it).
template <typename List, typename TaskOf>
bool Withdraw(Transfers& transfers, List& tasks, TaskOf task_of, uint32_t reference,
              const ClientSession& owner) {
  const auto found = std::find_if(tasks.begin(), tasks.end(), [&](auto& entry) {
    return task_of(entry).reference == reference;
  });
  if (found == tasks.end()) return false;
  TransferTask& task = task_of(*found);
  if (task.owner != &owner) return true;
  transfers.services.log.Line(task.connection ? AddressText(task.connection->PeerAddress()) : "",
                              kDownloadClosedLogText);
  if (task.connection) task.connection->Disconnect();
  tasks.erase(found);
  transfers.services.stats.Refresh();
  return true;
}

// 214: withdraws one of the client's downloads, waiting or active. The reply
// is empty whatever happened.
void CancelDownload(Transfers& transfers, Request& request) {
  const auto bytes = request.fields.Data(kFieldReferenceNumber);
  uint32_t reference = 0;
  for (size_t i = 0; i < std::min<size_t>(bytes.size(), 4); ++i) {
    reference |= uint32_t{bytes[i]} << (8 * i);
  }
  if (reference != 0) {
    TransferLists& lists = transfers.lists;
    const auto plain = [](auto& task) -> TransferTask& { return *task; };
    Withdraw(
        transfers, lists.waiting,
        [](QueuedDownload& entry) -> TransferTask& { return entry.Task(); }, reference,
        request.client) ||
        Withdraw(transfers, lists.file_downloads, plain, reference, request.client) ||
        Withdraw(transfers, lists.folder_downloads, plain, reference, request.client);
  }
  request.transaction.SendReply(UFieldData());
}

}  // namespace

std::string TaskName(std::string_view name) {
  return std::string(name.substr(0, kMaxTaskNameLength));
}

void LogGranted(Transfers& transfers, const Request& request, bool download, const char* log_text,
                std::string_view name) {
  TransferServices& services = transfers.services;
  ++(download ? services.stats.download_counter : services.stats.upload_counter);
  services.stats.Refresh();
  const ClientSession& client = request.client;
  services.log.Line(client.LogWho(), Quote(log_text, name));
  const std::string address = AddressText(client.address);
  const LogActor actor{address, client.login, client.display_name};
  if (download) {
    services.log_files.Download(actor, name);
  } else {
    services.log_files.Upload(actor, name);
  }
}

void RegisterDownloadHandlers(DispatchTable& table, Transfers& transfers) {
  table.Register(kTranDownloadFile, DownloadFile, transfers);
  table.Register(kTranDownloadFolder, DownloadFolder, transfers);
  table.Register(kTranDownloadBanner, DownloadBanner, transfers);
  table.Register(kTranCancelDownload, CancelDownload, transfers);
}

}  // namespace vantrel
