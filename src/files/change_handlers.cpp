#include <string>

#include "files/file_handlers.h"
#include "files/file_texts.h"
#include "files/item_names.h"
#include "files/request_item.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "server/client_session.h"

namespace vantrel {
namespace {

constexpr KindPrivilege kDeletePrivilege = {kPrivilegeDeleteFolders, kDeleteFoldersRefusedText,
                                            kPrivilegeDeleteFiles, kDeleteFilesRefusedText};
constexpr KindPrivilege kMovePrivilege = {kPrivilegeMoveFolders, kMoveFoldersRefusedText,
                                          kPrivilegeMoveFiles, kMoveFilesRefusedText};

// Sends the empty reply of a change and logs it with the item's name.
void Done(FileServices& files, Request& request, const char* log_text, std::string_view name) {
  request.transaction.SendReply(UFieldData());
  files.log.Line(request.client.LogWho(), Quote(log_text, name));
}

// 204: the item to the trash: a folder with all it holds, a shortcut itself.
void DeleteFile(FileServices& files, Request& request) {
  const auto [root, name, item] = ResolveRequestedItem(files.tree, request, kFailQuietly);
  if (!Exists(item.kind)) {
    SendErrorReply(request.transaction, Quote(kDeleteMissingText, name));
    return;
  }
  if (!HasKindPrivilege(request, item.kind, kDeletePrivilege)) return;
  try {
    files.tree.Delete(item.host);
  } catch (const Omberly::CException& failure) {
    SendFailureReply(request.transaction, Quote(kDeleteFailedText, name), failure);
    return;
  }
  Done(files, request, kDeleteLogText, name);
}

// 205: a new folder of the sanitised name.
void NewFolder(FileServices& files, Request& request) {
  if (!request.client.privileges.Test(kPrivilegeCreateFolders)) {
    SendErrorReply(request.transaction, kCreateFoldersRefusedText);
    return;
  }
  const std::string name = SanitiseName(RequestItemName(request));
  try {
    const std::filesystem::path root = files.tree.SessionRoot(request.client.login);
    const ItemReference item =
        files.tree.Resolve(root, request.fields.Data(kFieldFilePath), name, kFailQuietly);
    if (item.kind == ItemKind::kNoFolder) {
      SendErrorReply(request.transaction, Quote(kCreateFolderNoEnclosingText, name));
      return;
    }
    if (Exists(item.kind) || !files.tree.Disk().CreateFolder(item.host)) {
      SendErrorReply(request.transaction, Quote(kCreateFolderExistsText, name));
      return;
    }
  } catch (const Omberly::CException& failure) {
    SendFailureReply(request.transaction, Quote(kCreateFolderFailedText, name), failure);
    return;
  }
  Done(files, request, kCreateFolderLogText, name);
}

// Answers a move that the file system refused.
void SendMoveFailure(Request& request, const Omberly::CException& failure, std::string_view name) {
  const char* text = nullptr;
  if (failure.ErrorClass() == kErrorClassFile) {
    switch (failure.Code()) {
      case kErrorCodeExists:
        text = kMoveExistsText;
        break;
      case kErrorCodeIntoItself:
        text = kMoveIntoItselfText;
        break;
      case kErrorCodeDifferentDisks:
        text = kMoveBetweenDisksText;
        break;
      default:
        break;
    }
  }
  if (text != nullptr) {
    SendErrorReply(request.transaction, Quote(text, name));
  } else {
    SendFailureReply(request.transaction, Quote(kMoveFailedText, name), failure);
  }
}

// 208: the item into the folder field 212 names, under its own name.
void MoveFile(FileServices& files, Request& request) {
  const auto [root, name, item] = ResolveRequestedItem(files.tree, request, kFailQuietly);
  if (!Exists(item.kind)) {
    SendErrorReply(request.transaction, Quote(kMoveMissingText, name));
    return;
  }
  if (!HasKindPrivilege(request, item.kind, kMovePrivilege)) return;
  const ItemReference destination = files.tree.Resolve(
      root, request.fields.Data(kFieldFileNewPath), std::nullopt, kFollowShortcuts | kFailQuietly);
  if (destination.kind != ItemKind::kFolder) {
    SendErrorReply(request.transaction, Quote(kMoveNoDestinationText, name));
    return;
  }
  try {
    files.tree.Disk().MoveItem(item.host, destination.host / item.host.filename());
  } catch (const Omberly::CException& failure) {
    SendMoveFailure(request, failure, name);
    return;
  }
  Done(files, request, kMoveLogText, name);
}

// 209: a shortcut to the item in the folder field 212 names, "name.lnk".
void MakeAlias(FileServices& files, Request& request) {
  if (!request.client.privileges.Test(kPrivilegeMakeAliases)) {
    SendErrorReply(request.transaction, kAliasesRefusedText);
    return;
  }
  const auto [root, name, source] = ResolveRequestedItem(files.tree, request, kFailQuietly);
  if (!Exists(source.kind)) {
    SendErrorReply(request.transaction, Quote(kAliasMissingText, name));
    return;
  }
  const ItemReference destination =
      files.tree.Resolve(root, request.fields.Data(kFieldFileNewPath), name, kFailQuietly);
  if (destination.kind == ItemKind::kNoFolder) {
    SendErrorReply(request.transaction, Quote(kAliasNoDestinationText, name));
    return;
  }
  std::filesystem::path link = destination.host;
  if (!HasShortcutSuffix(name)) link += ".lnk";
  try {
    files.tree.Disk().CreateSymbolicLink(source.host, link);
  } catch (const Omberly::CException& failure) {
    if (failure.ErrorClass() == kErrorClassFile && failure.Code() == kErrorCodeExists) {
      SendErrorReply(request.transaction, Quote(kAliasExistsText, name));
    } else {
      SendFailureReply(request.transaction, Quote(kAliasFailedText, name), failure);
    }
    return;
  }
  Done(files, request, kAliasLogText, name);
}

}  // namespace

void RegisterChangeHandlers(DispatchTable& table, FileServices& files) {
  table.Register(kTranDeleteFile, DeleteFile, files);
  table.Register(kTranNewFolder, NewFolder, files);
  table.Register(kTranMoveFile, MoveFile, files);
  table.Register(kTranMakeAlias, MakeAlias, files);
}

}  // namespace vantrel
