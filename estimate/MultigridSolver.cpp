#include "MultigridSolver.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <utility>

#include "PatternSystem.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

constexpr int kPartners = PatternSystem::kPartners;
using Offset = PatternSystem::Offset;

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

std::int32_t Coarser(std::int32_t n, bool halve) {
  if (!halve) return n;
  return n % 2 == 1 ? (n + 1) / 2 : n / 2 + 1;
}

Weights1D Interpolation(std::int32_t f, std::int32_t nf, bool halve) {
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

// Weights w over n points at offsets (dx, dy) from a node that give a
// plane's value at the node from its values at the points, the smallest
// such in the sum of squares; false when the points do not fix a plane
// there. An offset that is zero at every point needs no gradient that way.
bool FitPlane(const double* dx, const double* dy, int n, double* w) {
  bool useX = false, useY = false;
  for (int k = 0; k < n; ++k) {
    useX = useX || dx[k] != 0;
    useY = useY || dy[k] != 0;
  }
  const int r = 1 + (useX ? 1 : 0) + (useY ? 1 : 0);
  auto row = [&](int k, double* c) {
    int m = 0;
    c[m++] = 1;
    if (useX) c[m++] = dx[k];
    if (useY) c[m++] = dy[k];
  };
  // w = C^T l with C C^T l = e0, C's columns (1, dx, dy) of the points.
  double g[3][4] = {};
  g[0][3] = 1;
  for (int k = 0; k < n; ++k) {
    double c[3];
    row(k, c);
    for (int a = 0; a < r; ++a) {
      for (int b = 0; b < r; ++b) g[a][b] += c[a] * c[b];
    }
  }
  for (int a = 0; a < r; ++a) {
    int pivot = a;
    for (int b = a + 1; b < r; ++b) {
      if (std::abs(g[b][a]) > std::abs(g[pivot][a])) pivot = b;
    }
    if (std::abs(g[pivot][a]) < 1e-9 * n) return false;
    std::swap(g[a], g[pivot]);
    for (int b = 0; b < r; ++b) {
      if (b == a) continue;
      const double f = g[b][a] / g[a][a];
      for (int c = a; c < 4; ++c) g[b][c] -= f * g[a][c];
    }
  }
  for (int k = 0; k < n; ++k) {
    double c[3];
    row(k, c);
    w[k] = 0;
    for (int a = 0; a < r; ++a) w[k] += c[a] * g[a][3] / g[a][a];
  }
  return true;
}

// How a grid is smoothed: node by node, or where its cells are long by
// whole lines of nodes along their short side, x (rows) or y (columns).
enum class Relax : std::uint8_t { Points, LinesAlongX, LinesAlongY };

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
  std::vector<struct TipBox> tips;

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

// The fine nodes of a box a node reaches without crossing a cut link, by
// filling from it: `seen` holds the box's nodes, x slowest.
struct Box {
  std::int32_t i0, j0, w, h;
  std::uint8_t seen[81] = {};
  bool Has(std::int32_t i, std::int32_t j) const { return seen[(i - i0) * h + (j - j0)] != 0; }
};

void Fill(const Level& level, Box& box, std::int32_t i, std::int32_t j) {
  std::int32_t stack[81][2];
  int top = 0;
  box.seen[(i - box.i0) * box.h + (j - box.j0)] = 1;
  stack[top][0] = i;
  stack[top++][1] = j;
  while (top > 0) {
    --top;
    const std::int32_t p = stack[top][0], q = stack[top][1];
    const std::int32_t next[4][2] = {{p + 1, q}, {p - 1, q}, {p, q + 1}, {p, q - 1}};
    const bool cut[4] = {p + 1 < level.nx && level.CutX(p, q), p > 0 && level.CutX(p - 1, q),
                         q + 1 < level.ny && level.CutY(p, q), q > 0 && level.CutY(p, q - 1)};
    for (int k = 0; k < 4; ++k) {
      const std::int32_t a = next[k][0], b = next[k][1];
      if (cut[k] || a < box.i0 || a >= box.i0 + box.w || b < box.j0 || b >= box.j0 + box.h)
        continue;
      std::uint8_t& s = box.seen[(a - box.i0) * box.h + (b - box.j0)];
      if (s != 0) continue;
      s = 1;
      stack[top][0] = a;
      stack[top++][1] = b;
    }
  }
}

// Weights for a fine node that does not reach all its bilinear parents,
// exact for planes: from the parents it reaches and, where they do not fix
// a plane, the coarse nodes one further out that it reaches within the box
// (round the fault's tip, say): those one further along x, or along y,
// whichever fits with the smaller weights, or else both and the corners.
// Extending only the way that is needed keeps the weights close, and so
// the coarse operator mostly within its 25 points. False when no fit is
// found; the level-keeping weights stand then.
bool FitWeights(const Level& level, std::int32_t i, std::int32_t j, Weights2D& out) {
  const Weights1D px = level.AlongX(i), py = level.AlongY(j);
  const std::int32_t cnx = Coarser(level.nx, level.halveX), cny = Coarser(level.ny, level.halveY);
  const std::int32_t lowX = px.c[0], highX = px.c[px.count - 1];
  const std::int32_t lowY = py.c[0], highY = py.c[py.count - 1];
  const std::int32_t cx0 = std::max(0, lowX - 1), cx1 = std::min(cnx - 1, highX + 1);
  const std::int32_t cy0 = std::max(0, lowY - 1), cy1 = std::min(cny - 1, highY + 1);
  Box box{level.PlaceX(cx0), level.PlaceY(cy0), level.PlaceX(cx1) - level.PlaceX(cx0) + 1,
          level.PlaceY(cy1) - level.PlaceY(cy0) + 1};
  Fill(level, box, i, j);
  const Weights2D near = level.KeepingLevel(i, j);
  // Each reachable coarse node of the window, by the ways it lies outside
  // the bilinear cell: 0 inside, 1 along x, 2 along y, 3 both.
  constexpr int kWindow = 16;
  std::int32_t ci[kWindow], cj[kWindow];
  int outside[kWindow];
  double dx[kWindow], dy[kWindow];
  int count = 0;
  for (std::int32_t x = cx0; x <= cx1; ++x) {
    for (std::int32_t y = cy0; y <= cy1; ++y) {
      const int way = (x < lowX || x > highX ? 1 : 0) + (y < lowY || y > highY ? 2 : 0);
      bool reached = false;
      for (int k = 0; k < near.count; ++k)
        reached = reached || (near.ci[k] == x && near.cj[k] == y);
      if (way != 0) reached = box.Has(level.PlaceX(x), level.PlaceY(y));
      if (!reached) continue;
      ci[count] = x;
      cj[count] = y;
      outside[count] = way;
      dx[count] = level.PlaceX(x) - i;
      dy[count++] = level.PlaceY(y) - j;
    }
  }
  // Tries the reachable nodes of the given ways; their weights' sum of
  // squares, or infinity when they fix no plane or are too many.
  auto tryWays = [&](unsigned ways, double& squares) {
    double px2[kWindow], py2[kWindow], w[kWindow];
    int pick[kWindow], n = 0;
    for (int k = 0; k < count; ++k) {
      if ((ways >> outside[k] & 1U) == 0) continue;
      px2[n] = dx[k];
      py2[n] = dy[k];
      pick[n++] = k;
    }
    Weights2D fit;
    squares = HUGE_VAL;
    if (n == 0 || n > kMaxFitted || !FitPlane(px2, py2, n, w)) return fit;
    squares = 0;
    for (int k = 0; k < n; ++k) {
      squares += w[k] * w[k];
      if (std::abs(w[k]) < 1e-12) continue;
      fit.ci[fit.count] = ci[pick[k]];
      fit.cj[fit.count] = cj[pick[k]];
      fit.w[fit.count++] = w[k];
    }
    return fit;
  };
  double squares[5];
  const Weights2D fits[5] = {tryWays(0b1, squares[0]), tryWays(0b11, squares[1]),
                             tryWays(0b101, squares[2]), tryWays(0b111, squares[3]),
                             tryWays(0b1111, squares[4])};
  const int order[5] = {0, squares[2] < squares[1] ? 2 : 1, squares[2] < squares[1] ? 1 : 2, 3, 4};
  for (const int k : order) {
    if (squares[k] < HUGE_VAL) {
      out = fits[k];
      return true;
    }
  }
  return false;
}

// How far, in nodes of its grid, a node's farthest coarse node lies.
std::int32_t Reach(const Level& fine, std::int64_t node) {
  const auto i = static_cast<std::int32_t>(node / fine.ny),
             j = static_cast<std::int32_t>(node % fine.ny);
  const Weights2D p = fine.Interpolate(i, j);
  std::int32_t reach = 0;
  for (int u = 0; u < p.count; ++u) {
    reach =
        std::max({reach, std::abs(fine.PlaceX(p.ci[u]) - i), std::abs(fine.PlaceY(p.cj[u]) - j)});
  }
  return reach;
}

// A node that fine node `node` is coupled to whose weights and its own
// reach coarse nodes more than two apart, or -1.
std::int64_t Widens(const Level& fine, std::int64_t node) {
  const auto i = static_cast<std::int32_t>(node / fine.ny),
             j = static_cast<std::int32_t>(node % fine.ny);
  const Weights2D p = fine.Interpolate(i, j);
  for (int di = -2; di <= 2; ++di) {
    for (int dj = -2; dj <= 2; ++dj) {
      const std::int32_t gi = i + di, gj = j + dj;
      if (gi < 0 || gi >= fine.nx || gj < 0 || gj >= fine.ny) continue;
      const bool upper = di > 0 || (di == 0 && dj >= 0);
      const std::int64_t other = std::int64_t{gi} * fine.ny + gj;
      if (fine.a[(upper ? node : other) * kPartners +
                 PatternSystem::Slot(upper ? di : -di, upper ? dj : -dj)] == 0) {
        continue;
      }
      const Weights2D q = fine.Interpolate(gi, gj);
      for (int u = 0; u < p.count; ++u) {
        for (int v = 0; v < q.count; ++v) {
          if (std::abs(p.ci[u] - q.ci[v]) > 2 || std::abs(p.cj[u] - q.cj[v]) > 2) return other;
        }
      }
    }
  }
  return -1;
}

// Fits the weights of the nodes beside a fault (FitWeights): the bilinear
// weights cut at a fault keep a block's level but not its slope, so that
// the coarse grids would correct tilts beside every fault poorly. Where a
// steep trace steps over a column, the fitted weights of some nodes would
// widen the coarse operator and go back to keeping the level; such traces
// still take about twice the iterations of a grid without faults.
void FitNearCuts(Level& fine) {
  fine.fittedAt.clear();
  fine.fitted.clear();
  fine.fittedNode.clear();
  if (fine.cutX.empty()) return;
  fine.fittedAt.assign(static_cast<std::size_t>(fine.N()), -1);
  std::vector<std::uint8_t> planes;  // by entry, whether fitted to planes
  for (std::int32_t i = 0; i < fine.nx; ++i) {
    for (std::int32_t j = 0; j < fine.ny; ++j) {
      const Weights2D all = fine.Bilinear(i, j);
      bool reached = true;
      for (int k = 0; k < all.count; ++k) {
        reached = reached && fine.Reaches(i, j, fine.PlaceX(all.ci[k]), fine.PlaceY(all.cj[k]));
      }
      if (reached) continue;
      Weights2D w;
      const bool fits = FitWeights(fine, i, j, w);
      const std::int64_t node = std::int64_t{i} * fine.ny + j;
      fine.fittedAt[static_cast<std::size_t>(node)] = static_cast<std::int32_t>(fine.fitted.size());
      fine.fitted.push_back(fits ? w : fine.KeepingLevel(i, j));
      fine.fittedNode.push_back(node);
      planes.push_back(fits ? 1 : 0);
    }
  }
  // Weights that would couple coarse nodes more than two apart go back to
  // keeping the level, so that the coarse operator stays 25-point and
  // exact: of the two nodes, the one whose weights reach further.
  for (bool changed = true; changed;) {
    changed = false;
    for (std::size_t k = 0; k < fine.fittedNode.size(); ++k) {
      if (planes[k] == 0) continue;
      const std::int64_t node = fine.fittedNode[k], other = Widens(fine, node);
      if (other < 0) continue;
      const std::int32_t at = fine.fittedAt[static_cast<std::size_t>(other)];
      const bool blameOther = at >= 0 && planes[static_cast<std::size_t>(at)] != 0 &&
                              Reach(fine, other) > Reach(fine, node);
      const std::size_t blamed = blameOther ? static_cast<std::size_t>(at) : k;
      const std::int64_t was = fine.fittedNode[blamed];
      fine.fitted[blamed] = fine.KeepingLevel(static_cast<std::int32_t>(was / fine.ny),
                                              static_cast<std::int32_t>(was % fine.ny));
      planes[blamed] = 0;
      changed = true;
    }
  }
}

// Adds P(f, .)^T a P(g, .) for the fine pair (fi, fj) -> (gi, gj) into the
// coarse operator's upper partners.
void AddCoarsePair(const Level& fine, Level& coarse, std::int32_t fi, std::int32_t fj,
                   std::int32_t gi, std::int32_t gj, double a) {
  const Weights2D p = fine.Interpolate(fi, fj), q = fine.Interpolate(gi, gj);
  for (int u = 0; u < p.count; ++u) {
    const std::int64_t row = std::int64_t{p.ci[u]} * coarse.ny + p.cj[u];
    const double pw = p.w[u] * a;
    for (int s = 0; s < q.count; ++s) {
      const int di = q.ci[s] - p.ci[u], dj = q.cj[s] - p.cj[u];
      if (di < 0 || (di == 0 && dj < 0)) continue;  // the lower triangle
      if (di > 2 || dj < -2 || dj > 2) {
        // Beyond the 25 points, which weights fitted beside a fault may
        // reach now and then: the pair's share goes onto both diagonals,
        // which keeps the operator positive definite.
        const double v = std::abs(pw * q.w[s]);
        coarse.own[static_cast<std::size_t>(row * kPartners)] += v;
        coarse.own[static_cast<std::size_t>((std::int64_t{q.ci[s]} * coarse.ny + q.cj[s]) *
                                            kPartners)] += v;
        continue;
      }
      coarse.own[static_cast<std::size_t>(row * kPartners + PatternSystem::Slot(di, dj))] +=
          pw * q.w[s];
    }
  }
}

// The links cut on the next coarser grid: a coarse link is cut where a fine
// link between its two nodes is.
void CoarseCuts(const Level& fine, Level& coarse) {
  if (fine.cutX.empty()) return;
  const auto n = static_cast<std::size_t>(coarse.N());
  coarse.cutX.assign(n, 0);
  coarse.cutY.assign(n, 0);
  for (std::int32_t ci = 0; ci < coarse.nx; ++ci) {
    for (std::int32_t cj = 0; cj < coarse.ny; ++cj) {
      const std::int32_t i = fine.PlaceX(ci), j = fine.PlaceY(cj);
      const auto at = static_cast<std::size_t>(std::int64_t{ci} * coarse.ny + cj);
      if (ci + 1 < coarse.nx) {
        for (std::int32_t k = i; k < fine.PlaceX(ci + 1); ++k)
          coarse.cutX[at] |= fine.CutX(k, j) ? 1 : 0;
      }
      if (cj + 1 < coarse.ny) {
        for (std::int32_t k = j; k < fine.PlaceY(cj + 1); ++k)
          coarse.cutY[at] |= fine.CutY(i, k) ? 1 : 0;
      }
    }
  }
}

// The Galerkin operator R A P of the next coarser grid. A block of fine
// columns adds into coarse columns that only its neighbour blocks share, so
// the even blocks are added on every core, then the odd ones: the sums come
// in the same order on any number of threads.
void BuildCoarse(const Level& fine, Level& coarse) {
  coarse.Shape(Coarser(fine.nx, fine.halveX), Coarser(fine.ny, fine.halveY));
  AssignZeros(coarse.own, static_cast<std::size_t>(coarse.N()) * kPartners);
  coarse.a = coarse.own.data();
  // Weights fitted beside a fault reach a fine node further, so their
  // blocks are wider.
  const int kBlock = fine.fitted.empty() ? 8 : 16;
  const int blocks = (fine.nx + kBlock - 1) / kBlock;
  for (int phase = 0; phase < 2; ++phase) {
    const int count = (blocks - phase + 1) / 2;
    SplitRange(0, count, std::int64_t{8} * kBlock * fine.ny, [&](int from, int to) {
      for (int k = from; k < to; ++k) {
        const std::int32_t first = (2 * k + phase) * kBlock;
        for (std::int32_t i = first; i < std::min(fine.nx, first + kBlock); ++i) {
          for (std::int32_t j = 0; j < fine.ny; ++j) {
            const double* u = fine.a + (std::int64_t{i} * fine.ny + j) * kPartners;
            for (int s = 0; s < kPartners; ++s) {
              const Offset o = PatternSystem::kOffsets[s];
              const std::int32_t gi = i + o.di, gj = j + o.dj;
              if (u[s] == 0 || gi >= fine.nx || gj < 0 || gj >= fine.ny) continue;
              AddCoarsePair(fine, coarse, i, j, gi, gj, u[s]);
              if (s != 0) AddCoarsePair(fine, coarse, gi, gj, i, j, u[s]);
            }
          }
        }
      }
    });
  }
  const auto n = static_cast<std::size_t>(coarse.N());
  for (std::vector<double>* v : {&coarse.rhs, &coarse.sol, &coarse.res}) AssignZeros(*v, n);
  CoarseCuts(fine, coarse);
}

// The weight of coarse node c in an interpolation along one direction.
double Toward(const Weights1D& w, std::int32_t c) {
  for (int k = 0; k < w.count; ++k) {
    if (w.c[k] == c) return w.w[k];
  }
  return 0;
}

// r = R rf, the transpose of the interpolation, gathered by coarse node so
// that coarse columns can be summed on every core: a coarse node draws on
// the fine nodes at most one away from its own.
void Restrict(const Level& fine, const std::vector<double>& rf, Level& coarse) {
  SplitRange(0, coarse.nx, 9 * std::int64_t{coarse.ny}, [&](int from, int to) {
    for (std::int32_t ci = from; ci < to; ++ci) {
      const std::int32_t iFirst = fine.halveX ? std::max(0, 2 * ci - 1) : ci;
      const std::int32_t iLast = fine.halveX ? std::min(fine.nx - 1, 2 * ci + 1) : ci;
      for (std::int32_t cj = 0; cj < coarse.ny; ++cj) {
        const std::int32_t jFirst = fine.halveY ? std::max(0, 2 * cj - 1) : cj;
        const std::int32_t jLast = fine.halveY ? std::min(fine.ny - 1, 2 * cj + 1) : cj;
        double sum = 0;
        for (std::int32_t i = iFirst; i <= iLast; ++i) {
          const double wx = Toward(fine.AlongX(i), ci);
          for (std::int32_t j = jFirst; j <= jLast; ++j) {
            const double w = wx * Toward(fine.AlongY(j), cj);
            const std::int64_t node = std::int64_t{i} * fine.ny + j;
            if (w == 0 ||
                (!fine.fittedAt.empty() && fine.fittedAt[static_cast<std::size_t>(node)] >= 0)) {
              continue;
            }
            sum += w * rf[static_cast<std::size_t>(node)];
          }
        }
        coarse.rhs[static_cast<std::size_t>(std::int64_t{ci} * coarse.ny + cj)] = sum;
      }
    }
  });
  // The nodes with fitted weights reach further; they are few.
  for (std::size_t k = 0; k < fine.fitted.size(); ++k) {
    const Weights2D& p = fine.fitted[k];
    const double r = rf[static_cast<std::size_t>(fine.fittedNode[k])];
    for (int m = 0; m < p.count; ++m) {
      coarse.rhs[static_cast<std::size_t>(std::int64_t{p.ci[m]} * coarse.ny + p.cj[m])] +=
          p.w[m] * r;
    }
  }
}

// xf += P xc.
void Prolong(const Level& coarse, const Level& fine, double* xf) {
  SplitRange(0, fine.nx, 4 * std::int64_t{fine.ny}, [&](int from, int to) {
    for (std::int32_t i = from; i < to; ++i) {
      for (std::int32_t j = 0; j < fine.ny; ++j) {
        const Weights2D p = fine.Interpolate(i, j);
        double sum = 0;
        for (int k = 0; k < p.count; ++k) {
          sum += p.w[k] *
                 coarse.sol[static_cast<std::size_t>(std::int64_t{p.ci[k]} * coarse.ny + p.cj[k])];
        }
        xf[std::int64_t{i} * fine.ny + j] += sum;
      }
    }
  });
}

// Where a fault's cut ends (its tip) or turns a corner (every step of a
// slanting trace), the surface may bend in ways that no coarse grid
// follows: a coarse grid's cut ends and turns a cell or so away. What the
// coarse correction leaves there lies within a few cells, so a box of
// nodes round each such cell is solved exactly, after the forward sweep
// and, in the other order, before the backward one.
struct TipBox {
  std::vector<std::int64_t> nodes;
  std::vector<double> factor;  // Cholesky factor of A on the box, its lower triangle by rows
};

namespace tipbox {
constexpr std::int32_t kSide = 8;
// Boxes nearer than this to one already made are left out.
constexpr std::int32_t kCover = 2;
// Only the finest grids have them: below those a box costs more than it
// saves, as a K-cycle visits each coarser grid twice as often.
constexpr std::size_t kLevels = 2;

// a(p, q) of a level for nodes at most two apart each way, else zero.
double Coupling(const Level& level, std::int64_t p, std::int64_t q) {
  if (q < p) std::swap(p, q);
  const auto di = static_cast<int>(q / level.ny - p / level.ny);
  const auto dj = static_cast<int>(q % level.ny - p % level.ny);
  if (di > 2 || dj < -2 || dj > 2 || (di == 0 && dj < 0)) return 0;
  return level.a[p * kPartners + PatternSystem::Slot(di, dj)];
}

// Entry (r, c), c <= r, of a lower triangle kept by rows.
inline std::size_t Packed(std::int64_t r, std::int64_t c) {
  return static_cast<std::size_t>(r * (r + 1) / 2 + c);
}

bool Factor(const Level& level, TipBox& box) {
  const auto n = static_cast<std::int64_t>(box.nodes.size());
  box.factor.assign(Packed(n, 0), 0.0);
  auto f = [&](std::int64_t r, std::int64_t c) -> double& { return box.factor[Packed(r, c)]; };
  for (std::int64_t r = 0; r < n; ++r) {
    for (std::int64_t c = 0; c <= r; ++c) f(r, c) = Coupling(level, box.nodes[r], box.nodes[c]);
  }
  for (std::int64_t c = 0; c < n; ++c) {
    for (std::int64_t k = 0; k < c; ++k) f(c, c) -= f(c, k) * f(c, k);
    if (!(f(c, c) > 0)) return false;
    f(c, c) = std::sqrt(f(c, c));
    for (std::int64_t r = c + 1; r < n; ++r) {
      for (std::int64_t k = 0; k < c; ++k) f(r, c) -= f(r, k) * f(c, k);
      f(r, c) /= f(c, c);
    }
  }
  return true;
}
}  // namespace tipbox

// The boxes round the cells where a cut ends or turns: a cell with an odd
// number of cut sides, or with two that meet.
void TipBoxes(Level& level) {
  level.tips.clear();
  if (level.cutX.empty() || level.nx < tipbox::kSide || level.ny < tipbox::kSide) return;
  std::vector<std::uint8_t> covered(static_cast<std::size_t>(level.N()), 0);
  for (std::int32_t i = 0; i + 1 < level.nx; ++i) {
    for (std::int32_t j = 0; j + 1 < level.ny; ++j) {
      const int sides =
          level.CutX(i, j) + level.CutX(i, j + 1) + level.CutY(i, j) + level.CutY(i + 1, j);
      const bool turn = sides == 2 && level.CutX(i, j) != level.CutX(i, j + 1);
      if (sides % 2 == 0 && !turn) continue;
      if (covered[static_cast<std::size_t>(std::int64_t{i} * level.ny + j)] != 0) continue;
      for (std::int32_t p = std::max(0, i - tipbox::kCover);
           p <= std::min(level.nx - 1, i + tipbox::kCover); ++p) {
        for (std::int32_t q = std::max(0, j - tipbox::kCover);
             q <= std::min(level.ny - 1, j + tipbox::kCover); ++q) {
          covered[static_cast<std::size_t>(std::int64_t{p} * level.ny + q)] = 1;
        }
      }
      const std::int32_t i0 = std::clamp(i + 1 - tipbox::kSide / 2, 0, level.nx - tipbox::kSide);
      const std::int32_t j0 = std::clamp(j + 1 - tipbox::kSide / 2, 0, level.ny - tipbox::kSide);
      TipBox box;
      for (std::int32_t p = i0; p < i0 + tipbox::kSide; ++p) {
        for (std::int32_t q = j0; q < j0 + tipbox::kSide; ++q)
          box.nodes.push_back(std::int64_t{p} * level.ny + q);
      }
      if (tipbox::Factor(level, box)) level.tips.push_back(std::move(box));
    }
  }
}

// x += the exact correction on each box, in turn (the other way round
// when backward).
void SolveTips(const Level& level, const double* b, double* x, bool backward) {
  const auto count = static_cast<std::int64_t>(level.tips.size());
  std::vector<double> r;
  for (std::int64_t k = 0; k < count; ++k) {
    const TipBox& box = level.tips[static_cast<std::size_t>(backward ? count - 1 - k : k)];
    const auto n = static_cast<std::int64_t>(box.nodes.size());
    r.resize(static_cast<std::size_t>(n));
    for (std::int64_t m = 0; m < n; ++m) r[m] = b[box.nodes[m]] - level.Row(box.nodes[m], x);
    const std::vector<double>& f = box.factor;
    for (std::int64_t m = 0; m < n; ++m) {
      for (std::int64_t c = 0; c < m; ++c) r[m] -= f[tipbox::Packed(m, c)] * r[c];
      r[m] /= f[tipbox::Packed(m, m)];
    }
    for (std::int64_t m = n - 1; m >= 0; --m) {
      for (std::int64_t c = m + 1; c < n; ++c) r[m] -= f[tipbox::Packed(c, m)] * r[c];
      r[m] /= f[tipbox::Packed(m, m)];
    }
    for (std::int64_t m = 0; m < n; ++m) x[box.nodes[m]] += r[m];
  }
}

// Gauss-Seidel by columns in three colours: columns three apart share no
// coupling, so those of one colour relax at once on every core, each along
// y, and the answer does not depend on the thread count. Backward runs the
// colours and each column the other way, so that the two make a symmetric
// smoother.
void Sweep(const Level& level, const double* b, double* x, bool backward) {
  for (int step = 0; step < 3; ++step) {
    const int colour = backward ? 2 - step : step;
    const int columns = (level.nx - colour + 2) / 3;
    SplitRange(0, columns, level.ny, [&](int from, int to) {
      for (int c = from; c < to; ++c) {
        const std::int64_t first = std::int64_t{colour + 3 * c} * level.ny;
        for (std::int32_t k = 0; k < level.ny; ++k) {
          const std::int64_t r = backward ? first + level.ny - 1 - k : first + k;
          x[r] += (b[r] - level.Row(r, x)) / level.a[r * kPartners];
        }
      }
    });
  }
}

// The lines a grid relaxes: `count` lines of `length` nodes, `stride`
// apart along a line and `across` from one line to the next; `near` and
// `far` are the partner slots of the next node along and the one after.
struct LineShape {
  std::int32_t count, length;
  std::int64_t stride, across;
  int near, far;
};

LineShape Lines(const Level& level) {
  if (level.relax == Relax::LinesAlongX) {
    return {level.ny, level.nx, level.ny, 1, PatternSystem::Slot(1, 0), PatternSystem::Slot(2, 0)};
  }
  return {level.nx, level.ny, 1, level.ny, PatternSystem::Slot(0, 1), PatternSystem::Slot(0, 2)};
}

// Factors every line's five-diagonal block of A, which is positive definite
// as A is; when rounding leaves a pivot that is not positive, the grid is
// smoothed by points instead.
void FactorLines(Level& level) {
  const LineShape s = Lines(level);
  level.lineFactor.assign(static_cast<std::size_t>(3 * level.N()), 0.0);
  std::atomic<bool> positive = true;
  SplitRange(0, s.count, s.length, [&](int from, int to) {
    for (int line = from; line < to; ++line) {
      double d1 = 0, d2 = 0, back = 0;  // D of the last two nodes, L between them
      for (std::int32_t k = 0; k < s.length; ++k) {
        const std::int64_t r = line * s.across + k * s.stride;
        const double l2 = k >= 2 ? level.a[(r - 2 * s.stride) * kPartners + s.far] / d2 : 0;
        const double l1 =
            k >= 1 ? (level.a[(r - s.stride) * kPartners + s.near] - l2 * back * d2) / d1 : 0;
        const double d = level.a[r * kPartners] - l1 * l1 * d1 - l2 * l2 * d2;
        if (!(d > 0)) {
          positive = false;
          break;
        }
        double* f = &level.lineFactor[static_cast<std::size_t>(3 * r)];
        f[0] = l1;
        f[1] = l2;
        f[2] = 1 / d;
        d2 = d1;
        d1 = d;
        back = l1;
      }
    }
  });
  if (!positive) {
    level.relax = Relax::Points;
    level.lineFactor = {};
  }
}

// Calls f(r, k) for node k of each line from, from + 1, ... to - 1 of a
// colour (every third line from `colour`), all the lines at each k in
// turn, k ascending (descending when backward).
template <class F>
void WalkLines(const LineShape& s, int colour, int from, int to, bool backward, F&& f) {
  auto node = [&](int line, std::int32_t k) {
    return std::int64_t{colour + 3 * line} * s.across + k * s.stride;
  };
  for (std::int32_t step = 0; step < s.length; ++step) {
    const std::int32_t k = backward ? s.length - 1 - step : step;
    for (int line = from; line < to; ++line) f(node(line, k), k);
  }
}

// Gauss-Seidel by lines in three colours, as Sweep by points: lines three
// apart share no coupling. Each line's correction solves its block against
// the residual it had before, by the factors of FactorLines; t holds the
// residuals meanwhile.
void SweepLines(const Level& level, const double* b, double* x, double* t, bool backward) {
  const LineShape s = Lines(level);
  const double* f = level.lineFactor.data();
  for (int step = 0; step < 3; ++step) {
    const int colour = backward ? 2 - step : step;
    SplitRange(0, (s.count - colour + 2) / 3, s.length, [&](int from, int to) {
      // A column lies together and is walked whole; the nodes of a row lie
      // ny apart, and walking the rows side by side keeps the memory near.
      const int block = s.stride == 1 ? 1 : to - from;
      for (int first = from; first < to; first += block) {
        const int last = std::min(to, first + block);
        WalkLines(s, colour, first, last, false,
                  [&](std::int64_t r, std::int32_t) { t[r] = b[r] - level.Row(r, x); });
        WalkLines(s, colour, first, last, false, [&](std::int64_t r, std::int32_t k) {
          if (k >= 1) t[r] -= f[3 * r] * t[r - s.stride];
          if (k >= 2) t[r] -= f[3 * r + 1] * t[r - 2 * s.stride];
        });
        WalkLines(s, colour, first, last, true, [&](std::int64_t r, std::int32_t k) {
          t[r] *= f[3 * r + 2];
          if (k + 1 < s.length) t[r] -= f[3 * (r + s.stride)] * t[r + s.stride];
          if (k + 2 < s.length) t[r] -= f[3 * (r + 2 * s.stride) + 1] * t[r + 2 * s.stride];
          x[r] += t[r];
        });
      }
    });
  }
}

// One smoothing sweep by points or lines; scratch holds a grid's values.
void Smooth(const Level& level, const double* b, double* x, double* scratch, bool backward) {
  if (level.relax == Relax::Points) {
    Sweep(level, b, x, backward);
  } else {
    SweepLines(level, b, x, scratch, backward);
  }
}

void Apply(const Level& level, const double* x, double* y) {
  SplitRange(0, level.nx, level.ny, [&](int from, int to) {
    const std::int64_t end = std::int64_t{to} * level.ny;
    for (std::int64_t k = std::int64_t{from} * level.ny; k < end; ++k) y[k] = level.Row(k, x);
  });
}

void Residual(const Level& level, const double* b, const double* x, double* r) {
  SplitRange(0, level.nx, level.ny, [&](int from, int to) {
    const std::int64_t end = std::int64_t{to} * level.ny;
    for (std::int64_t k = std::int64_t{from} * level.ny; k < end; ++k) {
      r[k] = b[k] - level.Row(k, x);
    }
  });
}

// The coarsest grid's band Cholesky A = U^T U, numbered along the shorter
// side so the band stays narrow on long grids.
class CoarseFactor {
 public:
  // False when a pivot is not positive.
  bool Factor(const Level& level) {
    transposed_ = level.nx < level.ny;
    fast_ = transposed_ ? level.nx : level.ny;
    n_ = level.N();
    bw_ = 2 * std::int64_t{fast_} + 2;
    u_.assign(static_cast<std::size_t>(n_ * (bw_ + 1)), 0.0);
    for (std::int32_t i = 0; i < level.nx; ++i) {
      for (std::int32_t j = 0; j < level.ny; ++j) {
        const double* a = level.a + (std::int64_t{i} * level.ny + j) * kPartners;
        for (int s = 0; s < kPartners; ++s) {
          const Offset o = PatternSystem::kOffsets[s];
          const std::int32_t gi = i + o.di, gj = j + o.dj;
          if (gi >= level.nx || gj < 0 || gj >= level.ny) continue;
          const std::int64_t p = Number(i, j), q = Number(gi, gj);
          U(std::min(p, q), std::max(p, q) - std::min(p, q)) = a[s];
        }
      }
    }
    for (std::int64_t k = 0; k < n_; ++k) {
      if (!(U(k, 0) > 0)) return false;
      const double pivot = std::sqrt(U(k, 0));
      const std::int64_t width = std::min(bw_, n_ - 1 - k);
      for (std::int64_t d = 0; d <= width; ++d) U(k, d) /= pivot;
      for (std::int64_t d = 1; d <= width; ++d) {
        const double f = U(k, d);
        if (f == 0) continue;
        for (std::int64_t e = d; e <= width; ++e) U(k + d, e - d) -= f * U(k, e);
      }
    }
    return true;
  }

  // Solves level.sol from level.rhs.
  void Solve(Level& level) const {
    std::vector<double> y(static_cast<std::size_t>(n_));
    for (std::int32_t i = 0; i < level.nx; ++i) {
      for (std::int32_t j = 0; j < level.ny; ++j) {
        y[static_cast<std::size_t>(Number(i, j))] =
            level.rhs[static_cast<std::size_t>(std::int64_t{i} * level.ny + j)];
      }
    }
    for (std::int64_t k = 0; k < n_; ++k) {
      y[k] /= U(k, 0);
      const std::int64_t width = std::min(bw_, n_ - 1 - k);
      for (std::int64_t d = 1; d <= width; ++d) y[k + d] -= U(k, d) * y[k];
    }
    for (std::int64_t k = n_ - 1; k >= 0; --k) {
      const std::int64_t width = std::min(bw_, n_ - 1 - k);
      double sum = y[k];
      for (std::int64_t d = 1; d <= width; ++d) sum -= U(k, d) * y[k + d];
      y[k] = sum / U(k, 0);
    }
    for (std::int32_t i = 0; i < level.nx; ++i) {
      for (std::int32_t j = 0; j < level.ny; ++j) {
        level.sol[static_cast<std::size_t>(std::int64_t{i} * level.ny + j)] =
            y[static_cast<std::size_t>(Number(i, j))];
      }
    }
  }

 private:
  std::int64_t Number(std::int32_t i, std::int32_t j) const {
    return transposed_ ? std::int64_t{j} * fast_ + i : std::int64_t{i} * fast_ + j;
  }
  double& U(std::int64_t r, std::int64_t d) {
    return u_[static_cast<std::size_t>(r * (bw_ + 1) + d)];
  }
  double U(std::int64_t r, std::int64_t d) const {
    return u_[static_cast<std::size_t>(r * (bw_ + 1) + d)];
  }
  bool transposed_ = false;
  std::int32_t fast_ = 0;
  std::int64_t n_ = 0, bw_ = 0;
  std::vector<double> u_;
};

// Whether the iteration may stop after the step `outcome` tells of;
// `changes` keeps every step's largest change. The error left is the sum of
// the steps to come: if they shrink by rho a step, as the last
// contractionSteps did on average, the last change times rho / (1 - rho).
// While the steps at least halve that is within the last change, and the
// settings' two tests decide alone, as they do without contractionSteps.
bool Settled(const IterativeSettings& settings, int contractionSteps,
             const IterativeOutcome& outcome, std::vector<double>& changes) {
  changes.push_back(outcome.change);
  if (outcome.change > settings.heightTolerance || outcome.residual > settings.residualTolerance) {
    return false;
  }
  const std::size_t last = changes.size() - 1;
  const std::size_t back = std::min(last, static_cast<std::size_t>(contractionSteps));
  if (back == 0 || outcome.change == 0) return true;
  const double rho = std::pow(outcome.change / changes[last - back], 1.0 / back);
  return rho < 1 && outcome.change * rho / (1 - rho) <= settings.heightTolerance;
}

double Dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
  return sum;
}

}  // namespace

struct MultigridSolver::Hierarchy {
  std::vector<Level> levels;
  CoarseFactor coarsest;
  bool ready = false;
  int sweeps = 1;
  bool krylov = true;
  bool lines = false;  // some grid relaxes lines: its cells are long

  // coarse.sol from coarse.rhs by up to two steps of flexible conjugate
  // gradients preconditioned by the cycle on that grid (a K-cycle): the
  // coarse correction then keeps its strength however many grids lie below.
  void KrylovCorrection(Level& coarse, std::size_t l) {
    const auto n = static_cast<std::size_t>(coarse.N());
    coarse.c2.resize(n);
    coarse.v1.resize(n);
    coarse.v2.resize(n);
    coarse.r2.resize(n);
    std::vector<double>& c1 = coarse.sol;
    Cycle(l, coarse.rhs.data(), c1.data());
    Apply(coarse, c1.data(), coarse.v1.data());
    const double rho1 = Dot(c1, coarse.v1), alpha1 = Dot(c1, coarse.rhs);
    for (std::size_t k = 0; k < n; ++k) coarse.r2[k] = coarse.rhs[k] - alpha1 / rho1 * coarse.v1[k];
    if (Dot(coarse.r2, coarse.r2) <= 0.0625 * Dot(coarse.rhs, coarse.rhs)) {
      for (double& v : c1) v *= alpha1 / rho1;
      return;
    }
    Cycle(l, coarse.r2.data(), coarse.c2.data());
    Apply(coarse, coarse.c2.data(), coarse.v2.data());
    const double gamma = Dot(coarse.c2, coarse.v1), beta = Dot(coarse.c2, coarse.v2);
    const double alpha2 = Dot(coarse.c2, coarse.r2), rho2 = beta - gamma * gamma / rho1;
    const double a1 = alpha1 / rho1 - gamma * alpha2 / (rho1 * rho2), a2 = alpha2 / rho2;
    for (std::size_t k = 0; k < n; ++k) c1[k] = a1 * c1[k] + a2 * coarse.c2[k];
  }

  // x = M b: one cycle on level l from x (zero when `zero`), forward sweeps
  // before the coarse correction and backward ones after. A V-cycle is a
  // fixed symmetric operator; a K-cycle varies with b, which the outer
  // iteration allows for.
  void Cycle(std::size_t l, const double* b, double* x, bool zero = true) {
    Level& level = levels[l];
    if (zero) std::fill(x, x + level.N(), 0.0);
    if (l + 1 == levels.size()) {
      std::copy(b, b + level.N(), level.rhs.begin());
      coarsest.Solve(level);
      std::copy(level.sol.begin(), level.sol.end(), x);
      return;
    }
    if (level.res.empty()) AssignZeros(level.res, static_cast<std::size_t>(level.N()));
    for (int k = 0; k < sweeps; ++k) Smooth(level, b, x, level.res.data(), false);
    SolveTips(level, b, x, false);
    Residual(level, b, x, level.res.data());
    Level& coarse = levels[l + 1];
    Restrict(level, level.res, coarse);
    // Two cycles below a grid halved one way only double the work on every
    // such grid; there the coarse correction is a single cycle. Long cells
    // beside faults take the two all the same: with single cycles over
    // their grids halved one way they took twice to three times the steps.
    if (!krylov || l + 2 == levels.size() ||
        (!(level.halveX && level.halveY) && level.relax == Relax::Points)) {
      Cycle(l + 1, coarse.rhs.data(), coarse.sol.data());
    } else {
      KrylovCorrection(coarse, l + 1);
    }
    Prolong(coarse, level, x);
    SolveTips(level, b, x, true);
    for (int k = 0; k < sweeps; ++k) Smooth(level, b, x, level.res.data(), true);
  }
};

MultigridSolver::MultigridSolver(std::int32_t nx, std::int32_t ny, const double* upper,
                                 double aspect, const FaultCuts* faults, std::int64_t coarseNodes)
    : h_(std::make_unique<Hierarchy>()) {
  h_->levels.emplace_back();
  h_->levels.back().Shape(nx, ny);
  h_->levels.back().a = upper;
  if (faults != nullptr && faults->Any()) {
    h_->levels.back().cutX = faults->CutXByNode();
    h_->levels.back().cutY = faults->CutYByNode();
  }
  double hx = 1, hy = aspect;  // the cells' sides on the grid being coarsened
  // A grid of cells at most twice as long one way keeps point sweeps on
  // every level, even where a side too short to halve lengthens the cells.
  const bool longCells = aspect > 2 || 2 * aspect < 1;
  for (;;) {
    Level& fine = h_->levels.back();
    const bool longX = hx > 2 * hy, longY = hy > 2 * hx;
    const bool lines = longCells && (longX || longY);
    const bool halveBoth = lines && fine.cutX.empty();
    fine.halveX = fine.nx > 4 && (halveBoth || !longX);
    fine.halveY = fine.ny > 4 && (halveBoth || !longY);
    if (fine.N() <= coarseNodes || !(fine.halveX || fine.halveY)) break;
    if (lines) {
      fine.relax = longY ? Relax::LinesAlongX : Relax::LinesAlongY;
      FactorLines(fine);
      h_->lines = h_->lines || fine.relax != Relax::Points;
    }
    if (fine.halveX) hx *= 2;
    if (fine.halveY) hy *= 2;
    FitNearCuts(fine);
    Level coarse;
    BuildCoarse(fine, coarse);
    h_->levels.push_back(std::move(coarse));
  }
  for (std::size_t l = 0; l + 1 < h_->levels.size() && l < tipbox::kLevels; ++l) {
    TipBoxes(h_->levels[l]);
  }
  Level& coarsest = h_->levels.back();  // the finest one too on a small grid
  coarsest.rhs.resize(static_cast<std::size_t>(coarsest.N()));
  coarsest.sol.resize(static_cast<std::size_t>(coarsest.N()));
  h_->ready = h_->coarsest.Factor(coarsest);
}

MultigridSolver::MultigridSolver(MultigridSolver&&) noexcept = default;
MultigridSolver& MultigridSolver::operator=(MultigridSolver&&) noexcept = default;
MultigridSolver::~MultigridSolver() = default;

bool MultigridSolver::Ready() const { return h_->ready; }
int MultigridSolver::Levels() const { return static_cast<int>(h_->levels.size()); }
std::int32_t MultigridSolver::LevelNx(int level) const { return h_->levels[level].nx; }
std::int32_t MultigridSolver::LevelNy(int level) const { return h_->levels[level].ny; }

IterativeOutcome MultigridSolver::Solve(const std::vector<double>& b, std::vector<double>& z,
                                        const IterativeSettings& settings,
                                        const SolveProgress& progress) {
  h_->sweeps = settings.sweeps;
  h_->krylov = settings.krylovCycle;
  const Level& fine = h_->levels.front();
  const std::size_t n = b.size();
  IterativeOutcome outcome;
  ProgressCheck check(progress);
  // Told 0 at the start and 1 at the end, as every stage is.
  auto finish = [&check, &outcome] {
    if (!check.Tell(1)) outcome.status = SolveStatus::Cancelled;
    return outcome;
  };
  if (!check.Tell(0)) {
    outcome.status = SolveStatus::Cancelled;
    return outcome;
  }
  std::vector<double> r, s, p, q;
  for (std::vector<double>* v : {&r, &s, &p, &q}) AssignZeros(*v, n);
  Residual(fine, b.data(), z.data(), r.data());
  const double bNorm = std::sqrt(Dot(b, b));
  if (bNorm == 0) {
    std::fill(z.begin(), z.end(), 0.0);
    outcome.converged = true;
    return finish();
  }
  const double firstResidual = std::sqrt(Dot(r, r)) / bNorm;
  if (firstResidual == 0) {
    outcome.converged = true;
    return finish();
  }
  h_->Cycle(0, r.data(), s.data());
  p = s;
  std::vector<double> changes;
  while (outcome.iterations < settings.maxIterations) {
    Apply(fine, p.data(), q.data());
    const double pq = Dot(p, q), step = Dot(p, r) / pq;
    double largest = 0, low = z[0], high = z[0];
    for (std::size_t k = 0; k < n; ++k) {
      z[k] += step * p[k];
      r[k] -= step * q[k];
      largest = std::max(largest, std::abs(step * p[k]));
      low = std::min(low, z[k]);
      high = std::max(high, z[k]);
    }
    ++outcome.iterations;
    outcome.residual = std::sqrt(Dot(r, r)) / bNorm;
    outcome.change = high > low ? largest / (high - low) : largest;
    if (Settled(settings, h_->lines ? settings.contractionSteps : 0, outcome, changes)) {
      outcome.converged = true;
      return finish();
    }
    if (!std::isfinite(outcome.residual)) break;
    // The share done: how far the residual has fallen on a log scale.
    const double fallen = std::log(firstResidual / outcome.residual) /
                          std::log(firstResidual / settings.residualTolerance);
    if (!check(std::clamp(fallen, 0.0, 1.0))) {
      outcome.status = SolveStatus::Cancelled;
      return outcome;
    }
    // The preconditioner may vary between steps (a K-cycle does), so each
    // direction is made conjugate to the last one explicitly.
    h_->Cycle(0, r.data(), s.data());
    const double beta = Dot(s, q) / pq;
    for (std::size_t k = 0; k < n; ++k) p[k] = s[k] - beta * p[k];
  }
  return outcome;
}

}  // namespace kessadon
