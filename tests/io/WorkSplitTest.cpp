#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <vector>

#include "io/WorkSplit.h"

namespace kessadon {
namespace {

// Every index of a loop, and every part, is worked exactly once, whatever
// the thread count, the loop's size and where it starts; nothing outside it.
TEST(WorkSplit, EveryIndexAndPartOnceOnAnyNumberOfThreads) {
  const struct {
    int threads, first, end;
    std::int64_t nodesEach;
  } cases[] = {{1, 1, 1001, 1000}, {3, 1, 1001, 1000}, {3, 5, 6, 1 << 20},    {4, 1, 3, 1 << 20},
               {7, 1, 5, 1 << 20}, {2, 0, 0, 100},     {0, 1, 4097, 1 << 10}, {3, 1, 30, 1}};
  for (const auto& c : cases) {
    SetRenderThreads(c.threads);
    EXPECT_EQ(RenderThreadsChosen(), c.threads > 0);
    EXPECT_GE(RenderThreads(), 1);
    std::vector<std::atomic<int>> seen(static_cast<std::size_t>(c.end) + 2);
    SplitRange(c.first, c.end, c.nodesEach, [&](int from, int to) {
      EXPECT_LT(from, to);
      for (int k = from; k < to; ++k) ++seen[static_cast<std::size_t>(k)];
    });
    for (int k = 0; k < static_cast<int>(seen.size()); ++k) {
      EXPECT_EQ(seen[static_cast<std::size_t>(k)], k >= c.first && k < c.end ? 1 : 0)
          << c.threads << " threads, index " << k;
    }
    std::vector<std::atomic<int>> parts(static_cast<std::size_t>(c.end) + 1);
    RunParts(c.end, [&](int part) { ++parts[static_cast<std::size_t>(part)]; });
    for (int k = 0; k < c.end; ++k) EXPECT_EQ(parts[static_cast<std::size_t>(k)], 1) << k;
  }
  SetRenderThreads(0);
}

}  // namespace
}  // namespace kessadon
