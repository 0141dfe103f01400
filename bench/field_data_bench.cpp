// Building and reading field lists: the work every request and reply does.
#include <benchmark/benchmark.h>

#include <string>

#include "protocol/field_data.h"

namespace vantrel {
namespace {

constexpr uint16_t kFirstId = 101;
constexpr int kFields = 20;

UFieldData TwentyFields() {
  UFieldData fields;
  for (int i = 0; i < kFields; ++i) {
    const auto id = static_cast<uint16_t>(kFirstId + i);
    if (i % 2 == 0) {
      fields.AddInteger(id, static_cast<uint32_t>(i * 1000));
    } else {
      fields.AddText(id, "text of field " + std::to_string(i));
    }
  }
  return fields;
}

void BM_BuildTwentyFields(benchmark::State& state) {
  for (auto _ : state) {
    UFieldData fields = TwentyFields();
    benchmark::DoNotOptimize(fields.Buffer().data());
  }
}
BENCHMARK(BM_BuildTwentyFields);

// A received list read once: the lookup tables are built, then every field read.
void BM_ParseAndReadTwentyFields(benchmark::State& state) {
  const UFieldData built = TwentyFields();
  const std::vector<uint8_t> wire(built.Buffer().begin(), built.Buffer().end());
  for (auto _ : state) {
    UFieldData fields(wire);
    uint32_t sum = 0;
    for (int i = 0; i < kFields; i += 2)
      sum += fields.ReadInteger(static_cast<uint16_t>(kFirstId + i));
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(BM_ParseAndReadTwentyFields);

// One lookup by ID in a 20-field list whose tables are built, alternating IDs
// so that the one-entry cache does not answer.
void BM_FindFieldById(benchmark::State& state) {
  const UFieldData fields = TwentyFields();
  fields.Find(kFirstId);  // builds the tables
  uint16_t id = kFirstId;
  for (auto _ : state) {
    benchmark::DoNotOptimize(fields.Find(id));
    id = static_cast<uint16_t>(id == kFirstId + kFields - 1 ? kFirstId : id + 1);
  }
}
BENCHMARK(BM_FindFieldById);

}  // namespace
}  // namespace vantrel
