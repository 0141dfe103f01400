#pragma once

#include <cstdint>
#include <random>

namespace vantrel {

// The server's one source of random numbers (tracker pass ID, transfer reference
// numbers, private chat IDs, GUIDs). Seeded from std::random_device; tests seed
// it themselves for repeatable runs. Core thread only.
class Random {
 public:
  Random() : engine_(std::random_device{}()) {}
  explicit Random(uint64_t seed) : engine_(seed) {}

  uint32_t Next32() { return static_cast<uint32_t>(engine_()); }

 private:
  std::mt19937_64 engine_;
};

}  // namespace vantrel
