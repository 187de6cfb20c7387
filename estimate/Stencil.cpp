#include "Stencil.h"

#include "io/NumberText.h"

namespace kessadon {
namespace {

// Nearest node index along one axis, or 0 when it is not an inner node. The
// test runs on the double so that far-off points cannot overflow the integer.
std::int32_t NearestInnerNode(double offset, double spacing, std::int32_t n) {
  const double k = IntFloor(offset / spacing + 1.50000001);
  if (!(1 < k && k < n)) return 0;
  return static_cast<std::int32_t>(k);
}

// The bilinear twist on the cell between the nearest node and its neighbours
// toward the point.
void AddTwist(Stencil& s, const DatumLocation& at, double t) {
  const int a = at.sx + 1, b = at.sy + 1;
  s.W[a][b] += t;
  s.W[a + 1][b] -= t;
  s.W[a][b + 1] -= t;
  s.W[a + 1][b + 1] += t;
}

}  // namespace

std::optional<DatumLocation> LocateDatum(const EstimationGrid& grid, double x, double y) {
  DatumLocation at;
  at.ic = NearestInnerNode(x - grid.Xmin, grid.Dx, grid.Nx);
  if (at.ic == 0) return std::nullopt;
  at.px = (x - ((at.ic - 1) * grid.Dx + grid.Xmin)) / grid.Dx;
  at.sx = at.px < 0 ? -1 : 0;
  at.jc = NearestInnerNode(y - grid.Ymin, grid.Dy, grid.Ny);
  if (at.jc == 0) return std::nullopt;
  at.py = (y - ((at.jc - 1) * grid.Dy + grid.Ymin)) / grid.Dy;
  at.sy = at.py < 0 ? -1 : 0;
  return at;
}

Stencil ValueStencil(const DatumLocation& at) {
  const double px = at.px, py = at.py;
  Stencil s;
  s.W[0][1] = (px * px - px) / 2;
  s.W[2][1] = (px + px * px) / 2;
  s.W[1][0] = (py * py - py) / 2;
  s.W[1][2] = (py + py * py) / 2;
  s.W[1][1] = 1 - px * px - py * py;
  AddTwist(s, at, px * py);
  return s;
}

Stencil SetSlopeXStencil(const DatumLocation& at, double dx) {
  Stencil s;
  s.W[0][1] = (at.px - 0.5) / dx;
  s.W[1][1] = -2 * at.px / dx;
  s.W[2][1] = (at.px + 0.5) / dx;
  AddTwist(s, at, at.py / dx);
  return s;
}

Stencil SetSlopeYStencil(const DatumLocation& at, double dy) {
  Stencil s;
  s.W[1][0] = (at.py - 0.5) / dy;
  s.W[1][1] = -2 * at.py / dy;
  s.W[1][2] = (at.py + 0.5) / dy;
  AddTwist(s, at, at.px / dy);
  return s;
}

double ApplyStencil(const Stencil& stencil, std::int32_t ic, std::int32_t jc,
                    const NodeArray<double>& z, double start) {
  double sum = start;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) sum += stencil.W[a][b] * z(ic + a - 1, jc + b - 1);
  }
  return sum;
}

double InterpolateEstimate(const DatumLocation& at, const NodeArray<double>& z, Stencil& stencil) {
  stencil = ValueStencil(at);
  return ApplyStencil(stencil, at.ic, at.jc, z);
}

}  // namespace kessadon
