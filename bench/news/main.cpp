// news_database_bench: the news category database against SQLite doing the
// same work at the same durability, one operation at a time (see kUsage).
// Each operation is timed in real time (a sync is time waited, not CPU), a
// fixed number of times in a row, on a fresh copy of one category built
// before the benchmarks start; the benchmarks are named OPERATION/SIDE/DURABILITY.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <exception>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "category_plan.h"
#include "news_bench_options.h"
#include "news_store.h"
#include "sqlite_store.h"
#include "store_run.h"
#include "support/temporary_folder.h"

namespace vantrel::news_bench {
namespace {

// What every benchmark works from: the plan and the IDs the built category
// gave its articles (the same in the news file and in SQLite).
struct Built {
  NewsBenchOptions options;
  CategoryPlan plan;
  std::vector<uint32_t> ids;
};

// Runs `body`, turning a failure into the benchmark's error.
template <typename Body>
void Guarded(benchmark::State& state, Body body) {
  try {
    body();
  } catch (const std::exception& failure) {
    state.SkipWithError(failure.what());
  }
}

void PostReplies(benchmark::State& state, const Built& built, StoreRun& run) {
  Guarded(state, [&] {
    CategoryStore& store = run.Store();
    const auto& posts = built.plan.Posts();
    for (auto _ : state) {
      const PlannedArticle& post = posts.at(run.posts++);
      store.PostReply(built.ids[post.parent], post, built.plan.Body(post));
    }
  });
}

void ReadArticles(benchmark::State& state, const Built& built, StoreRun& run) {
  Guarded(state, [&] {
    CategoryStore& store = run.Store();
    const auto& reads = built.plan.Reads();
    size_t next = 0;
    for (auto _ : state) {
      const uint32_t index = reads.at(next++);
      const size_t size = store.ReadArticle(built.ids[index]);
      if (size != built.plan.Articles()[index].body_size) {
        throw std::runtime_error("article " + std::to_string(built.ids[index]) +
                                 " was read with another body");
      }
    }
  });
}

void ListArticles(benchmark::State& state, StoreRun& run) {
  Guarded(state, [&] {
    CategoryStore& store = run.Store();
    size_t bytes = store.ListArticles();  // the news database's cache is made here
    for (auto _ : state) bytes = store.ListArticles();
    state.counters["list_bytes"] = static_cast<double>(bytes);
  });
}

// Deletes threads, then checks that the category holds what the plan says it
// should after the posts and deletes made, and drops the copy.
void DeleteThreads(benchmark::State& state, const Built& built, StoreRun& run) {
  Guarded(state, [&] {
    CategoryStore& store = run.Store();
    const auto& deletes = built.plan.Deletes();
    for (auto _ : state) store.DeleteThread(built.ids[deletes.at(run.deletes++)]);
    const uint32_t expected = built.plan.ArticlesLeft(run.posts, run.deletes);
    const uint32_t count = store.ArticleCount();
    run.Finish();
    if (count != expected) {
      throw std::runtime_error("the category holds " + std::to_string(count) + " articles where " +
                               std::to_string(expected) + " are expected");
    }
  });
}

struct Side {
  const char* name;
  std::filesystem::path original;
  StoreFactory factory;
};

// Registers the four operations of `side` at `durability`, in the order they
// run on one copy of the category.
void Register(const Built& built, const Side& side, Durability durability,
              const std::filesystem::path& folder, std::vector<std::unique_ptr<StoreRun>>& runs) {
  const std::string mode = durability == Durability::kSync ? "sync" : "nosync";
  const std::string suffix = std::string("/") + side.name + "/" + mode;
  auto& run = *runs.emplace_back(std::make_unique<StoreRun>(
      side.original, folder / (std::string(side.name) + "-" + mode), side.factory, durability));
  const auto& options = built.options;
  const uint32_t writes = durability == Durability::kSync ? options.synced_writes : options.writes;
  const auto deletes = static_cast<uint32_t>(std::min<size_t>(writes, built.plan.Deletes().size()));
  benchmark::RegisterBenchmark(
      ("post_reply" + suffix).c_str(),
      [&built, &run](benchmark::State& state) { PostReplies(state, built, run); })
      ->Iterations(writes)
      ->UseRealTime();
  benchmark::RegisterBenchmark(
      ("read_article" + suffix).c_str(),
      [&built, &run](benchmark::State& state) { ReadArticles(state, built, run); })
      ->Iterations(options.reads)
      ->UseRealTime();
  benchmark::RegisterBenchmark(("list_articles" + suffix).c_str(),
                               [&run](benchmark::State& state) { ListArticles(state, run); })
      ->Iterations(options.lists)
      ->UseRealTime();
  benchmark::RegisterBenchmark(
      ("delete_thread" + suffix).c_str(),
      [&built, &run](benchmark::State& state) { DeleteThreads(state, built, run); })
      ->Iterations(deletes)
      ->UseRealTime();
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace
}  // namespace vantrel::news_bench

int main(int argc, char** argv) {
  using namespace vantrel::news_bench;
  benchmark::Initialize(&argc, argv);
  std::string error;
  const auto options = ParseNewsBenchOptions(argc, argv, error);
  if (!options) {
    if (error.empty()) {
      std::cout << kUsage;
      return 0;
    }
    std::cerr << "news_database_bench: " << error << "\n\n" << kUsage;
    return 2;
  }

  vantrel::testing::TemporaryFolder folder;
  const auto news_file = folder.Path() / "category.vnz";
  const auto sqlite_file = folder.Path() / "category.sqlite";
  std::vector<std::unique_ptr<StoreRun>> runs;
  try {
    const auto operations = std::max({options->writes, options->synced_writes, options->reads});
    Built built{*options, CategoryPlan(options->articles, operations, options->seed), {}};
    auto start = std::chrono::steady_clock::now();
    built.ids = BuildNewsCategory(built.plan, news_file);
    std::cerr << "built: news database, " << options->articles << " articles in "
              << SecondsSince(start) << " s, " << std::filesystem::file_size(news_file)
              << " bytes\n";
    start = std::chrono::steady_clock::now();
    BuildSqliteCategory(built.plan, built.ids, sqlite_file);
    std::cerr << "built: SQLite, " << options->articles << " articles in " << SecondsSince(start)
              << " s, " << std::filesystem::file_size(sqlite_file) << " bytes\n";

    const Side sides[] = {
        {"news", news_file,
         [](const auto& path, Durability durability) -> std::unique_ptr<CategoryStore> {
           return std::make_unique<NewsStore>(path, durability);
         }},
        {"sqlite_open", sqlite_file,
         [](const auto& path, Durability durability) -> std::unique_ptr<CategoryStore> {
           return std::make_unique<SqliteStore>(path, Connection::kOpenPerOperation, durability);
         }},
        {"sqlite_kept", sqlite_file,
         [](const auto& path, Durability durability) -> std::unique_ptr<CategoryStore> {
           return std::make_unique<SqliteStore>(path, Connection::kKeptOpen, durability);
         }},
    };
    for (const Durability durability : {Durability::kSync, Durability::kNoSync}) {
      for (const Side& side : sides) Register(built, side, durability, folder.Path(), runs);
    }
    benchmark::RunSpecifiedBenchmarks();
  } catch (const std::exception& failure) {
    std::cerr << "news_database_bench: " << failure.what() << "\n";
    return 1;
  }
  runs.clear();
  benchmark::Shutdown();
  return 0;
}
