#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "client/server_connection.h"
#include "platform/client_socket.h"

namespace vantrel::client {

// Where transfer connections go: the server's host and its transfer port (the
// client port + 1), and the pump their waits call (tests; none otherwise).
struct TransferPort {
  std::string host;
  uint16_t port = 0;
  ClientSocket::Pump pump;
};

// What a transfer tells as it goes. `progress` gets the file's bytes held and
// its whole size after every piece, and may answer false to interrupt the
// transfer (what arrived stays, to be resumed); `notice` gets texts to show
// (UTF-8), such as the download queue's position.
struct TransferObserver {
  std::function<bool(uint64_t done, uint64_t total)> progress;
  std::function<void(std::string_view)> notice;
};

struct TransferResult {
  bool ok = false;
  std::string error;    // UTF-8: the server's refusal or what went wrong
  uint64_t offset = 0;  // where a resumed transfer went on
  uint64_t size = 0;    // the file's whole size
};

// The suffix of a file still arriving; the same as the server's partial uploads.
inline constexpr std::string_view kPartialSuffix = ".vpf";

// Downloads the file named by `remote` (Mac Roman levels, its name last) into
// `local`. The bytes go into `local` + ".vpf" first, from whose length a later
// download resumes; the file is renamed to `local` when complete. Refuses when
// `local` exists. Waits its turn when the server queues the download.
TransferResult Download(ServerConnection& server, const TransferPort& transfers,
                        const std::vector<std::string>& remote, const std::filesystem::path& local,
                        const TransferObserver& observer);

// Uploads the file `local` into the folder named by `folder` (Mac Roman
// levels; none for the top), under its own name. When the folder holds an
// unfinished upload of that name, the upload resumes it.
TransferResult Upload(ServerConnection& server, const TransferPort& transfers,
                      const std::filesystem::path& local, const std::vector<std::string>& folder,
                      const TransferObserver& observer);

}  // namespace vantrel::client
