// The view projection: rotate the world (x east, y north, z up) into screen
// axes given by a view direction and dip, optionally project it centrally onto
// a plane, scale it to fit the window, and exaggerate heights above a base.
// Angles are degrees (direction clockwise from north, dip below horizontal);
// the result is in pixels, origin top-left, y downwards.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "DrawingSurface.h"
#include "io/GridData.h"

namespace kessadon {

// Dist with this exact value means parallel projection.
inline constexpr double NoPerspective = 1e10;
// Zbase with this exact value means no pedestal.
inline constexpr double NoBase = -99999;

// The order in which grid columns or rows are painted: start, end, step (1 or -1).
struct PainterOrder {
  std::int32_t Start = 1, End = 1, Step = 1;
  bool operator==(const PainterOrder&) const = default;
};

// The extent of the height and dip data, used for the scale when the grid has none.
struct DataExtent {
  double XminH = 0, XmaxH = 0, YminH = 0, YmaxH = 0;
};

struct ViewProjection {
  // The settings of the panel.
  double Alpha = 0;  // view direction
  double Gamma = 0;  // view dip
  double Dist = NoPerspective;
  double Ppz = 0;  // depth of the projection plane toward the eye
  double Sca = 0;  // 1: the longer grid side spans half the smaller window side
  double Ve = 0;   // height exaggeration
  double Zbase = 0;

  // Screen axes and the direction to the eye, unit vectors in world axes.
  double RightX = 0, RightY = 0, RightZ = 0;
  double UpX = 0, UpY = 0, UpZ = 0;
  double TowardX = 0, TowardY = 0, TowardZ = 0;
  double EyeX = 0, EyeY = 0, EyeZ = 0;
  // The grid centre the transform was derived for.
  double Xcen = 0, Ycen = 0, Zcen = 0;

  PainterOrder XOrder, YOrder;

  std::int32_t CenterX = 0, CenterY = 0;  // pixel of the grid centre
  double ExtentX = 0, ExtentY = 0;
  double PixelScale = 0;  // pixels per world unit
};

// Fits the grid (or, without a grid extent, the data) into a window of the
// given inner size.
void UpdatePixelScale(ViewProjection& view, const GridData& grid, const DataExtent& data,
                      double scaleWidth, double scaleHeight);

// Columns and rows from the side away from the eye toward it; a tie ascends.
void UpdatePainterOrder(ViewProjection& view, const GridData& grid);

// Recomputes everything derived from the settings for the current grid and
// window. Returns whether the view may be used for drawing (Sca > 0), which is
// when the caller raises ViewReady.
bool UpdateViewProjection(ViewProjection& view, const GridData& grid, const DataExtent& data,
                          double scaleWidth, double scaleHeight);

// Heights below the base are lifted to it, then scaled about the centre height.
double ExaggerateHeight(const ViewProjection& view, double z);

// Under perspective nothing nearer the eye than this is drawn: a thousandth of
// the eye's distance, where the picture is already magnified a thousandfold.
double NearDistance(const ViewProjection& view);

// The pixel of a world point (z already exaggerated). Nothing when the point
// cannot be drawn: under perspective nearer the eye than NearDistance or
// behind it, or when a pixel value is not finite or does not fit 32 bits.
std::optional<SurfacePoint> ProjectPoint(const ViewProjection& view, double x, double y, double z);
// The same for loops over many points: whether there is a pixel, written to `at`.
bool ProjectPointTo(const ViewProjection& view, double x, double y, double z, SurfacePoint& at);

// A world point, z already exaggerated.
struct WorldPoint {
  double x = 0, y = 0, z = 0;
};

// The part of the segment that lies at least NearDistance in front of the
// eye, projected; nothing when no part of it can be drawn.
std::optional<std::pair<SurfacePoint, SurfacePoint>> ProjectSegment(const ViewProjection& view,
                                                                    WorldPoint a, WorldPoint b);

// The part of the polygon that lies at least NearDistance in front of the
// eye, projected; empty when nothing of it can be drawn.
std::vector<SurfacePoint> ProjectPolygon(const ViewProjection& view,
                                         std::span<const WorldPoint> corners);

// Every refusal of a perspective says this.
inline constexpr const char* kPerspectiveRefused = "透視投影ができません";

// Why the perspective cannot be drawn, naming the panel's fields: an eye
// distance of 0 or less, a projection plane at or behind the eye, or an eye
// inside or behind the block of the grid (its heights exaggerated, with the
// pedestal). Nothing under parallel projection or when it can be drawn.
std::optional<std::string> PerspectiveRefusal(const ViewProjection& view, const GridData& grid);

}  // namespace kessadon
