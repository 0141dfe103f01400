// Reading the answer to a tunnel's GET as the client sees it.
#include "downstream_reader.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::tunnel_client {
namespace {

using namespace std::literals;

std::vector<uint8_t> Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// Everything `reader` hands out of `pieces`, fed one after the other, at most
// `most` bytes at a time; every piece must come out of the bytes given.
std::string Read(DownstreamReader& reader, const std::vector<std::vector<uint8_t>>& pieces,
                 size_t most = 1 << 20) {
  std::string data;
  for (const auto& piece : pieces) {
    std::span<const uint8_t> bytes(piece);
    while (true) {
      const auto out = reader.Next(bytes, most);
      if (out.empty()) break;
      EXPECT_LE(out.size(), most);
      EXPECT_TRUE(out.data() >= piece.data() &&
                  out.data() + out.size() <= piece.data() + piece.size());
      data.append(out.begin(), out.end());
    }
  }
  return data;
}

// A chunk as the server writes it: type, then length, big-endian, then the
// payload (shorter than 256 bytes here).
std::string Chunk(char type, std::string_view payload) {
  return "\0\0\0"s + type + "\0\0\0"s + static_cast<char>(payload.size()) + std::string(payload);
}

const std::string kHead =
    "HTTP/1.0 200 OK\r\nProxy-Connection: Keep-Alive\r\nContent-Length: 999999999\r\n"
    "Content-Type: vantrel/protocol\r\n\r\n";

TEST(DownstreamReader, PassesOverTheHeadAndPaddingSplitAnywhere) {
  // The head, padding of 3 bytes, "abc" as data, an empty data chunk, then "de".
  const std::string stream =
      kHead + Chunk(2, "xyz") + Chunk(1, "abc") + Chunk(1, "") + Chunk(1, "de");
  for (size_t cut = 1; cut < stream.size(); ++cut) {
    for (size_t second = cut; second < stream.size(); second += 7) {
      DownstreamReader reader;
      const auto whole = Bytes(stream);
      const std::vector<std::vector<uint8_t>> pieces = {
          {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)},
          {whole.begin() + static_cast<std::ptrdiff_t>(cut),
           whole.begin() + static_cast<std::ptrdiff_t>(second)},
          {whole.begin() + static_cast<std::ptrdiff_t>(second), whole.end()}};
      ASSERT_EQ(Read(reader, pieces), "abcde") << "cut at " << cut << " and " << second;
      EXPECT_EQ(reader.state(), DownstreamReader::State::kChunks);
    }
  }
}

TEST(DownstreamReader, HandsOutAtMostWhatIsAskedFor) {
  DownstreamReader reader;
  EXPECT_EQ(Read(reader, {Bytes(kHead + Chunk(1, "abcde"))}, 2), "abcde");
}

TEST(DownstreamReader, AnEndChunkEndsTheStreamAndNothingAfterItIsTaken) {
  DownstreamReader reader;
  const auto bytes = Bytes(kHead + Chunk(1, "a") + std::string(8, '\0') + Chunk(1, "b"));
  std::span<const uint8_t> rest(bytes);
  EXPECT_EQ(reader.Next(rest, 100).size(), 1u);
  EXPECT_TRUE(reader.Next(rest, 100).empty());
  EXPECT_EQ(reader.state(), DownstreamReader::State::kEnded);
  EXPECT_EQ(rest.size(), 9u);
}

TEST(DownstreamReader, AProxysErrorAnswerIsRefused) {
  DownstreamReader reader;
  EXPECT_EQ(Read(reader, {Bytes("HTTP/1.0 502 Bad Gateway\r\nContent-Type: text/html\r\n\r\n" +
                                Chunk(1, "a"))}),
            "");
  EXPECT_EQ(reader.state(), DownstreamReader::State::kRefused);
  EXPECT_EQ(reader.refusal(), "the answer to the GET is not 200 but \"HTTP/1.0 502 Bad Gateway\"");
}

TEST(DownstreamReader, AHeadWithoutAnEndIsRefused) {
  DownstreamReader reader;
  Read(reader, {Bytes("HTTP/1.0 200 OK\r\n"), Bytes(std::string(DownstreamReader::kMaxHead, 'x'))});
  EXPECT_EQ(reader.state(), DownstreamReader::State::kRefused);
}

}  // namespace
}  // namespace vantrel::tunnel_client
