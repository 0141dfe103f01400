// Feeds an arbitrary upload stream, in arbitrary pieces, to the unflattener
// over a temporary file. Besides never crashing, it raises only class 1 (a
// damaged stream) or class 4 (the file), and never writes more bytes to the
// file than it was fed.
//
// Input: one byte whose low 2 bits give how many piece sizes follow (1 to 4),
// those sizes (each byte + 1), then the stream, fed in those sizes in turn.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>

#include <unistd.h>

#include "platform/exception.h"
#include "platform/file_system.h"
#include "transfer/flattened_file.h"

namespace {

namespace fs = std::filesystem;

// The upload's file, made once per process under the temporary folder.
struct UploadFile {
  UploadFile()
      : folder(fs::temp_directory_path() /
               ("vantrel-unflatten-fuzz-" + std::to_string(::getpid()))) {
    fs::create_directories(folder);
  }
  ~UploadFile() { fs::remove_all(folder); }

  fs::path folder;
  fs::path path = folder / "upload.vpf";
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static UploadFile upload;
  if (size == 0) return 0;
  const size_t sizes = (data[0] & 3) + 1;
  if (size < 1 + sizes) return 0;
  const std::span<const uint8_t> pieces(data + 1, sizes);
  const std::span<const uint8_t> stream(data + 1 + sizes, size - 1 - sizes);

  std::ofstream(upload.path, std::ios::binary | std::ios::trunc);
  size_t fed = 0;
  {
    vantrel::FileUnflattener unflattener(vantrel::FileSystem::Default(), upload.path);
    if (unflattener.StartOffset() != 0) std::abort();
    try {
      for (size_t piece = 0; fed < stream.size(); ++piece) {
        const size_t n = std::min<size_t>(pieces[piece % sizes] + 1, stream.size() - fed);
        fed += n;
        unflattener.Write(stream.subspan(fed - n, n));
      }
    } catch (const Omberly::CException& failure) {
      if (failure.ErrorClass() != vantrel::kErrorClassFormat &&
          failure.ErrorClass() != vantrel::kErrorClassFile) {
        std::abort();
      }
    }
  }
  if (fs::file_size(upload.path) > fed) std::abort();
  return 0;
}
