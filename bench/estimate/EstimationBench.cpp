// Cost of the estimation on square grids: building and solving the normal
// equations of one pass, and whole runs with and without bound data, by the
// band and by the sparse solver, with n^2/10 heights and n/2 dips.
//
// Peak memory is the process's high-water mark (getrusage), so run one size
// per process for figures that belong to that size alone, e.g.
//   kessadon_estimate_bench --benchmark_filter='BuildAndSolve/300'
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <vector>

#include "BenchData.h"
#include "estimate/BandCholesky.h"
#include "estimate/EstimationRun.h"
#include "estimate/NormalEquations.h"

namespace kessadon {
namespace {

double PeakMemoryMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void BuildAndSolve(benchmark::State& state) {
  const std::int32_t n = static_cast<std::int32_t>(state.range(0));
  EstimationGrid grid;
  grid.Nx = grid.Ny = n;
  grid.Dx = grid.Dy = kSide / (n - 3);
  grid.Xmin = grid.Ymin = -grid.Dx;
  const PreparedData data = ScatteredData(false);
  const NodeArray<double> zeros(n, n);
  BandSystem system;
  double build = 0, factor = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const NormalEquationsOutcome built =
        BuildNormalEquations(system, grid, data, zeros, {0, 1, 32, 0});
    const auto t1 = std::chrono::steady_clock::now();
    const SolveStatus status = SolveBandCholesky(system);
    const auto t2 = std::chrono::steady_clock::now();
    if (built.status != SolveStatus::Success || status != SolveStatus::Success) {
      state.SkipWithError("estimation failed");
      return;
    }
    benchmark::DoNotOptimize(system.Rhs().data());
    build += Seconds(t1 - t0);
    factor += Seconds(t2 - t1);
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["build_s"] = build / iterations;
  state.counters["solve_s"] = factor / iterations;
  state.counters["madd_per_s"] =
      static_cast<double>(CholeskyMultiplyAdds(system.N(), system.Bw())) * iterations / factor;
  state.counters["band_MiB"] = static_cast<double>(system.N()) * (system.Bw() + 1) * 8 / 1048576;
  state.counters["peak_MiB"] = PeakMemoryMiB();
}

// A whole run's parameters: six passes with bounds, one without.
EstimationParameters RunParameters(std::int32_t n, bool withBounds) {
  EstimationParameters p;
  // One node of extension on each side makes the estimation grid n x n.
  p.Nx = p.Ny = n - 2;
  p.Xmax = p.Ymax = kSide;
  p.Ratio = 1;
  if (withBounds) {
    p.AlphaMin = 0.25;
    p.AlphaMax = 16;
    p.Nitr = 6;
  }
  return p;
}

void WholeRun(benchmark::State& state) {
  const std::int32_t n = static_cast<std::int32_t>(state.range(0));
  const bool withBounds = state.range(1) != 0;
  const auto solver = static_cast<EstimationSolver>(state.range(2));
  const PreparedData data = ScatteredData(withBounds, n * n / 10, n / 2);
  const EstimationParameters p = RunParameters(n, withBounds);
  int passes = 0;
  for (auto _ : state) {
    Result<EstimationResult> run = RunEstimation(data, p, {}, solver);
    if (!run || run->StoppedAtPass != 0) {
      state.SkipWithError("estimation failed");
      return;
    }
    passes = static_cast<int>(run->PassReports.size());
    benchmark::DoNotOptimize(run->Grid.Z.Data());
  }
  state.counters["passes"] = passes;
  state.counters["peak_MiB"] = PeakMemoryMiB();
}

// A whole run as the desktop makes it, with a progress callback (the sparse
// path from n = 300 on): the longest time between two of its calls, with the
// pass and stage it ended in (0 building, 1 analysing, 2 factorising; pass 0
// is the run's end), and how far a factorisation's share strays from the
// share of its time gone by.
void WatchedRun(benchmark::State& state) {
  const std::int32_t n = static_cast<std::int32_t>(state.range(0));
  const bool withBounds = state.range(1) != 0;
  const PreparedData data = ScatteredData(withBounds, n * n / 10, n / 2);
  const EstimationParameters p = RunParameters(n, withBounds);
  using Clock = std::chrono::steady_clock;
  struct Call {
    Clock::time_point at;
    EstimationProgressStep step;
  };
  std::vector<Call> calls;
  for (auto _ : state) {
    calls.clear();
    calls.push_back({Clock::now(), {}});
    Result<EstimationResult> run =
        RunEstimation(data, p, [&calls](const EstimationProgressStep& step) {
          calls.push_back({Clock::now(), step});
          return true;
        });
    calls.push_back({Clock::now(), {}});
    if (!run || run->StoppedAtPass != 0) {
      state.SkipWithError("estimation failed");
      return;
    }
  }
  double longest = 0, stray = 0;
  int stage = 0, pass = 0;
  for (std::size_t k = 1; k < calls.size(); ++k) {
    const double gap = Seconds(calls[k].at - calls[k - 1].at);
    if (gap > longest) {
      longest = gap;
      stage = static_cast<int>(calls[k].step.stage);
      pass = calls[k].step.pass;
    }
  }
  for (std::size_t begin = 1; begin < calls.size();) {
    const EstimationProgressStep& first = calls[begin].step;
    std::size_t end = begin;
    while (end + 1 < calls.size() && calls[end + 1].step.pass == first.pass &&
           calls[end + 1].step.stage == first.stage) {
      ++end;
    }
    if (first.stage == EstimationStage::Factorising && end > begin) {
      const double span = Seconds(calls[end].at - calls[begin].at);
      for (std::size_t k = begin; k <= end; ++k) {
        const double share = Seconds(calls[k].at - calls[begin].at) / span;
        stray = std::max(stray, std::abs(calls[k].step.fraction - share));
      }
    }
    begin = end + 1;
  }
  state.counters["calls"] = static_cast<double>(calls.size() - 2);
  state.counters["longest_gap_s"] = longest;
  state.counters["gap_stage"] = stage;
  state.counters["gap_pass"] = pass;
  state.counters["share_stray"] = stray;
  state.counters["peak_MiB"] = PeakMemoryMiB();
}

BENCHMARK(BuildAndSolve)->Arg(100)->Arg(200)->Arg(300)->Unit(benchmark::kSecond);
// solver 1 is the band, 2 the sparse path; the band only where it fits in a few GiB.
BENCHMARK(WholeRun)
    ->Apply([](benchmark::internal::Benchmark* b) {
      for (int n : {100, 300, 500, 700, 1000}) {
        for (int bounds : {0, 1}) {
          if (n <= 300) b->Args({n, bounds, static_cast<int>(EstimationSolver::Band)});
          b->Args({n, bounds, static_cast<int>(EstimationSolver::Sparse)});
        }
      }
    })
    ->ArgNames({"n", "bounds", "solver"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);
BENCHMARK(WatchedRun)
    ->Args({300, 0})
    ->Args({1000, 0})
    ->Args({1000, 1})
    ->ArgNames({"n", "bounds"})
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kessadon

BENCHMARK_MAIN();
