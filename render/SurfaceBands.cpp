#include "SurfaceBands.h"

#include <algorithm>

namespace kessadon {

std::vector<int> EvenCuts(std::span<const std::int64_t> work, int count) {
  std::int64_t total = 0;
  for (const std::int64_t w : work) total += w;
  std::vector<int> cuts;
  std::int64_t seen = 0;
  for (std::size_t row = 0; row < work.size(); ++row) {
    seen += work[row];
    // Band k starts after the row where the work reaches k shares.
    while (static_cast<int>(cuts.size()) + 1 < count &&
           seen * count >= total * static_cast<std::int64_t>(cuts.size() + 1)) {
      cuts.push_back(static_cast<int>(row) + 1);
    }
  }
  cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
  return cuts;
}

}  // namespace kessadon
