#include "FitStatistics.h"

#include <new>
#include <optional>
#include <utility>

#include "FaultCuts.h"
#include "LastPass.h"
#include "TwoLevelInverse.h"

namespace kessadon {
namespace {

Failure Stopped() { return Failure{"当てはまりの統計量の計算を中止しました", 0, true}; }

Failure TooFew() {
  return Failure{"データが少なすぎて、当てはまりの統計量を求められません（自由度が残りません）"};
}

// From the sparse factor: the trace exactly, and the pass's own solution
// beside the delivered heights. Nothing when the factor would not fit.
Result<std::optional<FitStatistics>> Exactly(LastPass& pass, const EstimationResult& run,
                                             std::int64_t limit, const SolveProgress& progress) {
  Result<std::optional<ExactInverse>> inverse = InvertExactly(pass, limit, progress, Stopped());
  if (!inverse) return inverse.failure();
  if (!*inverse) return std::optional<FitStatistics>();
  Result<NodeArray<double>> surface =
      DeliveredSurface(pass, run, &(*inverse)->surface, {}, Stopped());
  if (!surface) return surface.failure();
  Result<FitStatistics> out = PassStatistics(pass, *surface, (*inverse)->trace, 0, TooFew());
  if (!out) return out.failure();
  return std::optional<FitStatistics>(*out);
}

Result<FitStatistics> ByTwoLevels(LastPass& pass, const EstimationResult& run, std::int64_t limit,
                                  const SolveProgress& progress) {
  Result<NodeArray<double>> surface =
      DeliveredSurface(pass, run, nullptr, ProgressShare(progress, 0, 0.2), Stopped());
  if (!surface) return surface.failure();
  Result<TwoLevelInverse> inverse =
      InvertByTwoLevels(pass.system, pass.faults, pass.stencils, false,
                        ProgressShare(progress, 0.2, 1), limit, Stopped());
  if (!inverse) return inverse.failure();
  const double trace = pass.w * inverse->trace;
  const double error = trace > 0 ? pass.w * inverse->traceError / trace : 1;
  return PassStatistics(pass, *surface, trace, error, TooFew());
}

}  // namespace

Result<FitStatistics> StatisticsOfRun(const PreparedData& data, const EstimationParameters& params,
                                      const EstimationResult& run, const SolveProgress& progress,
                                      std::int64_t memory) {
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned) return planned.failure();
  const EstimationGrid& grid = planned->grid;
  try {
    const FaultCuts cuts(grid, params.Faults);
    // The factor is quick where the direct solvers take the grid; beyond,
    // its selected inversion would cost several estimations.
    const bool direct = (memory > 0 ? ChooseSolver(grid, memory) : ChooseSolver(grid)) !=
                        EstimationSolver::Iterative;
    Result<LastPass> pass =
        BuildLastPass(data, params, run, cuts, grid, direct,
                      Failure{"位置データが足りないため、当てはまりの統計量を求められません"});
    if (!pass) return pass.failure();
    const std::int64_t limit = SolverMemoryLimit(memory);
    if (direct) {
      Result<std::optional<FitStatistics>> exact = Exactly(*pass, run, limit, progress);
      if (!exact) return exact.failure();
      if (*exact) return **exact;
    }
    return ByTwoLevels(*pass, run, limit, progress);
  } catch (const std::bad_alloc&) {
    return Failure{"メモリが足りません：Nx, Ny か拡張の割合を小さくしてください"};
  }
}

}  // namespace kessadon
