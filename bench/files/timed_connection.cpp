#include "timed_connection.h"

#include <asio/buffer.hpp>
#include <asio/write.hpp>

namespace vantrel::listing {
namespace {

// The text of a failed operation: "timed out" for one the deadline ended.
std::string Reason(const asio::error_code& error) {
  return error == asio::error::operation_aborted ? "timed out" : error.message();
}

}  // namespace

void TimedConnection::RunUntil(ListingClock::time_point deadline) {
  io_.restart();
  io_.run_until(deadline);
  if (!io_.stopped()) {
    Close();    // ends the operation, whose handler then runs with operation_aborted
    io_.run();  // bounded: nothing else is outstanding
  }
}

bool TimedConnection::Connect(uint32_t source, const asio::ip::tcp::endpoint& server,
                              ListingClock::time_point deadline, std::string& error) {
  Close();
  asio::error_code result;
  socket_.open(asio::ip::tcp::v4(), result);
  if (!result && source != 0) {
    socket_.bind(asio::ip::tcp::endpoint(asio::ip::address_v4(source), 0), result);
  }
  if (result) {
    error = "cannot open a socket from " + asio::ip::address_v4(source).to_string() + ": " +
            result.message();
    Close();
    return false;
  }
  result = asio::error::would_block;
  socket_.async_connect(server, [&result](const asio::error_code& done) { result = done; });
  RunUntil(deadline);
  if (result) {
    error = "cannot connect to " + server.address().to_string() + ":" +
            std::to_string(server.port()) + ": " + Reason(result);
    Close();
    return false;
  }
  socket_.set_option(asio::ip::tcp::no_delay(true), result);  // a request in one piece anyway
  return true;
}

bool TimedConnection::Send(std::span<const uint8_t> bytes, ListingClock::time_point deadline,
                           std::string& error) {
  asio::error_code result = asio::error::would_block;
  asio::async_write(socket_, asio::buffer(bytes.data(), bytes.size()),
                    [&result](const asio::error_code& done, size_t) { result = done; });
  RunUntil(deadline);
  if (result) {
    error = "cannot send: " + Reason(result);
    Close();
    return false;
  }
  return true;
}

asio::error_code TimedConnection::ReadSome(std::span<uint8_t> buffer,
                                           ListingClock::time_point deadline, size_t& received) {
  asio::error_code result = asio::error::would_block;
  received = 0;
  socket_.async_read_some(asio::buffer(buffer.data(), buffer.size()),
                          [&](const asio::error_code& done, size_t size) {
                            result = done;
                            received = size;
                          });
  RunUntil(deadline);
  return result;
}

size_t TimedConnection::Receive(std::span<uint8_t> buffer, ListingClock::time_point deadline,
                                std::string& error) {
  size_t received = 0;
  const asio::error_code result = ReadSome(buffer, deadline, received);
  if (result) {
    error = result == asio::error::eof ? "the server closed the connection"
                                       : "cannot receive: " + Reason(result);
    Close();
    return 0;
  }
  return received;
}

bool TimedConnection::AwaitClose(ListingClock::time_point deadline, std::string& error) {
  uint8_t byte = 0;
  size_t received = 0;
  const asio::error_code result = ReadSome(std::span<uint8_t>(&byte, 1), deadline, received);
  Close();
  if (result == asio::error::eof) return true;
  error = result ? "cannot receive: " + Reason(result)
                 : "the server sent bytes where it was to close the connection";
  return false;
}

void TimedConnection::Close() {
  asio::error_code ignored;
  socket_.close(ignored);
}

}  // namespace vantrel::listing
