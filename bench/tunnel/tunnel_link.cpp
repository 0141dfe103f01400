#include "tunnel_link.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <random>
#include <string_view>

#include "platform/tunnel_format.h"

namespace vantrel::tunnel_client {
namespace {

using listing::ListingClock;

// How long Close waits to hand the end chunk to the system.
constexpr auto kEndChunkWait = std::chrono::seconds(1);

tunnel::TunnelId NewTunnelId() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  tunnel::TunnelId id;
  for (auto& byte : id) byte = static_cast<uint8_t>(random());
  return id;
}

// The head of the client's POST or GET (`method`) for tunnel `id_text` to the
// server's tunnel port `port`, as an HTTP proxy expects it: an absolute target.
std::string RequestHead(const char* method, uint16_t port, const std::string& id_text) {
  const std::string host = "127.0.0.1:" + std::to_string(port);
  std::string head = std::string(method) + " http://" + host + "/" + id_text + " HTTP/1.0\r\n" +
                     "Proxy-Connection: Keep-Alive\r\nPragma: no-cache\r\nHost: " + host + "\r\n";
  if (method == std::string_view("POST")) {
    head += "Content-Length: 999999999\r\nContent-Type: vantrel/protocol\r\n";
  } else {
    head += "Accept: vantrel/protocol\r\n";
  }
  return head + "\r\n";
}

}  // namespace

std::string TunnelIdText(const tunnel::TunnelId& id) {
  char text[37];
  std::snprintf(text, sizeof text,
                "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", id[0],
                id[1], id[2], id[3], id[4], id[5], id[6], id[7], id[8], id[9], id[10], id[11],
                id[12], id[13], id[14], id[15]);
  return text;
}

TunnelLink::TunnelLink(uint16_t target_port, uint16_t server_port)
    : target_port_(target_port), server_port_(server_port), buffer_(listing::kLinkReadSize) {}

bool TunnelLink::Open(listing::TimedConnection& connection, uint32_t source,
                      const std::string& head, ListingClock::time_point deadline,
                      std::string& error) {
  const asio::ip::tcp::endpoint target(asio::ip::address_v4::loopback(), target_port_);
  const std::span bytes(reinterpret_cast<const uint8_t*>(head.data()), head.size());
  return connection.Connect(source, target, deadline, error) &&
         connection.Send(bytes, deadline, error);
}

bool TunnelLink::Connect(uint32_t source, ListingClock::time_point deadline, std::string& error) {
  Close();
  reader_ = DownstreamReader();
  unread_ = {};
  const std::string id_text = TunnelIdText(NewTunnelId());
  if (!Open(post_, source, RequestHead("POST", server_port_, id_text), deadline, error)) {
    error = "the tunnel's POST: " + error;
    Close();
    return false;
  }
  if (!Open(get_, source, RequestHead("GET", server_port_, id_text), deadline, error)) {
    error = "the tunnel's GET: " + error;
    Close();
    return false;
  }
  return true;
}

bool TunnelLink::Send(std::span<const uint8_t> bytes, ListingClock::time_point deadline,
                      std::string& error) {
  chunk_.clear();
  tunnel::AppendChunkHead(chunk_, tunnel::kDataChunk, static_cast<uint32_t>(bytes.size()));
  chunk_.insert(chunk_.end(), bytes.begin(), bytes.end());
  if (post_.Send(chunk_, deadline, error)) return true;
  error = "the tunnel's POST: " + error;
  Close();
  return false;
}

std::span<const uint8_t> TunnelLink::Receive(size_t most, ListingClock::time_point deadline,
                                             std::string& error) {
  while (true) {
    const auto data = reader_.Next(unread_, most);
    if (!data.empty()) return data;
    if (reader_.state() == DownstreamReader::State::kEnded) {
      error = "the server ended the tunnel";
      Close();
      return {};
    }
    if (reader_.state() == DownstreamReader::State::kRefused) {
      error = "the tunnel's GET: " + reader_.refusal();
      Close();
      return {};
    }
    const size_t size = get_.Receive(buffer_, deadline, error);
    if (size == 0) {
      error = "the tunnel's GET: " + error;
      Close();
      return {};
    }
    unread_ = std::span<const uint8_t>(buffer_).first(size);
  }
}

void TunnelLink::Close() {
  if (post_.IsOpen()) {
    static constexpr std::array<uint8_t, tunnel::kChunkHeadSize> kEndChunk{};
    std::string ignored;  // the server may have closed the tunnel already
    post_.Send(kEndChunk, ListingClock::now() + kEndChunkWait, ignored);
  }
  post_.Close();
  get_.Close();
}

}  // namespace vantrel::tunnel_client
