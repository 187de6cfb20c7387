#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "EstimateTestData.h"
#include "estimate/EstimationParameters.h"

namespace kessadon {
namespace {

using testing::MakeData;

EstimationParameters Requested(std::int32_t nx, std::int32_t ny) {
  EstimationParameters p;
  p.Xmin = 0;
  p.Xmax = 100;
  p.Ymin = 0;
  p.Ymax = 80;
  p.Nx = nx;
  p.Ny = ny;
  return p;
}

TEST(EstimationPlan, ExtensionIsThePercentOfCellsHalvesUpAtLeastOne) {
  EXPECT_EQ(ExtensionNodes(11, 0), 1);
  EXPECT_EQ(ExtensionNodes(11, 25), 3);  // 2.5 cells
  EXPECT_EQ(ExtensionNodes(11, 45), 5);  // 4.5 cells
  EXPECT_EQ(ExtensionNodes(11, 50), 5);
  EXPECT_EQ(ExtensionNodes(11, 14), 1);
  EXPECT_EQ(ExtensionNodes(11, 15), 2);
  EXPECT_EQ(ExtensionNodes(11, -40), 1);
  // 105 * (110/3) / 100 comes out a hair below 38.5 and still goes up.
  EXPECT_EQ(ExtensionNodes(106, 110.0 / 3), 39);
  EXPECT_EQ(ExtensionNodes(11, 1e300), std::nullopt);

  EstimationParameters p = Requested(11, 9);
  p.Xexp = 50;
  p.Yexp = 25;
  Result<EstimationPlan> plan = PlanEstimation(MakeData({}), p);
  ASSERT_TRUE(plan) << plan.failure().message;
  EXPECT_EQ(plan->Dx, 10);
  EXPECT_EQ(plan->Dy, 10);
  EXPECT_EQ(plan->ex, 5);
  EXPECT_EQ(plan->ey, 2);
  EXPECT_EQ(plan->grid.Nx, 21);
  EXPECT_EQ(plan->grid.Ny, 13);
  EXPECT_EQ(plan->grid.Xmin, -50);
  EXPECT_EQ(plan->grid.Ymin, -20);
  EXPECT_EQ(plan->grid.Dx, 10);
}

TEST(EstimationPlan, AlphaScheduleGrowsGeometricallyWithBounds) {
  PreparedData bounded = MakeData({{50, 40, 1, 1}});
  EstimationParameters p = Requested(11, 9);
  p.AlphaMin = 0.25;
  p.AlphaMax = 16;
  p.Nitr = 6;
  Result<EstimationPlan> plan = PlanEstimation(bounded, p);
  ASSERT_TRUE(plan) << plan.failure().message;
  ASSERT_EQ(plan->alphas.size(), 6u);
  const double expected[] = {
      0.25, 0.5743491774985174, 1.3195079107728942, 3.0314331330207955, 6.964404506368992, 16};
  for (int k = 0; k < 6; ++k) EXPECT_NEAR(plan->alphas[k], expected[k], 1e-12) << k;

  // A fractional count enters the exponent as typed and, rounded, counts the passes.
  p.Nitr = 2.5;
  plan = PlanEstimation(bounded, p);
  ASSERT_TRUE(plan);
  ASSERT_EQ(plan->alphas.size(), 2u);
  EXPECT_NEAR(plan->alphas[1], 0.25 * std::pow(64.0, 1 / 1.5), 1e-12);

  // Without bounds: one pass at alpha(min), whatever alpha(max) and the count say.
  p.AlphaMax = -3;
  p.Nitr = 0;
  plan = PlanEstimation(MakeData({{50, 40, 1}}), p);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->alphas, std::vector<double>{0.25});
}

TEST(EstimationPlan, RatioOnlyWithDipData) {
  EstimationParameters p = Requested(11, 9);
  p.Ratio = 3;
  Result<EstimationPlan> plan = PlanEstimation(MakeData({{50, 40, 1}}), p);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->ratio, 0);
  PreparedData withDip = MakeData({{50, 40, 1}});
  testing::AddDip(withDip, 30, 30, 0, 0);
  plan = PlanEstimation(withDip, p);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->ratio, 3);
}

TEST(EstimationPlan, Refusals) {
  const PreparedData plain = MakeData({{50, 40, 1}});
  const PreparedData bounded = MakeData({{50, 40, 1, -1}});
  struct Case {
    const char* name;
    const PreparedData& data;
    void (*change)(EstimationParameters&);
    const char* mention;
  };
  const Case cases[] = {
      {"one column", plain, [](EstimationParameters& p) { p.Nx = 1; }, "Nx と Ny"},
      {"zero x range", plain, [](EstimationParameters& p) { p.Xmax = p.Xmin; }, "x の範囲が 0"},
      {"zero y range", plain, [](EstimationParameters& p) { p.Ymin = p.Ymax; }, "y の範囲が 0"},
      {"reversed x", plain, [](EstimationParameters& p) { p.Xmax = -5; }, "X Max は X min より"},
      {"infinite range", plain, [](EstimationParameters& p) { p.Xmax = INFINITY; }, "X Max"},
      {"overflowing range", plain,
       [](EstimationParameters& p) {
         p.Xmin = -1.7e308;
         p.Xmax = 1.7e308;
       },
       "範囲"},
      {"too large", plain,
       [](EstimationParameters& p) {
         p.Nx = 20000;
         p.Ny = 20000;
       },
       "大きすぎます"},
      {"huge extension", plain, [](EstimationParameters& p) { p.Yexp = 1e12; }, "大きすぎます"},
      {"alpha zero", plain, [](EstimationParameters& p) { p.AlphaMin = 0; }, "α(min)"},
      {"one pass with bounds", bounded, [](EstimationParameters& p) { p.Nitr = 1; }, "2 以上"},
      {"1.9 passes with bounds", bounded, [](EstimationParameters& p) { p.Nitr = 1.9; }, "2 以上"},
      {"endless passes", bounded, [](EstimationParameters& p) { p.Nitr = 1e7; }, "繰り返し回数"},
      {"alpha negative with bounds", bounded, [](EstimationParameters& p) { p.AlphaMin = -1; },
       "α(min)"},
      {"alpha max not above min", bounded, [](EstimationParameters& p) { p.AlphaMax = 0.25; },
       "α(max)"},
  };
  for (const Case& c : cases) {
    EstimationParameters p = Requested(11, 9);
    p.AlphaMin = 0.25;
    p.AlphaMax = 16;
    p.Nitr = 6;
    c.change(p);
    Result<EstimationPlan> plan = PlanEstimation(c.data, p);
    ASSERT_FALSE(plan) << c.name;
    EXPECT_NE(plan.failure().message.find(c.mention), std::string::npos)
        << c.name << ": " << plan.failure().message;
  }
}

TEST(EstimationDefaults, FollowTheData) {
  EstimationDefaults plain = DefaultEstimationParameters(MakeData({{1, 1, 1}}));
  EXPECT_EQ(plain.AlphaMin, 32);
  EXPECT_EQ(plain.M1, 0);
  EXPECT_EQ(plain.M2, 1);
  EXPECT_EQ(plain.Xexp, 0);
  EXPECT_EQ(plain.Yexp, 0);
  EXPECT_FALSE(plain.Ratio);
  EXPECT_FALSE(plain.AlphaMax);
  EXPECT_FALSE(plain.Nitr);

  EstimationDefaults both = DefaultEstimationParameters(1, 1);
  EXPECT_EQ(both.Ratio, 1);
  EXPECT_EQ(both.AlphaMin, 0.25);
  EXPECT_EQ(both.AlphaMax, 16);
  EXPECT_EQ(both.Nitr, 6);
  EXPECT_EQ(both.M2, 1);
}

}  // namespace
}  // namespace kessadon
