#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "prefs/server_settings.h"
#include "protocol/access_privileges.h"
#include "protocol/field_ids.h"
#include "protocol/transaction_types.h"
#include "support/server_fixture.h"
#include "support/shared_tree.h"
#include "transfer_test_support.h"

namespace vantrel::testing {
namespace {

using ::testing::ElementsAreArray;
namespace fs = std::filesystem;

std::string Text(std::span<const uint8_t> bytes) {
  return {bytes.begin(), bytes.end()};
}

ByteString Big16(uint16_t value) {
  return {static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}
ByteString Big32(uint32_t value) {
  return {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
          static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}
ByteString Of(std::string_view text) {
  return {text.begin(), text.end()};
}

// A flattened stream as a client uploads it: "FILP", an information fork and
// the data fork holding `data`.
ByteString Flattened(const std::string& name, const std::string& data) {
  return Join({Of("FILP"), Big16(1), Zeros(16), Big16(2),                             //
               Of("INFO"), Zeros(8), Big32(static_cast<uint32_t>(74 + name.size())),  //
               Of("MWIN"), Of("TEXTttxt"), Zeros(58), Big16(static_cast<uint16_t>(name.size())),
               Of(name), Zeros(2),  //
               Of("DATA"), Zeros(8), Big32(static_cast<uint32_t>(data.size())), Of(data)});
}

class Transfers : public ::testing::Test {
 protected:
  explicit Transfers(uint16_t max_per_client = 10, uint16_t max_downloads = 100,
                     const std::string& banner = {})
      : fixture_(false) {
    fixture_.Prefs().max_downloads = max_downloads;
    fixture_.Prefs().max_downloads_per_client = max_per_client;
    if (!banner.empty()) {
      MakeFile(fixture_.Folder() / "banner.jpg", banner);
      fixture_.Prefs().option_flags |= kOptionLocalBanner;
      fixture_.Prefs().banner_file = "banner.jpg";
    }
    fixture_.Start();
  }

  fs::path Files() const { return fixture_.Folder() / "Files"; }

  std::unique_ptr<TestClient> User(std::initializer_list<unsigned> bits) {
    return fixture_.ConnectAs("Tester", bits);
  }
  std::unique_ptr<TestClient> Downloader() {
    return User({kPrivilegeDownloadFiles, kPrivilegeDownloadFolders});
  }
  std::unique_ptr<TestClient> Uploader() {
    return User({kPrivilegeUploadFiles, kPrivilegeUploadFolders, kPrivilegeUploadAnywhere});
  }

  static UFieldData Request(const std::string& name, std::initializer_list<std::string> path = {}) {
    UFieldData fields;
    fields.AddText(kFieldFileName, name);
    if (path.size() != 0) fields.AddField(kFieldFilePath, PathField(path));
    return fields;
  }

  // A transfer connection that has sent its header for `reference`.
  std::unique_ptr<TestClient> Connect(std::span<const uint8_t> reference, uint16_t kind,
                                      uint32_t size = 0) {
    auto connection = std::make_unique<TestClient>(static_cast<uint16_t>(fixture_.Port() + 1),
                                                   [this] { fixture_.Poll(); });
    connection->SendRaw(Join({Of("VNXF"), ByteString(reference.begin(), reference.end()),
                              Big32(size), Big16(kind), Zeros(2)}));
    return connection;
  }

  ServerFixture fixture_;
};

TEST_F(Transfers, FileDownloadSendsTheFlattenedFileAndStaysCountedUntilClosed) {
  const std::string data = Counting(1000);
  MakeFile(Files() / "a.txt", data);
  auto client = Downloader();
  const auto reply = client->Call(kTranDownloadFile, Request("a.txt"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->fields.ReadInteger(kFieldTransferSize), 1135u);
  EXPECT_EQ(reply->fields.ReadInteger(kFieldFileSize), 1000u);
  const auto reference = reply->fields.Data(kFieldReferenceNumber);
  ASSERT_EQ(reference.size(), 4u);
  EXPECT_EQ(reference[0] & 1, 1);
  EXPECT_EQ(fixture_.Server().Core().Stats().download_counter, 1u);

  auto transfer = Connect(reference, 0);
  const auto stream = transfer->ReadRaw(1135);
  ASSERT_TRUE(stream);
  EXPECT_EQ(ByteString(stream->begin(), stream->begin() + 24),
            Join({Of("FILP"), Big16(1), Zeros(16), Big16(2)}));
  EXPECT_EQ(Text(std::span(*stream).subspan(119, 16)),
            Text(Join({Of("DATA"), Zeros(8), Big32(1000)})));
  EXPECT_EQ(Text(std::span(*stream).subspan(135)), data);
  EXPECT_TRUE(fixture_.Logged("Download complete"));
  EXPECT_EQ(fixture_.Server().Core().Stats().Live().downloads_in_progress, 1u);
  transfer->Close();
  for (int i = 0; i < 20 && !fixture_.Logged("Download connection closed"); ++i) fixture_.Poll();
  EXPECT_EQ(fixture_.Server().Core().Stats().Live().downloads_in_progress, 0u);
}

TEST_F(Transfers, ResumedDownloadSendsTheRestFromTheRecordsOffset) {
  const std::string data = Counting(1000);
  MakeFile(Files() / "a.txt", data);
  auto client = Downloader();
  UFieldData fields = Request("a.txt");
  fields.AddField(kFieldResumeRecord, Join({Of("RFLT"), Big16(1), Zeros(34), Big16(1), Of("DATA"),
                                            Big32(400), Zeros(8)}));
  const auto reply = client->Call(kTranDownloadFile, fields);
  ASSERT_EQ(reply->fields.ReadInteger(kFieldTransferSize), 735u);
  auto transfer = Connect(reply->fields.Data(kFieldReferenceNumber), 0);
  const auto stream = transfer->ReadRaw(735);
  ASSERT_TRUE(stream);
  EXPECT_EQ(Text(std::span(*stream).subspan(135)), data.substr(400));
}

TEST_F(Transfers, ClientInformationListsTheFlattenedSizeAndTheShareSent) {
  MakeFile(Files() / "a.txt", std::string(3000, 'x'));
  auto client = User({kPrivilegeDownloadFiles, kPrivilegeGetClientInfo});
  ASSERT_TRUE(client->Call(kTranDownloadFile, Request("a.txt")));
  UFieldData who;
  who.AddInteger(kFieldUserId, fixture_.Session(0).user_id);
  const auto info = client->Call(kTranGetClientInfo, who);
  ASSERT_TRUE(info);
  // 3135 bytes to send, none yet: no connection.
  EXPECT_THAT(
      Text(info->fields.Data(kFieldData)),
      ::testing::HasSubstr("-------- File Downloads ---------\r\ra.txt                 0%   3K\r"));
}

TEST_F(Transfers, UnknownReferenceOrWrongKindFailsTheConnection) {
  MakeFile(Files() / "a.txt", "abc");
  auto client = Downloader();
  const auto reply = client->Call(kTranDownloadFile, Request("a.txt"));
  auto wrong_kind = Connect(reply->fields.Data(kFieldReferenceNumber), 1);
  EXPECT_TRUE(wrong_kind->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Transfer connection establish failed!"));
}

TEST_F(Transfers, RefusalsLeaveNoTask) {
  MakeFile(Files() / "Incoming Drop Box" / "secret.txt");
  auto plain = User({});
  auto client = Downloader();
  EXPECT_EQ(Text(plain->Call(kTranDownloadFile, Request("a.txt"))->fields.Data(kFieldErrorText)),
            "You are not allowed to download files.");
  EXPECT_EQ(Text(client->Call(kTranDownloadFile, Request("none"))->fields.Data(kFieldErrorText)),
            "Cannot download because there is no file named \xD2none\xD3.");
  EXPECT_EQ(Text(client->Call(kTranDownloadFile, Request("secret.txt", {"Incoming Drop Box"}))
                     ->fields.Data(kFieldErrorText)),
            "Cannot download \xD2secret.txt\xD3 because it is in a drop box.");
  EXPECT_EQ(fixture_.Server().Core().Stats().download_counter, 0u);
}

class QueuedTransfers : public Transfers {
 protected:
  QueuedTransfers() : Transfers(2, 1) {}
};

TEST_F(QueuedTransfers, DownloadsPastTheLimitWaitAndStartInTurn) {
  MakeFile(Files() / "a.txt", "abc");
  auto client = Downloader();
  std::vector<Received> replies;
  for (int i = 0; i < 5; ++i) replies.push_back(*client->Call(kTranDownloadFile, Request("a.txt")));
  EXPECT_EQ(replies[0].fields.Find(kFieldQueuePosition), 0u);
  EXPECT_EQ(replies[1].fields.ReadInteger(kFieldQueuePosition), 1u);
  EXPECT_EQ(replies[4].fields.ReadInteger(kFieldQueuePosition), 4u);
  // A waiting download's early connection stays idle.
  auto early = Connect(replies[1].fields.Data(kFieldReferenceNumber), 0);
  EXPECT_TRUE(early->StaysQuiet(milliseconds(50)));
  // The first ends: the second starts, its owner told position 0.
  auto first = Connect(replies[0].fields.Data(kFieldReferenceNumber), 0);
  ASSERT_TRUE(first->ReadRaw(3 + 24 + 16 + 79 + 16));
  first->Close();
  const auto started = client->WaitRequest(kTranDownloadQueuePosition);
  ASSERT_TRUE(started);
  EXPECT_EQ(started->fields.ReadInteger(kFieldQueuePosition), 0u);
  EXPECT_THAT(started->fields.Data(kFieldReferenceNumber),
              ElementsAreArray(replies[1].fields.Data(kFieldReferenceNumber)));
  EXPECT_TRUE(early->ReadRaw(3 + 24 + 16 + 79 + 16));
}

TEST_F(Transfers, CancelFromAnotherUserChangesNothing) {
  MakeFile(Files() / "a.txt", "abc");
  auto owner = Downloader();
  auto other = Downloader();
  const auto reply = owner->Call(kTranDownloadFile, Request("a.txt"));
  UFieldData cancel;
  cancel.AddField(kFieldReferenceNumber, reply->fields.Data(kFieldReferenceNumber));
  EXPECT_EQ(other->Call(kTranCancelDownload, cancel)->header.error, 0u);
  EXPECT_EQ(fixture_.Server().Core().Stats().Live().downloads_in_progress, 1u);
  EXPECT_EQ(owner->Call(kTranCancelDownload, cancel)->header.error, 0u);
  EXPECT_EQ(fixture_.Server().Core().Stats().Live().downloads_in_progress, 0u);
}

TEST_F(Transfers, UploadWritesThePartialFileThenGivesItItsName) {
  auto client = Uploader();
  const ByteString stream = Flattened("song.mp3", "la la la");
  UFieldData fields = Request("song.mp3");
  fields.AddInteger(kFieldTransferSize, static_cast<uint32_t>(stream.size()));
  const auto reply = client->Call(kTranUploadFile, fields);
  ASSERT_TRUE(reply);
  const auto reference = reply->fields.Data(kFieldReferenceNumber);
  EXPECT_EQ(reference[0] & 1, 0);
  EXPECT_TRUE(fs::exists(Files() / "song.mp3.vpf"));
  auto transfer = Connect(reference, 0, static_cast<uint32_t>(stream.size()));
  transfer->SendRaw(stream);
  EXPECT_TRUE(transfer->WaitClosed());
  EXPECT_EQ(ReadWholeFile(Files() / "song.mp3"), "la la la");
  EXPECT_FALSE(fs::exists(Files() / "song.mp3.vpf"));
  EXPECT_TRUE(fixture_.Logged("Upload complete"));
}

TEST_F(Transfers, UploadNamesAndPlaces) {
  auto client = Uploader();
  auto confined = User({kPrivilegeUploadFiles});
  fs::create_directory(Files() / "Uploads");
  auto error = [](TestClient& user, const UFieldData& fields) {
    return Text(user.Call(kTranUploadFile, fields)->fields.Data(kFieldErrorText));
  };
  EXPECT_EQ(error(*client, Request("a.LNK")), "Cannot upload shortcuts.");
  EXPECT_EQ(error(*client, Request("a.lnk.vpf")), "Cannot upload shortcuts.");
  EXPECT_EQ(error(*confined, Request("x.txt")),
            "Cannot accept upload of the file \xD2x.txt\xD3 because you are only allowed to "
            "upload to the \xD2Uploads\xD3 folder.");
  EXPECT_EQ(confined->Call(kTranUploadFile, Request("x.txt", {"Uploads"}))->header.error, 0u);
  // A name ending in ".vpf" is its own partial file.
  EXPECT_EQ(client->Call(kTranUploadFile, Request("song.mp3.vpf"))->header.error, 0u);
  EXPECT_TRUE(fs::exists(Files() / "song.mp3.vpf"));
  EXPECT_FALSE(fs::exists(Files() / "song.mp3.vpf.vpf"));
}

TEST_F(Transfers, SilentUploadIsAbortedAndItsPartialFileResumes) {
  auto client = Uploader();
  const ByteString stream = Flattened("notes.txt", Counting(5000));
  UFieldData fields = Request("notes.txt");
  fields.AddInteger(kFieldTransferSize, static_cast<uint32_t>(stream.size()));
  auto first = Connect(client->Call(kTranUploadFile, fields)->fields.Data(kFieldReferenceNumber), 0,
                       static_cast<uint32_t>(stream.size()));
  const size_t head = 24 + 16 + 74 + 9 + 16;
  first->SendRaw(std::span(stream).first(head + 2000));
  for (int i = 0; i < 20; ++i) fixture_.Poll();
  fixture_.AdvanceAndPass(121);
  EXPECT_TRUE(first->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Upload aborted"));
  EXPECT_EQ(fs::file_size(Files() / "notes.txt.vpf"), 2000u);

  UFieldData resume = Request("notes.txt");
  resume.AddInteger(kFieldTransferOptions, 1);
  const auto reply = client->Call(kTranUploadFile, resume);
  ASSERT_TRUE(reply);
  EXPECT_EQ(
      Text(reply->fields.Data(kFieldResumeRecord)),
      Text(Join({Of("RFLT"), Big16(1), Zeros(34), Big16(2), Of("DATA"), Big32(2000), Zeros(8)})));
  const ByteString rest = Flattened("notes.txt", Counting(5000).substr(2000));
  auto second =
      Connect(reply->fields.Data(kFieldReferenceNumber), 0, static_cast<uint32_t>(rest.size()));
  second->SendRaw(rest);
  EXPECT_TRUE(second->WaitClosed());
  EXPECT_EQ(ReadWholeFile(Files() / "notes.txt"), Counting(5000));
}

TEST_F(Transfers, FullDiskAbortsTheUploadAndKeepsThePartialFile) {
  auto client = Uploader();
  const ByteString stream = Flattened("big.bin", Counting(3000));
  UFieldData fields = Request("big.bin");
  fields.AddInteger(kFieldTransferSize, static_cast<uint32_t>(stream.size()));
  auto transfer = Connect(client->Call(kTranUploadFile, fields)->fields.Data(kFieldReferenceNumber),
                          0, static_cast<uint32_t>(stream.size()));
  fixture_.Disk().FailChange(1, ENOSPC, FaultSpan::kFromThenOn);
  transfer->SendRaw(stream);
  EXPECT_TRUE(transfer->WaitClosed());
  fixture_.Disk().Heal();
  EXPECT_TRUE(fixture_.Logged("Upload aborted"));
  EXPECT_TRUE(fs::exists(Files() / "big.bin.vpf"));
  EXPECT_FALSE(fs::exists(Files() / "big.bin"));
  EXPECT_TRUE(client->Call(kTranGetFileList));  // the client itself is unharmed
}

TEST_F(Transfers, HostilePeersCostTheirConnectionAndNoServerFailure) {
  auto silent = std::make_unique<TestClient>(static_cast<uint16_t>(fixture_.Port() + 1),
                                             [this] { fixture_.Poll(); });
  auto client = Uploader();
  UFieldData fields = Request("junk.bin");
  fields.AddInteger(kFieldTransferSize, 100);
  auto garbage =
      Connect(client->Call(kTranUploadFile, fields)->fields.Data(kFieldReferenceNumber), 0, 100);
  garbage->SendRaw(ByteString(100, 'x'));
  EXPECT_TRUE(garbage->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Upload aborted"));
  EXPECT_EQ(fixture_.Server().Core().GetCounters().failures, 0u);
  // A connection that never sends its header is closed after a minute.
  EXPECT_TRUE(silent->StaysQuiet(milliseconds(20)));
  fixture_.AdvanceAndPass(61);
  EXPECT_TRUE(silent->WaitClosed());
}

TEST_F(Transfers, TasksWhoseClientNeverConnectsEndAfter500Seconds) {
  MakeFile(Files() / "a.txt", "abc");
  auto client = User({kPrivilegeDownloadFiles, kPrivilegeUploadFiles, kPrivilegeUploadAnywhere});
  ASSERT_TRUE(client->Call(kTranDownloadFile, Request("a.txt")));
  ASSERT_TRUE(client->Call(kTranUploadFile, Request("b.txt")));
  fixture_.AdvanceAndPass(500);
  EXPECT_FALSE(fixture_.Logged("Download aborted (no response)"));
  fixture_.AdvanceAndPass(1);
  EXPECT_TRUE(fixture_.Logged("Download aborted (no response)"));
  EXPECT_TRUE(fixture_.Logged("Upload aborted (no response)"));
  EXPECT_TRUE(fs::exists(Files() / "b.txt.vpf"));
}

TEST_F(Transfers, EmptyFolderDownloadAnswersZerosWithoutATask) {
  fs::create_directories(Files() / "Empty");
  auto client = Downloader();
  const auto reply = client->Call(kTranDownloadFolder, Request("Empty"));
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->fields.ReadInteger(kFieldTransferSize), 0u);
  EXPECT_EQ(reply->fields.ReadInteger(kFieldItemCount), 0u);
  EXPECT_EQ(reply->fields.Find(kFieldReferenceNumber), 0u);
  EXPECT_EQ(fixture_.Server().Core().Stats().download_counter, 0u);
}

TEST_F(Transfers, FolderDownloadAnsweredWithNextItemThroughoutSendsOnlyHeaders) {
  MakeFile(Files() / "Album" / "one.mp3", "1");
  MakeFile(Files() / "Album" / "Disc" / "two.mp3", "22");
  auto client = Downloader();
  const auto reply = client->Call(kTranDownloadFolder, Request("Album"));
  ASSERT_EQ(reply->fields.ReadInteger(kFieldItemCount), 3u);
  EXPECT_EQ(reply->fields.ReadInteger(kFieldTransferSize), 3u);
  auto transfer = Connect(reply->fields.Data(kFieldReferenceNumber), 1);
  std::vector<std::string> offered;
  for (int item = 0; item < 3; ++item) {
    transfer->SendRaw(Big16(3));
    const auto length = transfer->ReadRaw(2);
    ASSERT_TRUE(length);
    const auto header = transfer->ReadRaw(size_t{(*length)[0]} << 8 | (*length)[1]);
    ASSERT_TRUE(header);
    offered.push_back(Text(*header));
  }
  transfer->SendRaw(Big16(3));
  EXPECT_TRUE(transfer->WaitClosed());
  std::sort(offered.begin(), offered.end());
  EXPECT_EQ(
      offered,
      (std::vector<std::string>{
          Text(Join({Big16(0), Big16(1), Zeros(2), {7}, Of("one.mp3")})),
          Text(Join({Big16(0), Big16(2), Zeros(2), {4}, Of("Disc"), Zeros(2), {7}, Of("two.mp3")})),
          Text(Join({Big16(1), Big16(1), Zeros(2), {4}, Of("Disc")})),
      }));
}

TEST_F(Transfers, FolderDownloadSendsEachFileItsClientAsksFor) {
  MakeFile(Files() / "Album" / "one.txt", "123");
  auto client = Downloader();
  const auto reply = client->Call(kTranDownloadFolder, Request("Album"));
  auto transfer = Connect(reply->fields.Data(kFieldReferenceNumber), 1);
  transfer->SendRaw(Big16(3));
  EXPECT_EQ(transfer->ReadRaw(2 + 14),
            Join({Big16(14), Big16(0), Big16(1), Zeros(2), {7}, Of("one.txt")}));
  transfer->SendRaw(Big16(1));
  const uint32_t size = 24 + 16 + 74 + 7 + 16 + 3;
  EXPECT_EQ(transfer->ReadRaw(4), Big32(size));
  const auto stream = transfer->ReadRaw(size);
  ASSERT_TRUE(stream);
  EXPECT_EQ(Text(std::span(*stream).last(3)), "123");
  transfer->SendRaw(Big16(3));
  EXPECT_TRUE(transfer->WaitClosed());
}

TEST_F(Transfers, FolderUploadReceivesFileItems) {
  auto client = Uploader();
  UFieldData fields = Request("Docs");
  fields.AddInteger(kFieldItemCount, 1);
  const auto reply = client->Call(kTranUploadFolder, fields);
  auto transfer = Connect(reply->fields.Data(kFieldReferenceNumber), 1);
  EXPECT_EQ(transfer->ReadRaw(2), Big16(3));
  const ByteString item = Join({Big16(0), Big16(1), Zeros(2), {5}, Of("a.txt")});
  transfer->SendRaw(Join({Big16(static_cast<uint16_t>(item.size())), item}));
  EXPECT_EQ(transfer->ReadRaw(2), Big16(1));
  const ByteString stream = Flattened("a.txt", "hello");
  transfer->SendRaw(Join({Big32(static_cast<uint32_t>(stream.size())), stream}));
  EXPECT_TRUE(transfer->WaitClosed());
  EXPECT_EQ(ReadWholeFile(Files() / "Docs" / "a.txt"), "hello");
  EXPECT_TRUE(fixture_.Logged("Upload folder complete"));
}

TEST_F(Transfers, TransferHandshakeOnTheClientPortCarriesADownload) {
  MakeFile(Files() / "a.txt", "abc");
  auto client = Downloader();
  const auto reply = client->Call(kTranDownloadFile, Request("a.txt"));
  auto transfer = fixture_.Connect();
  transfer->SendRaw(Join({Of("TRTPVANT"), Big16(1), Big16(3), Of("VNXF"),
                          ByteString(reply->fields.Data(kFieldReferenceNumber).begin(),
                                     reply->fields.Data(kFieldReferenceNumber).end()),
                          Zeros(8)}));
  EXPECT_EQ(transfer->ReadRaw(8), Join({Of("TRTP"), Zeros(4)}));
  const auto stream = transfer->ReadRaw(24 + 16 + 79 + 16 + 3);
  ASSERT_TRUE(stream);
  EXPECT_EQ(Text(std::span(*stream).last(3)), "abc");
}

TEST_F(Transfers, FolderUploadWithAShortcutItem) {
  auto client = Uploader();
  auto upload = [&](const std::string& folder, std::vector<ByteString> items) {
    UFieldData fields = Request(folder);
    fields.AddInteger(kFieldTransferSize, 100);
    fields.AddInteger(kFieldItemCount, static_cast<uint32_t>(items.size()));
    const auto reply = client->Call(kTranUploadFolder, fields);
    auto transfer = Connect(reply->fields.Data(kFieldReferenceNumber), 1);
    for (const ByteString& item : items) {
      EXPECT_EQ(transfer->ReadRaw(2), Big16(3));
      transfer->SendRaw(Join({Big16(static_cast<uint16_t>(item.size())), item}));
    }
    return transfer;
  };
  const ByteString shortcut = Join({Big16(0), Big16(1), Zeros(2), {5}, Of("a.lnk")});
  auto alone = upload("One", {shortcut});
  EXPECT_EQ(alone->ReadRaw(2), Big16(3));
  EXPECT_TRUE(alone->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Upload folder item failed"));

  const ByteString folder = Join({Big16(1), Big16(1), Zeros(2), {3}, Of("Sub")});
  auto followed = upload("Two", {shortcut, folder});
  EXPECT_EQ(followed->ReadRaw(2), Big16(3));
  EXPECT_TRUE(followed->WaitClosed());
  EXPECT_TRUE(fixture_.Logged("Upload folder complete"));
  EXPECT_TRUE(fs::is_directory(Files() / "Two" / "Sub"));
}

TEST_F(Transfers, WithoutABannerItsRequestIsUnanswered) {
  auto client = User({});
  client->SendRequest(kTranDownloadBanner);
  EXPECT_TRUE(client->StaysQuiet(milliseconds(50)));
  EXPECT_TRUE(fixture_.Server().Transfers().Lists().banners.empty());
}

class BannerTransfers : public Transfers {
 protected:
  BannerTransfers() : Transfers(10, 100, "JFIF picture") {}
};

TEST_F(BannerTransfers, BannerGoesOutRawOnce) {
  auto client = User({});
  const auto reply = client->Call(kTranDownloadBanner);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->fields.ReadInteger(kFieldTransferSize), 12u);
  auto transfer = Connect(reply->fields.Data(kFieldReferenceNumber), 2);
  EXPECT_EQ(transfer->ReadRaw(12), Of("JFIF picture"));
  EXPECT_TRUE(transfer->StaysQuiet(milliseconds(30)));
  EXPECT_TRUE(fixture_.Logged("Download banner complete"));
}

}  // namespace
}  // namespace vantrel::testing
