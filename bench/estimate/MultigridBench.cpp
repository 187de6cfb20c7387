// The iterative solver beside the sparse direct one on the same equations of
// one pass (n^2/10 heights, n/2 dips): the coarse grids' set-up, the
// iterations from zero and their time, and how far its heights stray from
// the direct ones as a share of their range; by the smoothing sweeps, V- or
// K-cycle, the residual to reach (in 1e-10 of b) and the height weight. Run one size per process
// for peak memory, e.g.
//   kessadon_estimate_bench --benchmark_filter='IterativeBesideSparse/1000'
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>

#include "BenchData.h"
#include "estimate/GridOrdering.h"
#include "estimate/MultigridSolver.h"
#include "estimate/NormalEquations.h"
#include "estimate/SparseCholesky.h"

namespace kessadon {
namespace {

double Since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

void IterativeBesideSparse(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const int sweeps = static_cast<int>(state.range(1));
  EstimationGrid grid;
  grid.Nx = grid.Ny = n;
  grid.Dx = grid.Dy = kSide / (n - 3);
  grid.Xmin = grid.Ymin = -grid.Dx;
  const PreparedData data = ScatteredData(false, n * n / 10, n / 2);
  PatternSystem system;
  for (auto _ : state) {
    auto t = std::chrono::steady_clock::now();
    // 32 is a first pass's height weight, 0.25 the first bound pass's.
    const double alpha = static_cast<double>(state.range(4)) / 4;
    BuildNormalEquations(system, grid, data, NodeArray<double>(n, n), {0, 1, alpha, alpha});
    state.counters["build_s"] = Since(t);

    t = std::chrono::steady_clock::now();
    MultigridSolver solver(n, n, system.UpperValues().data());
    state.counters["setup_s"] = Since(t);
    state.counters["levels"] = solver.Levels();
    t = std::chrono::steady_clock::now();
    std::vector<double> z(system.Rhs().size(), 0.0);
    IterativeSettings settings;
    settings.sweeps = sweeps;
    settings.krylovCycle = state.range(2) != 0;
    settings.residualTolerance = static_cast<double>(state.range(3)) * 1e-10;
    const IterativeOutcome outcome = solver.Solve(system.Rhs(), z, settings);
    state.counters["iterate_s"] = Since(t);
    state.counters["iterations"] = outcome.iterations;
    state.counters["residual"] = outcome.residual;

    // Without the direct solve the peak is the iterative path's alone; a
    // next pass is then solved from this one's heights, its height weight
    // grown by the step of six bound passes from 0.25 to 16.
    if (state.range(5) == 0) {
      BuildNormalEquations(system, grid, data, NodeArray<double>(n, n),
                           {0, 1, alpha * 2.297, alpha * 2.297});
      t = std::chrono::steady_clock::now();
      MultigridSolver next(n, n, system.UpperValues().data());
      const IterativeOutcome warm = next.Solve(system.Rhs(), z, settings);
      state.counters["warm_s"] = Since(t);
      state.counters["warm_iterations"] = warm.iterations;
      continue;
    }
    t = std::chrono::steady_clock::now();
    LowerMatrix a;
    system.CopyLower(a);
    Result<SparseCholesky> cholesky =
        SparseCholesky::Analyse(a, GridNestedDissection(n, n), std::int64_t{1} << 40);
    std::vector<double> direct = system.Rhs();
    if (!cholesky || cholesky->FactorAndSolve(a, direct) != SolveStatus::Success) {
      state.SkipWithError("factorisation failed");
      return;
    }
    state.counters["sparse_s"] = Since(t);
    const auto [low, high] = std::minmax_element(direct.begin(), direct.end());
    double worst = 0;
    for (std::size_t k = 0; k < z.size(); ++k) worst = std::max(worst, std::abs(z[k] - direct[k]));
    state.counters["stray"] = worst / (*high - *low);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = usage.ru_maxrss / 1024.0;
}

BENCHMARK(IterativeBesideSparse)
    ->ArgsProduct({{300, 1000}, {1, 2}, {0, 1}, {10, 1000}, {128, 1}, {1}})
    ->ArgNames({"n", "sweeps", "kcycle", "res_e10", "alpha_x4", "sparse"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
// The iterative path alone, for its peak memory and beyond the direct path's reach.
BENCHMARK(IterativeBesideSparse)
    ->ArgsProduct({{1000, 2000}, {1}, {1}, {10}, {128, 1}, {0}})
    ->ArgNames({"n", "sweeps", "kcycle", "res_e10", "alpha_x4", "sparse"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kessadon
