// Transfers between the multigrid's grids: the interpolation beside faults,
// fitted to each block's planes, and restriction and prolongation. Fine
// node (i, j) of an nx by ny grid is number i * ny + j; coarse node
// (ci, cj) lies on fine node (PlaceX(ci), PlaceY(cj)).
#include "MultigridTransfer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "io/WorkSplit.h"

namespace kessadon::multigrid {
namespace {

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

// The weight of coarse node c in an interpolation along one direction.
double Toward(const Weights1D& w, std::int32_t c) {
  for (int k = 0; k < w.count; ++k) {
    if (w.c[k] == c) return w.w[k];
  }
  return 0;
}

}  // namespace

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

}  // namespace kessadon::multigrid
