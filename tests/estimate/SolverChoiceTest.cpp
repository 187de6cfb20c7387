// The band and the sparse solver give the same estimation, pass for pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "EstimateTestData.h"
#include "estimate/EstimationRun.h"

namespace kessadon {
namespace {

using testing::Height;
using testing::MakeData;

struct Shape {
  std::int32_t nx, ny;
  bool dips, bounds;
};

// Scattered heights of a tilted hill over 0 ... 100 by 0 ... 60, some as
// bounds, and dips of the same surface.
PreparedData HillData(const Shape& s, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> x(0, 100), y(0, 60);
  auto z = [](double px, double py) {
    return 50 + 0.3 * px + 20 * std::sin(px / 15) * std::cos(py / 11);
  };
  std::vector<Height> heights;
  for (int k = 0; k < 3 * (s.nx + s.ny); ++k) {
    const double px = x(random), py = y(random);
    const std::int16_t l = s.bounds && k % 4 == 0 ? std::int16_t(k % 8 == 0 ? 1 : -1) : 0;
    heights.push_back({px, py, z(px, py) + l * 5, l});
  }
  PreparedData data = MakeData(heights);
  if (s.dips) {
    for (int k = 0; k < 10; ++k) testing::AddDip(data, x(random), y(random), 0.3, -0.1);
  }
  return data;
}

EstimationParameters Parameters(const Shape& s) {
  EstimationParameters p;
  p.Xmax = 100;
  p.Ymax = 60;
  p.Nx = s.nx;
  p.Ny = s.ny;
  p.Ratio = s.dips ? 1 : 0;
  if (s.bounds) {
    p.AlphaMin = 0.25;
    p.AlphaMax = 16;
    p.Nitr = 4;
  }
  return p;
}

TEST(SolverChoice, BandAndSparseGiveTheSameSurfaceAndReports) {
  for (const Shape& s : {Shape{23, 7, false, false}, Shape{6, 31, true, false},
                         Shape{17, 15, true, true}, Shape{40, 4, false, true}}) {
    const PreparedData data = HillData(s, static_cast<unsigned>(s.nx * 100 + s.ny));
    const EstimationParameters p = Parameters(s);
    Result<EstimationResult> band = RunEstimation(data, p, {}, EstimationSolver::Band);
    Result<EstimationResult> sparse = RunEstimation(data, p, {}, EstimationSolver::Sparse);
    ASSERT_TRUE(band && sparse) << s.nx << " x " << s.ny;
    ASSERT_EQ(band->PassReports.size(), sparse->PassReports.size());
    const GridData& a = band->Grid;
    const auto [low, high] = std::minmax_element(a.Z.Data(), a.Z.Data() + a.Z.Size());
    const double tolerance = 1e-9 * (*high - *low);
    for (int i = 1; i <= a.Nx; ++i) {
      for (int j = 1; j <= a.Ny; ++j) {
        ASSERT_NEAR(sparse->Grid.Z(i, j), a.Z(i, j), tolerance) << s.nx << " x " << s.ny;
      }
    }
    const EstimationReport& r = band->Report;
    const EstimationReport& q = sparse->Report;
    for (const auto& [x, y] : {std::pair{r.J1, q.J1}, {r.J2, q.J2}, {*r.RH, *q.RH}, {r.Q, q.Q}}) {
      EXPECT_NEAR(x, y, 1e-9 * std::abs(x)) << s.nx << " x " << s.ny;
    }
  }
}

TEST(SolverChoice, UndeterminedNodesStopBothSolvers) {
  // Without smoothing the nodes no datum touches have no equation.
  Shape s{12, 9, false, false};
  EstimationParameters p = Parameters(s);
  p.M2 = 0;
  for (EstimationSolver solver : {EstimationSolver::Band, EstimationSolver::Sparse}) {
    Result<EstimationResult> run = RunEstimation(HillData(s, 5), p, {}, solver);
    ASSERT_FALSE(run);
    EXPECT_NE(run.failure().message.find("m1 = m2 = 0"), std::string::npos)
        << run.failure().message;
  }
}

TEST(SolverChoice, SmallGridsTakeTheBandLargeOnesTheSparsePath) {
  EstimationGrid small, large;
  small.Nx = small.Ny = 40;
  large.Nx = large.Ny = 100;
  EXPECT_EQ(ChooseSolver(small), EstimationSolver::Band);
  EXPECT_EQ(ChooseSolver(large), EstimationSolver::Sparse);

  // The band of a 3000 x 3000 grid would take 140 GiB: refused before anything is allocated.
  const Shape huge{3000, 3000, false, false};
  Result<EstimationResult> band =
      RunEstimation(HillData(huge, 1), Parameters(huge), {}, EstimationSolver::Band);
  ASSERT_FALSE(band);
  EXPECT_NE(band.failure().message.find("3002 × 3002"), std::string::npos)
      << band.failure().message;
}

}  // namespace
}  // namespace kessadon
