#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// The answers of the file operations and their log lines. Each is ASCII but for
// at most one "“%#s”" (written in UTF-8 here), the place of the item's name
// between the curly quotes; Quote fills it in, with the quotes as the Mac Roman
// bytes 0xD2 and 0xD3. Texts without it are sent as they are.

inline constexpr const char* kCannotListText =
    "Cannot get file list because the specified folder could not be found.";

inline constexpr const char* kDeleteMissingText =
    "Cannot delete “%#s” because it does not exist or cannot be found.";
inline constexpr const char* kDeleteFoldersRefusedText = "You are not allowed to delete folders.";
inline constexpr const char* kDeleteFilesRefusedText = "You are not allowed to delete files.";
inline constexpr const char* kDeleteFailedText = "Cannot delete “%#s”:";

inline constexpr const char* kCreateFoldersRefusedText = "You are not allowed to create folders.";
inline constexpr const char* kCreateFolderNoEnclosingText =
    "Cannot create folder “%#s” because the enclosing folder could not be found.";
inline constexpr const char* kCreateFolderExistsText =
    "Cannot create folder “%#s” because there is already a file or folder with that name.";
inline constexpr const char* kCreateFolderFailedText = "Cannot create folder “%#s”:";

inline constexpr const char* kGetInfoMissingText =
    "Cannot get info because there is no file/folder named “%#s”.";

inline constexpr const char* kSetInfoMissingText =
    "Cannot set info because there is no file/folder named “%#s”.";
inline constexpr const char* kFolderCommentsRefusedText =
    "You are not allowed set comments for folders.";
inline constexpr const char* kFileCommentsRefusedText =
    "You are not allowed set comments for files.";
inline constexpr const char* kRenameFoldersRefusedText = "You are not allowed to rename folders.";
inline constexpr const char* kRenameFilesRefusedText = "You are not allowed to rename files.";
inline constexpr const char* kRenameDropBoxesRefusedText =
    "You are not allowed to rename drop boxes.";
inline constexpr const char* kHackRefusedText = "You are not allowed to hack servers.";
inline constexpr const char* kSetInfoFailedText = "Cannot set info for “%#s”:";

inline constexpr const char* kMoveMissingText =
    "Cannot move because there is no file/folder named “%#s”.";
inline constexpr const char* kMoveFoldersRefusedText = "You are not allowed to move folders.";
inline constexpr const char* kMoveFilesRefusedText = "You are not allowed to move files.";
inline constexpr const char* kMoveNoDestinationText =
    "Cannot move “%#s” because the destination folder could not be found.";
inline constexpr const char* kMoveExistsText =
    "Cannot move “%#s” because there is already a file/folder in the destination folder with "
    "the same name.";
inline constexpr const char* kMoveIntoItselfText =
    "Cannot move “%#s” into itself or into a subfolder of itself.";
inline constexpr const char* kMoveBetweenDisksText = "Cannot move “%#s” between different disks.";
inline constexpr const char* kMoveFailedText = "Cannot move “%#s”:";

inline constexpr const char* kAliasesRefusedText = "You are not allowed to make aliases.";
inline constexpr const char* kAliasMissingText =
    "Cannot make alias because there is no file/folder named “%#s”.";
inline constexpr const char* kAliasNoDestinationText =
    "Cannot make alias of “%#s” because the destination folder could not be found.";
inline constexpr const char* kAliasExistsText =
    "Cannot make alias of “%#s” because there is already a file/folder in the destination "
    "folder with the same name.";
inline constexpr const char* kAliasFailedText = "Cannot make alias of “%#s”:";

// The log window's lines of the changes.
inline constexpr const char* kDeleteLogText = "Delete “%#s”";
inline constexpr const char* kCreateFolderLogText = "Create folder “%#s”";
inline constexpr const char* kMoveLogText = "Move “%#s”";
inline constexpr const char* kAliasLogText = "Alias “%#s”";

// `text` with its "“%#s”" replaced by 0xD2, `name` (Mac Roman) and 0xD3.
// REQUIRES: `text` holds "“%#s”".
std::string Quote(std::string_view text, std::string_view name);

}  // namespace vantrel
