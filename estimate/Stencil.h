// Point location in the estimation grid and the 3x3 stencils that express the
// surface's value and slopes at a point as weighted sums of node heights.
//
// A stencil W[a][b] is centred at node (ic, jc): a = 0, 1, 2 for the x offsets
// -1, 0, +1 and b likewise for y. The value stencil is quadratic along the row
// and the column through the nearest node plus a bilinear twist on the cell
// that holds the point; it reproduces planes exactly.
#pragma once

#include <cstdint>
#include <optional>

#include "EstimationGrid.h"
#include "io/NodeArray.h"

namespace kessadon {

struct Stencil {
  double W[3][3] = {};  // W[a][b] weighs node (ic + a - 1, jc + b - 1)
};

struct DatumLocation {
  std::int32_t ic = 0, jc = 0;  // nearest node, never on the border
  double px = 0, py = 0;        // offset from it in units of Dx, Dy (about -0.5 ... 0.5)
  int sx = 0, sy = 0;           // -1 where the offset is negative, else 0
};

// The nearest node, a point halfway between two going to the higher one.
// Nothing when that node is on the border or outside, i.e. unless the whole
// 3x3 neighbourhood lies in the grid.
std::optional<DatumLocation> LocateDatum(const EstimationGrid& grid, double x, double y);

// Interpolated value at a located point.
Stencil ValueStencil(const DatumLocation& at);

// dz/dx and dz/dy at a located point: the derivatives of the value stencil.
Stencil SetSlopeXStencil(const DatumLocation& at, double dx);
Stencil SetSlopeYStencil(const DatumLocation& at, double dy);

// Sum of W[a][b] * z(ic + a - 1, jc + b - 1), a outer, b inner, from `start`.
double ApplyStencil(const Stencil& stencil, std::int32_t ic, std::int32_t jc,
                    const NodeArray<double>& z, double start = 0);

// The value of `z` at a located point; leaves the value stencil in `stencil`.
double InterpolateEstimate(const DatumLocation& at, const NodeArray<double>& z, Stencil& stencil);

}  // namespace kessadon
