#include <string>

#include "files/date_stamp.h"
#include "files/file_handlers.h"
#include "files/file_texts.h"
#include "files/folder_listing.h"
#include "files/host_names.h"
#include "files/item_names.h"
#include "files/request_item.h"
#include "platform/exception.h"
#include "protocol/error_reply.h"
#include "protocol/field_ids.h"
#include "protocol/field_text.h"
#include "protocol/transaction_types.h"
#include "server/client_session.h"

namespace vantrel {
namespace {

// Descriptions of type and creator codes for file information; other codes are
// sent as their four bytes.
struct CodeDescription {
  FourCharCode code;
  const char* text;
};
constexpr CodeDescription kTypeDescriptions[] = {
    {MakeFourCharCode("APPL"), "Application Program"},
    {MakeFourCharCode("VNbm"), "Vantrel Bookmark"},
    {MakeFourCharCode("VNft"), "Incomplete File"},
    {MakeFourCharCode("SITD"), "StuffIt Archive"},
    {MakeFourCharCode("TEXT"), "Text File"},
};
constexpr CodeDescription kCreatorDescriptions[] = {
    {MakeFourCharCode("VNLC"), "Vantrel"},
    {MakeFourCharCode("VRSV"), "Vantrel"},
    {MakeFourCharCode("SIT!"), "StuffIt"},
    {MakeFourCharCode("ttxt"), "SimpleText"},
};

constexpr KindPrivilege kCommentPrivilege = {kPrivilegeSetFolderComments,
                                             kFolderCommentsRefusedText, kPrivilegeSetFileComments,
                                             kFileCommentsRefusedText};
constexpr KindPrivilege kRenamePrivilege = {kPrivilegeRenameFolders, kRenameFoldersRefusedText,
                                            kPrivilegeRenameFiles, kRenameFilesRefusedText};

std::string CodeText(const FourCharCode& code) {
  return {code.begin(), code.end()};
}

template <size_t N>
std::string Describe(const CodeDescription (&table)[N], const FourCharCode& code) {
  for (const CodeDescription& entry : table) {
    if (entry.code == code) return entry.text;
  }
  return CodeText(code);
}

std::string NameOf(const std::filesystem::path& host) {
  return WireName(host.filename().native());
}

// 200: the entries of the folder the path names (the session root for a path
// shorter than 6 bytes); in a drop box, without the privilege to view drop
// boxes, only incomplete uploads.
void GetFileList(FileServices& files, Request& request) {
  const std::filesystem::path root = files.tree.SessionRoot(request.client.login);
  const ItemReference folder = files.tree.Resolve(root, request.fields.Data(kFieldFilePath),
                                                  std::nullopt, kFollowShortcuts | kFailQuietly);
  if (folder.kind != ItemKind::kFolder) {
    SendErrorReply(request.transaction, kCannotListText);
    return;
  }
  const bool incomplete_only = !request.client.privileges.Test(kPrivilegeViewDropBoxes) &&
                               MentionsDropBox(NameOf(folder.host));
  UFieldData reply;
  for (const ListedItem& item : ListItems(files.tree.Disk(), folder.host)) {
    if (incomplete_only && item.type != kTypeIncompleteFile) continue;
    reply.AddField(kFieldFileListEntry, FileListEntry(item));
  }
  request.transaction.SendReply(reply);
}

// The type, creator and size fields of 206 for an item of `kind`, whose target
// (itself unless a shortcut) is at `target`.
void AddKindFields(FileSystem& disk, ItemKind kind, const std::filesystem::path& target,
                   UFieldData& reply) {
  switch (kind) {
    case ItemKind::kFile:
    case ItemKind::kShortcutToFile: {
      const TypeAndCreator codes = TypeAndCreatorForName(NameOf(target));
      const auto status = disk.Stat(target, LinkHandling::kFollow);
      reply.AddField(kFieldFileType, codes.type);
      reply.AddText(kFieldFileTypeText, kind == ItemKind::kFile
                                            ? Describe(kTypeDescriptions, codes.type)
                                            : CodeText(codes.type) + " (alias)");
      reply.AddText(kFieldFileCreatorText, Describe(kCreatorDescriptions, codes.creator));
      reply.AddInteger(kFieldFileSize, status ? static_cast<uint32_t>(status->size) : 0);
      return;
    }
    case ItemKind::kFolder:
    case ItemKind::kShortcutToFolder:
      reply.AddField(kFieldFileType, kTypeFolder);
      reply.AddText(kFieldFileTypeText, kind == ItemKind::kFolder ? "Folder" : "Folder Alias");
      reply.AddText(kFieldFileCreatorText, "n/a");
      return;
    default:
      reply.AddField(kFieldFileType, kTypeAlias);
      reply.AddText(kFieldFileTypeText, "Unattached Alias");
      reply.AddText(kFieldFileCreatorText, "n/a");
      return;
  }
}

// 206: type, creator, size and dates of an item; a shortcut is described by
// its target but keeps its own name.
void GetFileInfo(FileServices& files, Request& request) {
  const auto [root, name, item] = ResolveRequestedItem(files.tree, request, kFailQuietly);
  if (!Exists(item.kind)) {
    SendErrorReply(request.transaction, Quote(kGetInfoMissingText, name));
    return;
  }
  std::filesystem::path target = item.host;
  if (item.kind == ItemKind::kShortcutToFile || item.kind == ItemKind::kShortcutToFolder) {
    files.tree.Classify(root, target, kFollowShortcuts | kFailQuietly);
  }

  UFieldData reply;
  AddKindFields(files.tree.Disk(), item.kind, target, reply);
  reply.AddText(kFieldFileName, NameOf(item.host));
  if (item.kind != ItemKind::kUnattachedAlias) {
    const auto status = files.tree.Disk().Stat(target, LinkHandling::kFollow);
    const FileStatus times = status.value_or(FileStatus{});
    reply.AddField(kFieldFileCreated, DateStampOf(times.creation_time));
    reply.AddField(kFieldFileModified, DateStampOf(times.modification_time));
    // The comment (field 210) is always empty: no comments are kept, and an
    // empty text is no field at all.
  }
  request.transaction.SendReply(reply);
}

// The rename step of 207: the privileges, then the new name in place. Answers
// and returns false when the request is refused or fails.
bool RenameItem(FileServices& files, Request& request, const ItemReference& item,
                std::string_view name, std::string_view new_name) {
  if (!HasKindPrivilege(request, item.kind, kRenamePrivilege)) return false;
  if (!request.client.privileges.Test(kPrivilegeViewDropBoxes) && MentionsDropBox(name)) {
    SendErrorReply(request.transaction, kRenameDropBoxesRefusedText);
    return false;
  }
  const std::string sanitised = SanitiseName(new_name);
  if (!HasShortcutSuffix(NameOf(item.host)) && HasShortcutSuffix(sanitised)) {
    SendErrorReply(request.transaction, kHackRefusedText);
    return false;
  }
  try {
    const std::filesystem::path renamed =
        item.host.parent_path() /
        HostEntryName(files.tree.Disk(), item.host.parent_path(), sanitised);
    if (renamed != item.host) files.tree.Disk().MoveItem(item.host, renamed);
  } catch (const Omberly::CException& failure) {
    SendFailureReply(request.transaction, Quote(kSetInfoFailedText, name), failure);
    return false;
  }
  return true;
}

// 207: the comment (checked, then dropped: none are kept) and the name of an item.
void SetFileInfo(FileServices& files, Request& request) {
  const auto [root, name, item] = ResolveRequestedItem(files.tree, request, kFailQuietly);
  if (!Exists(item.kind)) {
    SendErrorReply(request.transaction, Quote(kSetInfoMissingText, name));
    return;
  }
  if (request.fields.Find(kFieldFileComment) != 0 && item.kind != ItemKind::kUnattachedAlias &&
      !HasKindPrivilege(request, item.kind, kCommentPrivilege)) {
    return;
  }
  const std::string_view new_name = FieldText(request.fields, kFieldFileNewName, kMaxNewNameField);
  if (!new_name.empty() && new_name != name && !RenameItem(files, request, item, name, new_name)) {
    return;
  }
  request.transaction.SendReply(UFieldData());
}

}  // namespace

void RegisterBrowseHandlers(DispatchTable& table, FileServices& files) {
  table.Register(kTranGetFileList, GetFileList, files);
  table.Register(kTranGetFileInfo, GetFileInfo, files);
  table.Register(kTranSetFileInfo, SetFileInfo, files);
}

}  // namespace vantrel
