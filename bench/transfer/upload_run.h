#pragma once

#include <optional>
#include <string>

#include "transfer_figures.h"
#include "transfer_options.h"

namespace vantrel::transfer {

// Uploads one file: logs in as "guest", sends 203 (Upload file) announcing
// the flattened bytes, connects to port + 1 from the same address and sends
// the transfer header, then the flattened file with options.size bytes of
// data (UploadBlock repeated), and waits until the server closes the
// connection, which it does once the file is written. The time runs from the
// first byte sent on that connection to its close. With options.verify, the
// file of that name there must then hold the data sent. Returns the figures,
// or nothing with `error` set. REQUIRES: options.mode == kUpload.
std::optional<TransferFigures> RunUpload(const TransferOptions& options, std::string& error);

}  // namespace vantrel::transfer
