#include "SeenStencils.h"

#include <cmath>
#include <cstdint>

namespace kessadon {
namespace {

// What a stencil gives at its point: the surface's value, or its slope along
// x or y per cell.
enum class Reading { Value, SlopeX, SlopeY };

// The nodes of one window that the point sees, by their place in the window
// and their offset from the point in cells.
struct Window {
  std::int32_t ic = 0, jc = 0;  // the window's centre
  int count = 0;
  int a[9] = {}, b[9] = {};
  double du[9] = {}, dv[9] = {};
};

// A fit's order: how much of a plane its weights keep exactly.
enum class Order { None, Level, Line, Plane };

struct Fit {
  Order order = Order::None;
  double cost = HUGE_VAL;  // sum of w^2 / nearness
  double w[9] = {};
};

// How much a node at squared distance r2 (cells) may carry: the nearest most,
// a node on the point nearly all.
double Nearness(double r2) { return 1 / ((r2 + 0.01) * (r2 + 0.01)); }

// Solves the n x n system g x = t (n <= 3) by elimination with pivots taken
// down the diagonal; false when a pivot falls to a ten-billionth of its
// diagonal, i.e. the points leave the basis undetermined.
bool SolveSmall(double g[3][3], double t[3], int n, double x[3]) {
  double diagonal[3];
  for (int k = 0; k < n; ++k) diagonal[k] = g[k][k];
  for (int k = 0; k < n; ++k) {
    if (!(g[k][k] > 1e-10 * diagonal[k])) return false;
    for (int r = k + 1; r < n; ++r) {
      const double f = g[r][k] / g[k][k];
      for (int c = k; c < n; ++c) g[r][c] -= f * g[k][c];
      t[r] -= f * t[k];
    }
  }
  for (int k = n - 1; k >= 0; --k) {
    double s = t[k];
    for (int c = k + 1; c < n; ++c) s -= g[k][c] * x[c];
    x[k] = s / g[k][k];
  }
  return true;
}

// The weights of least cost over the window's nodes that give `reading` of
// every function spanned by basis(node) at the point (where the basis is 1 and
// its other members 0): w = N C^T (C N C^T)^-1 t.
template <class Basis>
bool FitBasis(const Window& win, int n, Basis basis, const double target[3], Fit& fit) {
  double g[3][3] = {}, t[3] = {target[0], target[1], target[2]}, lambda[3] = {};
  double nearness[9];
  for (int k = 0; k < win.count; ++k) {
    double c[3];
    basis(k, c);
    nearness[k] = Nearness(win.du[k] * win.du[k] + win.dv[k] * win.dv[k]);
    for (int p = 0; p < n; ++p) {
      for (int q = 0; q < n; ++q) g[p][q] += nearness[k] * c[p] * c[q];
    }
  }
  if (!SolveSmall(g, t, n, lambda)) return false;
  fit.cost = 0;
  for (int k = 0; k < win.count; ++k) {
    double c[3];
    basis(k, c);
    double w = 0;
    for (int p = 0; p < n; ++p) w += lambda[p] * c[p];
    fit.w[k] = nearness[k] * w;
    fit.cost += fit.w[k] * fit.w[k] / nearness[k];
  }
  return true;
}

Fit FitWindow(const Window& win, Reading reading) {
  Fit fit;
  if (win.count == 0) return fit;
  const double value[3] = {1, 0, 0}, slopeX[3] = {0, 1, 0}, slopeY[3] = {0, 0, 1};
  const double* target = reading == Reading::Value    ? value
                         : reading == Reading::SlopeX ? slopeX
                                                      : slopeY;
  auto plane = [&win](int k, double* c) {
    c[0] = 1;
    c[1] = win.du[k];
    c[2] = win.dv[k];
  };
  if (FitBasis(win, 3, plane, target, fit)) {
    fit.order = Order::Plane;
    return fit;
  }
  if (reading != Reading::Value) return fit;
  // The nodes lie on one line: read along it, at the point's foot on it.
  int far = 0;
  for (int k = 1; k < win.count; ++k) {
    const double d = std::hypot(win.du[k] - win.du[0], win.dv[k] - win.dv[0]);
    if (d > std::hypot(win.du[far] - win.du[0], win.dv[far] - win.dv[0])) far = k;
  }
  const double length = std::hypot(win.du[far] - win.du[0], win.dv[far] - win.dv[0]);
  if (length > 0) {
    const double ex = (win.du[far] - win.du[0]) / length, ey = (win.dv[far] - win.dv[0]) / length;
    auto line = [&](int k, double* c) {
      c[0] = 1;
      c[1] = win.du[k] * ex + win.dv[k] * ey;
    };
    if (FitBasis(win, 2, line, target, fit)) {
      fit.order = Order::Line;
      return fit;
    }
  }
  auto level = [](int /*k*/, double* c) { c[0] = 1; };
  if (FitBasis(win, 1, level, target, fit)) fit.order = Order::Level;
  return fit;
}

// Whether (x, y) sees every node the stencil weighs.
bool SeesAll(const FaultCuts& faults, const DatumLocation& at, double x, double y,
             const Stencil& stencil) {
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      if (stencil.W[a][b] != 0 && faults.Crosses(x, y, at.ic + a - 1, at.jc + b - 1)) return false;
    }
  }
  return true;
}

// The nodes within two of the nearest one that (x, y) sees, by offset + 2.
struct Sight {
  bool seen[5][5] = {};
};

Sight LookAround(const EstimationGrid& grid, const FaultCuts& faults, const DatumLocation& at,
                 double x, double y) {
  Sight sight;
  for (int p = 0; p < 5; ++p) {
    for (int q = 0; q < 5; ++q) {
      const std::int32_t i = at.ic + p - 2, j = at.jc + q - 2;
      sight.seen[p][q] = grid.Contains(i, j) && !faults.Crosses(x, y, i, j);
    }
  }
  return sight;
}

// The window centred a node (di, dj) from the nearest node, with the nodes
// seen; empty when it would reach past the grid.
Window WindowAt(const EstimationGrid& grid, const DatumLocation& at, const Sight& sight, int di,
                int dj) {
  Window win;
  win.ic = at.ic + di;
  win.jc = at.jc + dj;
  if (win.ic < 2 || win.ic > grid.Nx - 1 || win.jc < 2 || win.jc > grid.Ny - 1) return win;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      // The node's offset from the nearest one.
      const int p = di + a - 1, q = dj + b - 1;
      if (!sight.seen[p + 2][q + 2]) continue;
      win.a[win.count] = a;
      win.b[win.count] = b;
      win.du[win.count] = p - at.px;
      win.dv[win.count++] = q - at.py;
    }
  }
  return win;
}

Stencil StencilOf(const Window& win, const Fit& fit, double scale) {
  Stencil s;
  for (int k = 0; k < win.count; ++k) {
    if (std::abs(fit.w[k]) > 1e-14) s.W[win.a[k]][win.b[k]] = fit.w[k] / scale;
  }
  return s;
}

// The best window for the readings: the highest order, then the least cost
// (of the readings together); the centred window first, so that it wins ties.
template <class Use>
bool BestWindow(const EstimationGrid& grid, const DatumLocation& at, const Sight& sight,
                std::initializer_list<Reading> readings, Use use) {
  static constexpr int kMoves[9][2] = {{0, 0},   {-1, 0}, {1, 0},  {0, -1}, {0, 1},
                                       {-1, -1}, {1, -1}, {-1, 1}, {1, 1}};
  Order bestOrder = Order::None;
  double bestCost = HUGE_VAL;
  Window best;
  Fit bestFits[2];
  for (const auto& move : kMoves) {
    const Window win = WindowAt(grid, at, sight, move[0], move[1]);
    Fit fits[2];
    Order order = Order::Plane;
    double cost = 0;
    int k = 0;
    for (Reading reading : readings) {
      fits[k] = FitWindow(win, reading);
      order = std::min(order, fits[k].order);
      cost += fits[k++].cost;
    }
    if (order == Order::None) continue;
    if (order > bestOrder || (order == bestOrder && cost < bestCost)) {
      bestOrder = order;
      bestCost = cost;
      best = win;
      bestFits[0] = fits[0];
      bestFits[1] = fits[1];
    }
  }
  if (bestOrder == Order::None) return false;
  use(best, bestFits);
  return true;
}

}  // namespace

std::optional<SeenHeight> LocateHeight(const EstimationGrid& grid, const FaultCuts* faults,
                                       double x, double y) {
  const std::optional<DatumLocation> at = LocateDatum(grid, x, y);
  if (!at) return std::nullopt;
  SeenHeight seen{*at, ValueStencil(*at)};
  if (faults == nullptr || !faults->Any() || SeesAll(*faults, *at, x, y, seen.stencil)) return seen;
  const Sight sight = LookAround(grid, *faults, *at, x, y);
  const bool found =
      BestWindow(grid, *at, sight, {Reading::Value}, [&seen](const Window& win, const Fit* fits) {
        seen.at.ic = win.ic;
        seen.at.jc = win.jc;
        seen.stencil = StencilOf(win, fits[0], 1);
      });
  if (!found) return std::nullopt;
  return seen;
}

std::optional<SeenDip> LocateDip(const EstimationGrid& grid, const FaultCuts* faults, double x,
                                 double y) {
  const std::optional<DatumLocation> at = LocateDatum(grid, x, y);
  if (!at) return std::nullopt;
  SeenDip seen{*at, SetSlopeXStencil(*at, grid.Dx), SetSlopeYStencil(*at, grid.Dy)};
  if (faults == nullptr || !faults->Any() ||
      (SeesAll(*faults, *at, x, y, seen.slopeX) && SeesAll(*faults, *at, x, y, seen.slopeY))) {
    return seen;
  }
  const Sight sight = LookAround(grid, *faults, *at, x, y);
  const bool found = BestWindow(grid, *at, sight, {Reading::SlopeX, Reading::SlopeY},
                                [&seen, &grid](const Window& win, const Fit* fits) {
                                  seen.at.ic = win.ic;
                                  seen.at.jc = win.jc;
                                  seen.slopeX = StencilOf(win, fits[0], grid.Dx);
                                  seen.slopeY = StencilOf(win, fits[1], grid.Dy);
                                });
  // Slopes need a plane: three nodes seen, not on one line.
  if (!found) return std::nullopt;
  return seen;
}

}  // namespace kessadon
