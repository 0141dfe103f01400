#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/tunnel_format.h"

namespace vantrel::tunnel {
namespace {

using namespace std::literals;

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

constexpr std::string_view kId = "0123ABCD-0000-4000-8000-00000000abcd";

std::string Get(std::string_view target = "http://127.0.0.1:5502/") {
  return "GET " + std::string(target) + std::string(kId) +
         " HTTP/1.0\r\nProxy-Connection: Keep-Alive\r\nHost: 127.0.0.1:5502\r\n\r\n";
}

RequestParse Parse(std::string_view text) {
  Request request;
  return ParseRequest(Bytes(text), request);
}

TEST(TunnelRequest, IsParsedOnceFortyTwoBytesAreInAndItsHeadIsComplete) {
  const std::string get = Get();
  Request request;
  EXPECT_EQ(ParseRequest(Bytes(get.substr(0, 20)), request), RequestParse::kIncomplete);
  ASSERT_EQ(ParseRequest(Bytes(get + "body"), request), RequestParse::kParsed);
  EXPECT_EQ(request.kind, RequestKind::kGet);
  EXPECT_EQ(request.head_size, get.size());
  EXPECT_EQ(request.id,
            (TunnelId{0x01, 0x23, 0xAB, 0xCD, 0, 0, 0x40, 0, 0x80, 0, 0, 0, 0, 0, 0xAB, 0xCD}));
  // Everything but the empty line: wait for it.
  EXPECT_EQ(Parse(get.substr(0, get.size() - 2)), RequestParse::kIncomplete);
  EXPECT_EQ(Parse("POST /" + std::string(kId) + " HTTP/1.0\r\n\r\n"), RequestParse::kParsed);
}

TEST(TunnelRequest, RefusesWhatIsNoTunnelRequest) {
  const std::string long_line(300, 'a');
  const std::string endless_head = Get().substr(0, Get().size() - 2) + "X: y\r\n";
  std::string no_empty_line = endless_head;
  while (no_empty_line.size() < kRequestLimit) no_empty_line += "X: y\r\n";
  const struct {
    std::string request;
    const char* why;
  } cases[] = {
      {"get" + Get().substr(3), "the method is compared exactly"},
      {"PUT /" + std::string(kId) + " HTTP/1.0\r\n\r\n", "another method"},
      {"GET /" + std::string(kId).substr(1) + " HTTP/1.0\r\n\r\n", "36 bytes before the version"},
      {"GET /" + std::string(kId) + " HTTP/1.1\r\n\r\n", "no HTTP/1.0"},
      {"GET /0123ABCD-0000-4000-8000-00000000abcZ HTTP/1.0\r\n\r\n", "not hexadecimal"},
      {"GET /0123ABCD+0000-4000-8000-00000000abcd HTTP/1.0\r\n\r\n", "a group not hyphenated"},
      {Get().substr(0, 40) + long_line + "\r\n\r\n", "a line longer than 256 bytes"},
      {no_empty_line, "no empty line within 7168 bytes"},
  };
  for (const auto& c : cases) EXPECT_EQ(Parse(c.request), RequestParse::kRefused) << c.why;
}

TEST(TunnelAnswers, GetAnswerIsItsHeadAndPaddingTo43008Bytes) {
  const std::vector<uint8_t> answer = GetAnswer();
  ASSERT_EQ(answer.size(), 43008u);
  const std::string_view head =
      "HTTP/1.0 200 OK\r\nProxy-Connection: Keep-Alive\r\nContent-Length: 999999999\r\n"
      "Content-Type: vantrel/protocol\r\n\r\n"sv;
  EXPECT_EQ(std::string_view(reinterpret_cast<const char*>(answer.data()), head.size()), head);
  // The first padding chunk fills the first unit: 14336 - 108 - 8 filler bytes.
  EXPECT_EQ(std::vector<uint8_t>(answer.begin() + 108, answer.begin() + 116),
            (std::vector<uint8_t>{0, 0, 0, 2, 0, 0, 0x37, 0x8C}));
  EXPECT_EQ(std::vector<uint8_t>(answer.begin() + 14336, answer.begin() + 14344),
            (std::vector<uint8_t>{0, 0, 0, 2, 0, 0, 0x37, 0xF8}));
  EXPECT_EQ(std::vector<uint8_t>(answer.begin() + 28672, answer.begin() + 28680),
            (std::vector<uint8_t>{0, 0, 0, 2, 0, 0, 0x37, 0xF8}));
}

TEST(TunnelAnswers, EndingAnswerIsThe302HeadAndEightZeroBytes) {
  EXPECT_EQ(EndingAnswer(), Bytes("HTTP/1.0 302 Found\r\nConnection: close\r\nContent-Length: 8\r\n"
                                  "Content-Type: vantrel/protocol\r\n\r\n\0\0\0\0\0\0\0\0"sv));
}

TEST(TunnelPadding, FillsTheUnitAfterTheDataAndItsChunkHead) {
  const struct {
    size_t used;
    size_t size;  // of the padding chunk, head included
    std::vector<uint8_t> head;
  } cases[] = {
      {0, 14336, {0, 0, 0, 2, 0, 0, 0x37, 0xF8}},
      {100, 14228, {0, 0, 0, 2, 0, 0, 0x37, 0x8C}},
      {14319, 9, {0, 0, 0, 2, 0, 0, 0, 1}},
      {14320, 0, {}},
      {14330, 0, {}},
      {20000, 0, {}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> out;
    AppendPadding(out, c.used);
    ASSERT_EQ(out.size(), c.size) << c.used;
    if (c.size == 0) continue;
    EXPECT_EQ(std::vector<uint8_t>(out.begin(), out.begin() + 8), c.head) << c.used;
    EXPECT_EQ(std::count(out.begin() + 8, out.end(), 0), static_cast<long>(c.size - 8));
  }
}

TEST(ChunkReader, TakesDataChunksInAnyPiecesSkipsPaddingAndStopsAtTheEnd) {
  const std::vector<uint8_t> stream = Bytes(
      "\0\0\0\1\0\0\0\3abc"
      "\0\0\0\2\0\0\0\2.."
      "\0\0\0\1\0\0\0\0"
      "\0\0\0\1\0\0\0\2de"
      "\0\0\0\0\0\0\0\0"
      "after"sv);
  for (const size_t piece : {1u, 5u, 64u}) {
    ChunkReader reader;
    std::vector<uint8_t> data;
    size_t taken = 0;
    for (size_t at = 0; at < stream.size() && !reader.Ended(); at += piece) {
      const size_t n = std::min(piece, stream.size() - at);
      auto part = std::span<const uint8_t>(stream).subspan(at, n);
      for (auto got = reader.Next(part, 2); !got.empty(); got = reader.Next(part, 2)) {
        data.insert(data.end(), got.begin(), got.end());
      }
      taken += n - part.size();
    }
    EXPECT_EQ(data, Bytes("abcde")) << piece;
    EXPECT_TRUE(reader.Ended());
    EXPECT_EQ(taken, stream.size() - 5) << piece;
  }
}

}  // namespace
}  // namespace vantrel::tunnel
