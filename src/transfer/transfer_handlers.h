#pragma once

#include <string>
#include <string_view>

#include "server/dispatch_table.h"
#include "transfer/transfer_services.h"

namespace vantrel {

// The free space an upload must leave on its disk beyond its own size.
inline constexpr uint64_t kUploadSpareBytes = 512'000;

// Transfer options (field 204).
inline constexpr uint32_t kOptionResume = 1;  // uploads
inline constexpr uint32_t kOptionView = 2;    // file downloads: the raw bytes

// Registers the download requests: 202 (file), 210 (folder), 212 (banner) and
// 214 (cancel a download).
void RegisterDownloadHandlers(DispatchTable& table, Transfers& transfers);

// Registers the upload requests: 203 (file) and 213 (folder).
void RegisterUploadHandlers(DispatchTable& table, Transfers& transfers);

// `name` cut to the length a task keeps.
std::string TaskName(std::string_view name);

// Counts a granted download or upload (after its reply was sent) and logs it:
// `log_text` with `name` in the log window, and a line in "Download Log.txt"
// or "Upload Log.txt".
void LogGranted(Transfers& transfers, const Request& request, bool download, const char* log_text,
                std::string_view name);

}  // namespace vantrel
