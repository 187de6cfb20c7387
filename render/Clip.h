// Clipping of segments and polygons to a rectangle, so that the raster
// surface never hands coordinates far outside its image to the painter, whose
// fixed-point arithmetic would wrap them.
#pragma once

#include <vector>

namespace kessadon {

struct ClipRect {
  double left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(double x, double y) const {
    return x >= left && x <= right && y >= top && y <= bottom;
  }
};

struct PointF {
  double x = 0, y = 0;
};

// Cuts the segment to the rectangle (Liang-Barsky); false when nothing is left.
bool ClipSegment(const ClipRect& rect, PointF& a, PointF& b);

// The part of a polygon inside the rectangle (Sutherland-Hodgman). Pieces of the
// result along the rectangle's sides are new edges, not edges of the polygon.
std::vector<PointF> ClipPolygon(const ClipRect& rect, const std::vector<PointF>& polygon);

}  // namespace kessadon
