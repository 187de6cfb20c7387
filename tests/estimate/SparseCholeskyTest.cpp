#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "estimate/BandCholesky.h"
#include "estimate/GridOrdering.h"
#include "estimate/SparseCholesky.h"

namespace kessadon {
namespace {

constexpr std::int64_t kNoLimit = std::int64_t{1} << 40;

// Every pair of nodes up to 2 apart in i and j, values zero.
LowerMatrix GridPattern(int nx, int ny) {
  LowerMatrix a;
  a.n = std::int64_t{nx} * ny;
  a.colStart.push_back(0);
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      for (int di = 0; di <= 2; ++di) {
        for (int dj = di == 0 ? 0 : -2; dj <= 2; ++dj) {
          if (i + di < nx && j + dj >= 0 && j + dj < ny) a.row.push_back((i + di) * ny + j + dj);
        }
      }
      a.colStart.push_back(static_cast<std::int64_t>(a.row.size()));
    }
  }
  a.value.assign(a.row.size(), 0.0);
  return a;
}

double& Entry(LowerMatrix& a, std::int64_t r, std::int64_t c) {
  if (r < c) std::swap(r, c);
  const auto first = a.row.begin() + a.colStart[c], last = a.row.begin() + a.colStart[c + 1];
  return a.value[std::lower_bound(first, last, r) - a.row.begin()];
}

// A = B^T B + D as least squares makes it: random 3x3 stencil rows centred on
// every node (cut at the border) and a positive diagonal.
LowerMatrix RandomGridMatrix(int nx, int ny, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> weight(-1, 1), diagonal(0.1, 1);
  LowerMatrix a = GridPattern(nx, ny);
  for (int i = 0; i < nx; ++i) {
    for (int j = 0; j < ny; ++j) {
      for (int rows = 0; rows < 2; ++rows) {
        std::vector<std::pair<std::int64_t, double>> stencil;
        for (int di = -1; di <= 1; ++di) {
          for (int dj = -1; dj <= 1; ++dj) {
            const double w = weight(random);
            if (i + di >= 0 && i + di < nx && j + dj >= 0 && j + dj < ny) {
              stencil.emplace_back((i + di) * ny + j + dj, w);
            }
          }
        }
        for (const auto& [r, wr] : stencil) {
          for (const auto& [c, wc] : stencil) {
            if (r >= c) Entry(a, r, c) += wr * wc;
          }
        }
      }
      Entry(a, i * ny + j, i * ny + j) += diagonal(random);
    }
  }
  return a;
}

std::vector<double> RightHandSide(std::int64_t n) {
  std::vector<double> b(static_cast<std::size_t>(n));
  for (std::size_t k = 0; k < b.size(); ++k) b[k] = 100 * std::sin(1.0 + k);
  return b;
}

std::vector<double> BandSolution(const LowerMatrix& a, int ny, const std::vector<double>& b) {
  BandSystem system(a.n, 2 * ny + 2);
  for (std::int64_t c = 0; c < a.n; ++c) {
    for (std::int64_t k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
      system.At(c, static_cast<std::int32_t>(a.row[k] - c)) = a.value[k];
    }
  }
  system.Rhs() = b;
  EXPECT_EQ(SolveBandCholesky(system), SolveStatus::Success);
  return system.Rhs();
}

double RelativeDifference(const std::vector<double>& z, const std::vector<double>& reference) {
  double difference = 0, size = 0;
  for (std::size_t k = 0; k < z.size(); ++k) {
    difference = std::max(difference, std::abs(z[k] - reference[k]));
    size = std::max(size, std::abs(reference[k]));
  }
  return difference / size;
}

SparseCholesky AnalyseGrid(int nx, int ny) {
  Result<SparseCholesky> analysed =
      SparseCholesky::Analyse(GridPattern(nx, ny), GridNestedDissection(nx, ny), kNoLimit);
  EXPECT_TRUE(analysed.ok()) << analysed.failure().message;
  return std::move(analysed.value());
}

// Leaves node q coupled to nothing, with the given diagonal.
void Decouple(LowerMatrix& a, std::int64_t q, double diagonal) {
  for (std::int64_t c = 0; c < a.n; ++c) {
    for (std::int64_t k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
      if (c == q || a.row[k] == q) a.value[k] = 0;
    }
  }
  Entry(a, q, q) = diagonal;
}

TEST(GridNestedDissection, OrdersEveryNodeOnce) {
  const std::pair<int, int> shapes[] = {{1, 1},  {1, 7},  {7, 1},   {2, 2}, {5, 3},
                                        {40, 9}, {9, 40}, {64, 64}, {0, 5}};
  for (const auto& [nx, ny] : shapes) {
    std::vector<std::int64_t> perm = GridNestedDissection(nx, ny);
    std::sort(perm.begin(), perm.end());
    std::vector<std::int64_t> nodes(static_cast<std::size_t>(nx * ny));
    std::iota(nodes.begin(), nodes.end(), 0);
    EXPECT_EQ(perm, nodes) << nx << " x " << ny;
  }
}

// Separators that failed to cut the 5x5 coupling would cost more than the band.
TEST(GridNestedDissection, FactorsWithAFractionOfTheNaturalOrdersWork) {
  const int nx = 128, ny = 128;
  std::vector<std::int64_t> natural(nx * ny);
  std::iota(natural.begin(), natural.end(), 0);
  Result<SparseCholesky> band = SparseCholesky::Analyse(GridPattern(nx, ny), natural, kNoLimit);
  ASSERT_TRUE(band.ok());
  EXPECT_LT(AnalyseGrid(nx, ny).FactorFlops(), 0.4 * band->FactorFlops());
}

TEST(SparseCholesky, SolvesAsTheBandSolverDoes) {
  const std::pair<int, int> shapes[] = {{1, 1}, {1, 12}, {12, 1}, {30, 8}, {8, 30}, {60, 45}};
  for (const auto& [nx, ny] : shapes) {
    SparseCholesky cholesky = AnalyseGrid(nx, ny);
    // Passes of one run: new values on the same analysis.
    for (unsigned seed : {1u, 2u}) {
      const LowerMatrix a = RandomGridMatrix(nx, ny, seed);
      std::vector<double> z = RightHandSide(a.n);
      const std::vector<double> reference = BandSolution(a, ny, z);
      ASSERT_EQ(cholesky.FactorAndSolve(a, z), SolveStatus::Success);
      EXPECT_LT(RelativeDifference(z, reference), 1e-9) << nx << " x " << ny << " seed " << seed;
    }
  }
}

TEST(SparseCholesky, InvertsOnThePatternAsTheDenseInverse) {
  // Shapes whose factors have one-column supernodes, wide ones and both.
  const std::pair<int, int> shapes[] = {{1, 9}, {9, 7}, {24, 17}};
  for (const auto& [nx, ny] : shapes) {
    SparseCholesky cholesky = AnalyseGrid(nx, ny);
    const LowerMatrix a = RandomGridMatrix(nx, ny, 3);
    std::vector<double> z = RightHandSide(a.n);
    const SparseCholesky::ValueSink sink = cholesky.Values();
    for (std::size_t k = 0; k < a.value.size(); ++k) sink(static_cast<std::int64_t>(k), a.value[k]);
    ASSERT_EQ(cholesky.FactorAndSolve(z, true), SolveStatus::Success);
    LowerMatrix inverse = a;
    ASSERT_TRUE(cholesky.InverseOn(inverse));
    // Column c of the inverse solves A x = e_c.
    double worst = 0, largest = 0;
    for (std::int64_t c = 0; c < a.n; ++c) {
      std::vector<double> unit(static_cast<std::size_t>(a.n), 0.0);
      unit[static_cast<std::size_t>(c)] = 1;
      const std::vector<double> column = BandSolution(a, ny, unit);
      for (SparseIndex k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
        worst = std::max(worst, std::abs(inverse.value[k] - column[a.row[k]]));
        largest = std::max(largest, std::abs(column[a.row[k]]));
      }
    }
    EXPECT_LT(worst, 1e-10 * largest) << nx << " x " << ny;
  }
}

TEST(SparseCholesky, RefusesAnUndeterminedNode) {
  const int nx = 12, ny = 9;
  const struct {
    std::int64_t node;
    double diagonal;
  } cases[] = {{50, 0}, {0, 0}, {nx * ny - 1, 0}, {50, -1}, {50, std::nan("")}};
  SparseCholesky cholesky = AnalyseGrid(nx, ny);
  for (const auto& c : cases) {
    LowerMatrix a = RandomGridMatrix(nx, ny, 3);
    Decouple(a, c.node, c.diagonal);
    std::vector<double> rhs = RightHandSide(a.n);
    EXPECT_EQ(cholesky.FactorAndSolve(a, rhs), SolveStatus::NotPositiveDefinite)
        << "node " << c.node << " diagonal " << c.diagonal;
  }
  // A refused factorisation leaves the analysis fit for the next pass.
  const LowerMatrix a = RandomGridMatrix(nx, ny, 5);
  std::vector<double> rhs = RightHandSide(a.n);
  EXPECT_EQ(cholesky.FactorAndSolve(a, rhs), SolveStatus::Success);
}

// A pivot is judged against its own diagonal, by both direct solvers alike:
// the same matrix in any units gets the same answer. Two nodes coupled as
// [[d, d], [d, d (1 + e)]] leave d e for the second pivot.
TEST(SparseCholesky, JudgesPivotsAgainstTheirDiagonalAsTheBandSolver) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const struct {
    double d, e;
    SolveStatus expected;
  } cases[] = {
      {1, 1e-12, SolveStatus::Success},           {1, 1e-15, SolveStatus::NotPositiveDefinite},
      {1, 0, SolveStatus::NotPositiveDefinite},   {1, -1, SolveStatus::NotPositiveDefinite},
      {0, 1, SolveStatus::NotPositiveDefinite},   {-1, 1, SolveStatus::NotPositiveDefinite},
      {nan, 1, SolveStatus::NotPositiveDefinite},
  };
  for (const auto& c : cases) {
    for (double scale : {1.0, 1e-30, 1e30}) {
      const double d = c.d * scale;
      LowerMatrix a = GridPattern(2, 1);
      Entry(a, 0, 0) = d;
      Entry(a, 1, 0) = d;
      Entry(a, 1, 1) = d * (1 + c.e);
      SparseCholesky cholesky = AnalyseGrid(2, 1);
      std::vector<double> rhs = {d, d};
      EXPECT_EQ(cholesky.FactorAndSolve(a, rhs), c.expected) << c.d << " " << c.e << " " << scale;

      BandSystem band(2, 1);
      band.At(0, 0) = d;
      band.At(0, 1) = d;
      band.At(1, 0) = d * (1 + c.e);
      band.Rhs() = {d, d};
      EXPECT_EQ(SolveBandCholesky(band), c.expected) << c.d << " " << c.e << " " << scale;
    }
  }
}

TEST(SparseCholesky, RefusesAFactorOverTheLimitBeforeFactoring) {
  const int nx = 40, ny = 30;
  const LowerMatrix pattern = GridPattern(nx, ny);
  const std::vector<std::int64_t> perm = GridNestedDissection(nx, ny);
  const std::int64_t bytes = AnalyseGrid(nx, ny).FactorBytes();
  EXPECT_TRUE(SparseCholesky::Analyse(pattern, perm, bytes).ok());

  Result<SparseCholesky> refused = SparseCholesky::Analyse(pattern, perm, 1024);
  ASSERT_FALSE(refused.ok());
  const std::string& message = refused.failure().message;
  EXPECT_EQ(message.rfind("分解に約 ", 0), 0u) << message;
  EXPECT_NE(message.find(" KiB 必要で、上限 1 KiB を超えます"), std::string::npos) << message;
  EXPECT_FALSE(SparseCholesky::Analyse(pattern, perm, bytes - 1).ok());
}

// A stop, or a progress that throws, in the middle of the factorisation
// leaves the factor fit for the next one; a stop in the analysis refuses it.
TEST(SparseCholesky, AStoppedFactorisationLeavesItFitForTheNext) {
  const int nx = 40, ny = 30;
  const LowerMatrix a = RandomGridMatrix(nx, ny, 4);
  SparseCholesky cholesky = AnalyseGrid(nx, ny);
  // The factor is kept, as between passes, so that what tells the progress
  // within a factorisation are the kernels CHOLMOD calls.
  auto factor = [&](std::vector<double>& z, const SolveProgress& progress) {
    const SparseCholesky::ValueSink sink = cholesky.Values();
    for (std::size_t k = 0; k < a.value.size(); ++k) sink(static_cast<std::int64_t>(k), a.value[k]);
    z = RightHandSide(a.n);
    return cholesky.FactorAndSolve(z, true, progress);
  };
  std::vector<double> expected, z;
  ASSERT_EQ(factor(expected, {}), SolveStatus::Success);

  std::vector<double> told;
  auto stopWithin = [&told](double fraction) {
    told.push_back(fraction);
    return fraction == 0;
  };
  EXPECT_EQ(factor(z, stopWithin), SolveStatus::Cancelled);
  ASSERT_EQ(told.size(), 2u);
  EXPECT_GT(told[1], 0);
  EXPECT_LT(told[1], 1);
  auto throwWithin = [](double fraction) -> bool {
    if (fraction > 0) throw std::runtime_error("stopped");
    return true;
  };
  EXPECT_THROW(static_cast<void>(factor(z, throwWithin)), std::runtime_error);

  ASSERT_EQ(factor(z, {}), SolveStatus::Success);
  EXPECT_EQ(z, expected);

  Result<SparseCholesky> analysis = SparseCholesky::Analyse(
      GridPattern(nx, ny), GridNestedDissection(nx, ny), kNoLimit, [](double f) { return f == 0; });
  ASSERT_FALSE(analysis);
  EXPECT_TRUE(analysis.failure().cancelled);
}

}  // namespace
}  // namespace kessadon
