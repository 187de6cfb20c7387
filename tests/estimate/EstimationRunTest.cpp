#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>

#include "EstimateTestData.h"
#include "estimate/EstimationRun.h"
#include "io/GridFile.h"

namespace kessadon {
namespace {

using testing::Height;
using testing::MakeData;

double Plane(double x, double y) { return 250 + 0.8 * x - 0.35 * y; }

EstimationParameters Requested() {
  EstimationParameters p;
  p.Xmin = 0;
  p.Xmax = 100;
  p.Ymin = 0;
  p.Ymax = 80;
  p.Nx = 11;
  p.Ny = 9;
  return p;
}

PreparedData PlaneData(int count, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> x(0, 100), y(0, 80);
  std::vector<Height> heights;
  for (int k = 0; k < count; ++k) {
    const double px = x(random), py = y(random);
    heights.push_back({px, py, Plane(px, py)});
  }
  return MakeData(heights);
}

bool Contains(const std::string& text, const char* part) {
  return text.find(part) != std::string::npos;
}

TEST(RunEstimation, HeightsFromAPlaneComeBackAsThatPlaneOnTheRequestedNodes) {
  const PreparedData data = PlaneData(30, 3);
  for (double extension : {0.0, 25.0, 50.0}) {
    EstimationParameters p = Requested();
    p.Xexp = extension;
    p.Yexp = extension;
    Result<EstimationResult> run = RunEstimation(data, p);
    ASSERT_TRUE(run) << run.failure().message;
    const GridData& grid = run->Grid;
    ASSERT_EQ(grid.Nx, 11);
    ASSERT_EQ(grid.Ny, 9);
    EXPECT_EQ(grid.Xmin, 0);
    EXPECT_EQ(grid.Ymin, 0);
    EXPECT_EQ(grid.Dx, 10);
    EXPECT_EQ(grid.Dy, 10);
    EXPECT_EQ(grid.Z.UpperI(), 11);
    EXPECT_EQ(grid.Z.UpperJ(), 9);
    const double range = Plane(100, 0) - Plane(0, 80);
    for (int i = 1; i <= 11; ++i) {
      for (int j = 1; j <= 9; ++j) {
        ASSERT_NEAR(grid.Z(i, j), Plane((i - 1) * 10.0, (j - 1) * 10.0), 1e-9 * range)
            << extension << " " << i << " " << j;
      }
    }
    EXPECT_EQ(run->Status, SolveStatus::Success);
    EXPECT_EQ(run->StoppedAtPass, 0);
    ASSERT_EQ(run->PassReports.size(), 1u);
    EXPECT_EQ(run->Report.CH, 30);
    ASSERT_TRUE(run->Report.RH);
    EXPECT_NEAR(*run->Report.RH, 0, 1e-16);
    EXPECT_NEAR(run->Report.J1, 0.8 * 0.8 + 0.35 * 0.35, 1e-9);
  }
}

TEST(RunEstimation, PassesWeightsAndProgress) {
  PreparedData data = PlaneData(20, 5);
  data.LH[3] = 1;  // a lower bound the plane touches
  data.HasBoundData = true;
  testing::AddDip(data, 40, 40, 0.8, -0.35);
  EstimationParameters p = Requested();
  p.AlphaMin = 0.25;
  p.AlphaMax = 16;
  p.Nitr = 6;
  p.Ratio = 2;
  std::vector<EstimationProgressStep> steps;
  Result<EstimationResult> run = RunEstimation(data, p, [&](const EstimationProgressStep& step) {
    steps.push_back(step);
    return true;
  });
  ASSERT_TRUE(run) << run.failure().message;
  ASSERT_EQ(run->PassReports.size(), 6u);
  EXPECT_EQ(run->PassesPlanned, 6);
  EXPECT_DOUBLE_EQ(run->PassReports[0].Alpha, 0.25);
  EXPECT_NEAR(run->PassReports[2].Alpha, 1.3195079107728942, 1e-12);
  EXPECT_NEAR(run->Report.Alpha, 16, 1e-12);
  EXPECT_NEAR(run->Report.Beta, 32, 1e-11);
  // The stages themselves are checked in RunProgressTest.cpp.
  ASSERT_FALSE(steps.empty());
  for (const EstimationProgressStep& step : steps) EXPECT_EQ(step.passes, 6);
  EXPECT_EQ(steps.back().pass, 6);
  EXPECT_EQ(steps.back().fraction, 1);

  // Without bounds one pass at alpha(min); without dips no beta, whatever the ratio.
  PreparedData plain = PlaneData(20, 5);
  p.AlphaMin = 5;
  Result<EstimationResult> once = RunEstimation(plain, p);
  ASSERT_TRUE(once);
  ASSERT_EQ(once->PassReports.size(), 1u);
  EXPECT_EQ(once->Report.Alpha, 5);
  EXPECT_EQ(once->Report.Beta, 0);
  EXPECT_FALSE(once->Report.CD);
}

TEST(RunEstimation, FirstPassFailureGivesNoGridButAReason) {
  Result<EstimationResult> few = RunEstimation(PlaneData(2, 1), Requested());
  ASSERT_FALSE(few);
  EXPECT_TRUE(Contains(few.failure().message, "データが足りません")) << few.failure().message;
  EXPECT_TRUE(Contains(few.failure().message, "位置データ 2 個")) << few.failure().message;

  // Data far outside the requested grid do not count, and the refusal says the range misses them.
  PreparedData outside = PlaneData(20, 1);
  for (double& x : outside.XH) x += 500;
  outside.XminH += 500;
  outside.XmaxH += 500;
  const Result<EstimationResult> missed = RunEstimation(outside, Requested());
  ASSERT_FALSE(missed);
  EXPECT_TRUE(Contains(missed.failure().message, "はすべて推定する範囲"))
      << missed.failure().message;

  EstimationParameters noSmoothing = Requested();
  noSmoothing.M2 = 0;
  Result<EstimationResult> undetermined = RunEstimation(PlaneData(20, 1), noSmoothing);
  ASSERT_FALSE(undetermined);
  EXPECT_TRUE(Contains(undetermined.failure().message, "m1 = m2 = 0"))
      << undetermined.failure().message;

  EstimationParameters reversed = Requested();
  reversed.Ymax = -80;
  EXPECT_FALSE(RunEstimation(PlaneData(20, 1), reversed));
}

TEST(RunEstimation, AResultThatOverflowsIsRefused) {
  // Heights the readers refuse, alternating so that every figure overflows.
  PreparedData huge = PlaneData(20, 1);
  for (std::size_t k = 0; k < huge.ZH.size(); ++k) huge.ZH[k] = k % 2 ? 1e308 : -1e308;
  Result<EstimationResult> run = RunEstimation(huge, Requested());
  ASSERT_FALSE(run);
  EXPECT_TRUE(Contains(run.failure().message, "計算の範囲を超えました")) << run.failure().message;

  // Heights well inside the bound the readers keep give a result.
  for (std::size_t k = 0; k < huge.ZH.size(); ++k) huge.ZH[k] = k % 2 ? 1e90 : -1e90;
  EXPECT_TRUE(RunEstimation(huge, Requested()));
}

// Heights at and around every inner node pin the whole grid, the corner (1, 1)
// only through one lower bound, which lets go, and a vanishing curvature
// weight. Small as that weight is, it fixes the corner: every pass runs, on
// every solver, as it would with any other weight.
TEST(RunEstimation, AVanishingCurvatureWeightStillDeterminesTheSurface) {
  EstimationParameters p;
  p.Xmin = 0;
  p.Xmax = 3;
  p.Ymin = 0;
  p.Ymax = 3;
  p.Nx = 4;
  p.Ny = 4;
  p.M1 = 0;
  p.M2 = 1e-10;
  p.AlphaMin = 0.25;
  p.AlphaMax = 16;
  p.Nitr = 6;
  std::vector<Height> heights;
  for (double x = 0; x <= 3; ++x) {
    for (double y = 0; y <= 3; ++y) {
      heights.push_back({x, y, Plane(x, y)});
      for (double dx : {-0.25, 0.25}) {
        for (double dy : {-0.25, 0.25}) {
          const bool corner = x == 0 && y == 0 && dx < 0 && dy < 0;
          const double z = Plane(x + dx, y + dy) - (corner ? 50 : 0);
          heights.push_back({x + dx, y + dy, z, std::int16_t(corner ? 1 : 0)});
        }
      }
    }
  }
  for (EstimationSolver solver :
       {EstimationSolver::Band, EstimationSolver::Sparse, EstimationSolver::Iterative}) {
    Result<EstimationResult> run = RunEstimation(MakeData(heights), p, {}, solver);
    ASSERT_TRUE(run) << run.failure().message;
    EXPECT_EQ(run->StoppedAtPass, 0);
    EXPECT_EQ(run->PassReports.size(), 6u);
    ASSERT_EQ(run->Grid.Nx, 4);
    EXPECT_NEAR(run->Grid.Z(2, 3), Plane(1, 2), 1e-3);
  }
}

// The same problem in metres, in kilometres and in cells of 50 km (heights
// scaled with the map, the height weight by the inverse square, so that the
// objective only changes by a constant) gives the same surface, scaled, on
// every solver: what the solvers accept does not depend on the units.
TEST(RunEstimation, TheSameProblemInOtherUnitsGivesTheSameSurfaceScaled) {
  const PreparedData plane = PlaneData(60, 9);
  std::vector<double> reference;
  for (const double scale : {1.0, 1e-3, 2e4}) {
    std::vector<Height> scaled;
    for (std::size_t k = 0; k < plane.XH.size(); ++k) {
      const double z = plane.ZH[k] + (k % 3 == 0 ? 8.0 : -4.0);
      scaled.push_back({plane.XH[k] * scale, plane.YH[k] * scale, z * scale});
    }
    EstimationParameters p = Requested();
    p.Xmax *= scale;
    p.Ymax *= scale;
    p.Nx = 41;
    p.Ny = 33;
    p.AlphaMin = 32 / (scale * scale);
    for (EstimationSolver solver :
         {EstimationSolver::Band, EstimationSolver::Sparse, EstimationSolver::Iterative}) {
      const Result<EstimationResult> run = RunEstimation(MakeData(scaled), p, {}, solver);
      ASSERT_TRUE(run) << scale << ": " << run.failure().message;
      std::vector<double> z;
      for (std::int32_t i = 1; i <= p.Nx; ++i) {
        for (std::int32_t j = 1; j <= p.Ny; ++j) z.push_back(run->Grid.Z(i, j) / scale);
      }
      if (reference.empty()) reference = z;
      for (std::size_t k = 0; k < z.size(); ++k) {
        ASSERT_NEAR(z[k], reference[k], 1e-5) << scale << " " << k;
      }
    }
  }
}

TEST(RunEstimation, LowerBoundAboveTheSurfaceLiftsIt) {
  // A flat surface at 0 from ordinary heights, a lower bound of 10 in the middle.
  std::vector<Height> heights;
  for (double x : {10.0, 50.0, 90.0}) {
    for (double y : {10.0, 70.0}) heights.push_back({x, y, 0});
  }
  EstimationParameters p = Requested();
  p.AlphaMin = 0.25;
  p.AlphaMax = 16;
  p.Nitr = 6;
  Result<EstimationResult> flat = RunEstimation(MakeData(heights), p);
  ASSERT_TRUE(flat);
  EXPECT_NEAR(flat->Grid.Z(6, 5), 0, 1e-9);

  heights.push_back({50, 40, 10, 1});
  Result<EstimationResult> lifted = RunEstimation(MakeData(heights), p);
  ASSERT_TRUE(lifted) << lifted.failure().message;
  EXPECT_GT(lifted->Grid.Z(6, 5), 8);
  EXPECT_LT(lifted->Grid.Z(6, 5), 10.5);
  EXPECT_GT(lifted->Grid.Z(6, 5), lifted->Grid.Z(3, 5));

  // A lower bound below the surface changes nothing.
  heights.back() = {50, 40, -10, 1};
  Result<EstimationResult> below = RunEstimation(MakeData(heights), p);
  ASSERT_TRUE(below);
  EXPECT_NEAR(below->Grid.Z(6, 5), 0, 1e-9);
  EXPECT_EQ(below->Report.CH, 6);
}

TEST(RunEstimation, HillSampleReproducesTheHillGrid) {
  const std::string samples = std::string(KESSADON_SOURCE_DIR) + "/data/samples/";
  Result<MeasuredData> points = LoadMeasuredData(samples + "hill_points.txt", 1);
  ASSERT_TRUE(points) << points.failure().message;
  Result<GridData> hill = ReadGridFile(samples + "hill.grd");
  ASSERT_TRUE(hill);
  EstimationParameters p;
  p.Xmin = 0;
  p.Xmax = 1000;
  p.Ymin = 0;
  p.Ymax = 750;
  p.Nx = 41;
  p.Ny = 31;
  p.Xexp = p.Yexp = 10;
  Result<EstimationResult> run = RunEstimation(PrepareMeasuredData(*points), p);
  ASSERT_TRUE(run) << run.failure().message;
  double sum = 0;
  for (int i = 1; i <= 41; ++i) {
    for (int j = 1; j <= 31; ++j) sum += std::pow(run->Grid.Z(i, j) - hill->Z(i, j), 2);
  }
  // Scattered heights over a 300 m relief: within a few metres on average.
  EXPECT_LT(std::sqrt(sum / (41 * 31)), 6);
}

}  // namespace
}  // namespace kessadon
