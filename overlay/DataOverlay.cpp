// The marks, strike/dip symbols and labels of measured points, and the
// overlay that draws the points the surface does not hide.
//
// Symbols are laid out in map units around the point and projected at the
// point's drawn height; elevation marks are laid out in pixels around the
// point's pixel. Trends are degrees clockwise from north, dips degrees below
// the horizontal. A strike/dip symbol is a strike line 18 units long with a
// tick of 6 down the dip (a cross for a flat bed, a bar of 8 across a vertical
// one), the unit being a four-hundredth of the map window's longer side,
// times SdBai.
#include "DataOverlay.h"

#include <cmath>
#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

#include "DrawnHeights.h"
#include "io/NumberText.h"
#include "render/PixelRange.h"

namespace kessadon {
namespace {

constexpr Color kSymbolColor = Rgb(255, 0, 0);
constexpr Color kMarkColor = Rgb(255, 128, 0);

using Pixel = std::optional<SurfacePoint>;

template <class T>
T ValueAt(const std::vector<T>& values, std::size_t k, T absent) {
  return k < values.size() ? values[k] : absent;
}

void LineBetween(DrawingSurface& surface, const Pixel& a, const Pixel& b, Color color) {
  if (a && b) surface.Line(a->x, a->y, b->x, b->y, color);
}

// A line between computed whole-number positions, left out beyond the pixel range.
void LineAt(DrawingSurface& surface, double x1, double y1, double x2, double y2, Color color) {
  if (FitsPixel(x1) && FitsPixel(y1) && FitsPixel(x2) && FitsPixel(y2)) {
    surface.Line(static_cast<int>(x1), static_cast<int>(y1), static_cast<int>(x2),
                 static_cast<int>(y2), color);
  }
}

double SymbolUnit(const MapWindow& window, float sdBai) {
  const double alongX = (window.Xmax - window.Xmin) / 400 * sdBai;
  const double alongY = (window.Ymax - window.Ymin) / 400 * sdBai;
  return alongY > alongX ? alongY : alongX;
}

void DrawStrikeDip(DrawingSurface& surface, const ViewProjection& view, const DataPoint& point,
                   double zd, double unit, SurfacePoint origin) {
  const double a = (point.Trend - 90) * kDegree;
  const double sa = std::sin(a), ca = std::cos(a);
  const double cd = std::cos(point.Dip * kDegree);
  const double x = point.X, y = point.Y;
  const auto at = [&](double mapX, double mapY) { return ProjectPoint(view, mapX, mapY, zd); };

  LineBetween(surface, at(x + 9 * unit * sa, y + 9 * unit * ca),
              at(x - 9 * unit * sa, y - 9 * unit * ca), kSymbolColor);
  if (std::abs(cd) >= 0.999) {
    LineBetween(surface, at(x - 9 * unit * ca, y + 9 * unit * sa),
                at(x + 9 * unit * ca, y - 9 * unit * sa), kSymbolColor);
  } else if (std::abs(cd) > 0.01) {
    // An overturned bed (dip beyond 90) ticks up the dip.
    const double s = cd > 0 ? 1 : -1;
    LineBetween(surface, origin, at(x + 6 * unit * s * ca, y - 6 * unit * s * sa), kSymbolColor);
  } else {
    LineBetween(surface, at(x - 4 * unit * ca, y + 4 * unit * sa),
                at(x + 4 * unit * ca, y - 4 * unit * sa), kSymbolColor);
  }
  if (cd < 0) surface.Circle(origin.x, origin.y, surface.Scaled(5), kSymbolColor);
}

// -1 an upper bound (a dash), 1 a lower bound (a plus), 0 an ordinary height
// (a ringed dot); d is the half-length of the dash in pixels.
void DrawElevationMark(DrawingSurface& surface, std::int16_t code, SurfacePoint origin, double d) {
  const double x0 = origin.x, y0 = origin.y;
  switch (code) {
    case -1:
      LineAt(surface, x0 + d, y0, x0 - d - 1, y0, kMarkColor);
      break;
    case 1:
      LineAt(surface, x0 + d, y0, x0 - d - 1, y0, kMarkColor);
      LineAt(surface, x0, y0 - d, x0, y0 + d + 1, kMarkColor);
      break;
    case 0:
      surface.Circle(origin.x, origin.y, surface.Scaled(2), kMarkColor);
      surface.Circle(origin.x, origin.y, surface.Scaled(1), kMarkColor);
      surface.PSet(origin.x, origin.y, kMarkColor);
      break;
    default:
      break;
  }
}

}  // namespace

MapWindow MapWindowOf(const GridData& grid) {
  return MapWindow{grid.Xmin, grid.Xmax, grid.Ymin, grid.Ymax};
}

DataPoint DataPointOf(const MeasuredData& data, std::int32_t k) {
  // A record set filled only in part reads as absent values.
  const auto at = static_cast<std::size_t>(k);
  DataPoint point;
  point.X = ValueAt(data.DataX, at, NoValue);
  point.Y = ValueAt(data.DataY, at, NoValue);
  point.Z = ValueAt(data.DataZ, at, NoValue);
  point.L = ValueAt(data.DataL, at, std::int16_t{0});
  point.Trend = ValueAt(data.DataTrend, at, NoValue);
  point.Dip = ValueAt(data.DataDip, at, NoValue);
  return point;
}

std::string DataPointLabel(const DataPoint& point, const DataDisplaySettings& settings) {
  if (!settings.Labels) return {};
  if (settings.Symbols && point.HasStrikeDip()) {
    if (!settings.DipLabels) return {};
    if (!point.HasHeight()) return FormatSigned(point.Dip);
    return FormatSigned(point.Dip) + "(" + FormatSigned(point.Z) + ")";
  }
  return point.HasHeight() ? FormatSigned(point.Z) : std::string();
}

void DrawDataPoint(DrawingSurface& surface, const ViewProjection& view, const MapWindow& window,
                   const DataPoint& point, double surfaceZ, const DataDisplaySettings& settings) {
  const double zd = point.HasHeight() ? ExaggerateHeight(view, point.Z) : surfaceZ;
  const Pixel origin = ProjectPoint(view, point.X, point.Y, zd);
  if (!origin) return;
  surface.SetForeColor(settings.DataTextColor);
  if (settings.Symbols && point.HasStrikeDip()) {
    DrawStrikeDip(surface, view, point, zd, SymbolUnit(window, settings.SdBai), *origin);
  } else if (point.HasHeight()) {
    // SdBai is single precision, and so is its product.
    const float scaled = settings.SdBai * 3.0f;
    DrawElevationMark(surface, point.L, *origin, surface.Scaled(RoundHalfEven(scaled)));
  }
  surface.SetFontName("Century");
  surface.SetFontSize(settings.ChrSize);
  const std::string label = DataPointLabel(point, settings);
  if (label.empty()) return;
  surface.SetCurrentX(origin->x);
  surface.SetCurrentY(origin->y);
  surface.Print(label);
}

bool LabelsCrowd(DrawingSurface& surface, std::int64_t count, const DataDisplaySettings& settings) {
  if (settings.CrowdedLabels) return false;
  surface.SetFontName("Century");
  surface.SetFontSize(settings.ChrSize);
  // A typical height label, "123.45".
  const double label = surface.TextWidth("123.45") * surface.TextHeight("0");
  return static_cast<double>(count) * label > 0.5 * surface.ScaleWidth() * surface.ScaleHeight();
}

bool DrawMeasuredData(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
                      const MeasuredData& data, const DataDisplaySettings& settings) {
  const DrawnHeights drawn(grid, view);
  if (drawn.Empty()) return false;
  const MapWindow window = MapWindowOf(grid);
  std::vector<std::pair<std::int32_t, double>> visible;
  for (std::int32_t k = 0; k < data.Ndata(); ++k) {
    const DataPoint point = DataPointOf(data, k);
    const PlacedPoint placed = PlacePointOnSurface(drawn, point.X, point.Y);
    if (TestPointVisible(drawn, placed)) visible.emplace_back(k, placed.PointZ);
  }
  DataDisplaySettings shown = settings;
  const bool crowded = LabelsCrowd(surface, static_cast<std::int64_t>(visible.size()), settings);
  if (crowded) {
    // Marks alone: the labels would run into one black blot.
    shown.Labels = false;
  }
  for (const auto& [k, z] : visible)
    DrawDataPoint(surface, view, window, DataPointOf(data, k), z, shown);
  return crowded;
}

}  // namespace kessadon
