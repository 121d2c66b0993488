#include "foundation/korpool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

struct Block {
  unsigned char* at;
  size_t size;
  unsigned char fill;
};

bool Intact(const Block& b) {
  return std::all_of(b.at, b.at + b.size, [&](unsigned char c) { return c == b.fill; });
}

// Random sizes (pooled and not), freed in random order while others stay
// live: no block may overlap another or be handed out twice.
TEST(KorPool, BlocksNeverOverlapUnderChurn) {
  std::mt19937 random(20261206);
  std::vector<Block> live;
  for (int step = 0; step < 60000; ++step) {
    if (live.empty() || random() % 3 != 0) {
      const size_t size = 1 + random() % 700;  // some above the largest pooled size
      auto* at = static_cast<unsigned char*>(KorPoolAllocate(size));
      ASSERT_NE(at, nullptr);
      EXPECT_EQ(reinterpret_cast<uintptr_t>(at) % alignof(double), 0u) << "size " << size;
      const auto fill = static_cast<unsigned char>(step);
      std::memset(at, fill, size);
      live.push_back({at, size, fill});
    } else {
      const size_t victim = random() % live.size();
      ASSERT_TRUE(Intact(live[victim])) << "a block was overwritten by another";
      KorPoolFree(live[victim].at, live[victim].size);
      live[victim] = live.back();
      live.pop_back();
    }
  }
  for (const Block& b : live) {
    EXPECT_TRUE(Intact(b));
    KorPoolFree(b.at, b.size);
  }
}

// Pages handed back by a trim read as zeros and serve blocks again: a
// second tree of the same shape lands in the trimmed chunks intact.
TEST(KorPool, TrimmedChunksServeBlocksAgain) {
  for (int round = 0; round < 3; ++round) {
    std::vector<Block> live;
    for (int i = 0; i < 40000; ++i) {
      const size_t size = 8 + (i % 9) * 24;
      auto* at = static_cast<unsigned char*>(KorPoolAllocate(size));
      const auto fill = static_cast<unsigned char>(i + round);
      std::memset(at, fill, size);
      live.push_back({at, size, fill});
    }
    for (const Block& b : live) {
      ASSERT_TRUE(Intact(b));
      KorPoolFree(b.at, b.size);
    }
    KorPoolTrim();
    KorPoolTrim();  // a second trim finds nothing new
  }
}

}  // namespace
