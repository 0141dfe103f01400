#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/tunnel_format.h"

namespace vantrel::tunnel_client {

// Reads the answer to a tunnel's GET as it arrives, in pieces of any size: an
// HTTP head, which must say 200, then chunks (platform/tunnel_format.h). It
// hands out the data chunks' payload where it lies, in the bytes given, and
// passes over the head, the chunk heads and the padding, so that a client sees
// the server's stream at the cost of reading it. Pure code; one thread.
class DownstreamReader {
 public:
  enum class State {
    kHead,     // the HTTP head has not ended yet
    kChunks,   // in the body
    kEnded,    // a chunk of another type than data or padding ended the stream
    kRefused,  // not a tunnel's answer: refusal() says why
  };

  // The longest head accepted (a proxy may add lines of its own).
  static constexpr size_t kMaxHead = 4096;

  // Takes bytes from the front of `bytes` until it has taken data, and returns
  // those (at most `most`, REQUIRES: not 0; a part of `bytes`), leaving `bytes`
  // after them. Returns nothing when `bytes` ran out first, or once the stream
  // has ended or was refused (see state(); nothing more is taken then).
  std::span<const uint8_t> Next(std::span<const uint8_t>& bytes, size_t most);

  State state() const { return state_; }
  const std::string& refusal() const { return refusal_; }

 private:
  // Takes head bytes from the front of `bytes`; moves on to kChunks or kRefused
  // once the head is complete.
  void TakeHead(std::span<const uint8_t>& bytes);
  void Refuse(std::string why);

  State state_ = State::kHead;
  std::string head_;  // what has arrived of the head
  std::string refusal_;
  tunnel::ChunkReader chunks_;
};

}  // namespace vantrel::tunnel_client
