// The iterative solver beside the sparse direct one on the same equations of
// one pass (n^2/10 heights, n/2 dips): the coarse grids' set-up, the
// iterations from zero and their time, the mean rate at which a step cut
// the residual, and how far its heights stray from the direct ones as a
// share of their range; by the smoothing sweeps, V- or K-cycle, the
// residual to reach (in 1e-10 of b) and the height weight. Run one size per
// process for peak memory, e.g.
//   kessadon_estimate_bench --benchmark_filter='IterativeBesideSparse/1000'
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

#include "BenchData.h"
#include "estimate/FaultCuts.h"
#include "estimate/GridOrdering.h"
#include "estimate/MultigridSolver.h"
#include "estimate/NormalEquations.h"
#include "estimate/SparseCholesky.h"

namespace kessadon {
namespace {

double Since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// How far the iterative heights stray from the direct ones, as a share of the latter's range.
double Stray(const std::vector<double>& z, const std::vector<double>& direct) {
  const auto [low, high] = std::minmax_element(direct.begin(), direct.end());
  double worst = 0;
  for (std::size_t k = 0; k < z.size(); ++k) worst = std::max(worst, std::abs(z[k] - direct[k]));
  return worst / (*high - *low);
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
    state.counters["rate"] = outcome.MeanRate();

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
    state.counters["stray"] = Stray(z, direct);
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

// The sparse solver's heights for the system, refined once against a
// residual summed in long double: on long cells of a large grid the
// factor's own rounding leaves a few 1e-7 of the range. Empty when the
// factorisation fails.
std::vector<double> RefinedDirectHeights(const PatternSystem& system) {
  const EstimationGrid& grid = system.Grid();
  LowerMatrix pattern;
  system.CopyLower(pattern);
  Result<SparseCholesky> cholesky = SparseCholesky::Analyse(
      pattern, GridNestedDissection(grid.Nx, grid.Ny), std::int64_t{1} << 40);
  std::vector<double> z = system.Rhs();
  if (!cholesky) return {};
  system.VisitLower(cholesky->Values());
  if (cholesky->FactorAndSolve(z, true) != SolveStatus::Success) return {};
  const std::vector<double>& upper = system.UpperValues();
  std::vector<long double> az(z.size(), 0.0L);
  for (std::int32_t i = 1; i <= grid.Nx; ++i) {
    for (std::int32_t j = 1; j <= grid.Ny; ++j) {
      const std::int64_t r = grid.Unknown(i, j);
      for (int slot = 0; slot < PatternSystem::kPartners; ++slot) {
        const PatternSystem::Offset o = PatternSystem::kOffsets[slot];
        if (!grid.Contains(i + o.di, j + o.dj)) continue;
        const std::int64_t c = grid.Unknown(i + o.di, j + o.dj);
        const long double u = upper[static_cast<std::size_t>(r * PatternSystem::kPartners + slot)];
        az[static_cast<std::size_t>(r)] += u * z[static_cast<std::size_t>(c)];
        if (slot != 0) az[static_cast<std::size_t>(c)] += u * z[static_cast<std::size_t>(r)];
      }
    }
  }
  std::vector<double> correction(z.size());
  for (std::size_t k = 0; k < z.size(); ++k) {
    correction[k] = static_cast<double>(system.Rhs()[k] - az[k]);
  }
  cholesky->Solve(correction);
  for (std::size_t k = 0; k < z.size(); ++k) z[k] += correction[k];
  return z;
}

// Long cells: nx by ny nodes whose cells are |aspect| times as long in y
// (in x when negative), `heights` of the bench's survey, 20 dips and two
// fault traces (one across, one ending inside) or none, stretched along y
// to fit; the iterations, their time and the stray from the refined sparse
// solve, the first pass's equations solved from zero.
void IterativeOnLongCells(benchmark::State& state) {
  EstimationGrid grid;
  grid.Nx = static_cast<std::int32_t>(state.range(0));
  grid.Ny = static_cast<std::int32_t>(state.range(1));
  const auto aspect = static_cast<double>(state.range(2));
  grid.Dx = kSide / (grid.Nx - 3);
  grid.Dy = aspect > 0 ? grid.Dx * aspect : grid.Dx / -aspect;
  grid.Xmin = -grid.Dx;
  grid.Ymin = -grid.Dy;
  const double stretch = (grid.Ny - 3) * grid.Dy / kSide;
  PreparedData data = ScatteredData(false, static_cast<int>(state.range(4)), 20);
  for (double& y : data.YH) y *= stretch;
  for (double& y : data.YD) y *= stretch;
  for (double& g : data.GyD) g /= stretch;
  FaultTraces traces;
  if (state.range(3) != 0) {
    traces.traces.push_back({{300, 340, 420}, {-10, 300, 1010}, 1});
    traces.traces.push_back({{600, 700}, {200, 500}, 4});
    for (FaultTrace& t : traces.traces) {
      for (double& y : t.y) y *= stretch;
    }
  }
  const FaultCuts cuts(grid, traces);
  PatternSystem system;
  for (auto _ : state) {
    BuildNormalEquations(system, grid, data, NodeArray<double>(grid.Nx, grid.Ny),
                         {0, 1, 32, 32, &cuts});
    auto t = std::chrono::steady_clock::now();
    MultigridSolver solver(grid.Nx, grid.Ny, system.UpperValues().data(), grid.Dy / grid.Dx, &cuts);
    state.counters["setup_s"] = Since(t);
    state.counters["levels"] = solver.Levels();
    t = std::chrono::steady_clock::now();
    std::vector<double> z(system.Rhs().size(), 0.0);
    const IterativeOutcome outcome = solver.Solve(system.Rhs(), z);
    state.counters["iterate_s"] = Since(t);
    state.counters["iterations"] = outcome.iterations;
    state.counters["converged"] = outcome.converged ? 1 : 0;
    state.counters["rate"] = outcome.MeanRate();
    if (state.range(5) == 0) continue;
    const std::vector<double> direct = RefinedDirectHeights(system);
    if (direct.empty()) {
      state.SkipWithError("factorisation failed");
      return;
    }
    state.counters["stray"] = Stray(z, direct);
  }
}

// Square cells, then cells 20 times as long in y and in x, 4 and 10 times
// in y, the sparse survey of 300 heights that makes long cells hardest, and
// the first pass of a 2000 x 100 strip.
BENCHMARK(IterativeOnLongCells)
    ->ArgsProduct({{1000}, {1000}, {1, 20, -20, 4, 10}, {0, 1}, {300}, {1}})
    ->ArgsProduct({{2000}, {100}, {20}, {0, 1}, {kHeights}, {1}})
    ->ArgNames({"nx", "ny", "aspect", "faults", "heights", "sparse"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kessadon
