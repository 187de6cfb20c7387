#include "FaultOverlay.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "DrawnHeights.h"
#include "estimate/FaultCuts.h"

namespace kessadon {

void DrawFaultTraces(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
                     const FaultTraces& traces) {
  const DrawnHeights drawn(grid, view);
  if (drawn.Empty() || grid.Nx < 2 || grid.Ny < 2) return;
  const double xmax = grid.Xmin + (grid.Nx - 1) * grid.Dx;
  const double ymax = grid.Ymin + (grid.Ny - 1) * grid.Dy;
  const double step = 0.25 * std::min(grid.Dx, grid.Dy);
  const int width = surface.DrawWidth();
  surface.SetDrawWidth(2);
  // The pixel of a visible point of the trace on the surface, or nothing.
  auto seen = [&](double x, double y) -> std::optional<SurfacePoint> {
    if (x < grid.Xmin || x > xmax || y < grid.Ymin || y > ymax) return std::nullopt;
    // On the upper edge of the scarp: the highest corner of the cell that
    // holds the point, where a fault leaves one side standing above the other.
    PlacedPoint placed = PlacePointOnSurface(drawn, x, y);
    const auto i =
        std::clamp(static_cast<std::int32_t>((x - grid.Xmin) / grid.Dx) + 1, 1, grid.Nx - 1);
    const auto j =
        std::clamp(static_cast<std::int32_t>((y - grid.Ymin) / grid.Dy) + 1, 1, grid.Ny - 1);
    placed.PointZ =
        std::max({drawn.H(i, j), drawn.H(i + 1, j), drawn.H(i, j + 1), drawn.H(i + 1, j + 1)});
    if (!TestPointVisible(drawn, placed)) return std::nullopt;
    return ProjectPoint(view, x, y, placed.PointZ);
  };
  for (const FaultTrace& trace : traces.traces) {
    for (std::size_t k = 0; k + 1 < trace.x.size(); ++k) {
      const double dx = trace.x[k + 1] - trace.x[k], dy = trace.y[k + 1] - trace.y[k];
      const double pieces = std::clamp(std::ceil(std::hypot(dx, dy) / step), 1.0, 1e6);
      std::optional<SurfacePoint> last = seen(trace.x[k], trace.y[k]);
      for (double n = 1; n <= pieces; ++n) {
        const std::optional<SurfacePoint> next =
            seen(trace.x[k] + dx * n / pieces, trace.y[k] + dy * n / pieces);
        if (last && next) surface.Line(last->x, last->y, next->x, next->y, kFaultColor);
        last = next;
      }
    }
  }
  surface.SetDrawWidth(width);
}

Status DrawFaultedGridPicture(DrawingSurface& surface, const GridData& grid, ViewProjection& view,
                              const DataExtent& data, NodeArray<Color>& cellColors,
                              const GridPictureSettings& settings, const FaultTraces& faults) {
  if (faults.traces.empty())
    return DrawGridPicture(surface, grid, view, data, cellColors, settings);
  const NodeArray<std::uint8_t> cut = FaultCutCells(grid, faults);
  GridPictureSettings withCuts = settings;
  withCuts.options.Uncontoured = &cut;
  Status drawn = DrawGridPicture(surface, grid, view, data, cellColors, withCuts);
  if (drawn) DrawFaultTraces(surface, grid, view, faults);
  return drawn;
}

}  // namespace kessadon
