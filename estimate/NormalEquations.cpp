#include "NormalEquations.h"

#include <algorithm>

#include "io/WorkSplit.h"

namespace kessadon {

// The data adders ask their progress every so many data.
constexpr std::int32_t kDataPerCheck = 1024;

namespace {

// Calls lines(from, to) for the grid lines from ... to - 1 among 1 ... count
// of a smoothness term on every core, a slab of lines at a time, asking part
// between slabs on this thread. The rows of different lines of a term meet no
// common entry, so the lines may run at once, and interleaved along them,
// while every entry still takes its sums in the order of the loop on one
// thread. False when part said stop.
template <class Lines>
bool ForEachLine(std::int32_t count, std::int32_t lineNodes, const ProgressPart& part,
                 Lines&& lines) {
  constexpr std::int32_t kSlab = 256;
  for (std::int32_t first = 1; first <= count; first += kSlab) {
    if (!part(double(first - 1) / count)) return false;
    SplitRange(first, std::min(count + 1, first + kSlab), lineNodes, lines);
  }
  return true;
}

// Which pairs of a stencil's nodes a row adds: all of them, only those whose
// nodes both lie in its last x column (k = 2), or all the others.
enum class Pairs { All, LastColumn, AllButLastColumn };

template <class System>
void AccumulatePairs(System& system, const EstimationGrid& grid, const Stencil& stencil,
                     std::int32_t ic, std::int32_t jc, double w, double v, Pairs pairs) {
  std::vector<double>& rhs = system.Rhs();
  for (int a = 0; a < 3; ++a) {
    if (pairs == Pairs::LastColumn && a != 2) continue;
    for (int b = 0; b < 3; ++b) {
      const std::int32_t i = ic + a - 1, j = jc + b - 1;
      if (!grid.Contains(i, j)) continue;
      const std::int64_t n = grid.Unknown(i, j);
      const double wab = stencil.W[a][b];
      // Most stencils weigh two to four of their nine nodes; a zero weight adds
      // nothing anywhere, so its row and column are passed over.
      if (wab == 0) continue;
      if (pairs != Pairs::AllButLastColumn || a != 2) {
        rhs[static_cast<std::size_t>(n)] = wab * w * v + rhs[static_cast<std::size_t>(n)];
      }
      for (int k = 0; k < 3; ++k) {
        if (pairs == Pairs::LastColumn && k != 2) continue;
        if (pairs == Pairs::AllButLastColumn && a == 2 && k == 2) continue;
        for (int l = 0; l < 3; ++l) {
          if (stencil.W[k][l] == 0) continue;
          // Only the upper triangle is stored: partners at or after n.
          const std::int64_t d = std::int64_t{grid.Ny} * (k - a) + (l - b);
          if (d < 0 || !grid.Contains(ic + k - 1, jc + l - 1)) continue;
          double& entry = system.Upper(n, k - a, l - b, d);
          entry = wab * w * stencil.W[k][l] + entry;
        }
      }
    }
  }
}

}  // namespace

template <class System>
void AccumulateStencil(System& system, const EstimationGrid& grid, const Stencil& stencil,
                       std::int32_t ic, std::int32_t jc, double w, double v) {
  AccumulatePairs(system, grid, stencil, ic, jc, w, v, Pairs::All);
}

template <class System>
void AddSlopeRowsX(System& system, const EstimationGrid& grid, double m1, const ProgressPart& part,
                   const FaultCuts* faults) {
  Stencil s;
  s.W[1][1] = -1 / grid.Dx;
  s.W[2][1] = 1 / grid.Dx;
  const double cells = double(grid.Nx - 1) * (grid.Ny - 1);
  // Along x within a piece of lines, which keeps to the memory's order.
  ForEachLine(grid.Ny, grid.Nx, part, [&](int from, int to) {
    for (std::int32_t i = 1; i <= grid.Nx - 1; ++i) {
      for (std::int32_t j = from; j < to; ++j) {
        if (faults != nullptr && faults->CutX(i, j)) continue;
        AccumulateStencil(system, grid, s, i, j, BorderWeight(j, grid.Ny) * m1 / cells, 0);
      }
    }
  });
}

template <class System>
void AddSlopeRowsY(System& system, const EstimationGrid& grid, double m1, const ProgressPart& part,
                   const FaultCuts* faults) {
  Stencil s;
  s.W[1][1] = -1 / grid.Dy;
  s.W[1][2] = 1 / grid.Dy;
  const double cells = double(grid.Nx - 1) * (grid.Ny - 1);
  ForEachLine(grid.Nx, grid.Ny, part, [&](int from, int to) {
    for (std::int32_t i = from; i < to; ++i) {
      const double w = BorderWeight(i, grid.Nx) * m1 / cells;
      for (std::int32_t j = 1; j <= grid.Ny - 1; ++j) {
        if (faults != nullptr && faults->CutY(i, j)) continue;
        AccumulateStencil(system, grid, s, i, j, w, 0);
      }
    }
  });
}

template <class System>
void AddCurvatureRowsXX(System& system, const EstimationGrid& grid, double m2,
                        const ProgressPart& part, const FaultCuts* faults) {
  const double dx2 = grid.Dx * grid.Dx;
  Stencil s;
  s.W[0][1] = 1 / dx2;
  s.W[1][1] = -2 / dx2;
  s.W[2][1] = 1 / dx2;
  // Along x within a piece of lines, which keeps to the memory's order.
  ForEachLine(grid.Ny, grid.Nx, part, [&](int from, int to) {
    for (std::int32_t i = 2; i <= grid.Nx - 1; ++i) {
      for (std::int32_t j = from; j < to; ++j) {
        if (faults != nullptr && (faults->CutX(i - 1, j) || faults->CutX(i, j))) continue;
        const double w =
            NextToBorderWeight(i, grid.Nx) * m2 * grid.Dx * grid.Dy * BorderWeight(j, grid.Ny);
        AccumulateStencil(system, grid, s, i, j, w, 0);
      }
    }
  });
}

template <class System>
void AddCurvatureRowsXY(System& system, const EstimationGrid& grid, double m2,
                        const ProgressPart& part, const FaultCuts* faults) {
  const double c = 1 / (grid.Dy * grid.Dx);
  Stencil s;
  s.W[1][1] = c;
  s.W[1][2] = -c;
  s.W[2][1] = -c;
  s.W[2][2] = c;
  const double w = 2 * m2 * grid.Dx * grid.Dy;
  // A cross row at (i, j) meets the rows at (i - 1, .) in column i and those
  // at (i + 1, .) in column i + 1. The rows' pairs within their right column
  // go first, all at once, then their other pairs: every entry of column i
  // then takes the rows at i - 1 before those at i, as one loop over i gives
  // them, and no two lines meet in either step.
  const std::int32_t columns = grid.Nx - 1;
  auto add = [&](Pairs pairs) {
    return [&, pairs](int from, int to) {
      for (std::int32_t i = from; i < to; ++i) {
        for (std::int32_t j = 1; j <= grid.Ny - 1; ++j) {
          if (faults != nullptr && (faults->CutX(i, j) || faults->CutX(i, j + 1) ||
                                    faults->CutY(i, j) || faults->CutY(i + 1, j))) {
            continue;
          }
          AccumulatePairs(system, grid, s, i, j, w, 0, pairs);
        }
      }
    };
  };
  if (ForEachLine(columns, grid.Ny, part.Within(0, 0.4), add(Pairs::LastColumn))) {
    ForEachLine(columns, grid.Ny, part.Within(0.4, 1), add(Pairs::AllButLastColumn));
  }
}

template <class System>
void AddCurvatureRowsYY(System& system, const EstimationGrid& grid, double m2,
                        const ProgressPart& part, const FaultCuts* faults) {
  const double dy2 = grid.Dy * grid.Dy;
  Stencil s;
  s.W[1][0] = 1 / dy2;
  s.W[1][1] = -2 / dy2;
  s.W[1][2] = 1 / dy2;
  ForEachLine(grid.Nx, grid.Ny, part, [&](int from, int to) {
    for (std::int32_t i = from; i < to; ++i) {
      for (std::int32_t j = 2; j <= grid.Ny - 1; ++j) {
        if (faults != nullptr && (faults->CutY(i, j - 1) || faults->CutY(i, j))) continue;
        const double w =
            NextToBorderWeight(j, grid.Ny) * m2 * grid.Dx * grid.Dy * BorderWeight(i, grid.Nx);
        AccumulateStencil(system, grid, s, i, j, w, 0);
      }
    }
  });
}

template <class System>
std::int32_t AddHeightData(System& system, const EstimationGrid& grid, const PreparedData& data,
                           const NodeArray<double>& previous, double alpha,
                           const ProgressPart& part, const FaultCuts* faults) {
  std::int32_t nH = 0;
  for (std::int32_t k = 0; k < data.Nh(); ++k) {
    if (LocateHeight(grid, faults, data.XH[k], data.YH[k])) ++nH;
  }
  if (nH == 0) return 0;
  const double wH = alpha / nH;
  for (std::int32_t k = 0; k < data.Nh(); ++k) {
    if (k % kDataPerCheck == 0 && !part(double(k) / data.Nh())) return nH;
    const std::optional<SeenHeight> seen = LocateHeight(grid, faults, data.XH[k], data.YH[k]);
    if (!seen) continue;
    const DatumLocation& at = seen->at;
    const double r = ApplyStencil(seen->stencil, at.ic, at.jc, previous) - data.ZH[k];
    const std::int16_t l = data.LH[k];
    if (KeepsHeight(l, r)) {
      AccumulateStencil(system, grid, seen->stencil, at.ic, at.jc, wH, data.ZH[k]);
    }
  }
  return nH;
}

template <class System>
std::int32_t AddDipData(System& system, const EstimationGrid& grid, const PreparedData& data,
                        double beta, const ProgressPart& part, const FaultCuts* faults) {
  std::int32_t nD = 0;
  for (std::int32_t k = 0; k < data.Nd(); ++k) {
    if (LocateDip(grid, faults, data.XD[k], data.YD[k])) ++nD;
  }
  if (nD == 0) return 0;
  const double wD = beta / nD;
  for (std::int32_t k = 0; k < data.Nd(); ++k) {
    if (k % kDataPerCheck == 0 && !part(double(k) / data.Nd())) return nD;
    const std::optional<SeenDip> seen = LocateDip(grid, faults, data.XD[k], data.YD[k]);
    if (!seen) continue;
    const DatumLocation& at = seen->at;
    AccumulateStencil(system, grid, seen->slopeX, at.ic, at.jc, wD, data.GxD[k]);
    AccumulateStencil(system, grid, seen->slopeY, at.ic, at.jc, wD, data.GyD[k]);
  }
  return nD;
}

template <class System>
void AddWeakTies(System& system, const EstimationGrid& grid, const WeakTies& ties, double m1,
                 double m2) {
  // What a slope and a curvature row put on the diagonal of a node per unit
  // of height difference along each axis.
  const double cells = double(grid.Nx - 1) * (grid.Ny - 1);
  const double dx = grid.Dx, dy = grid.Dy;
  const double alongX = kWeakTie * (m1 / (cells * dx * dx) + m2 * dy / (dx * dx * dx));
  const double alongY = kWeakTie * (m1 / (cells * dy * dy) + m2 * dx / (dy * dy * dy));
  std::vector<std::uint8_t> tied(static_cast<std::size_t>(grid.NodeCount()), 0);
  for (const std::int64_t n : ties.tied) tied[static_cast<std::size_t>(n)] = 1;
  Stencil x, y;
  x.W[1][1] = -1;
  x.W[2][1] = 1;
  y.W[1][1] = -1;
  y.W[1][2] = 1;
  for (const std::int64_t n : ties.tied) {
    const auto i = static_cast<std::int32_t>(n / grid.Ny + 1);
    const auto j = static_cast<std::int32_t>(n % grid.Ny + 1);
    // A link between two tied nodes is held once, from its lower end.
    if (i < grid.Nx) AccumulateStencil(system, grid, x, i, j, alongX, 0);
    if (i > 1 && tied[static_cast<std::size_t>(n - grid.Ny)] == 0) {
      AccumulateStencil(system, grid, x, i - 1, j, alongX, 0);
    }
    if (j < grid.Ny) AccumulateStencil(system, grid, y, i, j, alongY, 0);
    if (j > 1 && tied[static_cast<std::size_t>(n - 1)] == 0) {
      AccumulateStencil(system, grid, y, i, j - 1, alongY, 0);
    }
  }
  Stencil alone;
  alone.W[1][1] = 1;
  for (std::size_t k = 0; k < ties.pinned.size(); ++k) {
    const std::int64_t n = ties.pinned[k];
    AccumulateStencil(system, grid, alone, static_cast<std::int32_t>(n / grid.Ny + 1),
                      static_cast<std::int32_t>(n % grid.Ny + 1), alongX + alongY,
                      ties.pinLevel[k]);
  }
}

template <class System>
NormalEquationsOutcome BuildNormalEquations(System& system, const EstimationGrid& grid,
                                            const PreparedData& data,
                                            const NodeArray<double>& previous,
                                            const PassWeights& weights,
                                            const SolveProgress& progress) {
  ProgressCheck check(progress);
  NormalEquationsOutcome out;
  if (!check.Tell(0)) {
    out.status = SolveStatus::Cancelled;
    return out;
  }
  // Each term's share of the work, by the entries its rows add up; clearing
  // the system counts a value as one.
  const double nodes = static_cast<double>(grid.NodeCount());
  const double reset = nodes * PatternSystem::kPartners;
  const double slope = weights.m1 != 0 ? 4 * nodes : 0, curvature = weights.m2 != 0 ? 9 * nodes : 0;
  const double cross = weights.m2 != 0 ? 16 * nodes : 0;
  const double heights = 81.0 * data.Nh(), dips = 162.0 * data.Nd();
  const double total = std::max(reset + 2 * slope + 2 * curvature + cross + heights + dips, 1.0);
  double done = 0;
  auto part = [&](double work) {
    const ProgressPart p{&check, done / total, (done + work) / total};
    done += work;
    return p;
  };

  if (!system.Reset(grid, part(reset))) {
    out.status = SolveStatus::Cancelled;
    return out;
  }
  const FaultCuts* faults = weights.faults;
  if (weights.m1 != 0) {
    AddSlopeRowsX(system, grid, weights.m1, part(slope), faults);
    AddSlopeRowsY(system, grid, weights.m1, part(slope), faults);
  }
  if (weights.m2 != 0) {
    AddCurvatureRowsXX(system, grid, weights.m2, part(curvature), faults);
    AddCurvatureRowsXY(system, grid, weights.m2, part(cross), faults);
    AddCurvatureRowsYY(system, grid, weights.m2, part(curvature), faults);
  }
  out.nH = AddHeightData(system, grid, data, previous, weights.alpha, part(heights), faults);
  out.nD = AddDipData(system, grid, data, weights.beta, part(dips), faults);
  if (weights.ties != nullptr) AddWeakTies(system, grid, *weights.ties, weights.m1, weights.m2);
  if (out.nH >= 1 && out.nH + 2 * out.nD >= 3) out.status = SolveStatus::Success;
  if (!check.Tell(1)) out.status = SolveStatus::Cancelled;
  return out;
}

// The band for small grids, the coupling pattern alone for large ones. The
// argument is a type, which parentheses would break.
// NOLINTBEGIN(bugprone-macro-parentheses)
#define KESSADON_NORMAL_EQUATIONS(System)                                                       \
  template void AccumulateStencil(System&, const EstimationGrid&, const Stencil&, std::int32_t, \
                                  std::int32_t, double, double);                                \
  template void AddSlopeRowsX(System&, const EstimationGrid&, double, const ProgressPart&,      \
                              const FaultCuts*);                                                \
  template void AddSlopeRowsY(System&, const EstimationGrid&, double, const ProgressPart&,      \
                              const FaultCuts*);                                                \
  template void AddCurvatureRowsXX(System&, const EstimationGrid&, double, const ProgressPart&, \
                                   const FaultCuts*);                                           \
  template void AddCurvatureRowsXY(System&, const EstimationGrid&, double, const ProgressPart&, \
                                   const FaultCuts*);                                           \
  template void AddCurvatureRowsYY(System&, const EstimationGrid&, double, const ProgressPart&, \
                                   const FaultCuts*);                                           \
  template std::int32_t AddHeightData(System&, const EstimationGrid&, const PreparedData&,      \
                                      const NodeArray<double>&, double, const ProgressPart&,    \
                                      const FaultCuts*);                                        \
  template std::int32_t AddDipData(System&, const EstimationGrid&, const PreparedData&, double, \
                                   const ProgressPart&, const FaultCuts*);                      \
  template void AddWeakTies(System&, const EstimationGrid&, const WeakTies&, double, double);   \
  template NormalEquationsOutcome BuildNormalEquations(                                         \
      System&, const EstimationGrid&, const PreparedData&, const NodeArray<double>&,            \
      const PassWeights&, const SolveProgress&);
// NOLINTEND(bugprone-macro-parentheses)
KESSADON_NORMAL_EQUATIONS(BandSystem)
KESSADON_NORMAL_EQUATIONS(PatternSystem)
#undef KESSADON_NORMAL_EQUATIONS

namespace {
// A system that keeps only its right-hand side.
class RhsOnly {
 public:
  explicit RhsOnly(std::int64_t n) : rhs_(static_cast<std::size_t>(n), 0.0) {}
  std::vector<double>& Rhs() { return rhs_; }
  double& Upper(std::int64_t /*r*/, int /*di*/, int /*dj*/, std::int64_t /*d*/) {
    return discarded_;
  }

 private:
  std::vector<double> rhs_;
  double discarded_ = 0;
};
}  // namespace

std::vector<double> HeightDataRhs(const EstimationGrid& grid, const PreparedData& data,
                                  double alpha, const FaultCuts* faults) {
  RhsOnly system(grid.NodeCount());
  AddHeightData(system, grid, data, NodeArray<double>(grid.Nx, grid.Ny), alpha, {}, faults);
  return std::move(system.Rhs());
}

}  // namespace kessadon
