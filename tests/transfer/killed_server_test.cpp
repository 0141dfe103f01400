// The server killed (SIGKILL) in the middle of an upload: its partial file
// holds every byte it received, and the upload resumes from there byte-exact.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include "accounts/account_files.h"
#include "accounts/account_record.h"
#include "accounts/account_store.h"
#include "prefs/prefs_file.h"
#include "prefs/server_settings.h"
#include "protocol/access_privileges.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"
#include "support/temporary_folder.h"
#include "transfer_test_support.h"

namespace vantrel::testing {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

constexpr uint32_t kLoopbackAddress = 0x7F000001;

ByteString Big(uint32_t value, int bytes) {
  ByteString out;
  for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) out.push_back(uint8_t(value >> shift));
  return out;
}
ByteString Of(std::string_view text) {
  return {text.begin(), text.end()};
}

// A server folder whose guest may upload anywhere.
void Prepare(const fs::path& folder, uint16_t port) {
  ServerSettings settings;
  settings.server_port = port;
  settings.server_ip_address = kLoopbackAddress;
  settings.option_flags = 0;
  WritePrefsFile(FileSystem::Default(), folder, settings);
  const auto users = account_files::UsersFolderIn(folder);
  fs::create_directories(users);
  AccountRecord guest;
  guest.login = "guest";
  guest.name = "guest";
  for (const unsigned bit : {kPrivilegeUploadFiles, kPrivilegeUploadAnywhere}) {
    guest.privileges.Set(bit);
  }
  AccountStore(FileSystem::Default(), users).Create(guest);
}

// The server program running in `folder`, killed when this goes away.
class ServerProcess {
 public:
  explicit ServerProcess(const fs::path& folder) {
    pid_ = ::fork();
    if (pid_ == 0) {
      const int null = ::open("/dev/null", O_RDWR);
      ::dup2(null, 0);
      ::dup2(null, 1);
      ::dup2(null, 2);
      ::execl(VANTREL_SERVER_PROGRAM, VANTREL_SERVER_PROGRAM, "--dir", folder.c_str(), nullptr);
      ::_exit(127);
    }
  }
  ~ServerProcess() { Kill(); }

  void Kill() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

 private:
  pid_t pid_ = -1;
};

// A client logged in as guest, once the server listens (within 10 s).
std::unique_ptr<TestClient> LogIn(uint16_t port) {
  for (int attempt = 0; attempt < 200; ++attempt) {
    auto client = std::make_unique<TestClient>(port);
    if (client->Connected() && client->Handshake()) {
      UFieldData login;
      login.AddText(kFieldUserLogin, Scramble("guest"));
      login.AddText(kFieldNickname, "Killer");
      login.AddInteger(kFieldIcon, 1);
      if (client->Call(kTranLogin, login)) return client;
    }
    std::this_thread::sleep_for(milliseconds(50));
  }
  return nullptr;
}

// Asks to upload (or resume) "data.bin" and connects its transfer connection.
std::unique_ptr<TestClient> StartUpload(TestClient& client, uint16_t port, uint32_t size,
                                        bool resume, std::optional<Received>& reply) {
  UFieldData fields;
  fields.AddText(kFieldFileName, "data.bin");
  fields.AddInteger(kFieldTransferSize, size);
  if (resume) fields.AddInteger(kFieldTransferOptions, 1);
  reply = client.Call(kTranUploadFile, fields);
  if (!reply || reply->header.error != 0) return nullptr;
  const auto reference = reply->fields.Data(kFieldReferenceNumber);
  auto transfer = std::make_unique<TestClient>(static_cast<uint16_t>(port + 1));
  transfer->SendRaw(
      Join({Of("VNXF"), ByteString(reference.begin(), reference.end()), Big(size, 4), Big(0, 4)}));
  return transfer;
}

ByteString Flattened(const std::string& data) {
  return Join({Of("FILP"), Big(1, 2), Zeros(16), Big(2, 2), Of("DATA"), Zeros(8),
               Big(static_cast<uint32_t>(data.size()), 4), Of(data)});
}

TEST(KilledServer, PartialUploadSurvivesAndResumesByteExact) {
  TemporaryFolder folder;
  const uint16_t port = FindFreePorts(4);
  Prepare(folder.Path(), port);
  const fs::path partial = folder.Path() / "Files" / "data.bin.vpf";
  const std::string data = Counting(300'000);
  const size_t sent_before = 100'000;

  {
    ServerProcess server(folder.Path());
    auto client = LogIn(port);
    ASSERT_TRUE(client);
    const ByteString stream = Flattened(data);
    std::optional<Received> reply;
    auto transfer = StartUpload(*client, port, static_cast<uint32_t>(stream.size()), false, reply);
    ASSERT_TRUE(transfer);
    transfer->SendRaw(std::span(stream).first(24 + 16 + sent_before));
    for (int i = 0; i < 200 && (!fs::exists(partial) || fs::file_size(partial) < sent_before);
         ++i) {
      std::this_thread::sleep_for(milliseconds(10));
    }
    server.Kill();
  }
  ASSERT_EQ(fs::file_size(partial), sent_before);

  ServerProcess server(folder.Path());
  auto client = LogIn(port);
  ASSERT_TRUE(client);
  const ByteString rest = Flattened(data.substr(sent_before));
  std::optional<Received> reply;
  auto transfer = StartUpload(*client, port, static_cast<uint32_t>(rest.size()), true, reply);
  ASSERT_TRUE(transfer);
  const auto record = reply->fields.Data(kFieldResumeRecord);
  ASSERT_EQ(record.size(), 58u);
  EXPECT_EQ(ByteString(record.begin() + 46, record.begin() + 50),
            Big(static_cast<uint32_t>(sent_before), 4));  // the "DATA" entry's offset
  transfer->SendRaw(rest);
  EXPECT_TRUE(transfer->WaitClosed(milliseconds(5000)));
  EXPECT_EQ(ReadWholeFile(folder.Path() / "Files" / "data.bin"), data);
}

}  // namespace
}  // namespace vantrel::testing
