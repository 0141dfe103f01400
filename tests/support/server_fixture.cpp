#include "support/server_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <stdexcept>

#include "prefs/prefs_file.h"

namespace vantrel::testing {
namespace {

bool PortIsFree(uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool free = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return free;
}

// Columns of a log-window line: a 22-character date, a blank, a 20-character
// who text, a blank, the message.
constexpr size_t kWhoStart = 23;
constexpr size_t kWhoWidth = 20;
constexpr size_t kMessageStart = 44;

}  // namespace

uint16_t FindFreePorts(int count) {
  std::mt19937 random(std::random_device{}());
  std::uniform_int_distribution<int> base(20000, 60000);
  for (int attempt = 0; attempt < 200; ++attempt) {
    const int first = base(random);
    bool all_free = true;
    for (int i = 0; i < count && all_free; ++i) {
      all_free = PortIsFree(static_cast<uint16_t>(first + i));
    }
    if (all_free) return static_cast<uint16_t>(first);
  }
  throw std::runtime_error("no block of free ports found");
}

ServerFixture::ServerFixture(bool start, LogWindow::Echo echo)
    : server_(std::make_unique<CMyApplication>(io_, clock_, clock_, folder_.Path(), std::move(echo),
                                               &disk_)) {
  prefs_.server_ip_address = kLoopback;
  prefs_.server_port = FindFreePorts(4);
  prefs_.tracker_pass_id = 1;
  server_->Core().SetOperator(&operator_);
  server_->Core().SetQuitHandler([this] { ++quits_; });
  server_->Core().SetExitHandler([this](int code) { exits_.push_back(code); });
  if (start) Start();
}

ServerFixture::~ServerFixture() {
  server_.reset();
  io_.poll();
}

void ServerFixture::Start() {
  WritePrefsFile(disk_, folder_.Path(), prefs_);
  server_->Start();
}

void ServerFixture::Poll() {
  io_.restart();
  io_.run_for(std::chrono::milliseconds(1));
  for (const auto& work : also_run_) work();
}

void ServerFixture::RunPass() {
  io_.restart();
  io_.poll();
  server_->Core().RunPass();
  io_.poll();
}

void ServerFixture::AdvanceAndPass(uint32_t seconds) {
  clock_.Advance(seconds);
  RunPass();
}

std::unique_ptr<TestClient> ServerFixture::Connect(uint32_t source) {
  return std::make_unique<TestClient>(
      Port(), [this] { Poll(); }, source);
}

std::unique_ptr<TestClient> ServerFixture::ConnectClient(uint32_t source) {
  const uint32_t admitted = server_->Core().Stats().connection_counter;
  auto client = Connect(source);
  if (!client->Handshake()) return nullptr;
  // The pass that answered the handshake has admitted the client, or refused it.
  if (server_->Core().Stats().connection_counter == admitted) return nullptr;
  return client;
}

std::unique_ptr<TestClient> ServerFixture::ConnectLoggedIn(uint32_t source) {
  auto client = ConnectClient(source);
  if (client) server_->Core().Clients().All().back()->logged_in = true;
  return client;
}

std::unique_ptr<TestClient> ServerFixture::ConnectAs(std::string name,
                                                     std::initializer_list<unsigned> bits,
                                                     uint32_t source) {
  auto client = ConnectLoggedIn(source);
  if (!client) return client;
  ClientSession& session = *server_->Core().Clients().All().back();
  session.display_name = std::move(name);
  for (const unsigned bit : bits) session.privileges.Set(bit);
  return client;
}

std::vector<std::string> ServerFixture::LogLines() const {
  std::vector<std::string> lines;
  const std::string& text = server_->Core().Log().Text();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\r', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (line.size() >= kMessageStart) {
      std::string who = line.substr(kWhoStart, kWhoWidth);
      who.erase(who.find_last_not_of(' ') + 1);
      lines.push_back(who + "|" + line.substr(kMessageStart));
    }
    start = end + 1;
  }
  return lines;
}

bool ServerFixture::Logged(const std::string& message) const {
  for (const auto& line : LogLines()) {
    if (line.substr(line.find('|') + 1) == message) return true;
  }
  return false;
}

}  // namespace vantrel::testing
