#pragma once

namespace vantrel {

// The answers and log lines of the transfers, as file_texts.h writes them: ASCII
// but for at most one "“%#s”" (UTF-8 here), which Quote fills in with the curly
// quotes as the Mac Roman bytes 0xD2 and 0xD3.

inline constexpr const char* kDownloadFilesRefusedText = "You are not allowed to download files.";
inline constexpr const char* kNoFileToDownloadText =
    "Cannot download because there is no file named “%#s”.";
inline constexpr const char* kDownloadInDropBoxText =
    "Cannot download “%#s” because it is in a drop box.";

inline constexpr const char* kDownloadFoldersRefusedText =
    "You are not allowed to download folders.";
inline constexpr const char* kNoFolderToDownloadText =
    "Cannot download because there is no folder named “%#s”.";
inline constexpr const char* kFolderDropBoxRefusedText =
    "Cannot download “%#s” because you are not permitted to access drop boxes.";

inline constexpr const char* kUploadFilesRefusedText = "You are not allowed to upload files.";
inline constexpr const char* kUploadShortcutsRefusedText = "Cannot upload shortcuts.";
inline constexpr const char* kUploadNoFolderText =
    "Cannot accept upload of the file “%#s” because the specified folder could not be found.";
inline constexpr const char* kUploadOnlyToUploadsText =
    "Cannot accept upload of the file “%#s” because you are only allowed to upload to the "
    "\xD2Uploads\xD3 folder.";
inline constexpr const char* kResumeMissingText =
    "Cannot resume upload of the file “%#s” because it does not exist.";
inline constexpr const char* kResumeCompleteText =
    "Cannot resume upload of the file “%#s” because it is already fully transfered.";
inline constexpr const char* kUploadExistsText =
    "Cannot accept upload because there is already a file named “%#s”. Try choosing a different "
    "name.";
inline constexpr const char* kUploadNoSpaceText =
    "Cannot accept upload of the file “%#s” because there is not enough free disk space.";
inline constexpr const char* kResumeInUseText =
    "Cannot resume upload of the file “%#s” because it is already in use.";
inline constexpr const char* kUploadFailedText = "Cannot accept upload of “%#s”:";

inline constexpr const char* kUploadFoldersRefusedText = "You are not allowed to upload folders.";
inline constexpr const char* kFolderUploadNoFolderText =
    "Cannot accept upload of the folder “%#s” because the specified folder could not be found.";
inline constexpr const char* kFolderUploadOnlyToUploadsText =
    "Cannot accept upload of the folder “%#s” because you are only allowed to upload to the "
    "\xD2Uploads\xD3 folder.";
inline constexpr const char* kFolderResumeMissingText =
    "Cannot resume upload of the folder “%#s” because it does not exist.";
inline constexpr const char* kFolderResumeIsFileText =
    "Cannot resume upload because “%#s” is a file.";
inline constexpr const char* kFolderUploadExistsText =
    "Cannot accept upload because there is already a folder named “%#s”. Try choosing a "
    "different name.";
inline constexpr const char* kFolderUploadNoSpaceText =
    "Cannot accept upload of the folder “%#s” because there is not enough free disk space.";

// Log window lines.
inline constexpr const char* kDownloadLogText = "Download “%#s”";
inline constexpr const char* kViewLogText = "View “%#s”";
inline constexpr const char* kUploadLogText = "Upload “%#s”";
inline constexpr const char* kUploadFolderLogText = "Upload folder “%#s”";
inline constexpr const char* kNoSpaceLogText = "Not enough free disk space for upload";
inline constexpr const char* kNoSpaceForFolderLogText =
    "Not enough free disk space for folder upload";
inline constexpr const char* kConnectionFailedLogText = "Transfer connection establish failed!";
inline constexpr const char* kDownloadConnectedLogText = "Download connection established";
inline constexpr const char* kUploadConnectedLogText = "Upload connection established";
inline constexpr const char* kDownloadCompleteLogText = "Download complete";
inline constexpr const char* kDownloadClosedLogText = "Download connection closed";
inline constexpr const char* kBannerCompleteLogText = "Download banner complete";
inline constexpr const char* kUploadCompleteLogText = "Upload complete";
inline constexpr const char* kUploadAbortedLogText = "Upload aborted";
inline constexpr const char* kFolderItemFailedLogText = "Upload folder item failed";
inline constexpr const char* kFolderUploadCompleteLogText = "Upload folder complete";
inline constexpr const char* kDownloadNoResponseLogText = "Download aborted (no response)";
inline constexpr const char* kBannerNoResponseLogText = "Download banner aborted (no response)";
inline constexpr const char* kUploadNoResponseLogText = "Upload aborted (no response)";

}  // namespace vantrel
