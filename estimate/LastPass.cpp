#include "LastPass.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "EstimationReport.h"
#include "GridOrdering.h"
#include "MultigridSolver.h"
#include "NormalEquations.h"
#include "SeenStencils.h"
#include "SparseCholesky.h"
#include "WeightChoice.h"

namespace kessadon {
namespace {

// tr H = sum over the heights' part M of A (weight w' there) of M_ij Z_ij, times w / w'.
double TraceOfH(const LowerMatrix& m, const LowerMatrix& z, double scale) {
  double trace = 0;
  for (std::int64_t c = 0; c < m.n; ++c) {
    for (SparseIndex k = m.colStart[c]; k < m.colStart[c + 1]; ++k) {
      trace += (m.row[k] == c ? 1 : 2) * m.value[k] * z.value[k];
    }
  }
  return trace * scale;
}

std::vector<StencilAt> OrdinaryStencils(const LastPass& pass) {
  std::vector<StencilAt> out;
  const PreparedData& d = pass.ordinary;
  for (std::int32_t k = 0; k < d.Nh(); ++k) {
    const std::optional<SeenHeight> seen = LocateHeight(pass.grid, pass.faults, d.XH[k], d.YH[k]);
    if (!seen) continue;
    StencilAt s;
    s.ic = seen->at.ic;
    s.jc = seen->at.jc;
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) s.w[a][b] = seen->stencil.W[a][b];
    }
    out.push_back(s);
  }
  return out;
}

}  // namespace

Result<LastPass> BuildLastPass(const PreparedData& data, const EstimationParameters& params,
                               const EstimationResult& run, const FaultCuts& cuts,
                               const EstimationGrid& grid, bool heightsPart,
                               const Failure& tooFew) {
  LastPass pass;
  pass.grid = grid;
  pass.faults = cuts.Any() ? &cuts : nullptr;
  pass.ordinary = OrdinaryHeights(data);
  pass.alpha = run.Report.Alpha;
  const NodeArray<double> zeros(grid.Nx, grid.Ny);
  const NodeArray<double>& judged =
      run.BoundsJudgedOn.UpperI() == grid.Nx ? run.BoundsJudgedOn : zeros;
  // The ties that settled the pass's free pieces, as the run had them.
  const NormalEquationsOutcome built = BuildNormalEquations(
      pass.system, grid, data, judged,
      {params.M1, params.M2, run.Report.Alpha, run.Report.Beta, pass.faults, &run.Ties});
  pass.stencils = OrdinaryStencils(pass);
  auto ordinary = static_cast<std::int32_t>(pass.stencils.size());
  if (heightsPart) {
    pass.heights.Reset(grid);
    ordinary = AddHeightData(pass.heights, grid, pass.ordinary, zeros, pass.alpha, {}, pass.faults);
  }
  if (built.status != SolveStatus::Success || ordinary == 0) {
    return tooFew;
  }
  pass.w = pass.alpha / built.nH;
  pass.heightsW = pass.alpha / ordinary;
  return pass;
}

Result<FitStatistics> PassStatistics(const LastPass& pass, const NodeArray<double>& surface,
                                     double trace, double traceError, const Failure& tooFew) {
  const Misfit misfit = HeightMisfit(pass.grid, pass.ordinary, surface, pass.faults);
  const double free = misfit.count - trace;
  if (!(free >= 1)) return tooFew;
  FitStatistics out;
  out.Count = misfit.count;
  out.Rss = misfit.sumOfSquares;
  out.Edf = trace;
  out.Sigma = std::sqrt(misfit.sumOfSquares / free);
  out.Gcv = misfit.count * misfit.sumOfSquares / (free * free);
  out.ExactTrace = traceError == 0;
  out.TraceError = traceError;
  if (!std::isfinite(out.Sigma) || !std::isfinite(out.Gcv)) {
    return Failure{"当てはまりの統計量が計算の範囲を超えました。データの値か重みが極端すぎます"};
  }
  return out;
}

Result<std::optional<ExactInverse>> InvertExactly(LastPass& pass, std::int64_t limit,
                                                  const SolveProgress& progress,
                                                  const Failure& stopped) {
  LowerMatrix pattern;
  pass.system.CopyLower(pattern);
  const std::int64_t n = pattern.n;
  Result<SparseCholesky> analysed =
      SparseCholesky::Analyse(pattern, GridNestedDissection(pass.grid.Nx, pass.grid.Ny), limit,
                              ProgressShare(progress, 0, 0.1));
  if (!analysed && analysed.failure().cancelled) return stopped;
  if (!analysed || analysed->FactorBytes() + analysed->InverseBytes() > limit) {
    return std::optional<ExactInverse>();
  }
  SparseCholesky& cholesky = *analysed;
  pass.system.VisitLower(cholesky.Values());
  ExactInverse out;
  out.surface = pass.system.Rhs();
  const SolveStatus solved =
      cholesky.FactorAndSolve(out.surface, true, ProgressShare(progress, 0.1, 0.35));
  if (solved == SolveStatus::Cancelled) return stopped;
  if (solved != SolveStatus::Success) {
    return Failure{"データと平滑化の重みでは高さの決まらない格子点があります"};
  }
  // The diagonal and the heights' part of A in one pattern: the heights'.
  LowerMatrix m;
  pass.heights.CopyLower(m);
  for (std::int64_t c = 0; c < n; ++c) {
    if (m.colStart[c] == m.colStart[c + 1] || m.row[m.colStart[c]] != c) {
      return Failure{"推定の標準偏差を求める行列の形が正しくありません"};
    }
  }
  LowerMatrix z = m;
  if (!cholesky.InverseOn(z, ProgressShare(progress, 0.35, 1))) return stopped;
  out.diagonal.resize(static_cast<std::size_t>(n));
  for (std::int64_t c = 0; c < n; ++c) {
    out.diagonal[static_cast<std::size_t>(c)] = z.value[z.colStart[c]];
  }
  out.trace = TraceOfH(m, z, pass.w / pass.heightsW);
  return std::optional<ExactInverse>(std::move(out));
}

namespace {

// Whether a height's stencil weighs a node outside the requested grid.
bool ReachesBorder(const LastPass& pass, std::int32_t ex, std::int32_t ey) {
  const EstimationGrid& g = pass.grid;
  for (const StencilAt& s : pass.stencils) {
    for (int a = 0; a < 3; ++a) {
      for (int b = 0; b < 3; ++b) {
        const std::int32_t i = s.ic + a - 1, j = s.jc + b - 1;
        if (s.w[a][b] != 0 && (i <= ex || i > g.Nx - ex || j <= ey || j > g.Ny - ey)) return true;
      }
    }
  }
  return false;
}

}  // namespace

Result<NodeArray<double>> DeliveredSurface(const LastPass& pass, const EstimationResult& run,
                                           const std::vector<double>* solved,
                                           const SolveProgress& progress, const Failure& stopped) {
  const EstimationGrid& g = pass.grid;
  const std::int32_t ex = run.ex, ey = run.ey;
  NodeArray<double> z(g.Nx, g.Ny);
  std::vector<double> start;
  const bool iterate = solved == nullptr && ReachesBorder(pass, ex, ey);
  if (iterate) start.resize(static_cast<std::size_t>(g.NodeCount()));
  for (std::int32_t i = 1; i <= g.Nx; ++i) {
    for (std::int32_t j = 1; j <= g.Ny; ++j) {
      const auto k = static_cast<std::size_t>(g.Unknown(i, j));
      // Beyond the requested nodes the nearest of them starts the iteration.
      const std::int32_t p = std::clamp(i - ex, 1, run.Grid.Nx),
                         q = std::clamp(j - ey, 1, run.Grid.Ny);
      const bool requested = p == i - ex && q == j - ey;
      z(i, j) = requested || solved == nullptr ? run.Grid.Z(p, q) : (*solved)[k];
      if (iterate) start[k] = z(i, j);
    }
  }
  if (!iterate) return z;
  MultigridSolver multigrid(g.Nx, g.Ny, pass.system.UpperValues().data(), g.Dy / g.Dx, pass.faults);
  if (!multigrid.Ready()) {
    return Failure{"データと平滑化の重みでは高さの決まらない格子点があります"};
  }
  const IterativeOutcome outcome = multigrid.Solve(pass.system.Rhs(), start, {}, progress);
  if (outcome.status == SolveStatus::Cancelled) return stopped;
  if (!outcome.converged) {
    return Failure{"推定した格子の縁の高さが反復解法で求まりませんでした"};
  }
  for (std::int32_t i = 1; i <= g.Nx; ++i) {
    for (std::int32_t j = 1; j <= g.Ny; ++j) {
      if (i <= ex || i > g.Nx - ex || j <= ey || j > g.Ny - ey) {
        z(i, j) = start[static_cast<std::size_t>(g.Unknown(i, j))];
      }
    }
  }
  return z;
}

}  // namespace kessadon
