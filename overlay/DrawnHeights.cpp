// Measured points on the surface as the view draws it, and whether the
// surface hides them from the eye.
//
// Nodes (i, j) count from 1, i along x, j along y; heights are the drawn ones
// (ExaggerateHeight of the grid's), map units throughout. A point takes the
// bilinear height of the cell around it; beyond the grid the border cell's
// plane goes on. The hidden-point test follows the sight line from the point
// toward the eye and compares it with the surface where it crosses grid
// lines: first the lines of constant x (columns), then those of constant y.
#include "DrawnHeights.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>
#include <vector>

#include "io/NumberText.h"

namespace kessadon {
namespace {

bool HoldsNodes(const GridData& grid) {
  const auto nx = static_cast<std::size_t>(grid.Nx), ny = static_cast<std::size_t>(grid.Ny);
  return grid.Nx >= 1 && grid.Ny >= 1 && grid.Z.UpperI() >= grid.Nx && grid.Z.UpperJ() >= grid.Ny &&
         grid.GridX.size() > nx && grid.GridY.size() > ny;
}

// The cell (its first node, 1 ... n - 1) that Int of `index` names, held
// inside the grid so that rounding or a NaN never reaches beyond it. n >= 2.
std::int32_t CellAt(double index, std::int32_t n) {
  const double whole = IntFloor(index);
  if (!(whole >= 1)) return 1;
  if (whole > n - 1) return n - 1;
  return static_cast<std::int32_t>(whole);
}

// One direction of the grid as a walk sees it: the lines it crosses, and the
// sight line's coordinate in this direction.
struct Axis {
  const std::vector<double>& node;  // 1 ... n
  std::int32_t n;
  double min, max, spacing;  // first and last node
  double eye, point, direction;
};

// The extremes of the sight line's height above the surface at its crossings.
struct SightLine {
  double tol;
  double pointZ, dz;
  double top, bottom;  // of the surface, NaN when unknown
  double lowest = 1e10, highest = -1e10;
  std::int32_t crossings = 0;

  // Crossings only add and the extremes only widen, so once this holds it stays.
  bool Hidden() const { return crossings >= 2 && lowest <= -tol && highest >= tol; }
  void Cross(double e) {
    ++crossings;
    if (e < lowest) lowest = e;
    if (e > highest) highest = e;
  }
  // At height z, climbing, above the whole surface by more than |tol| (or,
  // falling, below it): how far, which no crossing from here on can undercut.
  // NaN while the surface may still come near.
  double Clearance(double z) const {
    const double margin = std::abs(tol);
    if (dz >= 0 && z - top > margin) return z - top;
    if (dz <= 0 && z - bottom < -margin) return z - bottom;
    return std::numeric_limits<double>::quiet_NaN();
  }
};

// Nodes whose lines can pass the walk's tests: between the eye and the point,
// on the eye's side of the point, where the sight line is over the grid. One
// more on each side absorbs the rounding of these bounds; the walk keeps its
// exact tests.
std::pair<std::int32_t, std::int32_t> CandidateLines(const Axis& along, const Axis& across) {
  if (!(along.spacing != 0 && std::isfinite(along.spacing))) return {1, along.n};
  double lo = std::min(along.eye, along.point), hi = std::max(along.eye, along.point);
  if (along.direction > 0) {
    lo = std::max(lo, along.point);
  } else {
    hi = std::min(hi, along.point);
  }
  if (across.direction != 0) {
    const double slope = along.direction / across.direction;
    const double a = along.point + (across.min - across.point) * slope;
    const double b = along.point + (across.max - across.point) * slope;
    if (!std::isnan(a) && !std::isnan(b)) {
      lo = std::max(lo, std::min(a, b));
      hi = std::min(hi, std::max(a, b));
    }
  }
  if (!(lo <= hi)) return {1, 0};
  const double u1 = (lo - along.min) / along.spacing, u2 = (hi - along.min) / along.spacing;
  const auto toNode = [&](double index) -> std::int32_t {
    if (!(index >= 1)) return 1;
    if (index > along.n) return along.n;
    return static_cast<std::int32_t>(index);
  };
  // Node c lies c - 1 spacings from the first.
  return {toNode(std::ceil(std::min(u1, u2))), toNode(std::floor(std::max(u1, u2)) + 2)};
}

// Crossings with the lines of `along`; height(c, k) is the drawn height at
// line c, node k of `across`. Lines are taken away from the point, so the
// sight line's height only climbs (or only falls) from one to the next.
template <class Height>
void WalkLines(SightLine& sight, const Axis& along, const Axis& across, Height height) {
  if (std::abs(along.direction) < 1e-10) return;
  const auto [first, last] = CandidateLines(along, across);
  const std::int32_t step = (along.direction > 0) == (along.spacing > 0) ? 1 : -1;
  for (std::int32_t c = step > 0 ? first : last; first <= c && c <= last && !sight.Hidden();
       c += step) {
    const double x = along.node[c];
    if (!((x - along.eye) * (x - along.point) <= 0)) continue;
    const double t = (x - along.point) / along.direction;
    if (!(t >= 0)) continue;
    const double y = t * across.direction + across.point;
    if (!((y - across.max) * (y - across.min) <= 0)) continue;
    const double z = t * sight.dz + sight.pointZ;
    const double clearance = sight.Clearance(z);
    if (!std::isnan(clearance)) {
      // Every crossing left lies on the same side by more than tol; past two
      // crossings they change nothing.
      sight.Cross(clearance);
      if (sight.crossings >= 2) return;
      continue;
    }
    double s = height(c, 1);
    if (across.n >= 2) {
      const std::int32_t k = CellAt((y - across.min) / across.spacing + 1.0000001, across.n);
      s = height(c, k) + (y - across.node[k]) * (height(c, k + 1) - height(c, k)) / across.spacing;
    }
    sight.Cross(z - s);
  }
}

// Node coordinates that rise with the index, so that walking the lines in
// index order moves steadily along the sight line.
bool Rising(const std::vector<double>& node, std::int32_t n, double spacing) {
  if (n < 2) return true;
  if (!(spacing > 0 && std::isfinite(spacing))) return false;
  for (std::int32_t c = 1; c < n; ++c) {
    if (!(node[c] < node[c + 1])) return false;
  }
  return true;
}

// How far, in spacings, an interpolation fraction may stray outside 0 ... 1:
// the cell index is biased up by 1e-7, and coordinates far from the origin
// round coarsely against the spacing.
double Stray(const std::vector<double>& node, std::int32_t n, double spacing) {
  if (n < 2) return 0;
  return 1e-6 + 1e-14 * (std::max(std::abs(node[1]), std::abs(node[n])) / spacing + n);
}

}  // namespace

DrawnHeights::DrawnHeights(const GridData& grid, const ViewProjection& view)
    : grid_(grid),
      view_(view),
      lowest_(std::numeric_limits<double>::quiet_NaN()),
      highest_(std::numeric_limits<double>::quiet_NaN()) {
  if (!HoldsNodes(grid)) return;
  h_ = NodeArray<double>(grid.Nx, grid.Ny);
  double low = std::numeric_limits<double>::infinity(), high = -low;
  bool finite = true;
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) {
      const double h = ExaggerateHeight(view, grid.Z(i, j));
      h_(i, j) = h;
      finite = finite && std::isfinite(h);
      low = std::min(low, h);
      high = std::max(high, h);
    }
  }
  if (!finite || !Rising(grid.GridX, grid.Nx, grid.Dx) || !Rising(grid.GridY, grid.Ny, grid.Dy)) {
    return;
  }
  // Interpolation between two nodes strays beyond them by a sliver of their
  // difference, and the sum rounds by a sliver of the heights themselves.
  const double stray = Stray(grid.GridX, grid.Nx, grid.Dx) + Stray(grid.GridY, grid.Ny, grid.Dy);
  const double slack = (high - low) * stray + (std::abs(low) + std::abs(high)) * 1e-12;
  lowest_ = low - slack;
  highest_ = high + slack;
}

PlacedPoint PlacePointOnSurface(const DrawnHeights& surface, double x, double y) {
  // Without a surface the point stays at the view's centre height.
  PlacedPoint placed{x, y, surface.View().Zcen};
  if (surface.Empty()) return placed;
  const GridData& g = surface.Grid();
  // A single node in a direction leaves nothing to interpolate along it.
  std::int32_t i = 1, i2 = 1, j = 1, j2 = 1;
  double fx = 0, fy = 0;
  if (g.Nx >= 2) {
    i = CellAt((x - g.Xmin) / g.Dx + 1.000001, g.Nx);
    i2 = i + 1;
    fx = (x - g.GridX[i]) / g.Dx;
  }
  if (g.Ny >= 2) {
    j = CellAt((y - g.Ymin) / g.Dy + 1.000001, g.Ny);
    j2 = j + 1;
    fy = (y - g.GridY[j]) / g.Dy;
  }
  placed.PointZ = surface.H(i, j) * (1 - fx) * (1 - fy) + surface.H(i2, j) * fx * (1 - fy) +
                  surface.H(i2, j2) * fx * fy + surface.H(i, j2) * (1 - fx) * fy;
  return placed;
}

bool TestPointVisible(const DrawnHeights& surface, const PlacedPoint& point) {
  if (surface.Empty()) return true;
  const GridData& g = surface.Grid();
  const ViewProjection& v = surface.View();
  double dx = v.TowardX, dy = v.TowardY, dz = v.TowardZ;
  if (v.Dist != NoPerspective) {
    dx = v.EyeX - point.PointX;
    dy = v.EyeY - point.PointY;
    dz = v.EyeZ - point.PointZ;
  }
  SightLine sight{(g.Zmax - g.Zmin) * v.Ve / 10000, point.PointZ, dz, surface.Highest(),
                  surface.Lowest()};
  const Axis alongX{g.GridX, g.Nx, g.Xmin, g.Xmax, g.Dx, v.EyeX, point.PointX, dx};
  const Axis alongY{g.GridY, g.Ny, g.Ymin, g.Ymax, g.Dy, v.EyeY, point.PointY, dy};
  WalkLines(sight, alongX, alongY, [&](std::int32_t c, std::int32_t j) { return surface.H(c, j); });
  WalkLines(sight, alongY, alongX, [&](std::int32_t r, std::int32_t i) { return surface.H(i, r); });
  return !sight.Hidden();
}

}  // namespace kessadon
