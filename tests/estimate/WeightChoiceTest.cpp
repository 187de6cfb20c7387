// The height weight chosen by generalized cross-validation.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "EstimateTestData.h"
#include "estimate/EstimationRun.h"
#include "estimate/WeightChoice.h"

namespace kessadon {
namespace {

double Truth(double x, double y) { return 10 * std::sin(x / 8) * std::cos(y / 10) + 0.2 * x; }

// n heights of the surface at random places over [0, 40]^2 with Gaussian
// noise of standard deviation 0.5.
PreparedData NoisyData(int n) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> place(0, 40);
  std::normal_distribution<double> noise(0, 0.5);
  std::vector<testing::Height> heights;
  for (int k = 0; k < n; ++k) {
    const double x = place(random), y = place(random);
    heights.push_back({x, y, Truth(x, y) + noise(random)});
  }
  return testing::MakeData(heights);
}

EstimationParameters Grid41() {
  EstimationParameters p;
  p.Xmin = p.Ymin = 0;
  p.Xmax = p.Ymax = 40;
  p.Nx = p.Ny = 41;
  return p;
}

// The truth's slopes at random places with Gaussian noise of 0.02, n of
// them, added to `data`.
void AddNoisyDips(PreparedData& data, int n) {
  std::mt19937 random(9);
  std::uniform_real_distribution<double> place(0, 40);
  std::normal_distribution<double> noise(0, 0.02);
  for (int k = 0; k < n; ++k) {
    const double x = place(random), y = place(random), h = 1e-5;
    const double gx = (Truth(x + h, y) - Truth(x - h, y)) / (2 * h);
    const double gy = (Truth(x, y + h) - Truth(x, y - h)) / (2 * h);
    testing::AddDip(data, x, y, gx + noise(random), gy + noise(random));
  }
}

// The root mean square error against the truth at the nodes of the surface
// estimated with alpha (and beta / alpha).
double ErrorAt(const PreparedData& data, double alpha, double ratio = 0) {
  EstimationParameters p = Grid41();
  p.AlphaMin = alpha;
  p.Ratio = ratio;
  const Result<EstimationResult> run = RunEstimation(data, p);
  EXPECT_TRUE(run);
  double sum = 0;
  for (std::int32_t i = 1; i <= 41; ++i) {
    for (std::int32_t j = 1; j <= 41; ++j)
      sum += std::pow(run->Grid.Z(i, j) - Truth(i - 1, j - 1), 2);
  }
  return std::sqrt(sum / (41 * 41));
}

TEST(WeightChoice, GcvPicksAnAlphaNearTheBestAndTheNoiseItHas) {
  const PreparedData data = NoisyData(400);
  const Result<WeightChoice> chosen = ChooseAlphaByGcv(data, Grid41());
  ASSERT_TRUE(chosen) << chosen.failure().message;
  EXPECT_FALSE(chosen->ExactTrace);
  EXPECT_EQ(chosen->Count, 400);
  EXPECT_NEAR(chosen->Sigma, 0.5, 0.15);
  EXPECT_GT(chosen->Edf, 5);
  EXPECT_LT(chosen->Edf, 200);
  double best = HUGE_VAL;
  for (int k = -4; k <= 12; ++k) best = std::min(best, ErrorAt(data, std::pow(10.0, k / 2.0)));
  EXPECT_LE(ErrorAt(data, chosen->Alpha), 1.25 * best);
}

TEST(WeightChoice, ProbedTraceAgreesWithTheExactOne) {
  const PreparedData data = NoisyData(150);
  GcvSettings settings;
  settings.lowest = settings.highest = 1;
  settings.refinements = 0;
  const Result<WeightChoice> exact = ChooseAlphaByGcv(data, Grid41(), {}, settings);
  settings.exactUpTo = 0;
  settings.probes = 64;
  const Result<WeightChoice> probed = ChooseAlphaByGcv(data, Grid41(), {}, settings);
  ASSERT_TRUE(exact && probed);
  EXPECT_TRUE(exact->ExactTrace);
  EXPECT_NEAR(probed->Edf, exact->Edf, 0.1 * exact->Edf);
  // The exact trace lies between 0 and n, and grows with alpha.
  EXPECT_GT(exact->Edf, 3);
  EXPECT_LT(exact->Edf, 150);
}

TEST(WeightChoice, ThinnedGridsAndNarrowRangesFindTheSameWeight) {
  const PreparedData data = NoisyData(400);
  const Result<WeightChoice> full = ChooseAlphaByGcv(data, Grid41());
  ASSERT_TRUE(full);
  EXPECT_EQ(full->GridNx, 41);
  struct Case {
    std::int64_t gridNodesUpTo;
    int lowest, highest;
    std::int32_t gridNx;
    double tolerance;  // of alpha, relative
  };
  // A grid thinned to every second line; decades that stop short of the
  // best on either side, which the search goes on past.
  for (const Case& c :
       {Case{500, -2, 5, 21, 0.3}, Case{100'000, -2, 0, 41, 0.05}, Case{100'000, 4, 6, 41, 0.05}}) {
    GcvSettings settings;
    settings.gridNodesUpTo = c.gridNodesUpTo;
    settings.lowest = c.lowest;
    settings.highest = c.highest;
    const Result<WeightChoice> chosen = ChooseAlphaByGcv(data, Grid41(), {}, settings);
    ASSERT_TRUE(chosen) << chosen.failure().message;
    EXPECT_EQ(chosen->GridNx, c.gridNx);
    EXPECT_NEAR(chosen->Alpha, full->Alpha, c.tolerance * full->Alpha) << c.gridNodesUpTo;
  }
}

TEST(WeightChoice, WithDipsTheRatioIsChosenTooNearTheBest) {
  PreparedData data = NoisyData(150);
  AddNoisyDips(data, 60);
  const Result<WeightChoice> chosen = ChooseAlphaByGcv(data, Grid41());
  ASSERT_TRUE(chosen) << chosen.failure().message;
  EXPECT_TRUE(chosen->RatioChosen);
  EXPECT_EQ(chosen->Count, 150);
  double best = HUGE_VAL;
  for (int a = -2; a <= 10; ++a) {
    for (int r = -4; r <= 6; ++r) {
      best = std::min(best, ErrorAt(data, std::pow(10.0, a / 2.0), std::pow(10.0, r / 2.0)));
    }
  }
  EXPECT_LE(ErrorAt(data, chosen->Alpha, chosen->Ratio), 1.25 * best);
  EXPECT_NEAR(chosen->Sigma, 0.5, 0.15);
  // With dips in the equations and their weight as given, the probed trace
  // as the exact one.
  GcvSettings one;
  one.lowest = one.highest = 1;
  one.refinements = 0;
  one.chooseRatio = false;
  EstimationParameters p = Grid41();
  p.Ratio = 3;
  PreparedData few = NoisyData(100);
  AddNoisyDips(few, 40);
  const Result<WeightChoice> exact = ChooseAlphaByGcv(few, p, {}, one);
  one.exactUpTo = 0;
  one.probes = 64;
  const Result<WeightChoice> probed = ChooseAlphaByGcv(few, p, {}, one);
  ASSERT_TRUE(exact && probed);
  EXPECT_TRUE(exact->ExactTrace);
  EXPECT_FALSE(exact->RatioChosen);
  EXPECT_EQ(exact->Ratio, 3);
  EXPECT_NEAR(probed->Edf, exact->Edf, 0.1 * exact->Edf);
}

TEST(WeightChoice, RefusalsAndStop) {
  // Three heights leave nothing to cross-validate with a plane's freedom.
  const PreparedData few = testing::MakeData({{5, 5, 1}, {30, 8, 2}, {12, 33, 3}});
  const Result<WeightChoice> none = ChooseAlphaByGcv(few, Grid41());
  EXPECT_FALSE(none);
  const Result<WeightChoice> stopped =
      ChooseAlphaByGcv(NoisyData(50), Grid41(), [](double) { return false; });
  ASSERT_FALSE(stopped);
  EXPECT_TRUE(stopped.failure().cancelled);
}

}  // namespace
}  // namespace kessadon
