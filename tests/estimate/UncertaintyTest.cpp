// The standard deviations of the estimated heights.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "EstimateTestData.h"
#include "estimate/EstimationRun.h"
#include "estimate/FitStatistics.h"
#include "estimate/NormalEquations.h"
#include "estimate/PatternSystem.h"
#include "estimate/SparseCholesky.h"
#include "estimate/Uncertainty.h"
#include "estimate/WeightChoice.h"

namespace kessadon {
namespace {

EstimationParameters Square(std::int32_t nx, std::int32_t ny, double size) {
  EstimationParameters p;
  p.Xmin = p.Ymin = 0;
  p.Xmax = size;
  p.Ymax = size * (ny - 1) / (nx - 1);
  p.Nx = nx;
  p.Ny = ny;
  p.AlphaMin = 10;
  return p;
}

// Noisy heights of a tilted wave at random places, none inside the square
// hole [hole0, hole1]^2 when it is not empty.
PreparedData Heights(int n, double size, double hole0 = 0, double hole1 = 0) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> place(0, size);
  std::normal_distribution<double> noise(0, 0.5);
  std::vector<testing::Height> heights;
  while (static_cast<int>(heights.size()) < n) {
    const double x = place(random), y = place(random);
    if (x > hole0 && x < hole1 && y > hole0 && y < hole1) continue;
    heights.push_back({x, y, 5 * std::sin(x / 5) + 0.3 * y + noise(random)});
  }
  return testing::MakeData(heights);
}

Uncertainty Uncertain(const PreparedData& data, const EstimationParameters& p,
                      const UncertaintySettings& settings = {}) {
  const Result<EstimationResult> run = RunEstimation(data, p);
  EXPECT_TRUE(run) << run.failure().message;
  Result<Uncertainty> sd = EstimateUncertainty(data, p, *run, {}, settings);
  EXPECT_TRUE(sd) << sd.failure().message;
  return *sd;
}

// The inverse of a small symmetric positive definite matrix, densely.
std::vector<double> DenseInverse(const LowerMatrix& a) {
  const auto n = static_cast<std::size_t>(a.n);
  std::vector<double> m(n * 2 * n, 0.0);
  for (std::int64_t c = 0; c < a.n; ++c) {
    for (SparseIndex k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
      m[a.row[k] * 2 * n + c] = m[c * 2 * n + a.row[k]] = a.value[k];
    }
    m[c * 2 * n + n + c] = 1;
  }
  for (std::size_t p = 0; p < n; ++p) {  // Gauss-Jordan; no pivoting is needed
    const double d = m[p * 2 * n + p];
    for (std::size_t c = 0; c < 2 * n; ++c) m[p * 2 * n + c] /= d;
    for (std::size_t r = 0; r < n; ++r) {
      const double f = r == p ? 0 : m[r * 2 * n + p];
      for (std::size_t c = 0; c < 2 * n && f != 0; ++c) m[r * 2 * n + c] -= f * m[p * 2 * n + c];
    }
  }
  std::vector<double> inverse(n * n);
  for (std::size_t r = 0; r < n; ++r) {
    for (std::size_t c = 0; c < n; ++c) inverse[r * n + c] = m[r * 2 * n + n + c];
  }
  return inverse;
}

TEST(Uncertainty, IsTheDenseInversesDiagonalScaledBySigma) {
  EstimationParameters p = Square(15, 12, 28);
  PreparedData data = Heights(60, 28);
  testing::AddDip(data, 10, 10, 0.2, -0.1);
  UncertaintySettings settings;
  settings.sigma = 0.7;
  const Uncertainty sd = Uncertain(data, p, settings);
  EXPECT_TRUE(sd.Exact);

  const Result<EstimationPlan> plan = PlanEstimation(data, p);
  ASSERT_TRUE(plan);
  PatternSystem system;
  const NormalEquationsOutcome built = BuildNormalEquations(
      system, plan->grid, data, NodeArray<double>(plan->grid.Nx, plan->grid.Ny),
      {p.M1, p.M2, p.AlphaMin, p.AlphaMin * plan->ratio});
  LowerMatrix a;
  system.CopyLower(a);
  const std::vector<double> inverse = DenseInverse(a);
  const double w = p.AlphaMin / built.nH;
  for (std::int32_t i = 1; i <= p.Nx; ++i) {
    for (std::int32_t j = 1; j <= p.Ny; ++j) {
      const auto k = static_cast<std::size_t>(plan->grid.Unknown(i + plan->ex, j + plan->ey));
      const double expected = 0.7 * std::sqrt(w * inverse[k * a.n + k]);
      EXPECT_NEAR(sd.Sd.Z(i, j), expected, 1e-8 * expected) << i << ", " << j;
    }
  }
}

TEST(Uncertainty, SigmaAndTheTraceAreTheWeightChoicesForItsAlpha) {
  const EstimationParameters p = Square(31, 31, 30);
  const PreparedData data = Heights(150, 30);
  GcvSettings one;
  one.lowest = one.highest = 1;  // alpha 10, the parameters'
  one.refinements = 0;
  const Result<WeightChoice> choice = ChooseAlphaByGcv(data, p, {}, one);
  ASSERT_TRUE(choice && choice->ExactTrace);
  const Uncertainty sd = Uncertain(data, p);
  EXPECT_NEAR(sd.Edf, choice->Edf, 1e-8 * choice->Edf);
  EXPECT_NEAR(sd.Sigma, choice->Sigma, 1e-8 * choice->Sigma);
  EXPECT_EQ(sd.Count, 150);
}

// Without bounds a run's fit statistics are the weight choice's for its
// alpha. With a bound the passes grow alpha, and the statistics are those of
// the last pass's surface: here the bound never binds, so they are the
// choice's for the grown alpha, not for alpha(min).
TEST(FitStatistics, AreThoseOfTheLastPassesAlpha) {
  EstimationParameters p = Square(31, 31, 30);
  // With the bound, the last pass weighs each of the 151 data (the bound
  // counted) as alpha 1000 weighs 150.
  p.AlphaMax = 1000.0 * 151 / 150;
  p.Nitr = 3;
  const PreparedData heights = Heights(150, 30);
  PreparedData bounded = heights;  // and a lower bound far below it
  bounded.XH.push_back(15.5);
  bounded.YH.push_back(15.5);
  bounded.ZH.push_back(-1000);
  bounded.LH.push_back(1);
  bounded.HasBoundData = true;
  for (const PreparedData* data : {&heights, static_cast<const PreparedData*>(&bounded)}) {
    const Result<EstimationResult> run = RunEstimation(*data, p);
    ASSERT_TRUE(run) << run.failure().message;
    GcvSettings one;  // the last pass's alpha alone
    const double alpha = run->Report.Alpha * 150 / data->Nh();
    one.lowest = one.highest = static_cast<int>(std::lround(std::log10(alpha)));
    one.refinements = 0;
    ASSERT_NEAR(alpha, std::pow(10, one.lowest), 1e-9 * alpha);
    const Result<WeightChoice> choice = ChooseAlphaByGcv(heights, p, {}, one);
    ASSERT_TRUE(choice && choice->ExactTrace);
    const Result<FitStatistics> fit = StatisticsOfRun(*data, p, *run);
    ASSERT_TRUE(fit) << fit.failure().message;
    EXPECT_EQ(fit->Count, 150);
    EXPECT_TRUE(fit->ExactTrace);
    EXPECT_NEAR(fit->Edf, choice->Edf, 1e-8 * choice->Edf);
    EXPECT_NEAR(fit->Sigma, choice->Sigma, 1e-8 * choice->Sigma);
    EXPECT_NEAR(fit->Gcv, choice->Gcv, 1e-8 * choice->Gcv);
    EXPECT_EQ(one.lowest, data == &bounded ? 3 : 1);
  }
}

TEST(Uncertainty, GrowsInAGapOfTheDataAndDipsThereLowerIt) {
  EstimationParameters p = Square(41, 41, 40);
  p.Ratio = 1;
  PreparedData data = Heights(300, 40, 10, 30);
  UncertaintySettings settings;
  settings.sigma = 0.5;
  const Uncertainty gap = Uncertain(data, p, settings);
  const double amongData = gap.Sd.Z(6, 6), inGap = gap.Sd.Z(21, 21), edgeOfGap = gap.Sd.Z(15, 21);
  EXPECT_GT(inGap, 1.5 * amongData);
  EXPECT_GT(inGap, edgeOfGap);
  for (double x : {16.0, 20.0, 24.0}) {
    for (double y : {16.0, 20.0, 24.0}) testing::AddDip(data, x, y, std::cos(x / 5), 0.3);
  }
  const Uncertainty dips = Uncertain(data, p, settings);
  EXPECT_LT(dips.Sd.Z(21, 21), 0.92 * inGap);
  EXPECT_NEAR(dips.Sd.Z(6, 6), amongData, 0.1 * amongData);
}

// Beyond the exact limit, in two levels: under light and heavy smoothing,
// with and without a fault, every node's deviation within the largest error
// stated, their spread within the stated root mean square, sigma and the
// trace close to the exact ones.
TEST(Uncertainty, InTwoLevelsAgreesWithTheExactWithinTheErrorItStates) {
  struct Case {
    const char* what;
    double alpha;
    bool fault;
  };
  const Case cases[] = {{"light", 400, false}, {"heavy", 2, false}, {"fault", 40, true}};
  const PreparedData data = Heights(300, 40, 12, 28);
  UncertaintySettings twoLevels;
  twoLevels.exactUpTo = 500;
  for (const Case& c : cases) {
    EstimationParameters p = Square(41, 41, 40);
    p.AlphaMin = c.alpha;
    if (c.fault) p.Faults.traces.push_back({{-1, 22.3, 30.1}, {9.2, 19.7, 41}, 1});
    const Uncertainty exact = Uncertain(data, p);
    const Uncertainty estimated = Uncertain(data, p, twoLevels);
    EXPECT_FALSE(estimated.Exact) << c.what;
    EXPECT_EQ(estimated.Sd.Nx, 41) << c.what;
    EXPECT_GT(estimated.RelativeError, 0) << c.what;
    EXPECT_LE(estimated.RelativeError, estimated.LargestError) << c.what;
    EXPECT_LT(estimated.LargestError, 0.25) << c.what;
    EXPECT_NEAR(estimated.Edf, exact.Edf, 0.01 * exact.Edf) << c.what;
    EXPECT_NEAR(estimated.Sigma, exact.Sigma, 0.01 * exact.Sigma) << c.what;
    double squares = 0, largest = 0;
    for (std::int32_t i = 1; i <= p.Nx; ++i) {
      for (std::int32_t j = 1; j <= p.Ny; ++j) {
        const double e = std::abs(estimated.Sd.Z(i, j) / exact.Sd.Z(i, j) - 1);
        squares += e * e;
        largest = std::max(largest, e);
      }
    }
    EXPECT_LE(std::sqrt(squares / (p.Nx * p.Ny)), estimated.RelativeError) << c.what;
    EXPECT_LE(largest, estimated.LargestError) << c.what;
  }

  const EstimationParameters p = Square(41, 41, 40);
  const UncertaintySettings& thinned = twoLevels;
  // Its estimations and inversions tell a share that never falls, and stop when told.
  const Result<EstimationResult> run = RunEstimation(data, p);
  ASSERT_TRUE(run);
  std::vector<double> told;
  const auto record = [&told](double f) {
    told.push_back(f);
    return true;
  };
  ASSERT_TRUE(EstimateUncertainty(data, p, *run, record, thinned));
  ASSERT_FALSE(told.empty());
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  EXPECT_EQ(told.back(), 1);
  const Result<Uncertainty> stopped = EstimateUncertainty(
      data, p, *run, [](double) { return false; }, thinned);
  ASSERT_FALSE(stopped);
  EXPECT_TRUE(stopped.failure().cancelled);
}

}  // namespace
}  // namespace kessadon
