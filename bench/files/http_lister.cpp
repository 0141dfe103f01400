#include "http_lister.h"

#include <span>

#include "http_response.h"

namespace vantrel::listing {
namespace {

// Bytes read from the socket at once: nginx's autoindex of 10,000 files is
// about a megabyte.
constexpr size_t kReadChunk = 256 * 1024;

std::string GetRequest(std::string_view url, uint16_t port) {
  return "GET " + std::string(url) + " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
         "\r\nUser-Agent: vantrel_listing\r\n\r\n";
}

}  // namespace

HttpLister::HttpLister(uint16_t port, std::string_view url)
    : server_(asio::ip::address_v4::loopback(), port),
      request_(GetRequest(url, port)),
      buffer_(kReadChunk) {}

std::optional<Listing> HttpLister::ListOnce(std::string& error) {
  const auto deadline = ListingClock::now() + kListingTimeout;
  if (!connection_.IsOpen()) {
    ++connections_;
    if (!connection_.Connect(0, server_, deadline, error)) return std::nullopt;
  }
  const auto start = ListingClock::now();
  const std::span<const uint8_t> request(reinterpret_cast<const uint8_t*>(request_.data()),
                                         request_.size());
  if (!connection_.Send(request, deadline, error)) return std::nullopt;
  HttpResponseReader response;
  uint64_t bytes = 0;
  while (response.state() == HttpResponseReader::State::kNeedMore) {
    if (ListingClock::now() >= deadline) {
      error = "timed out waiting for the response";
      connection_.Close();
      return std::nullopt;
    }
    const size_t size = connection_.Receive(buffer_, deadline, error);
    if (size == 0) return std::nullopt;
    const size_t taken = response.Feed(std::span<const uint8_t>(buffer_).first(size));
    bytes += taken;
    if (response.state() == HttpResponseReader::State::kComplete && taken < size) {
      error = "the server sent bytes after the response";
      connection_.Close();
      return std::nullopt;
    }
  }
  const auto time = ListingClock::now() - start;
  if (response.state() == HttpResponseReader::State::kInvalid) {
    error = "an HTTP response the tool cannot read: " + response.invalid_reason();
    connection_.Close();
    return std::nullopt;
  }
  if (response.status() != 200) {
    error = "the server answered with HTTP status " + std::to_string(response.status());
    connection_.Close();
    return std::nullopt;
  }
  if (!response.keep_alive()) connection_.Close();
  return Listing{time, bytes, std::nullopt};
}

}  // namespace vantrel::listing
