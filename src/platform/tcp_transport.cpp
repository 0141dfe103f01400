#include "platform/tcp_transport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <deque>
#include <list>
#include <string>
#include <utility>
#include <vector>

#include <sys/sendfile.h>

#include <asio.hpp>

#include "platform/exception.h"
#include "platform/file_system.h"

namespace vantrel {
namespace {

// Bytes read from the socket in one system call; the buffer is shared by every
// connection, so an idle connection holds no read buffer of its own.
constexpr size_t kReadChunk = 64 * 1024;
// Queue buffers larger than this are freed once empty, so that idle connections
// stay small after a burst (a login storm leaves every client a few KB of
// announcements otherwise). A notification or a short chat line fits in it.
constexpr size_t kKeptBufferCapacity = 256;
// Accepted connections held for the processing pass before accepting pauses.
constexpr size_t kMaxWaitingAccepts = 64;
// Pause before accepting again after the system refused an accept (out of descriptors).
constexpr auto kAcceptRetryDelay = std::chrono::milliseconds(100);

void ReleaseIfLarge(std::vector<uint8_t>& buffer) {
  if (buffer.capacity() > kKeptBufferCapacity) {
    std::vector<uint8_t>().swap(buffer);
  } else {
    buffer.clear();
  }
}

uint32_t Ipv4Of(const asio::ip::address& address) {
  if (address.is_v4()) return address.to_v4().to_uint();
  const auto v6 = address.to_v6();
  if (v6.is_v4_mapped()) return asio::ip::make_address_v4(asio::ip::v4_mapped, v6).to_uint();
  return 0;
}

}  // namespace

// The connections of one listener that queued bytes while the current event was
// handled, flushed together by one posted handler once it has been: a chat line
// to every client is then one handler, not one per client to allocate, queue and
// dispatch. Holds the connections weakly: one that is gone needs no flush.
class TcpTransport::FlushQueue : public std::enable_shared_from_this<FlushQueue> {
 public:
  explicit FlushQueue(asio::any_io_executor executor) : executor_(std::move(executor)) {}

  void Add(const std::shared_ptr<Connection>& connection) {
    waiting_.push_back(connection);
    if (posted_) return;
    posted_ = true;
    asio::post(executor_, [self = shared_from_this()] { self->FlushAll(); });
  }

 private:
  void FlushAll();

  asio::any_io_executor executor_;
  std::vector<std::weak_ptr<Connection>> waiting_;
  std::vector<std::weak_ptr<Connection>> flushing_;  // kept for its capacity
  bool posted_ = false;
};

class TcpTransport::Connection : public std::enable_shared_from_this<Connection> {
 public:
  Connection(asio::ip::tcp::socket socket, uint32_t peer, std::shared_ptr<FlushQueue> flushes)
      : socket_(std::move(socket)), peer_(peer), flushes_(std::move(flushes)) {}

  void Start(SendBudget* budget) {
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    socket_.non_blocking(true, ignored);
    if (budget != nullptr) {
      budget_ = budget;
      budget_->members_.push_back(this);
    }
    ArmRead();
  }

  void SetNotify(Notify notify) { notify_ = std::move(notify); }
  bool IsConnected() const { return connected_; }
  bool IsClosePending() const { return close_pending_; }
  bool DroppedForNotReading() const { return dropped_for_not_reading_; }
  size_t BytesAvailable() const { return inbound_.size() - head_; }
  uint32_t PeerAddress() const { return peer_; }
  size_t QueuedBytes() const {
    return pending_.size() + (write_in_flight_ ? in_flight_.size() : 0) + file_queued_;
  }

  size_t Read(std::span<uint8_t> out) {
    const size_t n = std::min(out.size(), BytesAvailable());
    if (n == 0) return 0;
    std::memcpy(out.data(), inbound_.data() + head_, n);
    head_ += n;
    if (head_ == inbound_.size()) {
      ReleaseIfLarge(inbound_);
      head_ = 0;
    }
    if (BytesAvailable() < kInboundHighWater / 2) ArmRead();
    return n;
  }

  void Send(std::span<const uint8_t> first, std::span<const uint8_t> second) {
    if (!connected_ || close_pending_) return;
    // Bytes queued behind a file range wait for it.
    std::vector<uint8_t>& queue = files_.empty() ? pending_ : files_.back().after;
    queue.insert(queue.end(), first.begin(), first.end());
    queue.insert(queue.end(), second.begin(), second.end());
    if (!files_.empty()) file_queued_ += first.size() + second.size();
    Queued();
  }

  void SendFile(const std::shared_ptr<ReadableFile>& file, uint64_t offset, size_t length) {
    if (!connected_ || close_pending_ || length == 0) return;
    files_.push_back({file, static_cast<off_t>(offset), length, {}});
    file_queued_ += length;
    Queued();
  }

  // What every send does once its bytes are queued: the caps, then a flush.
  void Queued() {
    if (QueuedBytes() > kSendQueueLimit) {
      Overflow();
      return;
    }
    Recount();
    if (budget_ != nullptr && budget_->queued_ > budget_->limit_) {
      Connection* largest = *std::max_element(
          budget_->members_.begin(), budget_->members_.end(),
          [](const Connection* a, const Connection* b) { return a->counted_ < b->counted_; });
      largest->Overflow();
      if (largest == this) return;
    }
    if (!flush_posted_) {
      flush_posted_ = true;
      flushes_->Add(shared_from_this());
    }
  }

  void CloseGracefully() {
    if (!connected_) return;
    if (QueuedBytes() == 0) {
      Disconnect();
    } else {
      close_pending_ = true;
    }
  }

  void Disconnect() {
    if (!connected_) return;
    Shutdown();
    Post(TransportEvent::kClosed);
  }

  // Used when the owning handle goes away: no more events. What was queued
  // during the current event (a handshake refusal, say) is written if the
  // socket takes it at once, as closing a socket sends what it already holds.
  void Abandon() {
    notify_ = nullptr;
    if (connected_ && !write_in_flight_ && !pending_.empty()) {
      asio::error_code ignored;
      socket_.write_some(asio::buffer(pending_), ignored);
    }
    Shutdown();
  }

 private:
  friend class FlushQueue;

  // Passed the send queue's cap or the budget: the queue is dropped.
  void Overflow() {
    dropped_for_not_reading_ = true;
    Shutdown();
    Post(TransportEvent::kSendQueueOverflow);
    Post(TransportEvent::kClosed);
  }

  // Brings the budget's total up to date with this connection's queue.
  void Recount() {
    if (budget_ == nullptr) return;
    const size_t queued = QueuedBytes();
    budget_->queued_ = budget_->queued_ - counted_ + queued;
    counted_ = queued;
  }

  void LeaveBudget() {
    if (budget_ == nullptr) return;
    budget_->queued_ -= counted_;
    std::erase(budget_->members_, this);
    budget_ = nullptr;
    counted_ = 0;
  }

  void Shutdown() {
    LeaveBudget();
    connected_ = false;
    close_pending_ = false;
    pending_.clear();
    files_.clear();
    file_queued_ = 0;
    ReleaseIfLarge(inbound_);
    head_ = 0;
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
  }

  void Post(TransportEvent event) {
    asio::post(socket_.get_executor(), [self = shared_from_this(), event] {
      if (self->notify_) self->notify_(event);
    });
  }

  void Deliver(TransportEvent event) {
    if (notify_) notify_(event);
  }

  void ArmRead() {
    if (!connected_ || read_armed_ || BytesAvailable() >= kInboundHighWater) return;
    read_armed_ = true;
    socket_.async_wait(
        asio::ip::tcp::socket::wait_read,
        [self = shared_from_this()](const asio::error_code& error) { self->OnReadable(error); });
  }

  void OnReadable(const asio::error_code& error) {
    read_armed_ = false;
    if (!connected_ || error == asio::error::operation_aborted) return;
    static thread_local std::array<uint8_t, kReadChunk> scratch;
    bool arrived = false;
    while (BytesAvailable() < kInboundHighWater) {
      asio::error_code read_error;
      const size_t n = socket_.read_some(asio::buffer(scratch), read_error);
      if (read_error == asio::error::would_block || read_error == asio::error::try_again) break;
      if (read_error) {
        Shutdown();
        Deliver(TransportEvent::kClosed);
        return;
      }
      Append(std::span<const uint8_t>(scratch.data(), n));
      arrived = true;
      if (n < scratch.size()) break;
    }
    if (arrived) Deliver(TransportEvent::kDataArrived);
    ArmRead();
  }

  void Append(std::span<const uint8_t> bytes) {
    if (head_ > 0 && head_ >= inbound_.size() / 2) {
      inbound_.erase(inbound_.begin(), inbound_.begin() + static_cast<std::ptrdiff_t>(head_));
      head_ = 0;
    }
    inbound_.insert(inbound_.end(), bytes.begin(), bytes.end());
  }

  // Hands the queue to the system at once (the socket is non-blocking) and
  // leaves only what it did not take to an asynchronous write. A chat line to
  // every client is one system call per client this way, with no write
  // operation to allocate, complete and dispatch for each.
  void Flush() {
    flush_posted_ = false;
    if (!connected_ || write_in_flight_ || waiting_writable_) return;
    if (pending_.empty()) {
      if (!files_.empty()) SendFiles();
      return;
    }
    asio::error_code send_error;
    const size_t written = socket_.write_some(asio::buffer(pending_), send_error);
    if (send_error && send_error != asio::error::would_block &&
        send_error != asio::error::try_again) {
      Shutdown();
      Deliver(TransportEvent::kClosed);
      return;
    }
    if (written == pending_.size()) {
      ReleaseIfLarge(pending_);
      Recount();
      if (!files_.empty()) {
        SendFiles();
        return;
      }
      Drained();
      return;
    }
    in_flight_.swap(pending_);
    in_flight_.erase(in_flight_.begin(), in_flight_.begin() + static_cast<std::ptrdiff_t>(written));
    write_in_flight_ = true;
    Recount();
    asio::async_write(socket_, asio::buffer(in_flight_),
                      [self = shared_from_this()](const asio::error_code& error, size_t) {
                        self->OnWritten(error);
                      });
  }

  void OnWritten(const asio::error_code& error) {
    write_in_flight_ = false;
    ReleaseIfLarge(in_flight_);
    if (!connected_ || error == asio::error::operation_aborted) return;
    Recount();
    if (error) {
      Shutdown();
      Deliver(TransportEvent::kClosed);
      return;
    }
    if (!pending_.empty() || !files_.empty()) {
      Flush();
      return;
    }
    Drained();
  }

  // Sends the file ranges at the head of the queue with sendfile while the
  // socket takes them, and the bytes queued behind each in its turn; waits for
  // the socket to take more when it is full.
  void SendFiles() {
    while (!files_.empty()) {
      FileRange& range = files_.front();
      while (range.length > 0) {
        const ssize_t sent = ::sendfile(socket_.native_handle(), range.file->NativeHandle(),
                                        &range.offset, range.length);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
          WaitWritable();
          return;
        }
        if (sent <= 0) {  // a failure, or the file ended before the range did
          Shutdown();
          Deliver(TransportEvent::kClosed);
          return;
        }
        range.length -= static_cast<size_t>(sent);
        file_queued_ -= static_cast<size_t>(sent);
      }
      // The bytes queued behind the range come next.
      pending_.swap(range.after);
      file_queued_ -= pending_.size();
      files_.pop_front();
      Recount();
      if (!pending_.empty()) {
        Flush();
        return;
      }
    }
    Drained();
  }

  // Everything queued has been handed to the system: a pending close happens
  // now, else the owner hears that the queue drained.
  void Drained() {
    if (close_pending_) {
      Shutdown();
      Deliver(TransportEvent::kClosed);
      return;
    }
    Deliver(TransportEvent::kQueueDrained);
  }

  void WaitWritable() {
    waiting_writable_ = true;
    Recount();
    socket_.async_wait(asio::ip::tcp::socket::wait_write,
                       [self = shared_from_this()](const asio::error_code& error) {
                         self->waiting_writable_ = false;
                         if (!self->connected_ || error == asio::error::operation_aborted) return;
                         if (error) {
                           self->Shutdown();
                           self->Deliver(TransportEvent::kClosed);
                           return;
                         }
                         self->Flush();
                       });
  }

  asio::ip::tcp::socket socket_;
  const uint32_t peer_;
  const std::shared_ptr<FlushQueue> flushes_;
  Notify notify_;
  std::vector<uint8_t> inbound_;  // received bytes; those before head_ were read
  size_t head_ = 0;
  // A range of a file to send straight from it, and the bytes queued after it.
  struct FileRange {
    std::shared_ptr<ReadableFile> file;
    off_t offset;
    size_t length;
    std::vector<uint8_t> after;
  };

  std::vector<uint8_t> pending_;    // queued since the last flush
  std::vector<uint8_t> in_flight_;  // being written
  // After pending_ and in_flight_, in order. A list: an empty one allocates
  // nothing, and nearly every connection never sends a file.
  std::list<FileRange> files_;
  size_t file_queued_ = 0;  // the bytes of files_ (ranges and what follows them)
  bool connected_ = true;
  bool close_pending_ = false;
  bool write_in_flight_ = false;
  bool flush_posted_ = false;
  bool read_armed_ = false;
  bool waiting_writable_ = false;  // for the socket to take more of a file range
  bool dropped_for_not_reading_ = false;
  SendBudget* budget_ = nullptr;  // null when the connection counts in none
  size_t counted_ = 0;            // this connection's share of the budget's total
};

void TcpTransport::FlushQueue::FlushAll() {
  posted_ = false;
  flushing_.swap(waiting_);
  for (const auto& waiting : flushing_) {
    if (const auto connection = waiting.lock()) connection->Flush();
  }
  flushing_.clear();
}

TcpTransport::TcpTransport(std::shared_ptr<Connection> connection)
    : connection_(std::move(connection)) {}
TcpTransport::~TcpTransport() {
  connection_->Abandon();
}

void TcpTransport::SetNotify(Notify notify) {
  connection_->SetNotify(std::move(notify));
}
bool TcpTransport::IsConnected() const {
  return connection_->IsConnected();
}
bool TcpTransport::IsClosePending() const {
  return connection_->IsClosePending();
}
size_t TcpTransport::BytesAvailable() const {
  return connection_->BytesAvailable();
}
size_t TcpTransport::Read(std::span<uint8_t> out) {
  return connection_->Read(out);
}
void TcpTransport::SendFile(const std::shared_ptr<ReadableFile>& file, uint64_t offset,
                            size_t length) {
  if (file->NativeHandle() < 0 || offset + length > file->Size()) {
    Transport::SendFile(file, offset, length);  // copies; raises for a short file
    return;
  }
  connection_->SendFile(file, offset, length);
}

void TcpTransport::Send(std::span<const uint8_t> first, std::span<const uint8_t> second) {
  connection_->Send(first, second);
}
size_t TcpTransport::QueuedBytes() const {
  return connection_->QueuedBytes();
}
void TcpTransport::CloseGracefully() {
  connection_->CloseGracefully();
}
void TcpTransport::Disconnect() {
  connection_->Disconnect();
}
bool TcpTransport::DroppedForNotReading() const {
  return connection_->DroppedForNotReading();
}
uint32_t TcpTransport::PeerAddress() const {
  return connection_->PeerAddress();
}

class TcpListener::Acceptor : public std::enable_shared_from_this<Acceptor> {
 public:
  explicit Acceptor(asio::io_context& io)
      : acceptor_(io),
        retry_(io),
        flushes_(std::make_shared<TcpTransport::FlushQueue>(io.get_executor())) {}

  void Open(uint32_t address, uint16_t port, int backlog, Notify notify, SendBudget* budget) {
    budget_ = budget;
    const asio::ip::tcp::endpoint endpoint(asio::ip::address_v4(address), port);
    asio::error_code error;
    acceptor_.open(endpoint.protocol(), error);
    if (!error) acceptor_.set_option(asio::socket_base::reuse_address(true), error);
    if (!error) acceptor_.bind(endpoint, error);
    if (!error) acceptor_.listen(backlog, error);
    if (!error) acceptor_.non_blocking(true, error);
    if (error) {
      asio::error_code ignored;
      acceptor_.close(ignored);
      throw Omberly::CException(
          kErrorClassFile, kErrorCodeInUse,
          "Cannot listen on port " + std::to_string(port) + ": " + error.message(), error.value());
    }
    notify_ = std::move(notify);
    Accept();
  }

  std::unique_ptr<Transport> TakeAccepted() {
    if (accepted_.empty()) return nullptr;
    auto transport = std::move(accepted_.front());
    accepted_.pop_front();
    Accept();
    return transport;
  }

  void SetFailureNotify(FailureNotify notify) { failure_notify_ = std::move(notify); }

  void Stop() {
    notify_ = nullptr;
    failure_notify_ = nullptr;
    stopped_ = true;
    asio::error_code ignored;
    acceptor_.close(ignored);
    retry_.cancel();
    accepted_.clear();
  }

  asio::ip::tcp::endpoint LocalEndpoint() const {
    asio::error_code ignored;
    return acceptor_.local_endpoint(ignored);
  }

 private:
  void Accept() {
    if (stopped_ || accepting_ || accepted_.size() >= kMaxWaitingAccepts) return;
    accepting_ = true;
    acceptor_.async_accept(
        [self = shared_from_this()](const asio::error_code& error, asio::ip::tcp::socket socket) {
          self->OnAccepted(error, std::move(socket));
        });
  }

  void OnAccepted(const asio::error_code& error, asio::ip::tcp::socket socket) {
    accepting_ = false;
    if (stopped_ || error == asio::error::operation_aborted) return;
    if (error) {
      if (!failing_) {
        failing_ = true;
        if (failure_notify_) failure_notify_(error.value());
      }
      retry_.expires_after(kAcceptRetryDelay);
      retry_.async_wait([self = shared_from_this()](const asio::error_code& wait_error) {
        if (!wait_error) self->Accept();
      });
      return;
    }
    if (failing_) {
      failing_ = false;
      if (failure_notify_) failure_notify_(0);
    }
    Keep(std::move(socket));
    // Take the other waiting connections now: each asynchronous accept would
    // otherwise wait for its own turn of the event loop, behind everything
    // queued meanwhile, and a burst of connections would get in one per turn.
    while (accepted_.size() < kMaxWaitingAccepts) {
      asio::error_code accept_error;
      asio::ip::tcp::socket next = acceptor_.accept(accept_error);
      if (accept_error) break;  // would block: none left; other errors: retried below
      Keep(std::move(next));
    }
    if (notify_) notify_();
    Accept();
  }

  void Keep(asio::ip::tcp::socket socket) {
    asio::error_code endpoint_error;
    const auto peer = socket.remote_endpoint(endpoint_error);
    const uint32_t peer_address = endpoint_error ? 0 : Ipv4Of(peer.address());
    auto connection =
        std::make_shared<TcpTransport::Connection>(std::move(socket), peer_address, flushes_);
    connection->Start(budget_);
    accepted_.push_back(std::make_unique<TcpTransport>(std::move(connection)));
  }

  asio::ip::tcp::acceptor acceptor_;
  asio::steady_timer retry_;
  std::shared_ptr<TcpTransport::FlushQueue> flushes_;  // shared by its connections
  Notify notify_;
  FailureNotify failure_notify_;
  bool failing_ = false;  // the last accept failed
  SendBudget* budget_ = nullptr;
  std::deque<std::unique_ptr<Transport>> accepted_;
  bool accepting_ = false;
  bool stopped_ = false;
};

TcpListener::TcpListener(asio::io_context& io) : acceptor_(std::make_shared<Acceptor>(io)) {}
TcpListener::~TcpListener() {
  acceptor_->Stop();
}

int MaxListenBacklog() {
  return asio::socket_base::max_listen_connections;
}

void TcpListener::Open(uint32_t address, uint16_t port, int backlog, Notify notify,
                       SendBudget* budget) {
  acceptor_->Open(address, port, backlog, std::move(notify), budget);
}
void TcpListener::SetFailureNotify(FailureNotify notify) {
  acceptor_->SetFailureNotify(std::move(notify));
}
std::unique_ptr<Transport> TcpListener::TakeAccepted() {
  return acceptor_->TakeAccepted();
}
uint32_t TcpListener::LocalAddress() const {
  return Ipv4Of(acceptor_->LocalEndpoint().address());
}
uint16_t TcpListener::LocalPort() const {
  return acceptor_->LocalEndpoint().port();
}

}  // namespace vantrel
