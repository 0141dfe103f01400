#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "route.h"

namespace vantrel::transfer {

// What the tool does: download files from the Vantrel server, upload one to
// it, or read a process's CPU time and memory for a script.
enum class Mode { kDownload, kUpload, kProbe };

// Limits of one run.
// Most clients downloading at once: each has its own thread, source address
// and two connections.
inline constexpr size_t kMaxClients = 200;
// Longest file or folder name: its length is one byte in a path field.
inline constexpr size_t kMaxName = 255;

// One run against the Vantrel server on 127.0.0.1 (or one probe).
struct TransferOptions {
  Mode mode = Mode::kDownload;
  uint16_t server_port = 0;
  // The file, as the server names it: with more than one client, client i
  // (from 1) downloads "NAME-i".
  std::string name;
  std::string folder;  // a folder at the top of the shared files; empty = the top
  size_t clients = 1;  // download
  uint64_t size = 0;   // upload: bytes of data
  // The folder on disk that holds the files (the server's Files/ or a folder
  // in it); empty = no check of the bytes.
  std::string verify;
  // download: how the transfer connections reach P + 1 (the session stays plain).
  tunnel_client::Route route;
  int pid = 0;  // probe
};

// The usage text printed for --help and after a wrong argument.
extern const char* const kUsage;

// Parses the command line (argv[1] on). Returns the options, or nothing: with
// `error` empty when help was asked for, else with a one-line reason. Names
// must be ASCII without ':' or '/' (the tool sends them as Mac Roman); an
// upload's flattened bytes must fit in 4 bytes; a route goes with a download.
std::optional<TransferOptions> ParseCommandLine(int argc, const char* const* argv,
                                                std::string& error);

// The name client `index` (from 0) downloads.
std::string ClientFileName(const TransferOptions& options, size_t index);

}  // namespace vantrel::transfer
