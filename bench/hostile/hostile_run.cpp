#include "hostile_run.h"

#include <cstdio>
#include <utility>

#include "process_probe.h"

namespace vantrel::hostile {

HostileRun::HostileRun(const HostileOptions& options)
    : options_(options),
      server_(asio::ip::address_v4(options.server_address), options.server_port),
      deadline_(io_),
      settle_(io_) {}

bool HostileRun::Run(std::ostream& out, std::string& error) {
  Begin();
  if (!ended_) io_.run();
  // The io_context has stopped and never runs again, so no operation of a
  // client outlives it.
  for (auto& client : clients_) client->Close();
  if (!error_.empty()) {
    error = error_;
    return false;
  }
  Report(out);
  return true;
}

void HostileRun::OnFailure(size_t client, const std::string& why) {
  Fail("client " + std::to_string(client) + " while " + step_ + ": " + why);
}

load::LoadClient& HostileRun::AddClient(std::unique_ptr<load::ClientCodec> codec) {
  clients_.push_back(
      std::make_unique<load::LoadClient>(io_, clients_.size(), std::move(codec), *this));
  return *clients_.back();
}

void HostileRun::Launch(size_t first, size_t end) {
  launch_next_ = first;
  launch_end_ = end;
  on_their_way_ = 0;
  StartMore();
}

void HostileRun::Through() {
  if (on_their_way_ > 0) --on_their_way_;
  StartMore();
}

void HostileRun::StartMore() {
  while (!ended_ && launch_next_ < launch_end_ && on_their_way_ < options_.window) {
    const size_t index = launch_next_++;
    ++on_their_way_;
    clients_[index]->Start(load::SourceAddress(options_.source_base, index), server_);
  }
}

void HostileRun::BeginStep(std::string name, std::chrono::seconds extra) {
  step_ = std::move(name);
  deadline_.expires_after(std::chrono::seconds(options_.step_timeout_seconds) + extra);
  deadline_.async_wait([this](const asio::error_code& error) {
    if (!error)
      Fail("no end of " + step_ + " after " + std::to_string(options_.step_timeout_seconds) + " s");
  });
}

void HostileRun::After(std::chrono::milliseconds delay, std::function<void()> then) {
  settle_.expires_after(delay);
  settle_.async_wait([this, then = std::move(then)](const asio::error_code& error) {
    if (!error && !ended_) then();
  });
}

void HostileRun::Fail(const std::string& why) {
  if (error_.empty()) error_ = why;
  Finish();
}

void HostileRun::Finish() {
  ended_ = true;
  deadline_.cancel();
  settle_.cancel();
  io_.stop();
}

uint64_t HostileRun::ServerRssKib() {
  const auto rss = load::ProcessRssKib(options_.server_pid);
  if (!rss)
    Fail("cannot read the resident memory of process " + std::to_string(options_.server_pid));
  return rss.value_or(0);
}

size_t HostileRun::ServerOpenFiles() {
  const auto files = load::ProcessOpenFiles(options_.server_pid);
  if (!files) Fail("cannot count the open files of process " + std::to_string(options_.server_pid));
  return files.value_or(0);
}

double SecondsSince(LoadClock::time_point since) {
  return std::chrono::duration<double>(LoadClock::now() - since).count();
}

double BytesPerClient(uint64_t before_kib, uint64_t after_kib, size_t clients) {
  const double growth_kib = static_cast<double>(after_kib) - static_cast<double>(before_kib);
  return growth_kib * 1024.0 / static_cast<double>(clients);
}

void FigureLine::Add(std::string_view key, double value, int decimals) {
  char number[64];
  std::snprintf(number, sizeof number, "%.*f", decimals, value);
  text_ += ' ';
  text_ += key;
  text_ += '=';
  text_ += number;
}

}  // namespace vantrel::hostile
