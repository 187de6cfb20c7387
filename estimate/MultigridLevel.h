// One grid of the multigrid hierarchy (MultigridSolver.h): its operator by
// upper partners as PatternSystem keeps it (node r = i * ny + j, 0-based, y
// fastest), how it is smoothed, the links faults cut on it, and how its
// nodes are interpolated from the next coarser grid. The transfers, the
// coarse operators and the smoothers (MultigridTransfer.h,
// MultigridGalerkin.h, MultigridSmoothers.h) all work on it.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "PatternSystem.h"

namespace kessadon::multigrid {

constexpr int kPartners = PatternSystem::kPartners;

// Bilinear interpolation along one direction. The coarse grid keeps every
// second node and always the last one, so that interpolation keeps planes
// (what the curvature term does not see) everywhere, borders included: fine
// node f takes coarse node f / 2 when even, the mean of its two neighbours
// when odd, and the last coarse node when it is the last node. A direction
// that is not halved keeps its nodes.
struct Weights1D {
  std::int32_t c[2];
  double w[2];
  int count;
};

inline std::int32_t Coarser(std::int32_t n, bool halve) {
  if (!halve) return n;
  return n % 2 == 1 ? (n + 1) / 2 : n / 2 + 1;
}

inline Weights1D Interpolation(std::int32_t f, std::int32_t nf, bool halve) {
  if (!halve) return {{f, 0}, {1, 0}, 1};
  if (f == nf - 1) return {{Coarser(nf, true) - 1, 0}, {1, 0}, 1};
  if (f % 2 == 0) return {{f / 2, 0}, {1, 0}, 1};
  return {{f / 2, f / 2 + 1}, {0.5, 0.5}, 2};
}

// The coarse nodes a fine node is interpolated from: up to four bilinear
// ones, or up to kMaxFitted beside a fault.
constexpr int kMaxFitted = 8;
struct Weights2D {
  std::int32_t ci[kMaxFitted], cj[kMaxFitted];  // the first `count` hold
  double w[kMaxFitted];
  int count = 0;
};

// How a grid is smoothed: node by node, or where its cells are long by
// whole lines of nodes along their short side, x (rows) or y (columns).
enum class Relax : std::uint8_t { Points, LinesAlongX, LinesAlongY };

// A box of nodes round the tip or corner of a cut, solved exactly by the
// smoothers (TipBoxes).
struct TipBox {
  std::vector<std::int64_t> nodes;
  std::vector<double> factor;  // Cholesky factor of A on the box, its lower triangle by rows
};

// One grid of the hierarchy: its operator by upper partners, and on coarse
// grids the right-hand side, correction and residual of the V-cycle.
struct Level {
  std::int32_t nx = 0, ny = 0;
  // Whether the next coarser grid halves x and y. On cells more than twice
  // as long one way, the couplings along their short side outweigh the
  // rest by the aspect to the fourth power, more than point sweeps can
  // smooth: such grids relax whole lines that way and halve both
  // directions. Beside faults only the strongly coupled direction is
  // halved, until the cells are about square (semi-coarsening): there
  // interpolating across the lines would change from node to node along
  // them, and the strong couplings would make the coarse grids far
  // stiffer than the fine one for a surface bent across them.
  bool halveX = true, halveY = true;
  Relax relax = Relax::Points;
  // With lines, each line's band factored as L D L^T: by node, its two
  // entries of L back along its line and 1 / D.
  std::vector<double> lineFactor;
  const double* a = nullptr;  // the finest level's lies in the caller's system
  std::vector<double> own;
  std::int64_t step[kPartners] = {};  // unknown offset of each partner slot
  std::vector<double> rhs, sol, res;
  std::vector<double> c2, v1, v2, r2;  // the Krylov steps of a K-cycle

  // Links a fault cuts, by the node they start from (x: to the next column,
  // y: to the next row); empty without faults.
  std::vector<std::uint8_t> cutX, cutY;
  // Beside a fault, where a node does not reach all its bilinear parents,
  // its weights (FitNearCuts): the index into `fitted` by node, -1
  // elsewhere; empty without faults.
  std::vector<std::int32_t> fittedAt;
  std::vector<Weights2D> fitted;
  std::vector<std::int64_t> fittedNode;
  // Boxes of nodes round the tips and corners of cuts, solved exactly
  // after each sweep (TipBoxes).
  std::vector<TipBox> tips;

  std::int64_t N() const { return std::int64_t{nx} * ny; }
  Weights1D AlongX(std::int32_t f) const { return Interpolation(f, nx, halveX); }
  Weights1D AlongY(std::int32_t f) const { return Interpolation(f, ny, halveY); }
  // The column (row) of this grid where the next coarser grid's node c lies.
  std::int32_t PlaceX(std::int32_t c) const { return halveX ? std::min(2 * c, nx - 1) : c; }
  std::int32_t PlaceY(std::int32_t c) const { return halveY ? std::min(2 * c, ny - 1) : c; }
  bool CutX(std::int32_t i, std::int32_t j) const {
    return cutX[static_cast<std::size_t>(std::int64_t{i} * ny + j)] != 0;
  }
  bool CutY(std::int32_t i, std::int32_t j) const {
    return cutY[static_cast<std::size_t>(std::int64_t{i} * ny + j)] != 0;
  }
  // Whether node (i, j) reaches the neighbour (p, q), one step away at most
  // each way, without crossing a cut link: straight, or round either corner.
  bool Reaches(std::int32_t i, std::int32_t j, std::int32_t p, std::int32_t q) const {
    const std::int32_t lowI = std::min(i, p), lowJ = std::min(j, q);
    if (p == i) return q == j || !CutY(i, lowJ);
    if (q == j) return !CutX(lowI, j);
    return (!CutX(lowI, j) && !CutY(p, lowJ)) || (!CutY(i, lowJ) && !CutX(lowI, q));
  }
  // The coarser grid's nodes fine node (i, j) is interpolated from, and
  // their weights: bilinear, or where a fault cuts it off from some of
  // those, as FitNearCuts chose.
  Weights2D Interpolate(std::int32_t i, std::int32_t j) const {
    if (!fittedAt.empty()) {
      const std::int32_t k = fittedAt[static_cast<std::size_t>(std::int64_t{i} * ny + j)];
      if (k >= 0) return fitted[static_cast<std::size_t>(k)];
    }
    return Bilinear(i, j);
  }
  Weights2D Bilinear(std::int32_t i, std::int32_t j) const {
    const Weights1D px = AlongX(i), py = AlongY(j);
    Weights2D out;
    for (int u = 0; u < px.count; ++u) {
      for (int v = 0; v < py.count; ++v) {
        out.ci[out.count] = px.c[u];
        out.cj[out.count] = py.c[v];
        out.w[out.count++] = px.w[u] * py.w[v];
      }
    }
    return out;
  }
  // Bilinear weights from only the nodes (i, j) reaches, scaled to sum to
  // one, which keeps a fault block's level but not its slope.
  Weights2D KeepingLevel(std::int32_t i, std::int32_t j) const {
    Weights2D all = Bilinear(i, j), out;
    double kept = 0;
    for (int k = 0; k < all.count; ++k) {
      if (!Reaches(i, j, PlaceX(all.ci[k]), PlaceY(all.cj[k]))) continue;
      out.ci[out.count] = all.ci[k];
      out.cj[out.count] = all.cj[k];
      out.w[out.count++] = all.w[k];
      kept += all.w[k];
    }
    for (int k = 0; k < out.count; ++k) out.w[k] /= kept;
    return out;
  }
  void Shape(std::int32_t cx, std::int32_t cy) {
    nx = cx;
    ny = cy;
    for (int s = 0; s < kPartners; ++s) {
      step[s] = std::int64_t{PatternSystem::kOffsets[s].di} * ny + PatternSystem::kOffsets[s].dj;
    }
  }
  // Row r of A times x. Partners outside the grid hold zero, so away from the
  // first and last two columns no index needs checking.
  double Row(std::int64_t r, const double* x) const {
    const double* u = a + r * kPartners;
    double sum = u[0] * x[r];
    const std::int64_t reach = step[kPartners - 1], n = N();
    if (r >= reach && r < n - reach) {
      for (int s = 1; s < kPartners; ++s) {
        sum += u[s] * x[r + step[s]] + a[(r - step[s]) * kPartners + s] * x[r - step[s]];
      }
      return sum;
    }
    for (int s = 1; s < kPartners; ++s) {
      if (r + step[s] < n) sum += u[s] * x[r + step[s]];
      if (r - step[s] >= 0) sum += a[(r - step[s]) * kPartners + s] * x[r - step[s]];
    }
    return sum;
  }
};

}  // namespace kessadon::multigrid
