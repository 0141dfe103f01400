// Opens a news category file made of the fuzzer's bytes and works in it: its
// summary, both article lists (the short one twice: built, then from its
// cache), reads, deletes with and without descendants, an article added with
// a flavor and a second flavor added to it. Besides never crashing or running on, every failure
// must be one of class 4: a damaged file is described, not obeyed.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <span>
#include <string>
#include <system_error>

#include "files/date_stamp.h"
#include "news/category_file.h"
#include "news/news_database.h"
#include "platform/exception.h"
#include "platform/file_system.h"
#include "platform/random.h"

namespace {

// The folder the category is written in, removed at exit: in memory when the
// system has such a place (its syncs then cost nothing), else in the
// temporary folder.
class ScratchFolder {
 public:
  ScratchFolder() {
    const std::filesystem::path memory = "/dev/shm";
    path_ =
        (std::filesystem::is_directory(memory) ? memory : std::filesystem::temp_directory_path()) /
        ("vantrel-news-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void Attempt(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const Omberly::CException& failure) {
    if (failure.ErrorClass() != vantrel::kErrorClassFile) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const ScratchFolder folder;
  const std::filesystem::path path = folder.Path() / "Fuzz.vnz";
  std::filesystem::remove(vantrel::JournalPathOf(path));
  {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }
  vantrel::Random random(1);
  vantrel::NewsDatabase database(vantrel::FileSystem::Default(), path, random);
  const vantrel::DateStamp date = {0x07, 0xEA, 0, 0, 0, 0, 0, 1};
  const uint8_t flavor_data[] = {'d', 'a', 't', 'a'};

  Attempt([&] { database.Summary(); });
  Attempt([&] { database.ArticleList(false); });
  Attempt([&] { database.ArticleList(false); });
  Attempt([&] { database.ArticleList(true); });
  Attempt([&] { database.GetArticle(1, "text/plain"); });
  Attempt([&] {
    vantrel::ArticleInfo info;
    database.GetArticle(2, "text/plain", &info);
  });
  Attempt([&] { database.DeleteArticle(1, false); });
  Attempt([&] { database.DeleteArticle(3, true); });
  Attempt([&] {
    const uint32_t id =
        database.AddArticle(2, "Title", "Poster", 0, "", date, "text/plain", flavor_data);
    database.AddFlavor(id, "text/html", flavor_data);
  });
  Attempt([&] { database.ArticleList(false); });
  return 0;
}
