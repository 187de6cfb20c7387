#include "ThinnedGrid.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kessadon {
namespace {

// Nodes along an axis of n nodes thinned by step.
std::int32_t ThinnedCount(std::int32_t n, int step) {
  if (n <= 1) return n;
  return (n - 2) / step + 2;
}

// The grid's node for each thinned one, 1-based; index 0 unused.
std::vector<std::int32_t> Picks(std::int32_t n, int step) {
  const std::int32_t count = ThinnedCount(n, step);
  std::vector<std::int32_t> picks(static_cast<std::size_t>(count) + 1, 0);
  for (std::int32_t k = 1; k <= count; ++k) {
    picks[k] = static_cast<std::int32_t>(std::min<std::int64_t>(1 + std::int64_t{k - 1} * step, n));
  }
  return picks;
}

// The positions of the picked nodes, with room for index 0 and n + 1 as the
// grid's own arrays have.
std::vector<double> PickedPositions(const std::vector<double>& positions,
                                    const std::vector<std::int32_t>& picks) {
  std::vector<double> picked(picks.size() + 1, 0);
  for (std::size_t k = 1; k < picks.size(); ++k) picked[k] = positions[picks[k]];
  return picked;
}

// The mean spacing that keeps the extent over fewer nodes.
double MeanSpacing(double spacing, std::int32_t n, std::int32_t thinned) {
  return thinned > 1 ? spacing * (n - 1) / (thinned - 1) : spacing;
}

}  // namespace

std::int64_t ThinnedCells(const GridData& grid, int step) {
  const std::int64_t nx = ThinnedCount(grid.Nx, step), ny = ThinnedCount(grid.Ny, step);
  return std::max<std::int64_t>(nx - 1, 0) * std::max<std::int64_t>(ny - 1, 0);
}

int ThinningStep(const GridData& grid, std::int64_t maxCells) {
  const double cells = ThinnedCells(grid, 1);
  if (cells <= static_cast<double>(maxCells)) return 1;
  // The square root is close from below; count up from there.
  int step = std::max(1, static_cast<int>(std::sqrt(cells / static_cast<double>(maxCells))));
  while (ThinnedCells(grid, step) > maxCells) ++step;
  return step;
}

GridData ThinGrid(const GridData& grid, int step) {
  step = std::max(step, 1);
  const std::vector<std::int32_t> pi = Picks(grid.Nx, step), pj = Picks(grid.Ny, step);
  GridData thin;
  thin.Nx = ThinnedCount(grid.Nx, step);
  thin.Ny = ThinnedCount(grid.Ny, step);
  thin.Xmin = grid.Xmin;
  thin.Ymin = grid.Ymin;
  thin.Dx = MeanSpacing(grid.Dx, grid.Nx, thin.Nx);
  thin.Dy = MeanSpacing(grid.Dy, grid.Ny, thin.Ny);
  thin.Xmax = grid.Xmax;
  thin.Ymax = grid.Ymax;
  thin.Zmin = grid.Zmin;
  thin.Zmax = grid.Zmax;
  thin.Xcen = grid.Xcen;
  thin.Ycen = grid.Ycen;
  thin.Zcen = grid.Zcen;
  thin.Zeps = grid.Zeps;
  thin.GridX = PickedPositions(grid.GridX, pi);
  thin.GridY = PickedPositions(grid.GridY, pj);
  thin.Z = NodeArray<double>(thin.Nx, thin.Ny);
  for (std::int32_t i = 1; i <= thin.Nx; ++i) {
    for (std::int32_t j = 1; j <= thin.Ny; ++j) thin.Z(i, j) = grid.Z(pi[i], pj[j]);
  }
  return thin;
}

}  // namespace kessadon
