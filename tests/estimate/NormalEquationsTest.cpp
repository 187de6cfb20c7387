#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "EstimateTestData.h"
#include "estimate/EstimationReport.h"
#include "estimate/NormalEquations.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

using testing::Height;
using testing::MakeData;
using testing::MakeEstimationGrid;

BandSystem EmptySystem(const EstimationGrid& grid) {
  return BandSystem(grid.NodeCount(), grid.HalfBandwidth());
}

double Diagonal(const BandSystem& system, const EstimationGrid& grid, int i, int j) {
  return system.At(grid.Unknown(i, j), 0);
}

// z^T A z from the upper band.
double QuadraticForm(const BandSystem& system, const NodeArray<double>& z,
                     const EstimationGrid& grid) {
  std::vector<double> v(static_cast<std::size_t>(grid.NodeCount()));
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) v[static_cast<std::size_t>(grid.Unknown(i, j))] = z(i, j);
  }
  double sum = 0;
  for (std::int64_t r = 0; r < system.N(); ++r) {
    sum += system.At(r, 0) * v[r] * v[r];
    for (std::int32_t d = 1; d <= system.Bw() && r + d < system.N(); ++d) {
      sum += 2 * system.At(r, d) * v[r] * v[r + d];
    }
  }
  return sum;
}

const EstimationGrid kGrid = MakeEstimationGrid(5, 4, 10, 20, 2, 3);

TEST(SmoothnessRows, EdgeWeightsAtBordersAndNextToThem) {
  const double dx = kGrid.Dx, dy = kGrid.Dy, m2 = 2, m1 = 3;
  // A node on the left or right border enters only the x-curvature row centred
  // next to it, which stands for one and a half cells (and half of that on the
  // bottom and top rows).
  BandSystem xx = EmptySystem(kGrid);
  AddCurvatureRowsXX(xx, kGrid, m2);
  const double nextToSide = 1.5 * m2 * dx * dy / std::pow(dx, 4);
  EXPECT_DOUBLE_EQ(Diagonal(xx, kGrid, 1, 2), nextToSide);
  EXPECT_DOUBLE_EQ(Diagonal(xx, kGrid, 5, 3), nextToSide);
  EXPECT_DOUBLE_EQ(Diagonal(xx, kGrid, 1, 1), 0.5 * nextToSide);
  EXPECT_DOUBLE_EQ(Diagonal(xx, kGrid, 5, 4), 0.5 * nextToSide);

  BandSystem yy = EmptySystem(kGrid);
  AddCurvatureRowsYY(yy, kGrid, m2);
  const double nextToBottom = 1.5 * m2 * dx * dy / std::pow(dy, 4);
  EXPECT_DOUBLE_EQ(Diagonal(yy, kGrid, 3, 1), nextToBottom);
  EXPECT_DOUBLE_EQ(Diagonal(yy, kGrid, 1, 4), 0.5 * nextToBottom);

  BandSystem xy = EmptySystem(kGrid);
  AddCurvatureRowsXY(xy, kGrid, m2);
  EXPECT_DOUBLE_EQ(Diagonal(xy, kGrid, 1, 1), 2 * m2 / (dx * dy));
  EXPECT_DOUBLE_EQ(Diagonal(xy, kGrid, 3, 2), 4 * 2 * m2 / (dx * dy));

  BandSystem slope = EmptySystem(kGrid);
  AddSlopeRowsX(slope, kGrid, m1);
  AddSlopeRowsY(slope, kGrid, m1);
  const double cells = 4 * 3;
  EXPECT_DOUBLE_EQ(Diagonal(slope, kGrid, 1, 1),
                   0.5 * m1 / cells * (1 / (dx * dx) + 1 / (dy * dy)));
  EXPECT_DOUBLE_EQ(Diagonal(slope, kGrid, 3, 2), m1 / cells * (2 / (dx * dx) + 2 / (dy * dy)));
}

TEST(SmoothnessRows, SumToTheMeasuresOfTheReport) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> height(-50, 50);
  NodeArray<double> z(kGrid.Nx, kGrid.Ny);
  for (int i = 1; i <= kGrid.Nx; ++i) {
    for (int j = 1; j <= kGrid.Ny; ++j) z(i, j) = height(random);
  }
  const double m1 = 0.7, m2 = 1.9;
  BandSystem system = EmptySystem(kGrid);
  AddSlopeRowsX(system, kGrid, m1);
  AddSlopeRowsY(system, kGrid, m1);
  AddCurvatureRowsXX(system, kGrid, m2);
  AddCurvatureRowsXY(system, kGrid, m2);
  AddCurvatureRowsYY(system, kGrid, m2);
  const SmoothnessValues measures = SmoothnessMeasures(kGrid, z);
  const double expected = m1 * measures.J1 + m2 * measures.J2;
  EXPECT_NEAR(QuadraticForm(system, z, kGrid), expected, 1e-10 * expected);
}

// The right-hand side of one value row adds up to w * target: the stencil's weights sum to 1.
double RhsSum(const BandSystem& system) {
  double sum = 0;
  for (double v : system.Rhs()) sum += v;
  return sum;
}

TEST(HeightRows, FirstPassJudgesBoundsAgainstZeros) {
  const EstimationGrid grid = MakeEstimationGrid(6, 6, 0, 0, 1, 1);
  const NodeArray<double> zeros(grid.Nx, grid.Ny);
  const NodeArray<double> ones = testing::Sample(grid, [](double, double) { return 1.0; });
  const double alpha = 8;
  struct Case {
    Height datum;
    bool active;
  };
  for (const Case& c : {Case{{2.2, 2.6, 5, 1}, true},    // lower bound above zero
                        Case{{2.2, 2.6, -3, 1}, false},  // lower bound below zero
                        Case{{3.1, 2.4, -7, -1}, true},  // upper bound below zero
                        Case{{3.1, 2.4, 2, -1}, false},  // upper bound above zero
                        Case{{3.1, 2.4, 0, 1}, true},    // touching counts as active
                        Case{{3.1, 2.4, -4, 0}, true}}) {
    // An ordinary height elsewhere keeps nH at 2, so the weight shows too.
    const PreparedData data = MakeData({c.datum, {4, 4, 10, 0}});
    BandSystem system = EmptySystem(grid);
    EXPECT_EQ(AddHeightData(system, grid, data, zeros, alpha), 2);
    const double expected = alpha / 2 * 10 + (c.active ? alpha / 2 * c.datum.z : 0);
    EXPECT_NEAR(RhsSum(system), expected, 1e-12) << c.datum.z << " " << c.datum.l;
    // Each value row adds w to 1^T A 1, so this counts the rows added.
    EXPECT_NEAR(QuadraticForm(system, ones, grid), alpha / 2 * (c.active ? 2 : 1), 1e-12)
        << c.datum.z << " " << c.datum.l;
  }

  // A later pass judges against its predecessor: above a lower bound it drops out.
  const NodeArray<double> raised = testing::Sample(grid, [](double, double) { return 6.0; });
  BandSystem system = EmptySystem(grid);
  EXPECT_EQ(AddHeightData(system, grid, MakeData({{2.2, 2.6, 5, 1}}), raised, alpha), 1);
  EXPECT_EQ(RhsSum(system), 0);
  EXPECT_EQ(QuadraticForm(system, ones, grid), 0);
}

TEST(BuildNormalEquations, CountsUsableDataAndDecidesStatus) {
  const EstimationGrid grid = MakeEstimationGrid(6, 6, 0, 0, 1, 1);
  const NodeArray<double> zeros(grid.Nx, grid.Ny);
  BandSystem system;
  const auto build = [&](const PreparedData& data) {
    return BuildNormalEquations(system, grid, data, zeros, {0, 1, 4, 2});
  };

  NormalEquationsOutcome one = build(MakeData({{2, 2, 1}, {0.2, 3, 1}, {3, 4.6, 1}}));
  EXPECT_EQ(one.nH, 1);  // the other two lie nearest a border node
  EXPECT_EQ(one.status, SolveStatus::TooFewData);
  EXPECT_EQ(system.N(), 36);
  EXPECT_EQ(system.Bw(), 14);

  PreparedData withDip = MakeData({{2, 2, 1}});
  testing::AddDip(withDip, 3, 3, 0.1, 0.2);
  testing::AddDip(withDip, 5, 3, 0.1, 0.2);  // on the border
  NormalEquationsOutcome dip = build(withDip);
  EXPECT_EQ(dip.nH, 1);
  EXPECT_EQ(dip.nD, 1);
  EXPECT_EQ(dip.status, SolveStatus::Success);

  PreparedData dipsOnly = MakeData({});
  for (int k = 0; k < 3; ++k) testing::AddDip(dipsOnly, 2 + k, 3, 0.1, 0.2);
  EXPECT_EQ(build(dipsOnly).status, SolveStatus::TooFewData);

  EXPECT_EQ(build(MakeData({{2, 2, 1}, {3, 3, 1}, {4, 2, 1, 1}})).status, SolveStatus::Success);

  // Each build starts from zero: a second build gives the same system.
  build(withDip);
  const BandSystem first = system;
  build(withDip);
  for (std::int64_t r = 0; r < system.N(); ++r) {
    for (std::int32_t d = 0; d <= system.Bw(); ++d) ASSERT_EQ(system.At(r, d), first.At(r, d));
  }
  EXPECT_EQ(system.Rhs(), first.Rhs());
}

// The smoothness terms are added on every core; each entry must still take
// its sums in one order. Several threads give the one-thread system bit for
// bit, and the band system (which keeps them in another layout) the same sums.
TEST(BuildNormalEquations, EveryThreadCountGivesTheSameSystem) {
  const EstimationGrid grid = MakeEstimationGrid(70, 45, 0, 0, 1.5, 2);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> x(0, 69 * 1.5), y(0, 44 * 2);
  std::vector<Height> heights;
  for (int k = 0; k < 200; ++k) heights.push_back({x(random), y(random), 0.1 * k});
  const PreparedData data = MakeData(heights);
  const NodeArray<double> zeros(grid.Nx, grid.Ny);
  std::vector<PatternSystem> systems(2);
  BandSystem band;
  for (int threads : {1, 3}) {
    SetRenderThreads(threads);
    BuildNormalEquations(systems[threads / 2], grid, data, zeros, {0.3, 1, 4, 0});
  }
  BuildNormalEquations(band, grid, data, zeros, {0.3, 1, 4, 0});
  SetRenderThreads(0);
  EXPECT_EQ(systems[0].UpperValues(), systems[1].UpperValues());
  EXPECT_EQ(systems[0].Rhs(), systems[1].Rhs());
  for (std::int32_t i = 1; i <= grid.Nx; ++i) {
    for (std::int32_t j = 1; j <= grid.Ny; ++j) {
      const std::int64_t r = grid.Unknown(i, j);
      for (int slot = 0; slot < PatternSystem::kPartners; ++slot) {
        const PatternSystem::Offset o = PatternSystem::kOffsets[slot];
        if (!grid.Contains(i + o.di, j + o.dj)) continue;
        ASSERT_EQ(
            systems[1].UpperValues()[static_cast<std::size_t>(r * PatternSystem::kPartners + slot)],
            band.At(r, static_cast<std::int32_t>(grid.Unknown(i + o.di, j + o.dj) - r)));
      }
    }
  }
}

}  // namespace
}  // namespace kessadon
