#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <iosfwd>

#include "transfer_options.h"

namespace vantrel::transfer {

// Longest time a client may take to log in, and then to transfer its file
// (1 GiB at 10 MB/s takes some 100 s); past them the run fails.
inline constexpr std::chrono::seconds kLoginTimeout{30};
inline constexpr std::chrono::seconds kTransferTimeout{600};

// The source addresses of the clients: download client i binds to
// load::SourceAddress(kDownloadSourceBase, i), the upload's client to the
// first of kUploadSourceBase.
inline constexpr uint32_t kDownloadSourceBase = 0x7F0D0000;  // 127.13.0.0
inline constexpr uint32_t kUploadSourceBase = 0x7F0E0000;    // 127.14.0.0

// What one run measured.
struct TransferFigures {
  size_t files = 0;
  uint64_t data_bytes = 0;    // of the files' data
  uint64_t stream_bytes = 0;  // of the flattened files, their headers and forks included
  double seconds = 0;         // as each mode counts its time
  size_t queued = 0;          // downloads that waited for their turn
  bool verified = false;      // every byte checked against the file on disk
};

// Writes a line for readers, then one "figures: mode=... files=... data_bytes=...
// stream_bytes=... seconds=... bytes_per_s=... queued=... verified=yes|no" for
// scripts (bench/transfer/compare.sh reads it).
void PrintFigures(Mode mode, const TransferFigures& figures, std::ostream& out);

}  // namespace vantrel::transfer
