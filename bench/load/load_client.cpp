#include "load_client.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <array>
#include <optional>
#include <utility>

#include <asio/connect.hpp>
#include <asio/write.hpp>

#include "chat_line.h"
#include "socket_receive.h"

namespace vantrel::load {
namespace {

// Bytes read from a socket in one call; one buffer serves every client.
constexpr size_t kReadChunk = 64 * 1024;

std::string AddressText(uint32_t address) {
  return asio::ip::address_v4(address).to_string();
}

}  // namespace

LoadClient::LoadClient(asio::io_context& io, size_t index, std::unique_ptr<ClientCodec> codec,
                       ClientObserver& observer)
    : socket_(io), index_(index), codec_(std::move(codec)), observer_(observer) {}

void LoadClient::Start(uint32_t source, const asio::ip::tcp::endpoint& server) {
  asio::error_code error;
  socket_.open(asio::ip::tcp::v4(), error);
#ifdef IP_BIND_ADDRESS_NO_PORT
  // The port is chosen at connect, for the whole address pair, rather than
  // reserved at bind: thousands of bound sockets then never run out of ports.
  if (!error) {
    const int on = 1;
    ::setsockopt(socket_.native_handle(), IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &on, sizeof on);
  }
#endif
  if (!error && receive_buffer_ > 0) {
    socket_.set_option(asio::socket_base::receive_buffer_size(receive_buffer_), error);
  }
  if (!error) socket_.bind(asio::ip::tcp::endpoint(asio::ip::address_v4(source), 0), error);
  if (error) {
    Failure("cannot bind to " + AddressText(source) + ": " + error.message());
    return;
  }
  socket_.async_connect(server, [this, source](const asio::error_code& connect_error) {
    if (closed_) return;
    if (connect_error) {
      Failure("cannot connect from " + AddressText(source) + ": " + connect_error.message());
      return;
    }
    connected_ = true;
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    socket_.non_blocking(true, ignored);
    EnableArrivalTimes(socket_.native_handle());  // without them, the time of the read
    observer_.OnConnected(index_);
    if (closed_) return;
    std::vector<uint8_t> greeting;
    codec_->Greeting(greeting);
    SendBytes(greeting);
    ArmRead();
  });
}

void LoadClient::SendLines(std::span<const uint32_t> numbers) {
  std::vector<uint8_t> bytes;
  for (const uint32_t number : numbers) codec_->ChatLine(ChatLineText(number), bytes);
  SendBytes(bytes);
}

void LoadClient::SendBytes(std::span<const uint8_t> bytes) {
  if (closed_ || bytes.empty()) return;
  pending_.insert(pending_.end(), bytes.begin(), bytes.end());
  Flush();
}

void LoadClient::ResumeReading() {
  paused_ = false;
  if (connected_ && !closed_) ArmRead();
}

void LoadClient::Close() {
  closed_ = true;
  asio::error_code ignored;
  socket_.close(ignored);
}

void LoadClient::Admitted() {
  observer_.OnAdmitted(index_);
}
void LoadClient::LoggedIn() {
  observer_.OnLoggedIn(index_);
}
void LoadClient::Announcement() {
  observer_.OnAnnouncement(index_);
}
void LoadClient::Delivery(uint32_t number) {
  if (!arrival_known_) ++deliveries_timed_at_read_;
  observer_.OnDelivery(index_, number, arrival_time_);
}
void LoadClient::Failure(std::string why) {
  if (closed_) return;
  Close();
  observer_.OnFailure(index_, why);
}

void LoadClient::ArmRead() {
  if (read_armed_ || paused_) return;
  read_armed_ = true;
  socket_.async_wait(asio::ip::tcp::socket::wait_read,
                     [this](const asio::error_code& error) { OnReadable(error); });
}

void LoadClient::OnReadable(const asio::error_code& error) {
  read_armed_ = false;
  if (closed_ || paused_ || error == asio::error::operation_aborted) return;
  if (error) {
    Failure("connection failed: " + error.message());
    return;
  }
  static std::array<uint8_t, kReadChunk> scratch;
  for (;;) {
    std::error_code read_error;
    std::optional<LoadClock::time_point> arrival;
    const size_t n = ReceiveWithArrival(socket_.native_handle(), scratch, arrival, read_error);
    if (read_error == std::errc::resource_unavailable_try_again ||
        read_error == std::errc::operation_would_block || read_error == std::errc::interrupted) {
      break;  // read again when the socket is readable again
    }
    if (read_error) {
      Failure("connection failed: " + read_error.message());
      return;
    }
    if (n == 0) {
      Failure("the server closed the connection");
      return;
    }
    arrival_known_ = arrival.has_value();
    arrival_time_ = arrival.value_or(LoadClock::now());
    codec_->Feed(std::span<const uint8_t>(scratch.data(), n), answers_, *this);
    if (closed_) return;
    if (paused_ || n < scratch.size()) break;
  }
  if (!answers_.empty()) {
    SendBytes(answers_);
    answers_.clear();
  }
  ArmRead();
}

void LoadClient::Flush() {
  if (writing_ || pending_.empty() || closed_) return;
  in_flight_.swap(pending_);
  pending_.clear();
  writing_ = true;
  asio::async_write(socket_, asio::buffer(in_flight_),
                    [this](const asio::error_code& error, size_t) {
                      writing_ = false;
                      if (closed_ || error == asio::error::operation_aborted) return;
                      if (error) {
                        Failure("sending failed: " + error.message());
                        return;
                      }
                      Flush();
                    });
}

}  // namespace vantrel::load
