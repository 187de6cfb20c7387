#include "ContourLines.h"

#include "PixelRange.h"

namespace kessadon {
namespace {

struct Crossings {
  int count = 0;
  std::array<SurfacePoint, 4> at{};
  bool usable = true;  // false when a crossing has no finite pixel
};

template <class Plot>
Crossings FindCrossings(Plot plot, const CellPoints& p, const CellHeights& z, double level,
                        double zeps) {
  std::array<double, 5> d{};
  for (int n = 0; n < 5; ++n) {
    d[n] = z[n] - level;
    if (d[n] == 0) d[n] = zeps;
  }
  Crossings found;
  for (int e = 0; e < 4; ++e) {
    const bool sameSide = (d[e] > 0 && d[e + 1] > 0) || (d[e] < 0 && d[e + 1] < 0);
    // Equal differences (both on the level with no nudge) have no crossing point.
    if (sameSide || d[e + 1] == d[e]) continue;
    const double t = -d[e] / (d[e + 1] - d[e]);
    const auto x = FloorToPixel((static_cast<double>(p[e + 1].x) - p[e].x) * t);
    const auto y = FloorToPixel((static_cast<double>(p[e + 1].y) - p[e].y) * t);
    if (!x || !y) {
      found.usable = false;
      return found;
    }
    // t lies in 0..1, so the point lies between the two corners and fits.
    const SurfacePoint cross{*x + p[e].x, *y + p[e].y};
    found.at[found.count++] = cross;
    plot(cross);
  }
  return found;
}

double SquaredDistance(SurfacePoint a, SurfacePoint b) {
  const double dx = static_cast<double>(a.x) - b.x, dy = static_cast<double>(a.y) - b.y;
  return dx * dx + dy * dy;
}

// Finds the pieces, plotting each crossing and joining the pairs as it goes;
// when only asked whether there are any, stops at the first level with some.
template <bool kAsk, class Plot, class Join>
bool WalkCellContours(Plot plot, Join join, const CellPoints& points, const CellHeights& z,
                      LevelSpan span, const ContourLevels& levels, double zeps) {
  bool drew = false;
  for (std::int64_t k = span.first; k <= span.last; ++k) {
    const double level = static_cast<double>(k) * levels.Cin + levels.Cst;
    const Crossings c = FindCrossings(plot, points, z, level, zeps);
    drew = drew || c.count > 0;
    if (kAsk && drew) return true;
    if (!c.usable) continue;
    const auto& x = c.at;
    if (c.count == 2) {
      join(x[0], x[1]);
    } else if (c.count == 4) {
      // A saddle: join the crossings that lie nearer each other; a tie cuts
      // off corners 1 and 3.
      if (SquaredDistance(x[0], x[1]) >= SquaredDistance(x[0], x[3])) {
        join(x[0], x[3]);
        join(x[1], x[2]);
      } else {
        join(x[2], x[3]);
        join(x[0], x[1]);
      }
    }
  }
  return drew;
}

}  // namespace

bool DrawCellContours(DrawingSurface& surface, const CellPoints& points, const CellHeights& z,
                      LevelSpan span, const ContourLevels& levels, double zeps) {
  return WalkCellContours<false>(
      [&](SurfacePoint p) { surface.PSet(p.x, p.y); },
      [&](SurfacePoint a, SurfacePoint b) { surface.Line(a.x, a.y, b.x, b.y); }, points, z, span,
      levels, zeps);
}

bool DrawCellContours(DrawingSurface& surface, const CellPoints& points, const CellHeights& z,
                      const ContourLevels& levels, double zeps) {
  double hmin = z[0], hmax = z[0];
  for (int n = 1; n < 4; ++n) {
    if (z[n] < hmin) hmin = z[n];
    if (z[n] > hmax) hmax = z[n];
  }
  return DrawCellContours(surface, points, z, LevelsWithin(levels, hmin, hmax), levels, zeps);
}

bool CellHasContours(const CellPoints& points, const CellHeights& z, LevelSpan span,
                     const ContourLevels& levels, double zeps) {
  return WalkCellContours<true>([](SurfacePoint) {}, [](SurfacePoint, SurfacePoint) {}, points, z,
                                span, levels, zeps);
}

}  // namespace kessadon
