#include "ProjectedGrid.h"

#include <algorithm>
#include <mutex>

#include "io/WorkSplit.h"

namespace kessadon {

ProjectedGrid::ProjectedGrid(const GridData& grid, const ViewProjection& view,
                             const NodeArray<Color>& colors, const ContourLevels& levels,
                             PainterOrder xOrder, PainterOrder yOrder, const ProjectionNeeds& needs)
    : g_(grid),
      v_(view),
      colors_(colors),
      levels_(levels),
      uncontoured_(needs.uncontoured),
      xStep_(xOrder.Step),
      yStep_(yOrder.Step),
      rowLength_(static_cast<std::size_t>(grid.Nx) + 1),
      nodes_(rowLength_ * (static_cast<std::size_t>(grid.Ny) + 1)) {
  if (needs.heights) heights_ = NodeBuffer<Height>(nodes_.Size());
  if (needs.blocks) blocks_ = CellBlocks(g_.Nx, g_.Ny);
  rowNodes_.assign(static_cast<std::size_t>(std::max(needs.pixelRows, 0)), 0);
  // Strips of a few columns keep both the grid's order and the nodes' in
  // cache; the threads take blocks of columns, as the cell blocks do.
  constexpr int kStrip = 16, kWidth = CellBlocks::kWidth;
  static_assert(kWidth % kStrip == 0);
  std::mutex meeting;
  SplitRange(0, (g_.Nx + kWidth - 1) / kWidth, std::int64_t{kWidth} * g_.Ny, [&](int from, int to) {
    std::vector<std::int64_t> rowNodes(rowNodes_.size());
    for (int first = from * kWidth + 1; first <= std::min(to * kWidth, g_.Nx); first += kStrip) {
      ProjectStrip(first, std::min(first + kStrip - 1, g_.Nx), rowNodes);
    }
    const std::lock_guard lock(meeting);
    for (std::size_t y = 0; y < rowNodes.size(); ++y) rowNodes_[y] += rowNodes[y];
  });
  if (needs.blocks) blocks_.Finish(needs.blockSpread);
}

void ProjectedGrid::ProjectStrip(int first, int last, std::vector<std::int64_t>& rowNodes) {
  const bool heights = heights_.Size() > 0, blocks = !blocks_.Empty();
  const auto lastRow = static_cast<std::int32_t>(rowNodes.size()) - 1;
  // The strip reads as many columns of the grid at once as it is wide, more
  // than the processor follows by itself; it is told a few rows ahead.
  constexpr int kAhead = 16;
  for (int j = 1; j <= g_.Ny; ++j) {
    RowSpan rows;
    for (int i = first; i <= last; ++i) {
#if defined(__GNUC__)
      if (j + kAhead <= g_.Ny) {
        __builtin_prefetch(&g_.Z(i, j + kAhead));
        __builtin_prefetch(&colors_(i, j + kAhead));
      }
#endif
      Node& node = nodes_[At(i, j)];
      const double z = g_.Z(i, j);
      node.projected =
          ProjectPointTo(v_, g_.GridX[i], g_.GridY[j], ExaggerateHeight(v_, z), node.at);
      node.color = colors_(i, j);
      if (heights) heights_[At(i, j)] = HeightOf(z);
      rows.Add(CellBlocks::NodeRows(Pixel(i, j)));
      if (node.projected && lastRow >= 0) ++rowNodes[std::clamp(node.at.y, 0, lastRow)];
    }
    if (blocks) blocks_.AddNodes(first, j, rows);
  }
}

ProjectedGrid::Height ProjectedGrid::HeightOf(double z) {
  const auto [first, last] = LevelNumbersOf(levels_, z);
  const LevelSpan span = LevelSpanOf(first, last);
  if (span.first != first || span.last != last) levelsBeyond_ = true;
  return {z, span.first, span.last};
}

}  // namespace kessadon
