// Cost of the sparse direct solver on square grids: the analysis, the first
// factorisation and solve (which also allocates and touches the factor), and
// a second one on the same analysis as later passes do. The matrix is a
// least-squares one: random 3x3 stencil rows on every node and a diagonal.
//
// Peak memory is the process's high-water mark, so run one size per process:
//   kessadon_estimate_bench --benchmark_filter='SparseFactorAndSolve/1000'
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <random>

#include "estimate/GridOrdering.h"
#include "estimate/SparseCholesky.h"

namespace kessadon {
namespace {

LowerMatrix RandomGridMatrix(std::int32_t nx, std::int32_t ny) {
  LowerMatrix a;
  a.n = std::int64_t{nx} * ny;
  a.colStart.push_back(0);
  for (std::int64_t i = 0; i < nx; ++i) {
    for (std::int64_t j = 0; j < ny; ++j) {
      for (int di = 0; di <= 2; ++di) {
        for (int dj = di == 0 ? 0 : -2; dj <= 2; ++dj) {
          if (i + di < nx && j + dj >= 0 && j + dj < ny) a.row.push_back((i + di) * ny + j + dj);
        }
      }
      a.colStart.push_back(static_cast<std::int64_t>(a.row.size()));
    }
  }
  a.value.assign(a.row.size(), 0.0);
  auto entry = [&a](std::int64_t r, std::int64_t c) -> double& {
    const auto first = a.row.begin() + a.colStart[c], last = a.row.begin() + a.colStart[c + 1];
    return a.value[std::lower_bound(first, last, r) - a.row.begin()];
  };
  std::mt19937 random(7);
  std::uniform_real_distribution<double> weight(-1, 1), diagonal(0.001, 0.01);
  for (std::int64_t i = 0; i < nx; ++i) {
    for (std::int64_t j = 0; j < ny; ++j) {
      for (int rows = 0; rows < 3; ++rows) {
        std::int64_t node[9];
        double w[9];
        int count = 0;
        for (int di = -1; di <= 1; ++di) {
          for (int dj = -1; dj <= 1; ++dj) {
            const double value = weight(random);
            if (i + di >= 0 && i + di < nx && j + dj >= 0 && j + dj < ny) {
              node[count] = (i + di) * ny + j + dj;
              w[count++] = value;
            }
          }
        }
        // Nodes ascend, so node[q] is the row of each lower entry.
        for (int p = 0; p < count; ++p) {
          for (int q = p; q < count; ++q) entry(node[q], node[p]) += w[p] * w[q];
        }
      }
      entry(i * ny + j, i * ny + j) += diagonal(random);
    }
  }
  return a;
}

double Seconds(std::chrono::steady_clock::duration d) {
  return std::chrono::duration<double>(d).count();
}

void SparseFactorAndSolve(benchmark::State& state) {
  const auto n = static_cast<std::int32_t>(state.range(0));
  const LowerMatrix a = RandomGridMatrix(n, n);
  std::vector<double> b(static_cast<std::size_t>(a.n), 1.0);
  double analyse = 0, first = 0, second = 0, bytes = 0, flops = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    Result<SparseCholesky> cholesky =
        SparseCholesky::Analyse(a, GridNestedDissection(n, n), std::int64_t{1} << 40);
    const auto t1 = std::chrono::steady_clock::now();
    std::vector<double> z1 = b, z2 = b;
    if (!cholesky || cholesky->FactorAndSolve(a, z1) != SolveStatus::Success) {
      state.SkipWithError("factorisation failed");
      return;
    }
    const auto t2 = std::chrono::steady_clock::now();
    if (cholesky->FactorAndSolve(a, z2) != SolveStatus::Success) {
      state.SkipWithError("factorisation failed");
      return;
    }
    const auto t3 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(z2.data());
    analyse += Seconds(t1 - t0);
    first += Seconds(t2 - t1);
    second += Seconds(t3 - t2);
    bytes = static_cast<double>(cholesky->FactorBytes());
    flops = cholesky->FactorFlops();
  }
  const double iterations = static_cast<double>(state.iterations());
  state.counters["analyse_s"] = analyse / iterations;
  state.counters["first_s"] = first / iterations;
  state.counters["again_s"] = second / iterations;
  state.counters["gflop_per_s"] = flops * iterations / second / 1e9;
  state.counters["factor_MiB"] = bytes / 1048576;
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MiB"] = usage.ru_maxrss / 1024.0;
}

BENCHMARK(SparseFactorAndSolve)
    ->Arg(300)
    ->Arg(500)
    ->Arg(700)
    ->Arg(1000)
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace
}  // namespace kessadon
