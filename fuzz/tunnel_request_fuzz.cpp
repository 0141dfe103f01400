// Feeds arbitrary bytes to the tunnel's request parser and, in pieces of the
// sizes the input chooses, to the chunk reader. Besides never crashing, a
// parsed head must lie within what was read and end with an empty line, and
// the reader's data must lie within the bytes it took, all of which it takes
// unless the stream ended.
//
// Input: one byte choosing the piece size for the reader (1 to 256), then the bytes.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>
#include <vector>

#include "platform/tunnel_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  namespace tunnel = vantrel::tunnel;
  if (size == 0) return 0;
  const size_t piece = size_t{data[0]} + 1;
  const std::span<const uint8_t> bytes(data + 1, size - 1);

  tunnel::Request request;
  if (tunnel::ParseRequest(bytes, request) == tunnel::RequestParse::kParsed) {
    if (request.head_size > bytes.size() || request.head_size > tunnel::kRequestLimit ||
        request.head_size < 4) {
      std::abort();
    }
    const std::string_view end(reinterpret_cast<const char*>(bytes.data()) + request.head_size - 4,
                               4);
    if (end != "\r\n\r\n") std::abort();
  }

  tunnel::ChunkReader reader;
  for (size_t at = 0; at < bytes.size() && !reader.Ended(); at += piece) {
    const auto whole = bytes.subspan(at, std::min(piece, bytes.size() - at));
    auto part = whole;
    while (true) {
      const auto got = reader.Next(part, piece);
      if (got.empty()) break;
      // The data lies in the piece, before what is left of it.
      if (got.data() < whole.data() || got.data() + got.size() > part.data()) std::abort();
    }
    if (!part.empty() && !reader.Ended()) std::abort();
  }
  return 0;
}
