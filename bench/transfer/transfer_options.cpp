#include "transfer_options.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "flattened_stream.h"
#include "load_options.h"

namespace vantrel::transfer {
namespace {

using load::ParseNumber;

// Room in a name for the suffix "-200".
constexpr size_t kClientSuffixRoom = 4;

bool IsName(std::string_view name, size_t most) {
  if (name.empty() || name.size() > most) return false;
  return std::all_of(name.begin(), name.end(),
                     [](char c) { return c >= 0x20 && c < 0x7F && c != ':' && c != '/'; });
}

// Reads one option and its value into `options`; sets `error` when it cannot.
void ParseOption(std::string_view name, std::string_view value, TransferOptions& options,
                 std::string& error) {
  const Mode mode = options.mode;
  bool ok = false;
  if (name == "--pid" && mode == Mode::kProbe) {
    ok = ParseNumber<int>(value, 1, std::numeric_limits<int>::max(), options.pid);
  } else if (mode == Mode::kProbe) {
    error = "probe takes only --pid PID";
    return;
  } else if (name == "--port") {
    ok = ParseNumber<uint16_t>(value, 1, 65532, options.server_port);  // PORT to PORT + 3
  } else if (name == "--name") {
    ok = IsName(value, kMaxName - kClientSuffixRoom);
    if (ok) options.name = value;
  } else if (name == "--folder") {
    ok = IsName(value, kMaxName);
    if (ok) options.folder = value;
  } else if (name == "--verify") {
    ok = !value.empty();
    if (ok) options.verify = value;
  } else if (name == "--clients" && mode == Mode::kDownload) {
    ok = ParseNumber<size_t>(value, 1, kMaxClients, options.clients);
  } else if (name == "--size" && mode == Mode::kUpload) {
    ok = ParseNumber<uint64_t>(value, 0, std::numeric_limits<uint32_t>::max(), options.size);
  } else {
    error = "unknown option " + std::string(name);
    return;
  }
  if (!ok) error = "bad value for " + std::string(name) + ": " + std::string(value);
}

// The checks that need every option.
void CheckWhole(const TransferOptions& options, std::string& error) {
  if (options.mode == Mode::kProbe) {
    if (options.pid == 0) error = "--pid is required";
    return;
  }
  if (options.server_port == 0) {
    error = "--port is required";
  } else if (options.name.empty()) {
    error = "--name is required";
  } else if (options.mode == Mode::kUpload &&
             options.size + FlattenedHeadSize(options.name.size()) >
                 std::numeric_limits<uint32_t>::max()) {
    error = "--size too large: the flattened file's size must fit in 4 bytes";
  }
}

}  // namespace

const char* const kUsage =
    "Usage: vantrel_transfer download --port PORT --name NAME [--folder F] [--clients C]\n"
    "                                 [--verify DIR] [--tunnel | --proxy PX]\n"
    "       vantrel_transfer upload --port PORT --name NAME --size BYTES [--folder F]\n"
    "                               [--verify DIR]\n"
    "       vantrel_transfer probe --pid PID\n"
    "\n"
    "Transfers files with the Vantrel server on 127.0.0.1 as \"guest\" and prints the\n"
    "bytes of file data per second:\n"
    "  download  C clients (default 1), each from its own address 127.13.0.x, log in,\n"
    "            then all at once ask for a file (202) and read it from port PORT + 1;\n"
    "            one client downloads NAME, more download NAME-1 to NAME-C. The time\n"
    "            runs from the requests to the last byte of the last file\n"
    "  upload    logs in from 127.14.0.1, asks to upload NAME (203) and sends BYTES of\n"
    "            generated data as a flattened file; the time runs from its first byte\n"
    "            sent until the server closes the transfer connection, the file written\n"
    "  probe     prints the CPU time and the resident memory of the process PID\n"
    "Each run logs in once from each address: against one server, run it at most ten\n"
    "times in 30 s, or the server bans the address.\n"
    "\n"
    "  --port PORT   server port (required)\n"
    "  --name NAME   the file's name (required), ASCII without ':' or '/'\n"
    "  --folder F    the folder at the top of the shared files that holds it\n"
    "                (default: the top)\n"
    "  --clients C   clients downloading at once, 1 to 200\n"
    "  --size BYTES  the upload's data\n"
    "  --verify DIR  the folder on disk that holds the files: after a download, each\n"
    "                file's data must equal the file there; after an upload, the\n"
    "                file there must hold the data sent\n"
    "  --tunnel      download: each transfer connection through an HTTP tunnel to\n"
    "                PORT + 3 instead of plain TCP to PORT + 1 (sessions stay plain)\n"
    "  --proxy PX    download: the same tunnel through the HTTP proxy on 127.0.0.1:PX\n";

std::optional<TransferOptions> ParseCommandLine(int argc, const char* const* argv,
                                                std::string& error) {
  error.clear();
  if (argc < 2) {
    error = "no mode";
    return std::nullopt;
  }
  const std::string_view command = argv[1];
  if (command == "--help" || command == "-h") return std::nullopt;
  TransferOptions options;
  if (command == "download") {
    options.mode = Mode::kDownload;
  } else if (command == "upload") {
    options.mode = Mode::kUpload;
  } else if (command == "probe") {
    options.mode = Mode::kProbe;
  } else {
    error = "unknown mode " + std::string(command);
    return std::nullopt;
  }
  for (int i = 2; i < argc && error.empty();) {
    if (const int taken = tunnel_client::TakeRouteOption(argc, argv, i, options.route, error)) {
      if (error.empty() && options.mode != Mode::kDownload) {
        error = std::string(argv[i]) + " goes with download only";
      }
      i += taken;
    } else if (i + 1 >= argc) {
      error = std::string(argv[i]) + " needs a value";
    } else {
      ParseOption(argv[i], argv[i + 1], options, error);
      i += 2;
    }
  }
  if (error.empty()) CheckWhole(options, error);
  if (!error.empty()) return std::nullopt;
  return options;
}

std::string ClientFileName(const TransferOptions& options, size_t index) {
  if (options.clients == 1) return options.name;
  return options.name + "-" + std::to_string(index + 1);
}

}  // namespace vantrel::transfer
