// Feeds arbitrary bytes to the tunnel's request parser and, in pieces of the
// sizes the input chooses, to the reader of a POST body. Besides never
// crashing, a parsed head must lie within what was read and end with an empty
// line, and the reader may give no more data than it took.
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

  tunnel::UpstreamReader reader;
  std::vector<uint8_t> up;
  size_t taken = 0;
  for (size_t at = 0; at < bytes.size() && !reader.Ended(); at += piece) {
    const auto part = bytes.subspan(at, std::min(piece, bytes.size() - at));
    const size_t took = reader.Feed(part, up);
    if (took > part.size() || (took < part.size() && !reader.Ended())) std::abort();
    taken += took;
  }
  if (up.size() > taken) std::abort();
  return 0;
}
