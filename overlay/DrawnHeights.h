// The grid's heights as the view draws them (exaggerated), the measured
// points placed on them, and whether they hide a point from the eye.
//
// Nodes (i, j) count from 1, i along x, j along y; map units throughout.
#pragma once

#include <cstdint>

#include "io/GridData.h"
#include "io/NodeArray.h"
#include "render/ViewProjection.h"

namespace kessadon {

// The grid's heights as the view draws them, derived once for many points.
// It refers to the grid and the view, which must outlive it.
class DrawnHeights {
 public:
  DrawnHeights(const GridData& grid, const ViewProjection& view);

  const GridData& Grid() const { return grid_; }
  const ViewProjection& View() const { return view_; }
  // ExaggerateHeight of node (i, j).
  double H(std::int32_t i, std::int32_t j) const { return h_(i, j); }
  // No nodes (or arrays that do not hold them): nothing can be placed on it.
  bool Empty() const { return h_.Empty(); }
  // Bounds of every surface height the hidden-point test interpolates, with
  // room for its rounding; NaN when they cannot be relied on.
  double Lowest() const { return lowest_; }
  double Highest() const { return highest_; }

 private:
  const GridData& grid_;
  const ViewProjection& view_;
  NodeArray<double> h_;
  double lowest_, highest_;
};

struct PlacedPoint {
  double PointX = 0, PointY = 0;
  double PointZ = 0;  // drawn height of the surface under the point
};

// The drawn surface's height under (x, y), bilinear in the cell that holds it;
// beyond the grid the border cell's plane is extended.
PlacedPoint PlacePointOnSurface(const DrawnHeights& surface, double x, double y);

// Walks the sight line from the point toward the eye over the grid lines it
// crosses: hidden when it passes more than a ten-thousandth of the drawn
// height range below the surface somewhere and as far above it elsewhere.
bool TestPointVisible(const DrawnHeights& surface, const PlacedPoint& point);

}  // namespace kessadon
