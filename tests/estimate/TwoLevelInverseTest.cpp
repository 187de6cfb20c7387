// The parts of the two-level inverse: the band inverse, the coarse
// B-splines cut along faults, and the strips' local part.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "EstimateTestData.h"
#include "estimate/BandInverse.h"
#include "estimate/CoarseOperator.h"
#include "estimate/CoarseSplines.h"
#include "estimate/FaultCuts.h"
#include "estimate/NormalEquations.h"
#include "estimate/PatternSystem.h"
#include "estimate/SparseCholesky.h"
#include "estimate/StripInverse.h"

namespace kessadon {
namespace {

using Dense = std::vector<std::vector<double>>;

// The inverse of a symmetric positive definite matrix by Gauss-Jordan.
Dense Inverse(Dense a) {
  const std::size_t n = a.size();
  Dense inv(n, std::vector<double>(n, 0.0));
  for (std::size_t k = 0; k < n; ++k) inv[k][k] = 1;
  for (std::size_t p = 0; p < n; ++p) {
    const double d = a[p][p];
    for (std::size_t c = 0; c < n; ++c) {
      a[p][c] /= d;
      inv[p][c] /= d;
    }
    for (std::size_t r = 0; r < n; ++r) {
      const double f = r == p ? 0 : a[r][p];
      for (std::size_t c = 0; c < n && f != 0; ++c) {
        a[r][c] -= f * a[p][c];
        inv[r][c] -= f * inv[p][c];
      }
    }
  }
  return inv;
}

BandSystem Band(const Dense& a, std::int32_t bw) {
  BandSystem band(static_cast<std::int64_t>(a.size()), bw);
  for (std::size_t r = 0; r < a.size(); ++r) {
    for (std::int32_t d = 0; d <= bw && r + d < a.size(); ++d) band.At(r, d) = a[r][r + d];
  }
  return band;
}

TEST(BandInverse, IsTheInverseOnTheBand) {
  std::mt19937 random(3);
  std::uniform_real_distribution<double> value(-1, 1);
  const std::size_t n = 40;
  const std::int32_t bw = 6;
  Dense a(n, std::vector<double>(n, 0.0));
  for (std::size_t r = 0; r < n; ++r) {
    a[r][r] = 3 * bw;
    for (std::size_t c = r + 1; c <= r + bw && c < n; ++c) a[r][c] = a[c][r] = value(random);
  }
  BandSystem band = Band(a, bw);
  EXPECT_EQ(InvertOnBand(band, 1e-9), 0);
  const Dense z = Inverse(a);
  for (std::size_t r = 0; r < n; ++r) {
    for (std::int32_t d = 0; d <= bw && r + d < n; ++d) {
      EXPECT_NEAR(band.At(r, d), z[r][r + d], 1e-12) << r << ", " << d;
    }
  }
}

// K = Q^T M Q for functions Q whose third is the sum of the first two: the
// band inverse leaves it out, and Q Z Q^T is still M's projection on them.
TEST(BandInverse, LeavesOutADependentRowAndKeepsTheSpan) {
  const std::size_t n = 12;
  Dense m(n, std::vector<double>(n, 0.0));
  for (std::size_t r = 0; r < n; ++r) {
    m[r][r] = 4;
    if (r + 1 < n) m[r][r + 1] = m[r + 1][r] = -1;
  }
  Dense q(n, std::vector<double>(4, 0.0));
  for (std::size_t r = 0; r < n; ++r) {
    q[r][0] = r < 6 ? 1.0 : 0.0;
    q[r][1] = r >= 6 ? 1.0 : 0.0;
    q[r][2] = 1;
    q[r][3] = double(r);
  }
  const auto form = [&](const Dense& x, std::size_t a, std::size_t b) {
    double s = 0;
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) s += x[r][a] * m[r][c] * x[c][b];
    }
    return s;
  };
  Dense k(4, std::vector<double>(4, 0.0));
  for (std::size_t a = 0; a < 4; ++a) {
    for (std::size_t b = 0; b < 4; ++b) k[a][b] = form(q, a, b);
  }
  BandSystem band = Band(k, 3);
  EXPECT_EQ(InvertOnBand(band, 1e-9), 1);
  // The same span from the first, second and fourth alone.
  Dense kept = {
      {k[0][0], k[0][1], k[0][3]}, {k[1][0], k[1][1], k[1][3]}, {k[3][0], k[3][1], k[3][3]}};
  const Dense z = Inverse(kept);
  const std::size_t keep[3] = {0, 1, 3};
  const auto zBand = [&](std::size_t a, std::size_t b) {
    return band.At(std::min(a, b), static_cast<std::int32_t>(std::max(a, b) - std::min(a, b)));
  };
  for (std::size_t r = 0; r < n; ++r) {
    double expected = 0, found = 0;
    for (std::size_t a = 0; a < 3; ++a) {
      for (std::size_t b = 0; b < 3; ++b) expected += q[r][keep[a]] * z[a][b] * q[r][keep[b]];
    }
    for (std::size_t a = 0; a < 4; ++a) {
      for (std::size_t b = 0; b < 4; ++b) found += q[r][a] * zBand(a, b) * q[r][b];
    }
    EXPECT_NEAR(found, expected, 1e-10 * expected) << r;
  }
}

FaultTraces OneTrace(std::vector<double> x, std::vector<double> y) {
  FaultTraces traces;
  traces.traces.push_back({std::move(x), std::move(y), 1});
  return traces;
}

// Sum to one at every node away from faults (beside one, less the pieces
// left out: too small, or spanned by their neighbours there), and a
// function's piece never reaches across a fault that cuts the grid in two.
TEST(CoarseSplines, SumToOneAndKeepToOneSideOfAFault) {
  const EstimationGrid grid = testing::MakeEstimationGrid(41, 23, 0, 0, 1, 1);
  struct Case {
    const char* what;
    FaultTraces traces;
    double least;  // of the sums
  };
  const Case cases[] = {{"none", {}, 1},
                        {"between two columns", OneTrace({13.5, 13.5}, {-1, 30}), 0.9},
                        {"slanting", OneTrace({13.5, 22.5}, {-1, 30}), 0.9}};
  for (const Case& c : cases) {
    const FaultCuts cuts(grid, c.traces);
    const CoarseSplines splines(grid, 4, 3, &cuts);
    const std::vector<std::int32_t> block = cuts.BlockOfNodes();
    std::vector<std::set<std::int32_t>> blocksOf(static_cast<std::size_t>(splines.Count()));
    for (std::int32_t i = 1; i <= grid.Nx; ++i) {
      for (std::int32_t j = 1; j <= grid.Ny; ++j) {
        CoarseSplines::Term terms[CoarseSplines::kMaxAt];
        const int count = splines.At(i, j, terms);
        double sum = 0;
        for (int t = 0; t < count; ++t) {
          sum += terms[t].weight;
          blocksOf[static_cast<std::size_t>(terms[t].id)].insert(
              block[static_cast<std::size_t>(grid.Unknown(i, j))]);
          EXPECT_EQ(splines.Weight(terms[t].id, terms[t].px, terms[t].py, i, j), terms[t].weight);
        }
        EXPECT_LE(sum, 1 + 1e-12) << c.what << ' ' << i << ", " << j;
        EXPECT_GE(sum, c.least - 1e-12) << c.what << ' ' << i << ", " << j;
      }
    }
    for (const std::set<std::int32_t>& b : blocksOf) EXPECT_EQ(b.size(), 1U) << c.what;
    const std::int64_t places = std::int64_t{splines.PlacesX()} * splines.PlacesY();
    EXPECT_EQ(splines.Count() > places, cuts.Any()) << c.what;
  }
}

// A small grid's equations with a fault, and its coarse space, densely.
struct Small {
  EstimationGrid grid = testing::MakeEstimationGrid(17, 14, 0, 0, 1, 1.5);
  FaultCuts cuts{grid, OneTrace({5.5, 9.5}, {-1, 8})};
  PatternSystem system;
  CoarseSplines splines{grid, 3, 3, &cuts};
  Dense a, p;

  Small() {
    const PreparedData data =
        testing::MakeData({{3, 3, 1}, {12, 4, 2}, {7, 15, 0}, {14, 17, 1}, {2, 12, 0}});
    BuildNormalEquations(system, grid, data, NodeArray<double>(grid.Nx, grid.Ny),
                         {0.1, 1, 20, 0, &cuts});
    LowerMatrix lower;
    system.CopyLower(lower);
    const auto n = static_cast<std::size_t>(grid.NodeCount());
    a.assign(n, std::vector<double>(n, 0.0));
    for (std::int64_t c = 0; c < lower.n; ++c) {
      for (SparseIndex k = lower.colStart[c]; k < lower.colStart[c + 1]; ++k) {
        a[static_cast<std::size_t>(lower.row[k])][static_cast<std::size_t>(c)] = lower.value[k];
        a[static_cast<std::size_t>(c)][static_cast<std::size_t>(lower.row[k])] = lower.value[k];
      }
    }
    p.assign(n, std::vector<double>(static_cast<std::size_t>(splines.Count()), 0.0));
    for (std::int32_t i = 1; i <= grid.Nx; ++i) {
      for (std::int32_t j = 1; j <= grid.Ny; ++j) {
        CoarseSplines::Term terms[CoarseSplines::kMaxAt];
        const int count = splines.At(i, j, terms);
        for (int t = 0; t < count; ++t) {
          p[static_cast<std::size_t>(grid.Unknown(i, j))][static_cast<std::size_t>(terms[t].id)] =
              terms[t].weight;
        }
      }
    }
  }
  // Q^T M Q over the nodes `in` (a restriction of both to them).
  static Dense Galerkin(const Dense& m, const Dense& q) {
    const std::size_t n = q.size(), f = q[0].size();
    Dense mq(n, std::vector<double>(f, 0.0)), out(f, std::vector<double>(f, 0.0));
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t c = 0; c < n; ++c) {
        if (m[r][c] == 0) continue;
        for (std::size_t b = 0; b < f; ++b) mq[r][b] += m[r][c] * q[c][b];
      }
    }
    for (std::size_t r = 0; r < n; ++r) {
      for (std::size_t x = 0; x < f; ++x) {
        if (q[r][x] == 0) continue;
        for (std::size_t b = 0; b < f; ++b) out[x][b] += q[r][x] * mq[r][b];
      }
    }
    return out;
  }
};

// The coarse operator is P^T A P, entry by entry, and leaves out only zeros.
TEST(CoarseOperator, IsTheGalerkinProduct) {
  const Small s;
  const LowerMatrix op = CoarseOperator(s.system, s.splines);
  const Dense expected = Small::Galerkin(s.a, s.p);
  std::set<std::pair<std::int64_t, std::int64_t>> held;
  for (std::int64_t c = 0; c < op.n; ++c) {
    for (SparseIndex k = op.colStart[c]; k < op.colStart[c + 1]; ++k) {
      held.emplace(op.row[k], c);
      EXPECT_NEAR(op.value[k],
                  expected[static_cast<std::size_t>(op.row[k])][static_cast<std::size_t>(c)],
                  1e-9 * expected[static_cast<std::size_t>(c)][static_cast<std::size_t>(c)]);
    }
  }
  for (std::size_t r = 0; r < expected.size(); ++r) {
    for (std::size_t c = 0; c <= r; ++c) {
      if (held.count({r, c}) == 0) {
        EXPECT_EQ(expected[r][c], 0) << r << ", " << c;
      }
    }
  }
}

// On a strip, the local part is A_s^-1 - P_s (P_s^T A_s P_s)^+ P_s^T, A_s
// the strip's rows and columns of A and P_s those of P; on the whole grid
// that is A^-1 - P (P^T A P)^-1 P^T.
TEST(StripInverse, IsTheStripsInverseLessItsCoarsePart) {
  const Small s;
  for (const Strip strip : {Strip{true, 1, 14}, Strip{true, 4, 11}, Strip{false, 3, 12}}) {
    std::vector<std::size_t> in;
    for (std::int32_t i = 1; i <= s.grid.Nx; ++i) {
      for (std::int32_t j = 1; j <= s.grid.Ny; ++j) {
        const std::int32_t across = strip.alongX ? j : i;
        if (across >= strip.from && across <= strip.to) {
          in.push_back(static_cast<std::size_t>(s.grid.Unknown(i, j)));
        }
      }
    }
    Dense as(in.size(), std::vector<double>(in.size())), ps;
    for (std::size_t r = 0; r < in.size(); ++r) {
      for (std::size_t c = 0; c < in.size(); ++c) as[r][c] = s.a[in[r]][in[c]];
    }
    // Only the functions the strip sees: the others are zero on it.
    std::vector<std::size_t> seen;
    for (std::size_t f = 0; f < s.p[0].size(); ++f) {
      bool any = false;
      for (const std::size_t r : in) any = any || s.p[r][f] != 0;
      if (any) seen.push_back(f);
    }
    for (const std::size_t r : in) {
      ps.emplace_back();
      for (const std::size_t f : seen) ps.back().push_back(s.p[r][f]);
    }
    const Dense zs = Inverse(as), zc = Inverse(Small::Galerkin(as, ps));
    StripInverse local(s.system, s.splines);
    local.Invert(strip);
    for (std::size_t r = 0; r < in.size(); r += 7) {
      double expected = zs[r][r];
      for (std::size_t x = 0; x < seen.size(); ++x) {
        for (std::size_t y = 0; y < seen.size(); ++y) expected -= ps[r][x] * zc[x][y] * ps[r][y];
      }
      const StripInverse::NodeWeight node{static_cast<std::int32_t>(in[r] / s.grid.Ny) + 1,
                                          static_cast<std::int32_t>(in[r] % s.grid.Ny) + 1, 1};
      EXPECT_NEAR(local.Form(&node, 1), expected, 1e-9 * zs[r][r]) << r;
    }
  }
}

}  // namespace
}  // namespace kessadon
