#include "store_run.h"

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
    std::filesystem::copy_file(original_, copy_, std::filesystem::copy_options::overwrite_existing);
    FileSystem::Default().OpenForWriting(copy_, WriteMode::kAppend)->Sync();
    store_ = factory_(copy_, durability_);
    posts = 0;
    deletes = 0;
  }
  return *store_;
}

void StoreRun::Finish() {
  store_.reset();
  std::error_code ignored;
  std::filesystem::remove(copy_, ignored);
  // What SQLite may leave beside its database.
  for (const char* suffix : {"-wal", "-shm"}) {
    std::filesystem::remove(copy_.string() + suffix, ignored);
  }
}

}  // namespace vantrel::news_bench
