// Bicubic grid refinement: resamples a grid to other node counts over the same
// extent. Slopes dz/dx, dz/dy and the cross derivative at every node come from
// cubic splines along the grid lines; each cell is then a bicubic Hermite patch
// through its four corners, evaluated at the new nodes inside it.
//
// Indices run from 1 as in the grid (slot 0 of every array unused); x and y
// in map units, slopes in height units per map unit.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "io/GridData.h"
#include "io/NodeArray.h"
#include "io/Result.h"

namespace kessadon {

// The resampled grid: NxNew by NyNew nodes over the same extent.
struct RefinedGrid {
  std::int32_t NxNew = 0, NyNew = 0;
  double DxNew = 0, DyNew = 0;
  // 0 ... max(Nx, NxNew) by 0 ... max(Ny, NyNew); nodes 1 ... NxNew by 1 ... NyNew used.
  NodeArray<double> ZNew;
};

// Resamples the grid (Nx, Ny, Dx, Dy, Xmin, Ymin, Xmax, Ymax, GridX, GridY and
// Z as UpdateGridGeometry leaves them) to the requested counts, each rounded
// to the nearest integer, ties to even. Refuses, saying what to change, a grid
// with fewer than 3 nodes or a zero spacing in a direction, a count below 2 or
// not a number, and a result too large for memory.
Result<RefinedGrid> RefineGrid(const GridData& grid, double nxRequested, double nyRequested);

// Switches between the original and the resampled grid: with the resampled
// grid current (NxNew == Nx and NyNew == Ny) restores NxOrg, NyOrg, DxOrg,
// DyOrg and ZOrg, otherwise installs the resampled grid; then derives the
// geometry. Xmin and Ymin stay. Returns true when the resampled grid is now current.
bool ToggleRefinedGrid(GridData& grid, const RefinedGrid& refined);

// --- The steps, exposed for the tests ---

// How a slope system ends: parabolic makes the first and last interval a
// parabola; clamped takes the end slopes as given.
enum class SlopeEnds { Parabolic, Clamped };

// The tridiagonal system for the slopes m(1 ... n) of a cubic spline through
// values at t(1 ... n), factored. Every vector holds index k at [k].
struct SlopeSystem {
  std::int32_t n = 0;
  SlopeEnds ends = SlopeEnds::Parabolic;
  std::vector<double> h;       // 2 ... n: t(k) - t(k-1)
  std::vector<double> lambda;  // 2 ... n: weight of m(k-1) in row k
  std::vector<double> mu;      // 1 ... n-1: weight of m(k+1) in row k
  std::vector<double> l;       // 2 ... n: elimination factors
  std::vector<double> u;       // 1 ... n: pivots
};

// t holds t(k) at t[k] for k = 1 ... n, as GridX and GridY do. n must be at
// least 3 with parabolic ends (2 nodes make the system singular), 2 with clamped.
SlopeSystem FactorSlopeSystem(std::span<const double> t, std::int32_t n, SlopeEnds ends);

// f holds f(k) at f[k]; the slopes go to m[k], k = 1 ... n (m must not be f).
// d1 and dn are the end slopes of clamped ends, unused otherwise.
void SolveSlopeSystem(const SlopeSystem& system, std::span<const double> f, double d1, double dn,
                      std::span<double> m);

// Slopes at every node, each array shaped like Z (0 ... Nx by 0 ... Ny).
struct NodeDerivatives {
  NodeArray<double> ZxNode;   // dz/dx
  NodeArray<double> ZyNode;   // dz/dy
  NodeArray<double> ZxyNode;  // d2z/dxdy
};

// From Nx, Ny (both at least 3), GridX, GridY and Z.
NodeDerivatives ComputeNodeDerivatives(const GridData& grid);

// A 4 x 4 matrix, rows and columns from 1 as in the formulas.
struct Matrix4 {
  std::array<std::array<double, 4>, 4> a{};
  double& operator()(int row, int col) { return a[row - 1][col - 1]; }
  double operator()(int row, int col) const { return a[row - 1][col - 1]; }
};

// C(h): maps (p(0), p'(0), p(h), p'(h)) to the coefficients (c0, c1, c2, c3)
// of the cubic p(t) = c0 + c1 t + c2 t^2 + c3 t^3.
Matrix4 BuildHermiteMatrix(double h);

}  // namespace kessadon
