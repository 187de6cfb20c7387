#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "estimate/BandCholesky.h"

namespace kessadon {
namespace {

using Dense = std::vector<std::vector<double>>;

// A = L L^T for a random lower band L with a positive diagonal: symmetric
// positive definite with half-bandwidth bw.
Dense RandomSpdBand(int n, int bw, std::mt19937& random) {
  std::uniform_real_distribution<double> offDiagonal(-1, 1), diagonal(0.5, 2);
  Dense l(n, std::vector<double>(n, 0));
  for (int r = 0; r < n; ++r) {
    l[r][r] = diagonal(random);
    for (int c = std::max(0, r - bw); c < r; ++c) l[r][c] = offDiagonal(random);
  }
  Dense a(n, std::vector<double>(n, 0));
  for (int r = 0; r < n; ++r) {
    for (int c = 0; c < n; ++c) {
      for (int k = 0; k < n; ++k) a[r][c] += l[r][k] * l[c][k];
    }
  }
  return a;
}

BandSystem ToBand(const Dense& a, int bw, const std::vector<double>& b) {
  const int n = static_cast<int>(a.size());
  BandSystem system(n, bw);
  for (int r = 0; r < n; ++r) {
    for (int d = 0; d <= bw && r + d < n; ++d) system.At(r, d) = a[r][r + d];
  }
  system.Rhs() = b;
  return system;
}

// Dense Cholesky A = L L^T, then the two triangular solves.
std::vector<double> DenseSolve(Dense a, std::vector<double> b) {
  const int n = static_cast<int>(a.size());
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < j; ++k) a[j][j] -= a[j][k] * a[j][k];
    a[j][j] = std::sqrt(a[j][j]);
    for (int i = j + 1; i < n; ++i) {
      for (int k = 0; k < j; ++k) a[i][j] -= a[i][k] * a[j][k];
      a[i][j] /= a[j][j];
    }
  }
  for (int i = 0; i < n; ++i) {
    for (int k = 0; k < i; ++k) b[i] -= a[i][k] * b[k];
    b[i] /= a[i][i];
  }
  for (int i = n - 1; i >= 0; --i) {
    for (int k = i + 1; k < n; ++k) b[i] -= a[k][i] * b[k];
    b[i] /= a[i][i];
  }
  return b;
}

// The row-by-row band algorithm as first written, with dot products down the
// band's diagonals; counts its multiply-adds on the matrix.
SolveStatus TextbookBandSolve(BandSystem& s, std::int64_t& multiplyAdds) {
  const std::int64_t n = s.N(), bw = s.Bw();
  std::vector<double>& b = s.Rhs();
  auto e = [&](std::int64_t row, std::int64_t column) -> double& {
    return s.At(row - 1, static_cast<std::int32_t>(column - 1));
  };
  multiplyAdds = 0;
  std::vector<double> diagonal(static_cast<std::size_t>(n));
  for (std::int64_t j = 1; j <= n; ++j) diagonal[j - 1] = e(j, 1);
  if (!PivotHolds(e(1, 1), diagonal[0])) return SolveStatus::NotPositiveDefinite;
  e(1, 1) = std::sqrt(e(1, 1));
  for (std::int64_t c = 2; c <= std::min(bw + 1, n); ++c) e(1, c) = e(1, c) / e(1, 1);
  b[0] = b[0] / e(1, 1);
  for (std::int64_t j = 2; j <= n; ++j) {
    const std::int64_t k0 = j < bw + 1 ? 1 : j - bw;
    const std::int64_t last = j > n - bw ? n : j + bw;
    double h = e(j, 1), y = b[j - 1];
    for (std::int64_t k = k0; k <= j - 1; ++k) {
      h = h - e(k, j - k + 1) * e(k, j - k + 1);
      y = y - b[k - 1] * e(k, j - k + 1);
      ++multiplyAdds;
    }
    if (!PivotHolds(h, diagonal[j - 1])) return SolveStatus::NotPositiveDefinite;
    e(j, 1) = std::sqrt(h);
    b[j - 1] = y / e(j, 1);
    if (j == n) break;
    for (std::int64_t l = j + 1; l <= last; ++l) {
      const std::int64_t m0 = l < bw + 1 ? 1 : l - bw;
      double g = e(j, l - j + 1);
      for (std::int64_t m = m0; m <= j - 1; ++m) {
        g = g - e(m, j - m + 1) * e(m, l - m + 1);
        ++multiplyAdds;
      }
      e(j, l - j + 1) = g / e(j, 1);
    }
  }
  b[n - 1] = b[n - 1] / e(n, 1);
  for (std::int64_t i = n - 1; i >= 1; --i) {
    const std::int64_t last = i > n - bw ? n : i + bw;
    double h = b[i - 1];
    for (std::int64_t k = i + 1; k <= last; ++k) h = h - e(i, k - i + 1) * b[k - 1];
    b[i - 1] = h / e(i, 1);
  }
  return SolveStatus::Success;
}

TEST(BandCholesky, MatchesDenseAndTextbookSolvers) {
  std::mt19937 random(2001);
  std::uniform_real_distribution<double> value(-10, 10);
  for (int n : {1, 2, 3, 7, 18, 45}) {
    for (int bw : {0, 1, 2, 5, 9, 60}) {
      const Dense a = RandomSpdBand(n, bw, random);
      std::vector<double> b(n);
      for (double& v : b) v = value(random);

      BandSystem system = ToBand(a, bw, b);
      ASSERT_EQ(SolveBandCholesky(system), SolveStatus::Success) << n << " " << bw;
      const std::vector<double> dense = DenseSolve(a, b);
      double scale = 1;
      for (double v : dense) scale = std::max(scale, std::fabs(v));
      for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(system.Rhs()[k], dense[k], 1e-10 * scale) << n << " " << bw << " " << k;
      }

      // The band holds U with A = U^T U.
      for (int r = 0; r < n; ++r) {
        for (int d = 0; d <= bw && r + d < n; ++d) {
          double sum = 0;
          for (int k = std::max(0, r + d - bw); k <= r; ++k) {
            if (r - k <= bw) sum += system.At(k, r - k) * system.At(k, r + d - k);
          }
          EXPECT_NEAR(sum, a[r][r + d], 1e-11 * (1 + std::fabs(a[r][r]))) << n << " " << bw;
        }
      }

      BandSystem textbook = ToBand(a, bw, b);
      std::int64_t multiplyAdds = 0;
      ASSERT_EQ(TextbookBandSolve(textbook, multiplyAdds), SolveStatus::Success);
      EXPECT_EQ(multiplyAdds, CholeskyMultiplyAdds(n, bw)) << n << " " << bw;
      for (int k = 0; k < n; ++k) {
        EXPECT_NEAR(system.Rhs()[k], textbook.Rhs()[k], 1e-13 * scale) << n << " " << bw;
      }
    }
  }
}

// Factored once, the band solves any right-hand side as the whole solve
// would, to the last bit: the multigrid's coarsest grid relies on it.
TEST(BandCholesky, FactoredOnceSolvesAsTheWholeSolve) {
  std::mt19937 random(2002);
  std::uniform_real_distribution<double> value(-10, 10);
  for (int n : {1, 7, 45}) {
    for (int bw : {0, 2, 9, 60}) {
      const Dense a = RandomSpdBand(n, bw, random);
      BandSystem factored = ToBand(a, bw, std::vector<double>(n, 0.0));
      ASSERT_EQ(FactorBandCholesky(factored), SolveStatus::Success);
      for (int pass = 0; pass < 2; ++pass) {
        std::vector<double> b(n);
        for (double& v : b) v = value(random);
        BandSystem whole = ToBand(a, bw, b);
        ASSERT_EQ(SolveBandCholesky(whole), SolveStatus::Success);
        SolveFactoredBand(factored, b.data());
        EXPECT_EQ(b, whole.Rhs()) << n << " " << bw;
        for (int r = 0; r < n; ++r) {
          for (int d = 0; d <= bw && r + d < n; ++d) ASSERT_EQ(factored.At(r, d), whole.At(r, d));
        }
      }
    }
  }
}

}  // namespace
}  // namespace kessadon
