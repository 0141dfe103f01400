#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The bytes of the HTTP tunnel: a client reaches the server through an HTTP
// proxy as two endless HTTP/1.0 exchanges sharing a tunnel ID, a POST whose body
// carries its bytes up and a GET whose answer carries the server's bytes down.
// Both bodies are chunks: an 8-byte head (type, then the length of what
// follows, big-endian) and the payload. Data chunks carry the stream; padding
// chunks fill each write to a whole unit so that proxies pass it on at once;
// any other type ends the stream. Pure functions.
namespace vantrel::tunnel {

inline constexpr size_t kPaddingUnit = 14336;
// A request is parsed once this many bytes are in, from at most kRequestLimit.
inline constexpr size_t kRequestMinimum = 42;
inline constexpr size_t kRequestLimit = kPaddingUnit / 2;
inline constexpr size_t kChunkHeadSize = 8;
inline constexpr uint32_t kDataChunk = 1;
inline constexpr uint32_t kPaddingChunk = 2;
// The bytes of the GET answer's head and the padding after it.
inline constexpr size_t kGetAnswerSize = 3 * kPaddingUnit;

// 16 bytes, written in the request as 36 characters of GUID text.
using TunnelId = std::array<uint8_t, 16>;

enum class RequestKind : uint8_t { kGet, kPost };

struct Request {
  RequestKind kind = RequestKind::kGet;
  TunnelId id{};
  size_t head_size = 0;  // the head with its empty line; the body follows
};

enum class RequestParse : uint8_t {
  kIncomplete,  // wait for more bytes (fewer than kRequestMinimum, or no end of head yet)
  kRefused,     // not a tunnel request: drop the connection without an answer
  kParsed,
};

// Parses the head of a request from `received`, everything received so far (at
// most kRequestLimit bytes; a head not complete within them is refused). The
// request starts with "GET" or "POST" exactly; the 36 characters ending one byte
// before "HTTP/1.0" (at least 37 bytes before it) are the tunnel ID; the head
// ends with an empty line, each line's CR LF at most 256 bytes after the last.
RequestParse ParseRequest(std::span<const uint8_t> received, Request& request);

// The answer to a GET: its head, then padding up to kGetAnswerSize bytes.
std::vector<uint8_t> GetAnswer();
// The answer that ends a POST: the 302 head and 8 zero bytes.
std::vector<uint8_t> EndingAnswer();

void AppendChunkHead(std::vector<uint8_t>& out, uint32_t type, uint32_t length);
// Appends the padding chunk that fills the unit after `used` bytes of data
// (`used` 0: a whole unit); nothing when it would be shorter than 9 bytes.
void AppendPadding(std::vector<uint8_t>& out, size_t used);

// Reads a chunk stream (a POST body, or a GET answer after its head) arriving
// in pieces of any size: hands out the data chunks' payload where it lies in
// the bytes given, and passes over chunk heads and padding.
class ChunkReader {
 public:
  // Takes bytes from the front of `bytes` until it has taken data, and returns
  // that data (at most `most` bytes, a part of `bytes`; REQUIRES: most > 0),
  // leaving `bytes` after it. Returns nothing when `bytes` ran out first, or
  // once a chunk of another type ended the stream (nothing more is taken then).
  std::span<const uint8_t> Next(std::span<const uint8_t>& bytes, size_t most = SIZE_MAX);
  bool Ended() const { return ended_; }

 private:
  std::array<uint8_t, kChunkHeadSize> head_{};
  size_t head_read_ = 0;
  uint32_t type_ = 0;
  uint32_t remaining_ = 0;  // payload bytes of the current chunk still to come
  bool ended_ = false;
};

}  // namespace vantrel::tunnel
