// Cost of bicubic grid refinement: a 500 x 500 grid of a smooth invented
// terrain resampled to 2000 x 2000 nodes, and the node slopes on their own.
#include <benchmark/benchmark.h>

#include <cmath>

#include "estimate/GridRefinement.h"

namespace kessadon {
namespace {

GridData Terrain(std::int32_t n) {
  GridData grid;
  grid.Nx = grid.Ny = n;
  grid.Xmin = 1000;
  grid.Ymin = 2000;
  grid.Dx = grid.Dy = 5000.0 / (n - 1);
  grid.Z = NodeArray<double>(n, n);
  for (int i = 1; i <= n; ++i) {
    for (int j = 1; j <= n; ++j) {
      const double x = (i - 1) * grid.Dx, y = (j - 1) * grid.Dy;
      grid.Z(i, j) = 300 + 120 * std::sin(x / 700) * std::cos(y / 900) + 0.02 * x - 0.01 * y;
    }
  }
  KeepOriginalGrid(grid);
  UpdateGridGeometry(grid);
  return grid;
}

void Refine(benchmark::State& state) {
  const GridData grid = Terrain(static_cast<std::int32_t>(state.range(0)));
  const double n = static_cast<double>(state.range(1));
  for (auto _ : state) {
    Result<RefinedGrid> refined = RefineGrid(grid, n, n);
    if (!refined) {
      state.SkipWithError(refined.failure().message.c_str());
      return;
    }
    benchmark::DoNotOptimize(refined->ZNew.Data());
  }
  state.counters["new_nodes_per_s"] = benchmark::Counter(
      n * n * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void NodeSlopes(benchmark::State& state) {
  const GridData grid = Terrain(static_cast<std::int32_t>(state.range(0)));
  for (auto _ : state) {
    NodeDerivatives d = ComputeNodeDerivatives(grid);
    benchmark::DoNotOptimize(d.ZxyNode.Data());
  }
}

BENCHMARK(Refine)->Args({500, 2000})->ArgNames({"n", "new"})->Unit(benchmark::kMillisecond);
BENCHMARK(NodeSlopes)->Arg(500)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kessadon
