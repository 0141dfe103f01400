#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace vantrel::listing {

// Finds where one HTTP/1.x response ends in the bytes of a keep-alive
// connection, fed in any split: the status line and the header, then a body
// framed by Content-Length or by chunked transfer encoding (with any chunk
// extensions and trailer). A body that runs to the end of the connection is
// not supported. Keeps only the line being read (at most kMaxHttpLine bytes);
// the body is counted, not kept. One per response; a value type.
class HttpResponseReader {
 public:
  // The longest line of the header, of the chunk framing or of the trailer.
  static constexpr size_t kMaxHttpLine = 8192;
  // The most bytes the header, and the trailer, may take together.
  static constexpr size_t kMaxHttpHeader = 65536;

  enum class State { kNeedMore, kComplete, kInvalid };

  // Reads from `bytes` up to the end of the response. Returns how many bytes it
  // took: all of them while the response goes on, fewer when it ended (or
  // turned out invalid) before their end. REQUIRES: state() == kNeedMore.
  size_t Feed(std::span<const uint8_t> bytes);

  State state() const;
  // Why the response is invalid; empty while it is not.
  const std::string& invalid_reason() const { return invalid_reason_; }
  // Once the header has been read: the status code; whether the connection
  // stays open after the response (not for "Connection: close", nor for an
  // HTTP/1.0 response without "Connection: keep-alive").
  int status() const { return status_; }
  bool keep_alive() const { return keep_alive_; }
  // The body's bytes read so far, without the chunk framing.
  uint64_t body_size() const { return body_size_; }

 private:
  enum class Phase {
    kStatusLine,
    kHeader,
    kBody,       // Content-Length framing
    kChunkSize,  // a chunk's size line
    kChunkData,  // a chunk's bytes
    kChunkEnd,   // the CR LF after a chunk's bytes
    kTrailer,    // the lines after the last chunk, up to an empty one
    kDone,
    kInvalid,
  };

  // Takes bytes from `bytes` at `at` into line_ up to the line feed. True once
  // the line feed has come, line_ then holding the line without its CR LF;
  // false when the bytes ran out before it, or when the line is too long (the
  // response is then invalid).
  bool TakeLine(std::span<const uint8_t> bytes, size_t& at);
  void OnStatusLine(std::string_view line);
  void OnHeaderLine(std::string_view line);
  // The header has ended: chooses the body's framing.
  void StartBody();
  void OnChunkSizeLine(std::string_view line);
  void Invalid(std::string reason);

  Phase phase_ = Phase::kStatusLine;
  std::string line_;
  size_t header_bytes_ = 0;  // of the header, then of the trailer
  int status_ = 0;
  bool http_1_0_ = false;
  bool keep_alive_ = true;
  bool chunked_ = false;
  bool has_length_ = false;
  uint64_t content_length_ = 0;
  uint64_t remaining_ = 0;  // of the body or of the current chunk
  uint64_t body_size_ = 0;
  std::string invalid_reason_;
};

}  // namespace vantrel::listing
