#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/date_stamp.h"
#include "news/category_file.h"
#include "news/news_database.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "platform/random.h"
#include "support/fault_injecting_file_system.h"
#include "support/temporary_folder.h"

namespace vantrel::testing {

using ByteString = std::vector<uint8_t>;

inline ByteString Join(std::initializer_list<ByteString> parts) {
  ByteString all;
  for (const ByteString& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

inline ByteString Zeros(size_t count) {
  return ByteString(count, 0x00);
}

inline ByteString Bytes(std::string_view text) {
  return {text.begin(), text.end()};
}

// A length-prefixed text: its length byte, then the text.
inline ByteString Pascal(std::string_view text) {
  return Join({{static_cast<uint8_t>(text.size())}, Bytes(text)});
}

// A length-prefixed text in a field of `field` bytes, zeros after.
inline ByteString Field(std::string_view text, size_t field) {
  ByteString bytes = Pascal(text);
  bytes.resize(field, 0x00);
  return bytes;
}

// The class and code of the Omberly::CException `call` raised; {0, 0} when it
// raised nothing.
inline std::pair<int16_t, int16_t> Raised(const std::function<void()>& call) {
  try {
    call();
  } catch (const Omberly::CException& failure) {
    return {failure.ErrorClass(), failure.Code()};
  }
  return {0, 0};
}

// The journal's header, before its records.
inline constexpr uintmax_t kJournalHeaderSize = 128;

// 7 March 2026, 09:05:30 as an article's date.
inline const DateStamp kDate = {0x07, 0xEA, 0x00, 0x00, 0x00, 0x56, 0x31, 0x5A};

// A category "General.vnz" in a fresh folder, reached through a file system
// that can fail as the test chooses.
class NewsDatabaseTest : public ::testing::Test {
 protected:
  std::filesystem::path Path() const { return folder_.Path() / "General.vnz"; }
  std::filesystem::path Journal() const { return JournalPathOf(Path()); }

  NewsDatabase Database() { return NewsDatabase(disk_, Path(), random_, durability_); }
  NewsDatabase Database(NewsDurability durability) {
    return NewsDatabase(disk_, Path(), random_, durability);
  }
  NewsDatabase Created() {
    NewsDatabase database = Database();
    database.Create("General", "All sorts");
    return database;
  }
  // Posts an article with its title as its "text/plain" data.
  uint32_t Post(NewsDatabase& database, uint32_t parent, std::string_view title) {
    const uint32_t id = database.AddArticle(parent, title, "poster", 0, "", kDate);
    database.AddFlavor(id, "text/plain", AsBytes(title));
    return id;
  }
  ArticleInfo Info(NewsDatabase& database, uint32_t id) {
    ArticleInfo info;
    database.GetArticle(id, "text/plain", &info);
    return info;
  }

  ByteString FileBytes() const {
    const std::string bytes = ReadWholeFile(Path());
    return {bytes.begin(), bytes.end()};
  }
  // Bytes [offset, offset + size) of the category file; fewer past its end.
  ByteString FileBytes(size_t offset, size_t size) const {
    std::ifstream file(Path(), std::ios::binary);
    file.seekg(static_cast<std::streamoff>(offset));
    ByteString bytes(size);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<size_t>(std::max<std::streamsize>(file.gcount(), 0)));
    return bytes;
  }
  // Writes `bytes` at `offset` of the category file, as damage would.
  void Patch(size_t offset, const ByteString& bytes) const {
    std::fstream file(Path(), std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
  }
  // Removes the journal. With kEveryChange the file holds every change that
  // returned, so that the file alone is then the category (as a checkpoint
  // leaves it), and a patch to it is what the next operation reads.
  void DropJournal() const { std::filesystem::remove(Journal()); }

  TemporaryFolder folder_;
  FaultInjectingFileSystem disk_{FileSystem::Default()};
  NewsDurability durability_ = NewsDurability::kEveryChange;
  Random random_{7};
};

}  // namespace vantrel::testing
