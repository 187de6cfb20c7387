#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "render/SurfaceBands.h"

namespace kessadon {
namespace {

// Bands start where the work reaches each share, never twice at one row and
// never before the first row; fewer bands when the work lies in fewer rows.
TEST(EvenCuts, BandsHoldAboutAsMuchWorkEach) {
  const struct {
    std::vector<std::int64_t> work;
    int count;
    std::vector<int> cuts;
  } cases[] = {
      {{1, 1, 1, 1, 1, 1, 1, 1}, 4, {2, 4, 6}},
      {{1, 1, 1, 1, 1, 1, 1, 1}, 1, {}},
      {{0, 0, 8, 0, 0, 0, 0, 8}, 2, {3}},
      {{0, 0, 0, 100, 0, 0}, 4, {4}},  // all in one row: one cut after it
      {{5, 0, 0, 0, 0, 1}, 3, {1}},    // two shares in the first row
      {{0, 0, 0, 0}, 3, {1}},          // no work: every share is reached at once
      {{}, 3, {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EvenCuts(c.work, c.count), c.cuts) << c.work.size() << " rows, " << c.count;
  }
}

}  // namespace
}  // namespace kessadon
