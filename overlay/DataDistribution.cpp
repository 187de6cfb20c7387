// The plan window fitted around the measured data before a grid exists, and
// the distribution view that draws every record without hiding any.
//
// Windows are squares in map units. A window that would have no size, or a
// single point's window that would miss the point (it reaches from twice the
// point's coordinates back toward the origin), becomes a square centred on
// the point instead.
#include "DataDistribution.h"

#include <cmath>
#include <optional>

#include "DrawnHeights.h"

namespace kessadon {
namespace {

// The square 10 % larger than the longer range, beginning 5 % before each range.
MapWindow AroundRange(const DataExtent& extent) {
  const double w = extent.XmaxH - extent.XminH, h = extent.YmaxH - extent.YminH;
  const double side = 1.1 * (w >= h ? w : h);
  MapWindow window;
  window.Xmin = extent.XminH - 0.05 * w;
  window.Ymin = extent.YminH - 0.05 * h;
  window.Xmax = window.Xmin + side;
  window.Ymax = window.Ymin + side;
  return window;
}

// The square reaching from twice the point's coordinates back by the larger of them.
MapWindow AroundPoint(double x, double y) {
  MapWindow window;
  window.Xmax = 2 * x;
  window.Ymax = 2 * y;
  const double m = window.Xmax >= window.Ymax ? window.Xmax : window.Ymax;
  window.Xmin = window.Xmax - m;
  window.Ymin = window.Ymax - m;
  return window;
}

MapWindow CentredOn(double x, double y) {
  double side = 2 * std::fmax(std::abs(x), std::abs(y));
  if (side == 0) side = 1;
  return MapWindow{x - side / 2, x + side / 2, y - side / 2, y + side / 2};
}

bool HasSize(const MapWindow& w) { return w.Xmax > w.Xmin && w.Ymax > w.Ymin; }

bool Contains(const MapWindow& w, double x, double y) {
  return w.Xmin <= x && x <= w.Xmax && w.Ymin <= y && y <= w.Ymax;
}

DataExtent ExtentOf(const MapWindow& w) { return DataExtent{w.Xmin, w.Xmax, w.Ymin, w.Ymax}; }

// The window and extent of a point with no range to go by.
void FitToPoint(FittedDataWindow& fitted, double x, double y) {
  const MapWindow window = AroundPoint(x, y);
  if (HasSize(window) && Contains(window, x, y)) {
    fitted.window = window;
    fitted.extent.XminH = window.Xmin;
    fitted.extent.XmaxH = window.Xmax;
    fitted.extent.YminH = window.Ymin;
    return;
  }
  fitted.window = CentredOn(x, y);
  fitted.extent = ExtentOf(fitted.window);
}

void FitToRange(FittedDataWindow& fitted) {
  fitted.window = AroundRange(fitted.extent);
  if (HasSize(fitted.window)) return;
  fitted.window = CentredOn((fitted.extent.XminH + fitted.extent.XmaxH) / 2,
                            (fitted.extent.YminH + fitted.extent.YmaxH) / 2);
  fitted.extent = ExtentOf(fitted.window);
}

}  // namespace

FittedDataWindow FitDataWindow(const PreparedData& data, const DataExtent& extent, double zminH,
                               double zmaxH) {
  FittedDataWindow fitted;
  fitted.extent = extent;
  const double w = extent.XmaxH - extent.XminH, h = extent.YmaxH - extent.YminH;
  // Without heights the dip data alone say where the points lie.
  const bool dipsSpread = data.Nh() == 0 && data.Nd() >= 2 && (w > 0 || h > 0);
  if (data.Nh() >= 2 || dipsSpread) {
    FitToRange(fitted);
  } else if (data.Nh() == 1) {
    FitToPoint(fitted, data.XH.back(), data.YH.back());
  } else if (data.Nd() >= 1) {
    FitToPoint(fitted, data.XD.back(), data.YD.back());
  } else {
    fitted.window = CentredOn(0, 0);
    fitted.extent = ExtentOf(fitted.window);
  }
  fitted.Xcen = (fitted.window.Xmin + fitted.window.Xmax) / 2;
  fitted.Ycen = (fitted.window.Ymin + fitted.window.Ymax) / 2;
  fitted.Zcen = zminH > zmaxH ? 0 : (zminH + zmaxH) / 2;
  return fitted;
}

void DrawDataDistribution(DrawingSurface& surface, const ViewProjection& view,
                          const MapWindow& window, const MeasuredData& data,
                          const DataDisplaySettings& settings, const GridData* grid) {
  // Built only when a record without a height needs the surface.
  std::optional<DrawnHeights> drawn;
  DataDisplaySettings shown = settings;
  if (LabelsCrowd(surface, data.Ndata(), settings)) shown.Labels = false;
  for (std::int32_t k = 0; k < data.Ndata(); ++k) {
    const DataPoint point = DataPointOf(data, k);
    double surfaceZ = view.Zcen;
    if (!point.HasHeight() && grid) {
      if (!drawn) drawn.emplace(*grid, view);
      if (!drawn->Empty()) surfaceZ = PlacePointOnSurface(*drawn, point.X, point.Y).PointZ;
    }
    DrawDataPoint(surface, view, window, point, surfaceZ, shown);
  }
}

}  // namespace kessadon
