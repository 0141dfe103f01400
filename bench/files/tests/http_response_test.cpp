// Where an HTTP response ends in a connection's bytes.
#include "http_response.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>

namespace vantrel::listing {
namespace {

using State = HttpResponseReader::State;

std::span<const uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const uint8_t*>(text.data()), text.size()};
}

struct Framed {
  const char* name;
  std::string response;
  int status;
  uint64_t body_size;
  bool keep_alive;
};

const Framed kFramed[] = {
    {"content-length",
     "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 5\r\n\r\nhello", 200, 5, true},
    {"chunked with an extension and a trailer, closing",
     "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nConnection: close\r\n\r\n"
     "5\r\nhello\r\n1a;name=value\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\nX-Trailer: 1\r\n\r\n",
     200, 31, false},
    {"chunked in upper case, another status",
     "HTTP/1.1 404 Not Found\r\ntransfer-encoding: CHUNKED\r\n\r\nA\r\n0123456789\r\n0\r\n\r\n",
     404, 10, true},
    {"no body for 304", "HTTP/1.1 304 Not Modified\r\nETag: \"x\"\r\n\r\n", 304, 0, true},
    {"HTTP/1.0 without keep-alive", "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok", 200, 2,
     false},
};

void ExpectFramed(const HttpResponseReader& reader, const Framed& framed) {
  EXPECT_EQ(reader.state(), State::kComplete) << reader.invalid_reason();
  EXPECT_EQ(reader.status(), framed.status);
  EXPECT_EQ(reader.body_size(), framed.body_size);
  EXPECT_EQ(reader.keep_alive(), framed.keep_alive);
}

TEST(HttpResponseReader, FindsTheEndHoweverTheBytesAreSplit) {
  for (const Framed& framed : kFramed) {
    SCOPED_TRACE(framed.name);
    // The next response's first bytes follow: they are left untaken.
    const std::string stream = framed.response + "HTTP/1.1";
    const auto all = Bytes(stream);
    for (size_t cut = 0; cut <= framed.response.size(); ++cut) {
      SCOPED_TRACE(cut);
      HttpResponseReader reader;
      size_t taken = reader.Feed(all.first(cut));
      if (reader.state() == State::kNeedMore) taken += reader.Feed(all.subspan(cut));
      EXPECT_EQ(taken, framed.response.size());
      ExpectFramed(reader, framed);
    }
    HttpResponseReader reader;
    size_t at = 0;
    while (at < all.size() && reader.state() == State::kNeedMore) {
      at += reader.Feed(all.subspan(at, 1));
    }
    EXPECT_EQ(at, framed.response.size());
    ExpectFramed(reader, framed);
  }
}

TEST(HttpResponseReader, RefusesWhatItCannotFrame) {
  for (const std::string_view response : {
           "SSH-2.0-x\r\n\r\n",
           "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\nbody up to the close",
           "HTTP/1.1 200 OK\r\nTransfer-Encoding: gzip\r\n\r\n",
           "HTTP/1.1 200 OK\r\nContent-Length: 5x\r\n\r\nhello",
           "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n",
           "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nhello\r\n0\r\n\r\n",
       }) {
    SCOPED_TRACE(response);
    HttpResponseReader reader;
    reader.Feed(Bytes(response));
    EXPECT_EQ(reader.state(), State::kInvalid);
    EXPECT_FALSE(reader.invalid_reason().empty());
  }
}

TEST(HttpResponseReader, RefusesAnEndlessLine) {
  const std::string header = "HTTP/1.1 200 OK\r\nX-Long: " + std::string(9000, 'a');
  HttpResponseReader reader;
  EXPECT_LE(reader.Feed(Bytes(header)), header.size());
  EXPECT_EQ(reader.state(), State::kInvalid);
}

}  // namespace
}  // namespace vantrel::listing
