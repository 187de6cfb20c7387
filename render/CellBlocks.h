// The pixel rows that blocks of a projected grid's cells reach, so that a
// pass drawing one band of the picture skips, in a few comparisons, the
// blocks that lie wholly outside it. A block is kWidth cells of one row of
// cells; cell (c, r), c = 1 ... Nx - 1 and r = 1 ... Ny - 1, has the corner
// nodes c, c + 1 by r, r + 1, whatever the painter order.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

#include "DrawingSurface.h"
#include "NodeBuffer.h"

namespace kessadon {

// Rows top ... bottom; empty when top > bottom.
struct RowSpan {
  std::int32_t top = INT32_MAX, bottom = INT32_MIN;

  void Add(const RowSpan& o) {
    top = std::min(top, o.top);
    bottom = std::max(bottom, o.bottom);
  }
  bool Meets(std::int32_t from, std::int32_t to) const { return top <= to && bottom >= from; }
};

class CellBlocks {
 public:
  static constexpr int kWidth = 32;

  CellBlocks() = default;
  CellBlocks(std::int32_t nx, std::int32_t ny);

  static int BlockOf(std::int32_t column) { return (column - 1) / kWidth; }
  bool Empty() const { return nodes_.Size() == 0; }

  // The rows of a projected node; one that could not be projected reaches every row.
  static RowSpan NodeRows(const std::optional<SurfacePoint>& at) {
    return at ? RowSpan{at->y, at->y} : RowSpan{INT32_MIN, INT32_MAX};
  }

  // Takes in nodes of row j in the block of node column i. Threads may add
  // nodes at once as long as no two add to the same block: each block's rows
  // lie apart in memory.
  void AddNodes(std::int32_t i, std::int32_t j, const RowSpan& rows) {
    nodes_[static_cast<std::size_t>(BlockOf(i)) * ny_ + (j - 1)].Add(rows);
  }

  // Once every node is in: the rows each block of cells reaches, widened by
  // the nodes up to `spread` cells away on every side.
  void Finish(int spread);

  // The rows the block of cell row r holding cell column c reaches.
  const RowSpan& Cells(std::int32_t c, std::int32_t r) const {
    return cells_[static_cast<std::size_t>(r - 1) * blocks_ + BlockOf(c)];
  }

 private:
  std::int32_t ny_ = 0;
  std::size_t blocks_ = 0;
  NodeBuffer<RowSpan> nodes_;   // by block of node columns and node row
  NodeBuffer<RowSpan> across_;  // the same, with the blocks either side
  NodeBuffer<RowSpan> cells_;   // by cell row and block of cell columns
};

}  // namespace kessadon
