#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <asio/ip/tcp.hpp>

#include "lister.h"
#include "timed_connection.h"

namespace vantrel::listing {

// Lists a folder through an HTTP server on 127.0.0.1 (nginx's autoindex): one
// HTTP/1.1 GET of the URL at a time over a keep-alive connection, each response
// read whole (HttpResponseReader). It connects anew only after a response that
// closes the connection. Any status but 200 is a failure.
class HttpLister final : public Lister {
 public:
  // REQUIRES: `url` starts with "/" and holds no spaces or control characters.
  HttpLister(uint16_t port, std::string_view url);

  std::optional<Listing> ListOnce(std::string& error) override;
  size_t Connections() const override { return connections_; }

 private:
  const asio::ip::tcp::endpoint server_;
  const std::string request_;  // the same GET every time
  TimedConnection connection_;
  std::vector<uint8_t> buffer_;  // one read's bytes
  size_t connections_ = 0;
};

}  // namespace vantrel::listing
