#include <string>

#include "files/file_texts.h"
#include "files/host_names.h"
#include "files/item_names.h"
#include "files/path_field.h"
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

constexpr std::string_view kPartialSuffix = ".vpf";

// Whether the disk holding `folder` has room for `size` bytes and the spare.
// A free space that cannot be learnt counts as room.
bool HasRoomFor(FileSystem& disk, const std::filesystem::path& folder, uint64_t size) {
  try {
    return disk.FreeSpace(folder) >= size + kUploadSpareBytes;
  } catch (const Omberly::CException&) {
    return true;
  }
}

// The answer to a failure while an upload was being set up: the whole text
// within the 255 bytes of a fixed message.
void SendUploadFailure(Request& request, std::string_view name,
                       const Omberly::CException& failure) {
  SendErrorReply(request.transaction, FailureReplyText(Quote(kUploadFailedText, name), failure));
}

// Steps 6 to 8 of 203: the partial file and the task. Answers refusals itself
// and returns null then.
std::unique_ptr<FileUpload> PrepareFileUpload(Transfers& transfers, Request& request,
                                              const std::filesystem::path& folder,
                                              const std::string& name,
                                              const std::string& partial_name, bool resume,
                                              UFieldData& reply) {
  FileSystem& disk = transfers.services.tree.Disk();
  const FileTree& tree = transfers.services.tree;
  const std::filesystem::path root = tree.SessionRoot(request.client.login);
  auto task = std::make_unique<FileUpload>();
  task->partial = folder / HostEntryName(disk, folder, partial_name);
  if (resume) {
    std::filesystem::path partial = task->partial;
    const ItemKind kind = tree.Classify(root, partial, kFollowShortcuts | kFailQuietly);
    if (kind != ItemKind::kFile) {
      SendErrorReply(request.transaction, Quote(kResumeMissingText, name));
      return nullptr;
    }
    const TypeAndCreator codes = TypeAndCreatorForName(WireName(partial.filename().native()));
    if (codes.type != kTypeIncompleteFile || codes.creator != MakeFourCharCode("VNLC")) {
      SendErrorReply(request.transaction, Quote(kResumeCompleteText, name));
      return nullptr;
    }
    task->partial = partial;
    task->unflattener = std::make_unique<FileUnflattener>(disk, task->partial);
    reply.AddField(kFieldResumeRecord, UploadResumeRecord(task->unflattener->StartOffset()));
    return task;
  }
  const std::filesystem::path final_path = folder / HostEntryName(disk, folder, name);
  const uint32_t size = request.fields.ReadInteger(kFieldTransferSize);
  if (disk.Stat(final_path, LinkHandling::kNoFollow)) {
    SendErrorReply(request.transaction, Quote(kUploadExistsText, name));
    return nullptr;
  }
  if (!HasRoomFor(disk, folder, size)) {
    transfers.services.log.Line(request.client.LogWho(), kNoSpaceLogText);
    SendErrorReply(request.transaction, Quote(kUploadNoSpaceText, name));
    return nullptr;
  }
  if (disk.Stat(task->partial, LinkHandling::kNoFollow)) {
    SendErrorReply(request.transaction, Quote(kUploadExistsText, name));
    return nullptr;
  }
  try {
    disk.WriteFile(task->partial, {});
    task->unflattener = std::make_unique<FileUnflattener>(disk, task->partial);
  } catch (const Omberly::CException&) {
    disk.RemoveLeftover(task->partial);
    throw;
  }
  return task;
}

// 203: a file into the folder the path names, written as NAME.vpf until complete.
void UploadFile(Transfers& transfers, Request& request) {
  ClientSession& client = request.client;
  if (!client.privileges.Test(kPrivilegeUploadFiles)) {
    SendErrorReply(request.transaction, kUploadFilesRefusedText);
    return;
  }
  const std::string name = SanitiseName(RequestItemName(request));
  const bool has_partial_suffix = EndsWithIgnoringCase(name, kPartialSuffix);
  const std::string_view bare =
      has_partial_suffix ? std::string_view(name).substr(0, name.size() - kPartialSuffix.size())
                         : std::string_view(name);
  if (HasShortcutSuffix(bare)) {
    SendErrorReply(request.transaction, kUploadShortcutsRefusedText);
    return;
  }
  const FileTree& tree = transfers.services.tree;
  const std::filesystem::path root = tree.SessionRoot(client.login);
  const std::span<const uint8_t> path = request.fields.Data(kFieldFilePath);
  const ItemReference folder =
      tree.Resolve(root, path, std::nullopt, kFollowShortcuts | kFailQuietly);
  if (folder.kind != ItemKind::kFolder) {
    SendErrorReply(request.transaction, Quote(kUploadNoFolderText, name));
    return;
  }
  const std::vector<std::string> levels = PathLevels(path);
  if (!client.privileges.Test(kPrivilegeUploadAnywhere) &&
      (levels.empty() || !IsUploadsFolderName(levels.back()))) {
    SendErrorReply(request.transaction, Quote(kUploadOnlyToUploadsText, name));
    return;
  }
  // A name already ending in ".vpf" is its own partial name.
  const bool own_partial = name.size() >= 5 && name.ends_with(kPartialSuffix);
  const std::string partial_name = own_partial ? name : name + std::string(kPartialSuffix);
  const std::string task_name =
      own_partial ? name.substr(0, name.size() - kPartialSuffix.size()) : name;
  const bool resume = request.fields.ReadInteger(kFieldTransferOptions) == kOptionResume;

  UFieldData reply;
  std::unique_ptr<FileUpload> task;
  try {
    task = PrepareFileUpload(transfers, request, folder.host, name, partial_name, resume, reply);
    if (!task) return;
    task->reference = transfers.lists.NextReference(false);
    task->owner = &client;
    task->owner_id = client.user_id;
    task->time = request.now;
    task->name = TaskName(task_name);
    task->expected = request.fields.ReadInteger(kFieldTransferSize);
    reply.AddField(kFieldReferenceNumber, ReferenceBytes(task->reference));
  } catch (const Omberly::CException& failure) {
    if (resume && failure.ErrorClass() == kErrorClassFile && failure.Code() == kErrorCodeInUse) {
      SendErrorReply(request.transaction, Quote(kResumeInUseText, name));
    } else {
      SendUploadFailure(request, name, failure);
    }
    return;
  }
  transfers.lists.file_uploads.push_back(std::move(task));
  request.transaction.SendReply(reply);
  LogGranted(transfers, request, false, kUploadLogText, name);
}

// 213: a folder into the folder the path names; its items follow on the
// transfer connection.
void UploadFolder(Transfers& transfers, Request& request) {
  ClientSession& client = request.client;
  if (!client.privileges.Test(kPrivilegeUploadFolders)) {
    SendErrorReply(request.transaction, kUploadFoldersRefusedText);
    return;
  }
  const std::string name = SanitiseName(RequestItemName(request));
  const FileTree& tree = transfers.services.tree;
  FileSystem& disk = tree.Disk();
  const std::filesystem::path root = tree.SessionRoot(client.login);
  const std::span<const uint8_t> path = request.fields.Data(kFieldFilePath);
  const ItemReference destination =
      tree.Resolve(root, path, std::nullopt, kFollowShortcuts | kFailQuietly);
  if (destination.kind != ItemKind::kFolder) {
    SendErrorReply(request.transaction, Quote(kFolderUploadNoFolderText, name));
    return;
  }
  if (!client.privileges.Test(kPrivilegeUploadAnywhere) &&
      !IsUploadsFolderName(WireName(destination.host.filename().native()))) {
    SendErrorReply(request.transaction, Quote(kFolderUploadOnlyToUploadsText, name));
    return;
  }
  const bool resume = request.fields.ReadInteger(kFieldTransferOptions) == kOptionResume;
  const uint32_t total = request.fields.ReadInteger(kFieldTransferSize);
  const uint32_t count = request.fields.ReadInteger(kFieldItemCount);
  bool created = false;
  ItemReference folder;
  try {
    folder = tree.Resolve(root, path, name, kFollowShortcuts | kFailQuietly);
    if (resume && !Exists(folder.kind)) {
      SendErrorReply(request.transaction, Quote(kFolderResumeMissingText, name));
      return;
    }
    if (resume && folder.kind != ItemKind::kFolder) {
      SendErrorReply(request.transaction, Quote(kFolderResumeIsFileText, name));
      return;
    }
    if (!resume && Exists(folder.kind)) {
      SendErrorReply(request.transaction, Quote(kFolderUploadExistsText, name));
      return;
    }
    if (!HasRoomFor(disk, destination.host, total)) {
      transfers.services.log.Line(client.LogWho(), kNoSpaceForFolderLogText);
      SendErrorReply(request.transaction, Quote(kFolderUploadNoSpaceText, name));
      return;
    }
    created = disk.CreateFolder(folder.host);
  } catch (const Omberly::CException& failure) {
    if (created) disk.RemoveFolder(folder.host);
    SendUploadFailure(request, name, failure);
    return;
  }

  UFieldData reply;
  if (count != 0) {
    auto task = std::make_unique<FolderUpload>();
    task->reference = transfers.lists.NextReference(false);
    task->owner = &client;
    task->owner_id = client.user_id;
    task->time = request.now;
    task->name = TaskName(name);
    task->folder = folder.host;
    task->total_size = total;
    task->item_count = count;
    reply.AddField(kFieldReferenceNumber, ReferenceBytes(task->reference));
    transfers.lists.folder_uploads.push_back(std::move(task));
  }
  request.transaction.SendReply(reply);
  LogGranted(transfers, request, false, kUploadFolderLogText, name);
}

}  // namespace

void RegisterUploadHandlers(DispatchTable& table, Transfers& transfers) {
  table.Register(kTranUploadFile, UploadFile, transfers);
  table.Register(kTranUploadFolder, UploadFolder, transfers);
}

}  // namespace vantrel
