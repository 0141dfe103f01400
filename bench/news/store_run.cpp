#include "store_run.h"

#include <string>
#include <system_error>
#include <utility>

#include "platform/file_system.h"

namespace vantrel::news_bench {

StoreRun::StoreRun(std::filesystem::path original, std::filesystem::path copy, StoreFactory factory,
                   Durability durability)
    : original_(std::move(original)),
      copy_(std::move(copy)),
      factory_(std::move(factory)),
      durability_(durability) {}

StoreRun::~StoreRun() {
  Finish();
}

CategoryStore& StoreRun::Store() {
  if (!store_) {
    // The database and the files beside it that belong to it (the news
    // database's journal): those whose names start with its name.
    const std::string name = original_.filename().string();
    for (const auto& entry : std::filesystem::directory_iterator(original_.parent_path())) {
      const std::string file = entry.path().filename().string();
      if (!file.starts_with(name)) continue;
      const auto copy = copy_.string() + file.substr(name.size());
      std::filesystem::copy_file(entry.path(), copy,
                                 std::filesystem::copy_options::overwrite_existing);
      FileSystem::Default().OpenForWriting(copy, WriteMode::kAppend)->Sync();
    }
    store_ = factory_(copy_, durability_);
    posts = 0;
    deletes = 0;
  }
  return *store_;
}

void StoreRun::Finish() {
  store_.reset();
  // The copy and whatever its database left beside it.
  const std::string name = copy_.filename().string();
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(copy_.parent_path(), ignored)) {
    if (entry.path().filename().string().starts_with(name)) {
      std::filesystem::remove(entry.path(), ignored);
    }
  }
}

}  // namespace vantrel::news_bench
