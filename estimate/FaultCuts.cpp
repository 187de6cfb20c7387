#include "FaultCuts.h"

#include <algorithm>
#include <cmath>

namespace kessadon {
namespace {

// The hair by which traces move off grid lines and nodes, in cells; the two
// differ so that no straight trace through a node stays on it.
constexpr double kShiftX = 1e-7, kShiftY = 1.4142135623730951e-7;

double Orientation(double ax, double ay, double bx, double by, double cx, double cy) {
  return (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
}

// The whole numbers strictly between a and b, kept to first ... last.
std::pair<std::int64_t, std::int64_t> Between(double a, double b, std::int64_t first,
                                              std::int64_t last) {
  const double low = std::min(a, b), high = std::max(a, b);
  const double from = std::max(std::floor(low) + 1, static_cast<double>(first));
  const double to = std::min(std::ceil(high) - 1, static_cast<double>(last));
  return {static_cast<std::int64_t>(from), static_cast<std::int64_t>(to)};
}

}  // namespace

FaultCuts::FaultCuts(const EstimationGrid& grid, const FaultTraces& traces) : grid_(grid) {
  const auto nx = grid.Nx, ny = grid.Ny;
  cutX_.assign(static_cast<std::size_t>(grid.NodeCount()), 0);
  cutY_.assign(static_cast<std::size_t>(grid.NodeCount()), 0);
  // In grid units, node (i, j) at (i, j).
  auto u = [&grid](double x) { return (x - grid.Xmin) / grid.Dx + 1 + kShiftX; };
  auto v = [&grid](double y) { return (y - grid.Ymin) / grid.Dy + 1 + kShiftY; };
  for (const FaultTrace& trace : traces.traces) {
    for (std::size_t k = 0; k + 1 < trace.x.size(); ++k) {
      segments_.push_back({u(trace.x[k]), v(trace.y[k]), u(trace.x[k + 1]), v(trace.y[k + 1])});
    }
  }
  for (std::size_t s = 0; s < segments_.size(); ++s) {
    const Segment g = segments_[s];
    const auto index = static_cast<std::int32_t>(s);
    Mark(static_cast<std::int32_t>(std::floor(g.ax)), static_cast<std::int32_t>(std::floor(g.ay)),
         index);
    Mark(static_cast<std::int32_t>(std::floor(g.bx)), static_cast<std::int32_t>(std::floor(g.by)),
         index);
    // Each row line it crosses cuts the x link there, each column line the y link.
    const auto [j0, j1] = Between(g.ay, g.by, 1, ny);
    for (std::int64_t j = j0; j <= j1; ++j) {
      const double at = g.ax + (static_cast<double>(j) - g.ay) * (g.bx - g.ax) / (g.by - g.ay);
      const auto i = static_cast<std::int32_t>(std::floor(at));
      const auto row = static_cast<std::int32_t>(j);
      Mark(i, row - 1, index);
      Mark(i, row, index);
      if (i >= 1 && i <= nx - 1) cutX_[static_cast<std::size_t>(grid.Unknown(i, row))] = 1;
    }
    const auto [i0, i1] = Between(g.ax, g.bx, 1, nx);
    for (std::int64_t i = i0; i <= i1; ++i) {
      const double at = g.ay + (static_cast<double>(i) - g.ax) * (g.by - g.ay) / (g.bx - g.ax);
      const auto j = static_cast<std::int32_t>(std::floor(at));
      const auto column = static_cast<std::int32_t>(i);
      Mark(column - 1, j, index);
      Mark(column, j, index);
      if (j >= 1 && j <= ny - 1) cutY_[static_cast<std::size_t>(grid.Unknown(column, j))] = 1;
    }
  }
  std::sort(cells_.begin(), cells_.end());
  cells_.erase(std::unique(cells_.begin(), cells_.end()), cells_.end());
  for (std::uint8_t c : cutX_) cutLinks_ += c;
  for (std::uint8_t c : cutY_) cutLinks_ += c;
}

std::int64_t FaultCuts::CellIndex(std::int32_t ci, std::int32_t cj) const {
  return std::int64_t{ci - 1} * (grid_.Ny - 1) + (cj - 1);
}

void FaultCuts::Mark(std::int32_t ci, std::int32_t cj, std::int32_t segment) {
  if (ci < 1 || ci > grid_.Nx - 1 || cj < 1 || cj > grid_.Ny - 1) return;
  cells_.emplace_back(CellIndex(ci, cj), segment);
}

bool FaultCuts::CutX(std::int32_t i, std::int32_t j) const {
  return !cutX_.empty() && cutX_[static_cast<std::size_t>(grid_.Unknown(i, j))] != 0;
}

bool FaultCuts::CutY(std::int32_t i, std::int32_t j) const {
  return !cutY_.empty() && cutY_[static_cast<std::size_t>(grid_.Unknown(i, j))] != 0;
}

bool FaultCuts::Crosses(double x, double y, std::int32_t i, std::int32_t j) const {
  if (segments_.empty()) return false;
  const double pu = (x - grid_.Xmin) / grid_.Dx + 1, pv = (y - grid_.Ymin) / grid_.Dy + 1;
  const double nu = i, nv = j;
  const auto first = [](double a, double b) {
    return static_cast<std::int32_t>(std::floor(std::min(a, b)));
  };
  const std::int32_t ci0 = std::max(1, first(pu, nu)), cj0 = std::max(1, first(pv, nv));
  const std::int32_t ci1 =
      std::min(grid_.Nx - 1, static_cast<std::int32_t>(std::floor(std::max(pu, nu))));
  const std::int32_t cj1 =
      std::min(grid_.Ny - 1, static_cast<std::int32_t>(std::floor(std::max(pv, nv))));
  for (std::int32_t ci = ci0; ci <= ci1; ++ci) {
    for (std::int32_t cj = cj0; cj <= cj1; ++cj) {
      const std::int64_t cell = CellIndex(ci, cj);
      auto it =
          std::lower_bound(cells_.begin(), cells_.end(), std::make_pair(cell, std::int32_t{0}));
      for (; it != cells_.end() && it->first == cell; ++it) {
        const Segment& g = segments_[static_cast<std::size_t>(it->second)];
        const double o1 = Orientation(g.ax, g.ay, g.bx, g.by, pu, pv);
        const double o2 = Orientation(g.ax, g.ay, g.bx, g.by, nu, nv);
        const double o3 = Orientation(pu, pv, nu, nv, g.ax, g.ay);
        const double o4 = Orientation(pu, pv, nu, nv, g.bx, g.by);
        if (((o1 < 0 && o2 > 0) || (o1 > 0 && o2 < 0)) &&
            ((o3 < 0 && o4 > 0) || (o3 > 0 && o4 < 0))) {
          return true;
        }
      }
    }
  }
  return false;
}

NodeArray<std::uint8_t> FaultCuts::CutCells() const {
  NodeArray<std::uint8_t> cells(grid_.Nx, grid_.Ny);
  for (std::int32_t i = 1; i < grid_.Nx; ++i) {
    for (std::int32_t j = 1; j < grid_.Ny; ++j) {
      cells(i, j) = CutX(i, j) || CutX(i, j + 1) || CutY(i, j) || CutY(i + 1, j) ? 1 : 0;
    }
  }
  return cells;
}

NodeArray<std::uint8_t> FaultCutCells(const GridData& grid, const FaultTraces& traces) {
  const EstimationGrid geometry{grid.Nx, grid.Ny, grid.Xmin, grid.Ymin, grid.Dx, grid.Dy};
  return FaultCuts(geometry, traces).CutCells();
}

std::vector<std::int32_t> FaultCuts::BlockOfNodes() const {
  const std::int32_t nx = grid_.Nx, ny = grid_.Ny;
  std::vector<std::int32_t> block(static_cast<std::size_t>(grid_.NodeCount()), -1);
  std::vector<std::pair<std::int32_t, std::int32_t>> stack;
  std::int32_t blocks = 0;
  for (std::int32_t si = 1; si <= nx; ++si) {
    for (std::int32_t sj = 1; sj <= ny; ++sj) {
      if (block[static_cast<std::size_t>(grid_.Unknown(si, sj))] >= 0) continue;
      const std::int32_t id = blocks++;
      block[static_cast<std::size_t>(grid_.Unknown(si, sj))] = id;
      stack.emplace_back(si, sj);
      while (!stack.empty()) {
        const auto [i, j] = stack.back();
        stack.pop_back();
        auto visit = [&](std::int32_t a, std::int32_t b, bool cut) {
          if (cut) return;
          std::int32_t& b2 = block[static_cast<std::size_t>(grid_.Unknown(a, b))];
          if (b2 >= 0) return;
          b2 = id;
          stack.emplace_back(a, b);
        };
        if (i < nx) visit(i + 1, j, CutX(i, j));
        if (i > 1) visit(i - 1, j, CutX(i - 1, j));
        if (j < ny) visit(i, j + 1, CutY(i, j));
        if (j > 1) visit(i, j - 1, CutY(i, j - 1));
      }
    }
  }
  return block;
}

}  // namespace kessadon
