#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "category_store.h"

namespace vantrel::news_bench {

// Opens a store over the database file at a path, with a durability.
using StoreFactory =
    std::function<std::unique_ptr<CategoryStore>(const std::filesystem::path&, Durability)>;

// One side of the comparison at one durability, measured operation after
// operation: a copy of the built database with the files beside it that
// belong to it (so that every run starts from the same category), the store
// over it, and the posts and deletes done so far.
// Benchmark thread only.
class StoreRun {
 public:
  // `original` is the built database, and the files beside it whose names
  // start with its name are its own; the copy is `copy` (its own files named
  // alike), made and synced (so that no earlier write is left for a measured
  // sync to flush) on first use. REQUIRES: no other file in the folder of
  // `copy` has a name that starts with its name.
  StoreRun(std::filesystem::path original, std::filesystem::path copy, StoreFactory factory,
           Durability durability);
  ~StoreRun();
  StoreRun(const StoreRun&) = delete;
  StoreRun& operator=(const StoreRun&) = delete;

  // The store, opened over a fresh copy on first use. Raises when the copy fails.
  CategoryStore& Store();
  // Closes the store and removes the copy; a later Store() starts afresh.
  void Finish();

  Durability durability() const { return durability_; }

  size_t posts = 0;    // replies posted since the copy was made
  size_t deletes = 0;  // threads deleted since then

 private:
  std::filesystem::path original_;
  std::filesystem::path copy_;
  StoreFactory factory_;
  Durability durability_;
  std::unique_ptr<CategoryStore> store_;
};

}  // namespace vantrel::news_bench
