#pragma once

#include <cstdint>

#include "transfer/transfer_services.h"

namespace vantrel {

// The time-outs of transfers, in seconds.
// A task whose client has not connected this long after it was made (a
// download: after it left the queue) is dropped.
inline constexpr uint32_t kNoResponseSeconds = 500;
// An upload that received nothing this long is aborted.
inline constexpr uint32_t kUploadIdleSeconds = 120;
// Sends this close together let a download's window grow faster.
inline constexpr uint32_t kRecentSendSeconds = 10;

// The transfer passes, run after every processing pass in this order. Each
// ends the tasks whose owner left or whose connection closed, and those whose
// client never connected; a failure of one task's file is reported to the error
// handler and ends that task alone.

// A transfer connection that has not sent its header this long is closed, and
// the oldest of this many waiting for theirs makes room for a new one.
inline constexpr uint32_t kHeaderWaitSeconds = 60;
inline constexpr size_t kMaxUnidentifiedConnections = 1024;

// Keeps a new transfer connection until its header arrives.
void AddUnidentified(TransferLists& lists, std::unique_ptr<Transport> connection, uint32_t now);
// Reads the transfer headers of new transfer connections and gives each to its
// task; closes those without a header after kHeaderWaitSeconds.
void IdentifyConnections(Transfers& transfers, uint32_t now);
// Sends each connected banner download the banner, once.
void RunBannerPass(Transfers& transfers, uint32_t now);
// Sends each active file download its next buffer, as its window allows.
void RunFileDownloadPass(Transfers& transfers, uint32_t now);
// Runs each active folder download's dialogue and sends its next buffer.
void RunFolderDownloadPass(Transfers& transfers, uint32_t now);
// Writes what each file upload received; completes or aborts it.
void RunFileUploadPass(Transfers& transfers, uint32_t now);
// Runs each folder upload's dialogue and writes what it received.
void RunFolderUploadPass(Transfers& transfers, uint32_t now);
// Starts the waiting downloads whose turn has come (transaction 211 with
// position 0) and tells the others their new positions.
void RunQueuePass(Transfers& transfers, uint32_t now);

}  // namespace vantrel
