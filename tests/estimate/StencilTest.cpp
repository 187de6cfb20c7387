#include <gtest/gtest.h>

#include <cmath>

#include "EstimateTestData.h"
#include "estimate/Stencil.h"

namespace kessadon {
namespace {

using testing::MakeEstimationGrid;
using testing::Sample;

// Nodes at x = 100, 110, ..., 150 and y = 200, 220, ..., 280.
const EstimationGrid kGrid = MakeEstimationGrid(6, 5, 100, 200, 10, 20);

TEST(LocateDatum, HalfwayGoesToTheHigherNode) {
  std::optional<DatumLocation> at = LocateDatum(kGrid, 115, 250);
  ASSERT_TRUE(at);
  EXPECT_EQ(at->ic, 3);
  EXPECT_EQ(at->px, -0.5);
  EXPECT_EQ(at->sx, -1);
  EXPECT_EQ(at->jc, 4);
  EXPECT_EQ(at->py, -0.5);
  EXPECT_EQ(at->sy, -1);

  // (0.35 - 0.1) / 0.1 comes out a hair below 2.5: halfway still goes up.
  const EstimationGrid fine = MakeEstimationGrid(8, 8, 0.1, 0.1, 0.1, 0.1);
  at = LocateDatum(fine, 0.35, 0.35);
  ASSERT_TRUE(at);
  EXPECT_EQ(at->ic, 4);
  EXPECT_EQ(at->jc, 4);
  EXPECT_NEAR(at->px, -0.5, 1e-12);
  EXPECT_EQ(at->sx, -1);

  at = LocateDatum(kGrid, 120, 262);
  ASSERT_TRUE(at);
  EXPECT_EQ(at->ic, 3);
  EXPECT_EQ(at->px, 0);
  EXPECT_EQ(at->sx, 0);
  EXPECT_EQ(at->jc, 4);
  EXPECT_DOUBLE_EQ(at->py, 0.1);
  EXPECT_EQ(at->sy, 0);
}

TEST(LocateDatum, PointsWhoseNearestNodeIsOnTheBorderAreNotUsable) {
  // Halfway between the first two columns goes to the second: usable.
  ASSERT_TRUE(LocateDatum(kGrid, 105, 240));
  EXPECT_EQ(LocateDatum(kGrid, 105, 240)->ic, 2);
  EXPECT_FALSE(LocateDatum(kGrid, 104.9, 240));
  // Halfway between the last two columns goes to the last: not usable.
  EXPECT_FALSE(LocateDatum(kGrid, 145, 240));
  EXPECT_TRUE(LocateDatum(kGrid, 144.9, 240));
  EXPECT_FALSE(LocateDatum(kGrid, 120, 270));
  EXPECT_TRUE(LocateDatum(kGrid, 120, 269.9));
  EXPECT_FALSE(LocateDatum(kGrid, 120, 209.9));
  for (double far : {50.0, 1e300, -1e300, 9e9}) {
    EXPECT_FALSE(LocateDatum(kGrid, far, 240)) << far;
    EXPECT_FALSE(LocateDatum(kGrid, 120, far)) << far;
  }
}

// Any quadratic in x and y, and its slopes.
double Quadratic(double x, double y) {
  return 3 + 0.5 * x - 0.25 * y + 0.01 * x * x + 0.02 * x * y - 0.03 * y * y;
}
double QuadraticX(double x, double y) { return 0.5 + 0.02 * x + 0.02 * y; }
double QuadraticY(double x, double y) { return -0.25 + 0.02 * x - 0.06 * y; }

TEST(Stencils, ReproduceQuadraticsAndTheirSlopes) {
  const NodeArray<double> z = Sample(kGrid, Quadratic);
  for (double x : {105.0, 112.0, 118.0, 120.0, 133.3, 144.9}) {
    for (double y : {210.0, 229.0, 241.0, 250.0, 268.0}) {
      std::optional<DatumLocation> at = LocateDatum(kGrid, x, y);
      ASSERT_TRUE(at) << x << " " << y;
      Stencil s;
      EXPECT_NEAR(InterpolateEstimate(*at, z, s), Quadratic(x, y), 1e-9) << x << " " << y;
      EXPECT_NEAR(ApplyStencil(SetSlopeXStencil(*at, kGrid.Dx), at->ic, at->jc, z),
                  QuadraticX(x, y), 1e-11)
          << x << " " << y;
      EXPECT_NEAR(ApplyStencil(SetSlopeYStencil(*at, kGrid.Dy), at->ic, at->jc, z),
                  QuadraticY(x, y), 1e-11)
          << x << " " << y;
    }
  }
}

TEST(Stencils, TwistSitsOnTheCellTowardThePoint) {
  // Right of and below the nearest node: the cell spans offsets 0..+1 in x, -1..0 in y.
  std::optional<DatumLocation> at = LocateDatum(kGrid, 123, 236);
  ASSERT_TRUE(at);
  ASSERT_EQ(at->sx, 0);
  ASSERT_EQ(at->sy, -1);
  const Stencil value = ValueStencil(*at);
  const double t = at->px * at->py;
  EXPECT_DOUBLE_EQ(value.W[2][0], -t);
  EXPECT_EQ(value.W[0][0], 0);
  EXPECT_EQ(value.W[0][2], 0);
  EXPECT_EQ(value.W[2][2], 0);
  const Stencil slopeX = SetSlopeXStencil(*at, kGrid.Dx);
  EXPECT_DOUBLE_EQ(slopeX.W[2][0], -at->py / kGrid.Dx);
  EXPECT_EQ(slopeX.W[0][0], 0);
  const Stencil slopeY = SetSlopeYStencil(*at, kGrid.Dy);
  EXPECT_DOUBLE_EQ(slopeY.W[2][0], -at->px / kGrid.Dy);
  EXPECT_EQ(slopeY.W[2][2], 0);
}

}  // namespace
}  // namespace kessadon
