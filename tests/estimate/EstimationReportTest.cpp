#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "EstimateTestData.h"
#include "estimate/BandCholesky.h"
#include "estimate/EstimationReport.h"
#include "estimate/NormalEquations.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

using testing::Height;
using testing::MakeData;
using testing::MakeEstimationGrid;
using testing::Sample;

const EstimationGrid kGrid = MakeEstimationGrid(8, 6, -20, 5, 2, 3);

TEST(SmoothnessMeasures, PlanesAndSimpleCurvatures) {
  const double a = 0.3, b = -0.7;
  SmoothnessValues plane = SmoothnessMeasures(
      kGrid, Sample(kGrid, [&](double x, double y) { return a * x + b * y + 12; }));
  EXPECT_NEAR(plane.J1, a * a + b * b, 1e-12);
  EXPECT_NEAR(plane.J2, 0, 1e-12);

  // J2 integrates the squared curvature over the grid: (z_xx)^2 = 4 for x^2,
  // 2 (z_xy)^2 = 2 for x y.
  const double area = (kGrid.Nx - 1) * kGrid.Dx * (kGrid.Ny - 1) * kGrid.Dy;
  SmoothnessValues parabola =
      SmoothnessMeasures(kGrid, Sample(kGrid, [](double x, double) { return x * x; }));
  EXPECT_NEAR(parabola.J2, 4 * area, 1e-9 * area);
  SmoothnessValues saddle =
      SmoothnessMeasures(kGrid, Sample(kGrid, [](double x, double y) { return x * y; }));
  EXPECT_NEAR(saddle.J2, 2 * area, 1e-9 * area);
  SmoothnessValues column =
      SmoothnessMeasures(kGrid, Sample(kGrid, [](double, double y) { return y * y; }));
  EXPECT_NEAR(column.J2, 4 * area, 1e-9 * area);
}

double Plane(double x, double y) { return 100 + 0.5 * x - 2 * y; }

TEST(EstimationReport, SurfaceThatFitsEveryDatum) {
  PreparedData data =
      MakeData({{-15, 9, Plane(-15, 9)},
                {-10.5, 12.2, Plane(-10.5, 12.2)},
                {-7.5, 17, Plane(-7.5, 17)},
                {-19.9, 10, 55},                     // nearest a border node: not counted
                {-12, 10, Plane(-12, 10) - 3, 1}});  // lower bound the surface clears
  testing::AddDip(data, -13, 11, 0.5, -2);
  testing::AddDip(data, -9, 14, 0.5, -2);
  const NodeArray<double> z = Sample(kGrid, Plane);
  const double m1 = 0.4, m2 = 1.5, alpha = 7, beta = 3;
  EstimationReport report = MakeEstimationReport(kGrid, data, z, m1, m2, alpha, beta);
  EXPECT_EQ(report.CH, 3);  // the bound lies strictly below the surface
  ASSERT_TRUE(report.RH && report.EH);
  EXPECT_NEAR(*report.RH, 0, 1e-20);
  EXPECT_NEAR(*report.EH, 0, 1e-10);
  ASSERT_TRUE(report.CD && report.RD && report.ED);
  EXPECT_EQ(*report.CD, 2);
  EXPECT_NEAR(*report.RD, 0, 1e-20);
  EXPECT_NEAR(report.J1, 0.25 + 4, 1e-10);
  EXPECT_NEAR(report.J, m1 * report.J1 + m2 * report.J2, 1e-12);
  EXPECT_NEAR(report.AlphaR, 0, 1e-12);
  EXPECT_NEAR(report.Q, report.J, 1e-12);
}

TEST(EstimationReport, BoundsCountOnlyWhereViolatedOrTouched) {
  const NodeArray<double> z = Sample(kGrid, Plane);
  const double at = Plane(-12, 10);
  // A violated lower bound counts with its residual, a cleared one not at all.
  EstimationReport violated = MakeEstimationReport(
      kGrid, MakeData({{-12, 10, at + 2, 1}, {-10, 12, Plane(-10, 12) + 5, -1}}), z, 0, 1, 4, 0);
  EXPECT_EQ(violated.CH, 1);
  ASSERT_TRUE(violated.RH);
  EXPECT_NEAR(*violated.RH, 4, 1e-9);
  EXPECT_NEAR(violated.AlphaR, 4 * 4, 1e-8);

  // Every bound cleared strictly: no mean to show, and no height term in alpha R.
  PreparedData cleared = MakeData({{-12, 10, at - 2, 1}, {-10, 12, Plane(-10, 12) + 5, -1}});
  testing::AddDip(cleared, -13, 11, 0.5, -1);  // misfit 1 in dz/dy
  EstimationReport none = MakeEstimationReport(kGrid, cleared, z, 0, 1, 4, 3);
  EXPECT_EQ(none.CH, 0);
  EXPECT_FALSE(none.RH);
  EXPECT_FALSE(none.EH);
  ASSERT_TRUE(none.RD);
  EXPECT_NEAR(*none.RD, 1, 1e-9);
  EXPECT_NEAR(none.AlphaR, 3, 1e-8);
  EXPECT_TRUE(std::isfinite(none.Q));

  auto texts = ReportTexts(none);
  EXPECT_EQ(texts[2], "0");
  EXPECT_EQ(texts[3], "-");
  EXPECT_EQ(texts[4], "-");
  EXPECT_EQ(texts[5], "1");
  EXPECT_EQ(texts[6], std::optional<std::string>("1"));
  EXPECT_EQ(texts[9], FormatGeneral(none.J));

  // Without usable dip data the dip values are absent and the labels keep their text.
  EstimationReport noDips =
      MakeEstimationReport(kGrid, MakeData({{-12, 11, Plane(-12, 11)}}), z, 0, 1, 4, 3);
  EXPECT_FALSE(noDips.CD || noDips.RD || noDips.ED);
  texts = ReportTexts(noDips);
  EXPECT_FALSE(texts[5] || texts[6] || texts[7]);
  EXPECT_EQ(texts[3], "0");
}

TEST(EstimationReport, QIsTheObjectiveAtTheSolution) {
  std::mt19937 random(11);
  std::uniform_real_distribution<double> x(-17, -8), y(9, 18), height(40, 60), slope(-1, 1);
  std::vector<Height> heights;
  for (int k = 0; k < 12; ++k) heights.push_back({x(random), y(random), height(random)});
  PreparedData data = MakeData(heights);
  for (int k = 0; k < 4; ++k)
    testing::AddDip(data, x(random), y(random), slope(random), slope(random));

  const PassWeights weights{0.3, 1.2, 9, 2.5};
  BandSystem system;
  const NodeArray<double> zeros(kGrid.Nx, kGrid.Ny);
  NormalEquationsOutcome built = BuildNormalEquations(system, kGrid, data, zeros, weights);
  ASSERT_EQ(built.status, SolveStatus::Success);
  ASSERT_EQ(SolveBandCholesky(system), SolveStatus::Success);
  NodeArray<double> z(kGrid.Nx, kGrid.Ny);
  for (int i = 1; i <= kGrid.Nx; ++i) {
    for (int j = 1; j <= kGrid.Ny; ++j) z(i, j) = system.Rhs()[kGrid.Unknown(i, j)];
  }

  // The objective written out from its terms.
  const SmoothnessValues smooth = SmoothnessMeasures(kGrid, z);
  double heightSum = 0, dipSum = 0;
  for (int k = 0; k < data.Nh(); ++k) {
    std::optional<DatumLocation> at = LocateDatum(kGrid, data.XH[k], data.YH[k]);
    ASSERT_TRUE(at);
    Stencil s;
    heightSum += std::pow(InterpolateEstimate(*at, z, s) - data.ZH[k], 2);
  }
  for (int k = 0; k < data.Nd(); ++k) {
    std::optional<DatumLocation> at = LocateDatum(kGrid, data.XD[k], data.YD[k]);
    ASSERT_TRUE(at);
    dipSum +=
        std::pow(ApplyStencil(SetSlopeXStencil(*at, kGrid.Dx), at->ic, at->jc, z) - data.GxD[k], 2);
    dipSum +=
        std::pow(ApplyStencil(SetSlopeYStencil(*at, kGrid.Dy), at->ic, at->jc, z) - data.GyD[k], 2);
  }
  const double objective = weights.m1 * smooth.J1 + weights.m2 * smooth.J2 +
                           weights.alpha / data.Nh() * heightSum +
                           weights.beta / data.Nd() * dipSum;

  EstimationReport report =
      MakeEstimationReport(kGrid, data, z, weights.m1, weights.m2, weights.alpha, weights.beta);
  EXPECT_NEAR(report.Q, objective, 1e-9 * objective);
  EXPECT_EQ(report.CH, 12);
  EXPECT_EQ(report.CD, 4);

  // And the solution is its minimum: nudging any node raises it.
  for (int i : {1, 3, 8}) {
    for (int j : {1, 4, 6}) {
      NodeArray<double> nudged = z;
      nudged(i, j) += 1e-3;
      EstimationReport worse = MakeEstimationReport(kGrid, data, nudged, weights.m1, weights.m2,
                                                    weights.alpha, weights.beta);
      EXPECT_GT(worse.Q, report.Q) << i << " " << j;
    }
  }
}

}  // namespace
}  // namespace kessadon
