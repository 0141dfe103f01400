#pragma once

#include <algorithm>
#include <cstring>
#include <span>
#include <utility>
#include <vector>

#include "platform/transport.h"

namespace vantrel::testing {

// A transport over memory: the test feeds the bytes the peer "sent" and reads
// back what the server sent. Events are not reported.
class MemoryTransport final : public Transport {
 public:
  explicit MemoryTransport(uint32_t peer = 0x7F000001) : peer_(peer) {}

  void Feed(std::span<const uint8_t> bytes) {
    inbound_.insert(inbound_.end(), bytes.begin(), bytes.end());
  }
  // Everything sent so far, and clears it.
  std::vector<uint8_t> TakeSent() { return std::exchange(sent_, {}); }
  const std::vector<uint8_t>& Sent() const { return sent_; }

  void SetNotify(Notify) override {}
  bool IsConnected() const override { return connected_; }
  bool IsClosePending() const override { return false; }
  size_t BytesAvailable() const override { return inbound_.size() - head_; }
  size_t Read(std::span<uint8_t> out) override {
    const size_t n = std::min(out.size(), BytesAvailable());
    if (n > 0) std::memcpy(out.data(), inbound_.data() + head_, n);
    head_ += n;
    if (head_ == inbound_.size()) {
      inbound_.clear();
      head_ = 0;
    }
    return n;
  }
  void Send(std::span<const uint8_t> first, std::span<const uint8_t> second) override {
    if (!connected_) return;
    sent_.insert(sent_.end(), first.begin(), first.end());
    sent_.insert(sent_.end(), second.begin(), second.end());
  }
  size_t QueuedBytes() const override { return queued_; }
  // What QueuedBytes reports from now on (nothing is ever really queued).
  void SetQueuedBytes(size_t queued) { queued_ = queued; }
  void CloseGracefully() override { connected_ = false; }
  void Disconnect() override { connected_ = false; }
  bool DroppedForNotReading() const override { return false; }
  uint32_t PeerAddress() const override { return peer_; }

 private:
  uint32_t peer_;
  std::vector<uint8_t> inbound_;
  size_t head_ = 0;
  std::vector<uint8_t> sent_;
  bool connected_ = true;
  size_t queued_ = 0;
};

}  // namespace vantrel::testing
