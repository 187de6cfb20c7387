#include "CellBlocks.h"

#include "io/WorkSplit.h"

namespace kessadon {

CellBlocks::CellBlocks(std::int32_t nx, std::int32_t ny)
    : ny_(ny),
      blocks_(static_cast<std::size_t>(std::max(nx, 1) + kWidth - 1) / kWidth),
      nodes_(blocks_ * static_cast<std::size_t>(std::max(ny, 1))) {
  std::fill_n(nodes_.Data(), nodes_.Size(), RowSpan{});
}

void CellBlocks::Finish(int spread) {
  const auto blocks = static_cast<int>(blocks_);
  // Node blocks side by side first: the cells of block k have nodes up to
  // the first of block k + 1, and `spread` cells more either side.
  across_ = NodeBuffer<RowSpan>(nodes_.Size());
  const int left = (spread + kWidth - 1) / kWidth, right = (spread + kWidth) / kWidth;
  SplitRange(0, ny_, std::int64_t{blocks} * (1 + left + right), [&](int from, int to) {
    for (int row = from; row < to; ++row) {
      for (int k = 0; k < blocks; ++k) {
        RowSpan span;
        for (int b = std::max(k - left, 0); b <= std::min(k + right, blocks - 1); ++b) {
          span.Add(nodes_[static_cast<std::size_t>(b) * ny_ + row]);
        }
        across_[static_cast<std::size_t>(row) * blocks_ + k] = span;
      }
    }
  });
  // Then the node rows of each cell row, r and r + 1, and `spread` more either side.
  const int cellRows = std::max(ny_ - 1, 0);
  cells_ = NodeBuffer<RowSpan>(static_cast<std::size_t>(cellRows) * blocks_);
  SplitRange(0, cellRows, std::int64_t{blocks} * (2 + 2 * spread), [&](int from, int to) {
    for (int row = from; row < to; ++row) {
      const int first = std::max(row - spread, 0), last = std::min(row + 1 + spread, ny_ - 1);
      for (int k = 0; k < blocks; ++k) {
        RowSpan span;
        for (int r = first; r <= last; ++r) {
          span.Add(across_[static_cast<std::size_t>(r) * blocks_ + k]);
        }
        cells_[static_cast<std::size_t>(row) * blocks_ + k] = span;
      }
    }
  });
}

}  // namespace kessadon
