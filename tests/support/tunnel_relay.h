#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/tunnel_format.h"

namespace vantrel::testing {

// The client's side of an HTTP tunnel, as a local relay on 127.0.0.1: what a
// connection to Port() sends goes up the tunnel's POST in data chunks, and the
// data chunks coming down its GET are passed back to it. The POST and GET
// connect to `target_port` (the server's tunnel port, or a proxy's port) and
// name `server_port` in their request lines. Nothing happens unless Pump() is
// called; it never blocks, so that a server on the same thread keeps running.
class TunnelRelay {
 public:
  TunnelRelay(uint16_t target_port, uint16_t server_port, uint32_t id_number);
  ~TunnelRelay();

  TunnelRelay(const TunnelRelay&) = delete;
  TunnelRelay& operator=(const TunnelRelay&) = delete;

  uint16_t Port() const { return port_; }
  // Moves what is ready in every direction.
  void Pump();

  // Closes the GET connection; OpenGet sends a new GET with the same tunnel ID.
  void DropGet();
  void OpenGet();
  // Sends a chunk of type 0 up the POST: the client ends the tunnel.
  void EndStream();

  // Everything the POST connection received (its ending answer, if any).
  const std::vector<uint8_t>& PostAnswer() const { return post_answer_; }
  // True once the GET brought an end chunk or closed.
  bool GetEnded() const { return get_ended_; }
  // The data bytes that came down so far.
  size_t DataDown() const { return data_down_; }

 private:
  int Open(const std::string& head);
  void Up(std::vector<uint8_t> bytes);
  void ReadGet();

  std::string id_text_;
  uint16_t target_port_;
  uint16_t server_port_;
  uint16_t port_ = 0;
  int listen_fd_ = -1;
  int client_fd_ = -1;
  int post_fd_ = -1;
  int get_fd_ = -1;
  std::vector<uint8_t> to_post_;
  std::vector<uint8_t> to_client_;
  std::vector<uint8_t> from_get_;
  bool head_skipped_ = false;
  tunnel::ChunkReader chunks_;  // of the GET's answer
  bool get_ended_ = false;
  size_t data_down_ = 0;
  std::vector<uint8_t> post_answer_;
};

}  // namespace vantrel::testing
