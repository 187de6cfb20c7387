#include "Uncertainty.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <random>
#include <utility>
#include <vector>

#include "EstimationReport.h"
#include "FaultCuts.h"
#include "GridOrdering.h"
#include "MultigridSolver.h"
#include "NormalEquations.h"
#include "PatternSystem.h"
#include "SparseCholesky.h"
#include "WeightChoice.h"

namespace kessadon {
namespace {

Failure Cancelled() { return Failure{"推定の標準偏差の計算を中止しました", 0, true}; }

// The last pass's equations, and the part of them the ordinary heights add.
struct LastPass {
  EstimationGrid grid;
  const FaultCuts* faults = nullptr;
  PreparedData ordinary;
  PatternSystem system;   // A z = b
  PatternSystem heights;  // the ordinary heights' part of A, weight alpha / their count
  double alpha = 0;
  double w = 0;         // alpha / nH, the heights' weight in A
  double heightsW = 0;  // alpha / the ordinary heights' count, their weight in `heights`
};

// A's diagonal of the inverse, the surface and tr H of the ordinary heights.
struct Inverted {
  std::vector<double> diagonal, surface;
  double trace = 0;
  double relativeError = 0;  // of the diagonal, probed
};

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

// Exactly, from the sparse factor: nothing when it would not fit in `limit`.
Result<std::optional<Inverted>> ByFactor(LastPass& pass, std::int64_t limit,
                                         const SolveProgress& progress) {
  auto part = [&progress](double from, double to) -> SolveProgress {
    if (!progress) return {};
    return [&progress, from, to](double f) { return progress(from + f * (to - from)); };
  };
  LowerMatrix pattern;
  pass.system.CopyLower(pattern);
  const std::int64_t n = pattern.n;
  Result<SparseCholesky> analysed = SparseCholesky::Analyse(
      pattern, GridNestedDissection(pass.grid.Nx, pass.grid.Ny), limit, part(0, 0.1));
  if (!analysed && analysed.failure().cancelled) return Cancelled();
  if (!analysed || analysed->FactorBytes() + analysed->InverseBytes() > limit) {
    return std::optional<Inverted>();
  }
  SparseCholesky& cholesky = *analysed;
  pass.system.VisitLower(cholesky.Values());
  Inverted out;
  out.surface = pass.system.Rhs();
  const SolveStatus solved = cholesky.FactorAndSolve(out.surface, true, part(0.1, 0.35));
  if (solved == SolveStatus::Cancelled) return Cancelled();
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
  if (!cholesky.InverseOn(z, part(0.35, 1))) return Cancelled();
  out.diagonal.resize(static_cast<std::size_t>(n));
  for (std::int64_t c = 0; c < n; ++c) {
    out.diagonal[static_cast<std::size_t>(c)] = z.value[z.colStart[c]];
  }
  out.trace = TraceOfH(m, z, pass.w / pass.heightsW);
  return std::optional<Inverted>(std::move(out));
}

// One solve of A x = b by the iterative path, from zeros; a probe's to a
// looser tolerance than a surface's, far inside the probing's own error.
Result<std::vector<double>> Iterate(MultigridSolver& solver, const std::vector<double>& b,
                                    const SolveProgress& progress, bool probe = true) {
  std::vector<double> x(b.size(), 0.0);
  IterativeSettings settings;
  if (probe) {
    settings.heightTolerance = 1e-5;
    settings.residualTolerance = 1e-6;
  }
  const IterativeOutcome outcome = solver.Solve(b, x, settings, progress);
  if (outcome.status == SolveStatus::Cancelled) return Cancelled();
  if (outcome.status != SolveStatus::Success || !outcome.converged) {
    return Failure{"推定の標準偏差の計算で反復解法が収束しませんでした"};
  }
  return x;
}

// Probed, with the iterative path: the diagonal from a lattice of random
// signs in two draws, tr H (when asked) from 24 vectors of random signs over
// the heights, as the weight choice estimates it.
Result<Inverted> ByProbing(LastPass& pass, const UncertaintySettings& settings, bool trace,
                           const SolveProgress& progress) {
  const EstimationGrid& g = pass.grid;
  MultigridSolver solver(g.Nx, g.Ny, pass.system.UpperValues().data(), g.Dy / g.Dx, pass.faults);
  if (!solver.Ready()) return Failure{"データと平滑化の重みでは高さの決まらない格子点があります"};
  const int s = std::max(1, settings.spacing);
  constexpr int kDraws = 2, kTraceProbes = 24;
  const int solves = 1 + kDraws * s * s + (trace ? kTraceProbes : 0);
  int done = 0;
  auto next = [&]() -> SolveProgress {
    if (!progress) return {};
    const double from = double(done) / solves;
    ++done;
    return [&progress, from, solves](double f) { return progress(from + f / solves); };
  };
  Inverted out;
  Result<std::vector<double>> surface = Iterate(solver, pass.system.Rhs(), next(), false);
  if (!surface) return surface.failure();
  out.surface = std::move(*surface);

  const auto n = static_cast<std::size_t>(g.NodeCount());
  std::mt19937 random(settings.seed);
  std::vector<std::vector<double>> draws(kDraws, std::vector<double>(n, 0.0));
  for (int d = 0; d < kDraws; ++d) {
    for (int colour = 0; colour < s * s; ++colour) {
      std::vector<double> v(n, 0.0);
      for (std::int32_t i = 1 + colour / s; i <= g.Nx; i += s) {
        for (std::int32_t j = 1 + colour % s; j <= g.Ny; j += s) {
          // Alternating signs over the lattice, in the second draw by pairs:
          // a smooth part of the inverse's far entries cancels.
          const std::int32_t a = (i - 1) / s / (d + 1), b = (j - 1) / s / (d + 1);
          v[static_cast<std::size_t>(g.Unknown(i, j))] = (a + b) % 2 == 0 ? 1 : -1;
        }
      }
      Result<std::vector<double>> x = Iterate(solver, v, next());
      if (!x) return x.failure();
      for (std::size_t k = 0; k < n; ++k) draws[d][k] += v[k] * (*x)[k];
    }
  }
  out.diagonal.resize(n);
  double errors = 0, means = 0;
  for (std::size_t k = 0; k < n; ++k) {
    const double mean = (draws[0][k] + draws[1][k]) / 2, error = (draws[0][k] - draws[1][k]) / 2;
    out.diagonal[k] = mean;
    errors += error * error;
    means += mean * mean;
  }
  out.relativeError = std::sqrt(errors / means);

  if (trace) {
    PreparedData probe = pass.ordinary;
    for (int p = 0; p < kTraceProbes; ++p) {
      for (double& z : probe.ZH) z = random() % 2 == 0 ? -1 : 1;
      const std::vector<double> b = HeightDataRhs(g, probe, pass.alpha, pass.faults);
      Result<std::vector<double>> x = Iterate(solver, b, next());
      if (!x) return x.failure();
      double bx = 0;
      for (std::size_t k = 0; k < n; ++k) bx += b[k] * (*x)[k];
      out.trace += bx * pass.w / (pass.heightsW * pass.heightsW) / kTraceProbes;
    }
  }
  return out;
}

// The last completed pass's equations again.
Result<LastPass> BuildLastPass(const PreparedData& data, const EstimationParameters& params,
                               const EstimationResult& run, const FaultCuts& cuts,
                               const EstimationGrid& grid) {
  LastPass pass;
  pass.grid = grid;
  pass.faults = cuts.Any() ? &cuts : nullptr;
  pass.ordinary = OrdinaryHeights(data);
  pass.alpha = run.Report.Alpha;
  const NodeArray<double> zeros(grid.Nx, grid.Ny);
  const NodeArray<double>& judged =
      run.BoundsJudgedOn.UpperI() == grid.Nx ? run.BoundsJudgedOn : zeros;
  const NormalEquationsOutcome built =
      BuildNormalEquations(pass.system, grid, data, judged,
                           {params.M1, params.M2, run.Report.Alpha, run.Report.Beta, pass.faults});
  pass.heights.Reset(grid);
  const std::int32_t ordinary =
      AddHeightData(pass.heights, grid, pass.ordinary, zeros, pass.alpha, {}, pass.faults);
  if (built.status != SolveStatus::Success || ordinary == 0) {
    return Failure{"位置データが足りないため、推定の標準偏差を求められません"};
  }
  pass.w = pass.alpha / built.nH;
  pass.heightsW = pass.alpha / ordinary;
  return pass;
}

// sigma, and the standard deviations on the requested grid.
Result<Uncertainty> Finish(const LastPass& pass, const EstimationResult& run,
                           const Inverted& inverted, bool exact,
                           const UncertaintySettings& settings, const EstimationPlan& plan) {
  const EstimationGrid& g = pass.grid;
  NodeArray<double> surface(g.Nx, g.Ny);
  for (std::int32_t i = 1; i <= g.Nx; ++i) {
    for (std::int32_t j = 1; j <= g.Ny; ++j) {
      surface(i, j) = inverted.surface[static_cast<std::size_t>(g.Unknown(i, j))];
    }
  }
  const Misfit misfit = HeightMisfit(g, pass.ordinary, surface, pass.faults);
  Uncertainty out;
  out.Count = misfit.count;
  out.Exact = exact;
  // sd is the root of the diagonal: half its relative error.
  out.RelativeError = exact ? 0 : inverted.relativeError / 2;
  if (settings.sigma) {
    out.Sigma = *settings.sigma;
  } else {
    const double free = misfit.count - inverted.trace;
    if (!(free >= 1)) {
      return Failure{"データが少なすぎて、推定の標準偏差を求められません（自由度が残りません）"};
    }
    out.Edf = inverted.trace;
    out.Sigma = std::sqrt(misfit.sumOfSquares / free);
  }
  GridData& sd = out.Sd;
  sd.Nx = run.Grid.Nx;
  sd.Ny = run.Grid.Ny;
  sd.Xmin = run.Grid.Xmin;
  sd.Ymin = run.Grid.Ymin;
  sd.Dx = run.Grid.Dx;
  sd.Dy = run.Grid.Dy;
  sd.Z = NodeArray<double>(sd.Nx, sd.Ny);
  for (std::int32_t i = 1; i <= sd.Nx; ++i) {
    for (std::int32_t j = 1; j <= sd.Ny; ++j) {
      const double d =
          inverted.diagonal[static_cast<std::size_t>(g.Unknown(i + plan.ex, j + plan.ey))];
      // A probed value can fall below zero where the noise outweighs it.
      sd.Z(i, j) = out.Sigma * std::sqrt(pass.w * std::max(d, 0.0));
    }
  }
  return out;
}

}  // namespace

Result<Uncertainty> EstimateUncertainty(const PreparedData& data,
                                        const EstimationParameters& params,
                                        const EstimationResult& run, const SolveProgress& progress,
                                        const UncertaintySettings& settings, std::int64_t memory) {
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned) return planned.failure();
  const EstimationGrid& grid = planned->grid;
  try {
    const FaultCuts cuts(grid, params.Faults);
    Result<LastPass> pass = BuildLastPass(data, params, run, cuts, grid);
    if (!pass) return pass.failure();
    const std::int64_t limit = SolverMemoryLimit(memory);
    std::optional<Inverted> inverted;
    bool exact = true;
    if (grid.NodeCount() <= settings.exactUpTo) {
      Result<std::optional<Inverted>> factored = ByFactor(*pass, limit, progress);
      if (!factored) return factored.failure();
      inverted = std::move(*factored);
    }
    if (!inverted) {
      if (IterativeMemory(grid) > limit) {
        return Failure{"推定の標準偏差を求めるには格子が大きすぎます"};
      }
      exact = false;
      Result<Inverted> probed = ByProbing(*pass, settings, !settings.sigma, progress);
      if (!probed) return probed.failure();
      inverted = std::move(*probed);
    }
    return Finish(*pass, run, *inverted, exact, settings, *planned);
  } catch (const std::bad_alloc&) {
    return Failure{"メモリが足りません：Nx, Ny か拡張の割合を小さくしてください"};
  }
}

}  // namespace kessadon
