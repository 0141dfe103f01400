#pragma once

#include <optional>
#include <string>

#include "transfer_figures.h"
#include "transfer_options.h"

namespace vantrel::transfer {

// Downloads with options.clients clients at once, one thread each: every
// client logs in as "guest" from its own address; once all have, each sends
// 202 (Download file), waits for its turn when the server queues it (211 with
// position 0), connects to port + 1 from the same address (by options.route:
// plain TCP, or an HTTP tunnel to port + 3, straight or through a proxy), sends
// the transfer header and reads exactly the bytes the reply announced as a
// flattened file (FlattenedReader), keeping its session open until then. Each file's data
// fork must hold the size the reply gave (207), and with options.verify the
// bytes of the file of that name there. The time runs from the requests to the
// last byte of the last file. Returns the figures, or nothing with `error` set
// at the first failure of any client. REQUIRES: options.mode == kDownload.
std::optional<TransferFigures> RunDownloads(const TransferOptions& options, std::string& error);

}  // namespace vantrel::transfer
