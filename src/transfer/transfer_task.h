#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/transport.h"
#include "transfer/flattened_file.h"
#include "transfer/folder_walker.h"

namespace vantrel {

struct ClientSession;

// The pacing of a download: how much may wait unsent on its connection.
inline constexpr uint32_t kWindowStep = 102'400;
inline constexpr uint32_t kMaxWindow = 2'097'152;

// The longest name a task keeps (for the log and the client information).
inline constexpr size_t kMaxTaskNameLength = 31;

// One granted transfer, named by its reference number. Owned by the transfer
// lists; core thread only. The owner is the session that asked for it, or null
// once that session has left (the next pass then ends the task).
struct TransferTask {
  uint32_t reference = 0;
  ClientSession* owner = nullptr;
  uint16_t owner_id = 0;
  std::unique_ptr<Transport> connection;  // none until the client connects
  // When the task was made (a download: when it left the queue); an upload's
  // last activity.
  uint32_t time = 0;
  std::string name;  // at most kMaxTaskNameLength bytes, Mac Roman

  // The task's connection, when it has one that its peer has not closed.
  bool Connected() const { return connection && connection->IsConnected(); }
};

// The sending side of a download: its window and what it has sent.
struct Pacing {
  uint32_t window = kWindowStep;
  uint32_t last_send_time = 0;
  bool has_sent = false;
};

// A file download: the flattened file, or in view mode its raw bytes.
struct FileDownload : TransferTask {
  std::unique_ptr<FileFlattener> flattener;  // released once everything is queued
  std::shared_ptr<ReadableFile> view_file;   // view mode only
  uint32_t view_offset = 0;
  uint32_t size = 0;  // bytes to send
  uint32_t sent = 0;  // bytes queued on the connection
  Pacing pacing;
};

// A folder download's dialogue with its client.
enum class FolderDownloadState : uint8_t {
  kWaitingForClient,  // for its action code before the next item
  kFileOffered,       // for its answer to an offered file
  kRecordLength,      // for the length of a resume record
  kRecord,            // for the resume record
  kSending,           // the current file's flattened bytes
};

struct FolderDownload : TransferTask {
  std::unique_ptr<FolderWalker> walker;
  const WalkedItem* current = nullptr;
  std::unique_ptr<FileFlattener> flattener;  // the current file's
  uint64_t remaining_total = 0;              // bytes still to send in all, as first announced
  uint64_t sent_total = 0;
  uint32_t item_size = 0;  // the current file's flattened size
  uint32_t item_sent = 0;
  uint16_t record_length = 0;
  FolderDownloadState state = FolderDownloadState::kWaitingForClient;
  Pacing pacing;
};

struct BannerDownload : TransferTask {
  bool sent = false;
};

// A file upload: the partial file (".vpf") being written.
struct FileUpload : TransferTask {
  std::filesystem::path partial;
  std::unique_ptr<FileUnflattener> unflattener;
  uint32_t received = 0;
  uint32_t expected = 0;  // the request's size, then the transfer header's
};

// A folder upload's dialogue with its client.
enum class FolderUploadState : uint8_t {
  kStart,         // action 3 is to be sent
  kHeaderLength,  // waiting for an item header's length
  kHeader,        // waiting for the item header
  kItemSize,      // waiting for the size of a file's flattened bytes
  kItemData,      // receiving them
};

struct FolderUpload : TransferTask {
  std::filesystem::path folder;   // the uploaded folder
  std::filesystem::path partial;  // the current file's partial file
  std::unique_ptr<FileUnflattener> unflattener;
  uint64_t total_size = 0;  // the request's size, less what was already there
  uint64_t received_total = 0;
  uint32_t item_count = 0;
  uint32_t items_done = 0;
  uint32_t item_size = 0;
  uint32_t item_received = 0;
  uint16_t header_length = 0;
  FolderUploadState state = FolderUploadState::kStart;
};

}  // namespace vantrel
