#include "platform/http_tunnel.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <deque>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include <asio/io_context.hpp>
#include <asio/post.hpp>

#include "platform/tunnel_format.h"

namespace vantrel {
namespace {

using std::chrono::milliseconds;
using tunnel::RequestKind;
using tunnel::TunnelId;

constexpr milliseconds kDataKeepAlive{2000};
constexpr milliseconds kIdleKeepAlive{40000};
constexpr milliseconds kReconnectWait{30000};
constexpr milliseconds kSweepPeriod{120000};
// A request not complete after this long is dropped by the next sweep.
constexpr uint32_t kRequestSeconds = 30;
// Bytes taken from the POST connection in one read.
constexpr size_t kUpstreamPiece = 64 * 1024;

struct IdHash {
  size_t operator()(const TunnelId& id) const {
    size_t hash;
    std::memcpy(&hash, id.data(), sizeof hash);
    return hash;
  }
};

// Runs `action` on the tunnel or hub from the event loop, unless it is gone by then.
template <typename T, typename Action>
void PostTo(asio::io_context& io, const std::shared_ptr<T>& target, Action action) {
  asio::post(io, [weak = std::weak_ptr<T>(target), action = std::move(action)]() mutable {
    if (const auto locked = weak.lock()) action(*locked);
  });
}

// One tunnel: its two places, the bytes that came up and those waiting to go
// down, and its timer. Events of the two connections are handled from the
// event loop after they were reported, so that a connection is never replaced
// from inside its own report.
class Tunnel : public std::enable_shared_from_this<Tunnel> {
 public:
  // Told once, when the tunnel closes or goes away, so that its ID is free again.
  using Release = std::function<void(const TunnelId&, const Tunnel*)>;

  Tunnel(asio::io_context& io, std::unique_ptr<Timer> timer, const TunnelId& id, uint32_t peer,
         Release release)
      : io_(io), timer_(std::move(timer)), id_(id), peer_(peer), release_(std::move(release)) {}

  ~Tunnel() { ReleaseId(); }

  // The first connection: the other place waits for its own.
  void Open(RequestKind kind, std::unique_ptr<Transport> connection,
            std::vector<uint8_t> body_start) {
    Attach(kind, std::move(connection), std::move(body_start));
    Arm(kIdleKeepAlive);
  }

  // A connection for the GET or POST place; whatever held it is disposed of.
  void Attach(RequestKind kind, std::unique_ptr<Transport> connection,
              std::vector<uint8_t> body_start) {
    if (kind == RequestKind::kPost) {
      post_ = std::move(connection);
      Watch(*post_, kind, ++post_serial_);
      carry_ = std::move(body_start);
      Drain();
      Raise(TransportEvent::kDataArrived);
      return;
    }
    get_ = std::move(connection);
    Watch(*get_, kind, ++get_serial_);
    Arm(FlushDown() ? kDataKeepAlive : kIdleKeepAlive);
  }

  bool Closing() const { return closing_; }

  // Transport operations (TunnelTransport).
  void SetNotify(Transport::Notify notify) { notify_ = std::move(notify); }
  bool IsConnected() const { return !disconnected_; }
  bool IsClosePending() const { return close_pending_ && !disconnected_; }
  size_t BytesAvailable() const { return inbound_.size() - head_; }
  bool DroppedForNotReading() const {
    return dropped_ || (get_ != nullptr && get_->DroppedForNotReading());
  }
  uint32_t PeerAddress() const { return peer_; }
  bool Downstream() const { return get_ != nullptr && !closing_; }

  size_t Read(std::span<uint8_t> out) {
    const size_t n = std::min(out.size(), BytesAvailable());
    std::copy_n(inbound_.begin() + static_cast<std::ptrdiff_t>(head_), n, out.begin());
    head_ += n;
    if (head_ == inbound_.size()) {
      inbound_.clear();
      head_ = 0;
    }
    if (BytesAvailable() < kInboundHighWater / 2) Drain();
    return n;
  }

  void Send(std::span<const uint8_t> first, std::span<const uint8_t> second) {
    if (closing_) return;
    outgoing_.insert(outgoing_.end(), first.begin(), first.end());
    outgoing_.insert(outgoing_.end(), second.begin(), second.end());
    if (QueuedBytes() > kSendQueueLimit) {
      Overflow();
      return;
    }
    if (!flush_posted_) {
      flush_posted_ = true;
      PostTo(io_, shared_from_this(), [](Tunnel& tunnel) {
        tunnel.flush_posted_ = false;
        if (tunnel.FlushDown()) tunnel.Arm(kDataKeepAlive);
      });
    }
  }

  // A range of a file as one data chunk, sent from the file by the GET connection.
  // REQUIRES: Downstream().
  void SendFileDown(const std::shared_ptr<ReadableFile>& file, uint64_t offset, size_t length) {
    FlushDown();
    std::vector<uint8_t> head;
    tunnel::AppendChunkHead(head, tunnel::kDataChunk, static_cast<uint32_t>(length));
    get_->Send(head);
    get_->SendFile(file, offset, length);
    std::vector<uint8_t> padding;
    tunnel::AppendPadding(padding, length);
    if (!padding.empty()) get_->Send(padding);
    Arm(kDataKeepAlive);
  }

  size_t QueuedBytes() const {
    return outgoing_.size() + (get_ != nullptr ? get_->QueuedBytes() : 0);
  }

  // The server's own close: what is queued goes down, then the end of the
  // stream; the POST gets its ending answer. Closed once the GET connection is.
  void CloseGracefully() {
    if (closing_) return;
    FlushDown();
    close_pending_ = true;
    EndBoth(/*end_chunk=*/true);
    if (get_ == nullptr) Finish();
  }

  void Disconnect() {
    if (disconnected_) return;
    closing_ = true;
    outgoing_.clear();
    ReleaseId();
    timer_->Stop();
    if (get_ != nullptr) get_->Disconnect();
    if (post_ != nullptr) post_->Disconnect();
    Finish();
  }

  // The owner's handle is gone: no more events.
  void Abandon() {
    notify_ = nullptr;
    closing_ = true;
    ReleaseId();
    timer_->Stop();
  }

 private:
  void Watch(Transport& connection, RequestKind kind, uint64_t serial) {
    connection.SetNotify([this, kind, serial](TransportEvent event) {
      PostTo(io_, shared_from_this(),
             [kind, serial, event](Tunnel& tunnel) { tunnel.OnEvent(kind, serial, event); });
    });
  }

  void OnEvent(RequestKind kind, uint64_t serial, TransportEvent event) {
    if (kind == RequestKind::kGet) {
      if (serial == get_serial_ && get_ != nullptr) OnGetEvent(event);
    } else if (serial == post_serial_ && post_ != nullptr) {
      OnPostEvent(event);
    }
  }

  void OnGetEvent(TransportEvent event) {
    if (closing_) {
      if (close_pending_ && event == TransportEvent::kClosed) Finish();
      return;
    }
    switch (event) {
      case TransportEvent::kDataArrived: {
        // Nothing comes up the GET connection after its request: ignored.
        std::array<uint8_t, 4096> ignored;
        while (get_->Read(ignored) > 0) {
        }
        break;
      }
      case TransportEvent::kClosed:
        get_.reset();
        Arm(kReconnectWait);
        break;
      case TransportEvent::kQueueDrained:
        if (outgoing_.empty()) Raise(TransportEvent::kQueueDrained);
        break;
      case TransportEvent::kSendQueueOverflow:
        Overflow();
        break;
    }
  }

  void OnPostEvent(TransportEvent event) {
    if (closing_) return;
    if (event == TransportEvent::kClosed) {
      post_.reset();
      Arm(kReconnectWait);
    } else if (event == TransportEvent::kDataArrived && Drain()) {
      Raise(TransportEvent::kDataArrived);
    }
  }

  // Moves data up from what the POST connection carried, while the bytes held
  // unread stay below the high-water mark (the connection itself then stops
  // reading). True when data came.
  bool Drain() {
    const size_t before = BytesAvailable();
    while (!reader_.Ended() && BytesAvailable() < kInboundHighWater) {
      if (head_ > 0 && head_ >= inbound_.size() / 2) {
        inbound_.erase(inbound_.begin(), inbound_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
      }
      if (!carry_.empty()) {
        TakeData(carry_);
        carry_.clear();
        continue;
      }
      if (post_ == nullptr || post_->BytesAvailable() == 0) break;
      static thread_local std::array<uint8_t, kUpstreamPiece> piece;
      const size_t n = post_->Read(piece);
      TakeData(std::span<const uint8_t>(piece.data(), n));
    }
    if (reader_.Ended() && !closing_) {
      // The client ended the stream.
      EndBoth(/*end_chunk=*/false);
      disconnected_ = true;
      Raise(TransportEvent::kClosed);
    }
    return BytesAvailable() > before;
  }

  // Keeps the data of the chunks in `bytes` for the owner to read.
  void TakeData(std::span<const uint8_t> bytes) {
    for (auto data = reader_.Next(bytes); !data.empty(); data = reader_.Next(bytes)) {
      inbound_.insert(inbound_.end(), data.begin(), data.end());
    }
  }

  // Sends what waits to go down as one data chunk and its padding. True when
  // something was sent.
  bool FlushDown() {
    if (get_ == nullptr || closing_ || outgoing_.empty()) return false;
    std::vector<uint8_t> head;
    tunnel::AppendChunkHead(head, tunnel::kDataChunk, static_cast<uint32_t>(outgoing_.size()));
    get_->Send(head, outgoing_);
    std::vector<uint8_t> padding;
    tunnel::AppendPadding(padding, outgoing_.size());
    if (!padding.empty()) get_->Send(padding);
    std::vector<uint8_t>().swap(outgoing_);
    return true;
  }

  void Arm(milliseconds delay) {
    timer_->Start(delay, [this] { OnTimer(); });
  }

  void OnTimer() {
    if (closing_) return;
    if (get_ == nullptr || post_ == nullptr) {
      // A half was lost and not replaced in time.
      EndBoth(/*end_chunk=*/true);
      disconnected_ = true;
      Raise(TransportEvent::kClosed);
      return;
    }
    std::vector<uint8_t> padding;
    tunnel::AppendPadding(padding, 0);
    get_->Send(padding);
    Arm(kIdleKeepAlive);
  }

  // Closes both places: the GET connection after an end chunk (when asked),
  // the POST connection after its ending answer. Frees the ID.
  void EndBoth(bool end_chunk) {
    closing_ = true;
    ReleaseId();
    timer_->Stop();
    if (get_ != nullptr) {
      if (end_chunk) get_->Send(std::array<uint8_t, tunnel::kChunkHeadSize>{});
      get_->CloseGracefully();
    }
    if (post_ != nullptr) {
      post_->Send(tunnel::EndingAnswer());
      post_->CloseGracefully();
    }
  }

  void Overflow() {
    dropped_ = true;
    Raise(TransportEvent::kSendQueueOverflow);
    Disconnect();
  }

  void Finish() {
    if (disconnected_) return;
    disconnected_ = true;
    Raise(TransportEvent::kClosed);
  }

  void Raise(TransportEvent event) {
    PostTo(io_, shared_from_this(), [event](Tunnel& tunnel) {
      if (tunnel.notify_) tunnel.notify_(event);
    });
  }

  void ReleaseId() {
    if (released_) return;
    released_ = true;
    release_(id_, this);
  }

  asio::io_context& io_;
  std::unique_ptr<Timer> timer_;
  const TunnelId id_;
  const uint32_t peer_;
  Release release_;
  Transport::Notify notify_;

  // Null while that half is missing.
  std::unique_ptr<Transport> get_;   // downstream: the answer to a GET
  std::unique_ptr<Transport> post_;  // upstream: the body of a POST
  uint64_t get_serial_ = 0;          // which connection of the place events belong to
  uint64_t post_serial_ = 0;

  tunnel::ChunkReader reader_;    // of the POST body
  std::vector<uint8_t> carry_;    // the body bytes read with a POST's request
  std::vector<uint8_t> inbound_;  // data come up; those before head_ were read
  size_t head_ = 0;
  std::vector<uint8_t> outgoing_;  // written and not yet sent down

  bool flush_posted_ = false;
  bool closing_ = false;        // final: no more data either way
  bool close_pending_ = false;  // the server's own close, waiting for the GET to drain
  bool disconnected_ = false;   // the owner has been (or is being) told kClosed
  bool dropped_ = false;
  bool released_ = false;
};

class TunnelTransport final : public Transport {
 public:
  explicit TunnelTransport(std::shared_ptr<Tunnel> tunnel) : tunnel_(std::move(tunnel)) {}
  ~TunnelTransport() override { tunnel_->Abandon(); }

  void SetNotify(Notify notify) override { tunnel_->SetNotify(std::move(notify)); }
  bool IsConnected() const override { return tunnel_->IsConnected(); }
  bool IsClosePending() const override { return tunnel_->IsClosePending(); }
  size_t BytesAvailable() const override { return tunnel_->BytesAvailable(); }
  size_t Read(std::span<uint8_t> out) override { return tunnel_->Read(out); }
  void Send(std::span<const uint8_t> first, std::span<const uint8_t> second) override {
    tunnel_->Send(first, second);
  }
  // Straight from the file when the GET connection is there; a copy waits otherwise.
  void SendFile(const std::shared_ptr<ReadableFile>& file, uint64_t offset,
                size_t length) override {
    if (length == 0 || !tunnel_->IsConnected()) return;
    if (tunnel_->Downstream()) {
      tunnel_->SendFileDown(file, offset, length);
    } else {
      Transport::SendFile(file, offset, length);
    }
  }
  size_t QueuedBytes() const override { return tunnel_->QueuedBytes(); }
  void CloseGracefully() override { tunnel_->CloseGracefully(); }
  void Disconnect() override { tunnel_->Disconnect(); }
  bool DroppedForNotReading() const override { return tunnel_->DroppedForNotReading(); }
  uint32_t PeerAddress() const override { return tunnel_->PeerAddress(); }

 private:
  std::shared_ptr<Tunnel> tunnel_;
};

}  // namespace

// The listening socket, the requests still arriving and the live tunnels by ID.
class TunnelListener::Hub : public std::enable_shared_from_this<Hub> {
 public:
  Hub(asio::io_context& io, const Clock& clock, TimerFactory& timers)
      : io_(io), clock_(clock), timers_(timers), listener_(io), sweep_(timers.NewTimer()) {}

  void Open(uint32_t address, uint16_t port, int backlog, Notify notify, SendBudget* budget) {
    listener_.Open(
        address, port, backlog,
        [this] { PostTo(io_, shared_from_this(), [](Hub& hub) { hub.TakeConnections(); }); },
        budget);
    notify_ = std::move(notify);
    ArmSweep();
  }

  void Stop() {
    notify_ = nullptr;
    sweep_->Stop();
  }

  std::unique_ptr<Transport> TakeAccepted() {
    if (accepted_.empty()) return nullptr;
    auto tunnel = std::move(accepted_.front());
    accepted_.pop_front();
    return tunnel;
  }

  size_t PendingRequests() const { return pending_.size(); }

 private:
  struct PendingRequest {
    std::unique_ptr<Transport> connection;
    uint32_t since = 0;
    std::vector<uint8_t> received;
  };

  void TakeConnections() {
    while (auto connection = listener_.TakeAccepted()) {
      if (pending_.size() >= kMaxPendingTunnelRequests) pending_.erase(pending_.begin());
      const uint64_t serial = ++serial_;
      connection->SetNotify([this, serial](TransportEvent) {
        PostTo(io_, shared_from_this(), [serial](Hub& hub) { hub.ServeRequest(serial); });
      });
      pending_[serial] = {std::move(connection), clock_.Seconds(), {}};
      ServeRequest(serial);  // bytes may have come with the connection
    }
  }

  void ServeRequest(uint64_t serial) {
    const auto entry = pending_.find(serial);
    if (entry == pending_.end()) return;
    PendingRequest& pending = entry->second;
    Transport& connection = *pending.connection;
    if (!connection.IsConnected()) {
      pending_.erase(entry);
      return;
    }
    const size_t available = connection.BytesAvailable();
    if (pending.received.size() + available < tunnel::kRequestMinimum) return;
    const size_t old_size = pending.received.size();
    const size_t take = std::min(available, tunnel::kRequestLimit - old_size);
    pending.received.resize(old_size + take);
    connection.Read(std::span<uint8_t>(pending.received).subspan(old_size));

    tunnel::Request request;
    switch (tunnel::ParseRequest(pending.received, request)) {
      case tunnel::RequestParse::kIncomplete:
        return;
      case tunnel::RequestParse::kRefused:
        pending_.erase(entry);  // dropped without an answer
        return;
      case tunnel::RequestParse::kParsed:
        break;
    }
    std::unique_ptr<Transport> taken = std::move(pending.connection);
    std::vector<uint8_t> body_start(
        pending.received.begin() + static_cast<std::ptrdiff_t>(request.head_size),
        pending.received.end());
    pending_.erase(entry);
    Join(request, std::move(taken), std::move(body_start));
  }

  void Join(const tunnel::Request& request, std::unique_ptr<Transport> connection,
            std::vector<uint8_t> body_start) {
    if (request.kind == RequestKind::kGet) {
      connection->Send(tunnel::GetAnswer());
      body_start.clear();
    }
    const auto live = tunnels_.find(request.id);
    if (live != tunnels_.end() && !live->second->Closing()) {
      live->second->Attach(request.kind, std::move(connection), std::move(body_start));
      return;
    }
    const uint32_t peer = connection->PeerAddress();
    auto tunnel =
        std::make_shared<Tunnel>(io_, timers_.NewTimer(), request.id, peer,
                                 [hub = weak_from_this()](const TunnelId& id, const Tunnel* which) {
                                   if (const auto locked = hub.lock()) locked->Forget(id, which);
                                 });
    tunnels_[request.id] = tunnel.get();
    tunnel->Open(request.kind, std::move(connection), std::move(body_start));
    accepted_.push_back(std::make_unique<TunnelTransport>(std::move(tunnel)));
    if (notify_) notify_();
  }

  void Forget(const TunnelId& id, const Tunnel* which) {
    const auto entry = tunnels_.find(id);
    if (entry != tunnels_.end() && entry->second == which) tunnels_.erase(entry);
  }

  void ArmSweep() {
    sweep_->Start(kSweepPeriod, [this] {
      const uint32_t now = clock_.Seconds();
      std::erase_if(pending_, [now](const auto& entry) {
        return now - entry.second.since > kRequestSeconds;
      });
      ArmSweep();
    });
  }

  asio::io_context& io_;
  const Clock& clock_;
  TimerFactory& timers_;
  TcpListener listener_;
  std::unique_ptr<Timer> sweep_;
  Notify notify_;
  uint64_t serial_ = 0;
  std::map<uint64_t, PendingRequest> pending_;  // oldest first
  std::unordered_map<TunnelId, Tunnel*, IdHash> tunnels_;
  std::deque<std::unique_ptr<Transport>> accepted_;
};

TunnelListener::TunnelListener(asio::io_context& io, const Clock& clock, TimerFactory& timers)
    : hub_(std::make_shared<Hub>(io, clock, timers)) {}

TunnelListener::~TunnelListener() {
  hub_->Stop();
}

void TunnelListener::Open(uint32_t address, uint16_t port, int backlog, Notify notify,
                          SendBudget* budget) {
  hub_->Open(address, port, backlog, std::move(notify), budget);
}

std::unique_ptr<Transport> TunnelListener::TakeAccepted() {
  return hub_->TakeAccepted();
}

size_t TunnelListener::PendingRequests() const {
  return hub_->PendingRequests();
}

}  // namespace vantrel
