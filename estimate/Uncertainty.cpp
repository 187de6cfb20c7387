#include "Uncertainty.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "EstimationReport.h"
#include "FaultCuts.h"
#include "GridOrdering.h"
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
                           const Inverted& inverted, const UncertaintySettings& settings,
                           const EstimationPlan& plan) {
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
      // Rounding can leave a tiny diagonal a hair below zero.
      sd.Z(i, j) = out.Sigma * std::sqrt(pass.w * std::max(d, 0.0));
    }
  }
  return out;
}

// Exactly, on the grid `params` describes: nothing when it would not fit.
Result<std::optional<Uncertainty>> Exactly(
    const PreparedData& data, const EstimationParameters& params, const EstimationResult& run,
    const SolveProgress& progress, const UncertaintySettings& settings, std::int64_t memory) {
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned) return planned.failure();
  const FaultCuts cuts(planned->grid, params.Faults);
  Result<LastPass> pass = BuildLastPass(data, params, run, cuts, planned->grid);
  if (!pass) return pass.failure();
  Result<std::optional<Inverted>> inverted = ByFactor(*pass, SolverMemoryLimit(memory), progress);
  if (!inverted) return inverted.failure();
  if (!*inverted) return std::optional<Uncertainty>();
  Result<Uncertainty> out = Finish(*pass, run, **inverted, settings, *planned);
  if (!out) return out.failure();
  return std::optional<Uncertainty>(std::move(*out));
}

// Exactly, on every k-th line of the grid over the same range, from an
// estimation of its own there: the smoothness terms are a mean and an
// integral and the data's a mean, so the model is the same on either grid.
// Nothing when even that would not fit.
Result<std::optional<Uncertainty>> OnThinnedGrid(const PreparedData& data,
                                                 EstimationParameters params, int k,
                                                 const SolveProgress& progress,
                                                 const UncertaintySettings& settings,
                                                 std::int64_t memory) {
  params.Nx = (params.Nx - 2) / k + 2;
  params.Ny = (params.Ny - 2) / k + 2;
  // Its estimation takes the first third of the share, never falling as its
  // stages start over; the inversion the rest.
  double shown = 0;
  EstimationProgress estimating;
  if (progress) {
    estimating = [&progress, &shown](const EstimationProgressStep& step) {
      shown = std::max(shown, (step.pass - 1 + step.fraction) / std::max(step.passes, 1) / 3);
      return progress(shown);
    };
  }
  Result<EstimationResult> run =
      RunEstimation(data, params, estimating, EstimationSolver::Automatic, memory);
  if (!run) return run.failure();
  SolveProgress rest;
  if (progress) rest = [&progress](double f) { return progress(1.0 / 3 + 2.0 / 3 * f); };
  return Exactly(data, params, *run, rest, settings, memory);
}

// The deviations of `grid` at (x, y), bilinearly between its nodes.
double Between(const GridData& grid, double x, double y) {
  const double u = std::clamp((x - grid.Xmin) / grid.Dx, 0.0, double(grid.Nx - 1));
  const double v = std::clamp((y - grid.Ymin) / grid.Dy, 0.0, double(grid.Ny - 1));
  const int i = std::min(static_cast<int>(u), grid.Nx - 2),
            j = std::min(static_cast<int>(v), grid.Ny - 2);
  const double fu = u - i, fv = v - j;
  return (1 - fu) * ((1 - fv) * grid.Z(i + 1, j + 1) + fv * grid.Z(i + 1, j + 2)) +
         fu * ((1 - fv) * grid.Z(i + 2, j + 1) + fv * grid.Z(i + 2, j + 2));
}

// The root mean square relative difference of `fine` from `coarse` at the
// coarse grid's nodes.
double RelativeDifference(const GridData& fine, const GridData& coarse) {
  double sum = 0;
  for (std::int32_t i = 1; i <= coarse.Nx; ++i) {
    for (std::int32_t j = 1; j <= coarse.Ny; ++j) {
      const double f =
          Between(fine, coarse.Xmin + (i - 1) * coarse.Dx, coarse.Ymin + (j - 1) * coarse.Dy);
      sum += f > 0 ? std::pow((coarse.Z(i, j) - f) / f, 2) : 1;
    }
  }
  return std::sqrt(sum / (double(coarse.Nx) * coarse.Ny));
}

// The grid too large to invert: the deviations of a thinned one, taken to the
// grid's nodes, with their difference from one thinned twice as far as their
// error.
Result<Uncertainty> Thinned(const PreparedData& data, const EstimationParameters& params,
                            const EstimationResult& run, std::int64_t nodes,
                            const SolveProgress& progress, const UncertaintySettings& settings,
                            std::int64_t memory) {
  auto part = [&progress](double from, double to) -> SolveProgress {
    if (!progress) return {};
    return [&progress, from, to](double f) { return progress(from + f * (to - from)); };
  };
  int k = std::max(
      2, static_cast<int>(std::ceil(std::sqrt(double(nodes) / double(settings.exactUpTo)))));
  std::optional<Uncertainty> fine;
  for (; !fine && (params.Nx - 2) / k >= 2 && (params.Ny - 2) / k >= 2; ++k) {
    Result<std::optional<Uncertainty>> found =
        OnThinnedGrid(data, params, k, part(0, 0.8), settings, memory);
    if (!found) return found.failure();
    fine = std::move(*found);
  }
  --k;
  if (!fine) return Failure{"推定の標準偏差を求めるには格子が大きすぎます"};
  Uncertainty out = std::move(*fine);
  out.Exact = false;
  Result<std::optional<Uncertainty>> coarse =
      OnThinnedGrid(data, params, 2 * k, part(0.8, 1), settings, memory);
  if (!coarse) return coarse.failure();
  out.RelativeError = *coarse ? RelativeDifference(out.Sd, (*coarse)->Sd) : 1;
  GridData sd = run.Grid;
  for (std::int32_t i = 1; i <= sd.Nx; ++i) {
    for (std::int32_t j = 1; j <= sd.Ny; ++j) {
      sd.Z(i, j) = Between(out.Sd, sd.Xmin + (i - 1) * sd.Dx, sd.Ymin + (j - 1) * sd.Dy);
    }
  }
  out.Sd = std::move(sd);
  return out;
}

}  // namespace

Result<Uncertainty> EstimateUncertainty(const PreparedData& data,
                                        const EstimationParameters& params,
                                        const EstimationResult& run, const SolveProgress& progress,
                                        const UncertaintySettings& settings, std::int64_t memory) {
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned) return planned.failure();
  const std::int64_t nodes = planned->grid.NodeCount();
  try {
    if (nodes <= settings.exactUpTo) {
      Result<std::optional<Uncertainty>> exact =
          Exactly(data, params, run, progress, settings, memory);
      if (!exact) return exact.failure();
      if (*exact) return std::move(**exact);
    }
    return Thinned(data, params, run, nodes, progress, settings, memory);
  } catch (const std::bad_alloc&) {
    return Failure{"メモリが足りません：Nx, Ny か拡張の割合を小さくしてください"};
  }
}

}  // namespace kessadon
