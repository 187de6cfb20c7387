#include "Uncertainty.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <utility>
#include <vector>

#include "EstimationReport.h"
#include "FaultCuts.h"
#include "FitStatistics.h"
#include "LastPass.h"
#include "TwoLevelInverse.h"

namespace kessadon {
namespace {

Failure Cancelled() { return Failure{"推定の標準偏差の計算を中止しました", 0, true}; }

Failure TooFew() {
  return Failure{"データが少なすぎて、推定の標準偏差を求められません（自由度が残りません）"};
}

Failure NoHeights() { return Failure{"位置データが足りないため、推定の標準偏差を求められません"}; }

// The requested grid's nodes, their deviations to be filled in.
GridData RequestedGrid(const EstimationResult& run) {
  GridData sd;
  sd.Nx = run.Grid.Nx;
  sd.Ny = run.Grid.Ny;
  sd.Xmin = run.Grid.Xmin;
  sd.Ymin = run.Grid.Ymin;
  sd.Dx = run.Grid.Dx;
  sd.Dy = run.Grid.Dy;
  sd.Z = NodeArray<double>(sd.Nx, sd.Ny);
  return sd;
}

// sigma, and the standard deviations on the requested grid.
Result<Uncertainty> Finish(const LastPass& pass, const EstimationResult& run,
                           const ExactInverse& inverted, const UncertaintySettings& settings,
                           const EstimationPlan& plan) {
  const EstimationGrid& g = pass.grid;
  NodeArray<double> surface(g.Nx, g.Ny);
  for (std::int32_t i = 1; i <= g.Nx; ++i) {
    for (std::int32_t j = 1; j <= g.Ny; ++j) {
      surface(i, j) = inverted.surface[static_cast<std::size_t>(g.Unknown(i, j))];
    }
  }
  Uncertainty out;
  if (settings.sigma) {
    out.Count = HeightMisfit(g, pass.ordinary, surface, pass.faults).count;
    out.Sigma = *settings.sigma;
  } else {
    Result<FitStatistics> statistics = PassStatistics(pass, surface, inverted.trace, 0, TooFew());
    if (!statistics) return statistics.failure();
    out.Count = statistics->Count;
    out.Edf = statistics->Edf;
    out.Sigma = statistics->Sigma;
  }
  out.Sd = RequestedGrid(run);
  for (std::int32_t i = 1; i <= out.Sd.Nx; ++i) {
    for (std::int32_t j = 1; j <= out.Sd.Ny; ++j) {
      const double d =
          inverted.diagonal[static_cast<std::size_t>(g.Unknown(i + plan.ex, j + plan.ey))];
      // Rounding can leave a tiny diagonal a hair below zero.
      out.Sd.Z(i, j) = out.Sigma * std::sqrt(pass.w * std::max(d, 0.0));
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
  Result<LastPass> pass = BuildLastPass(data, params, run, cuts, planned->grid, true, NoHeights());
  if (!pass) return pass.failure();
  Result<std::optional<ExactInverse>> inverted =
      InvertExactly(*pass, SolverMemoryLimit(memory), progress, Cancelled());
  if (!inverted) return inverted.failure();
  if (!*inverted) return std::optional<Uncertainty>();
  Result<Uncertainty> out = Finish(*pass, run, **inverted, settings, *planned);
  if (!out) return out.failure();
  return std::optional<Uncertainty>(std::move(*out));
}

// How far sigma = sqrt(RSS / free) may be off when the trace, and so `free`,
// may be off by `traceError` either way.
double SigmaError(double free, double traceError) {
  return std::sqrt(free / std::max(free - traceError, 0.01 * free)) - 1;
}

// The deviations on the requested nodes from the two-level diagonal, and
// their stated errors: each node's own and sigma's, compounded.
// False where a diagonal came out not positive, which A^-1 never has: the
// two levels then failed, and no deviation is shown rather than a wrong one.
bool FillInTwoLevels(Uncertainty& out, const TwoLevelInverse& inverse, const LastPass& pass,
                     const EstimationResult& run, double sigmaError) {
  const EstimationGrid& g = pass.grid;
  out.Sd = RequestedGrid(run);
  double squares = 0, largest = 0;
  for (std::int32_t i = 1; i <= out.Sd.Nx; ++i) {
    for (std::int32_t j = 1; j <= out.Sd.Ny; ++j) {
      const auto k = static_cast<std::size_t>(g.Unknown(i + run.ex, j + run.ey));
      if (!(inverse.diagonal[k] > 0)) return false;
      out.Sd.Z(i, j) = out.Sigma * std::sqrt(pass.w * inverse.diagonal[k]);
      const double e = (1 + double(inverse.error[k])) * (1 + sigmaError) - 1;
      squares += e * e;
      largest = std::max(largest, e);
    }
  }
  out.RelativeError = std::sqrt(squares / (double(out.Sd.Nx) * out.Sd.Ny));
  out.LargestError = largest;
  return true;
}

// Beyond the exact inversion: the diagonal and the trace in two levels, and
// sigma from the surface the run delivered.
Result<Uncertainty> InTwoLevels(const PreparedData& data, const EstimationParameters& params,
                                const EstimationResult& run, const SolveProgress& progress,
                                const UncertaintySettings& settings, std::int64_t memory) {
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned) return planned.failure();
  const FaultCuts cuts(planned->grid, params.Faults);
  Result<LastPass> pass = BuildLastPass(data, params, run, cuts, planned->grid, false, NoHeights());
  if (!pass) return pass.failure();
  const double surfaceShare = settings.sigma ? 0 : 0.15;
  std::optional<Result<NodeArray<double>>> surface;
  if (!settings.sigma) {
    surface = DeliveredSurface(*pass, run, nullptr, ProgressShare(progress, 0, surfaceShare),
                               Cancelled());
    if (!*surface) return surface->failure();
  }
  TwoLevelSettings two;
  two.coarseUpTo = std::max<std::int64_t>(settings.exactUpTo * 17 / 20, 100);
  Result<TwoLevelInverse> inverse = InvertByTwoLevels(
      pass->system, pass->faults, pass->stencils, true, ProgressShare(progress, surfaceShare, 1),
      SolverMemoryLimit(memory), Cancelled(), two);
  if (!inverse) return inverse.failure();
  Uncertainty out;
  out.Exact = false;
  double sigmaError = 0;
  if (settings.sigma) {
    out.Count = static_cast<std::int32_t>(pass->stencils.size());
    out.Sigma = *settings.sigma;
  } else {
    const double trace = pass->w * inverse->trace, traceError = pass->w * inverse->traceError;
    Result<FitStatistics> statistics =
        PassStatistics(*pass, **surface, trace, trace > 0 ? traceError / trace : 1, TooFew());
    if (!statistics) return statistics.failure();
    out.Count = statistics->Count;
    out.Edf = statistics->Edf;
    out.Sigma = statistics->Sigma;
    sigmaError = SigmaError(statistics->Count - trace, traceError);
  }
  if (!FillInTwoLevels(out, *inverse, *pass, run, sigmaError) ||
      !std::isfinite(out.RelativeError) || !std::isfinite(out.LargestError)) {
    return Failure{"推定の標準偏差が計算の範囲を超えました。データの値か重みが極端すぎます"};
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
  const std::int64_t nodes = planned->grid.NodeCount();
  try {
    if (nodes <= settings.exactUpTo) {
      Result<std::optional<Uncertainty>> exact =
          Exactly(data, params, run, progress, settings, memory);
      if (!exact) return exact.failure();
      if (*exact) return std::move(**exact);
    }
    return InTwoLevels(data, params, run, progress, settings, memory);
  } catch (const std::bad_alloc&) {
    return Failure{"メモリが足りません：Nx, Ny か拡張の割合を小さくしてください"};
  }
}

}  // namespace kessadon
