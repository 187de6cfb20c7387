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

TEST(SolverChoice, EverySolverGivesTheSameSurfaceAndReports) {
  // The direct solvers agree to rounding, the iterative one to its
  // tolerance; the larger grids give it coarse grids to work on.
  const Shape shapes[] = {{23, 7, false, false},  {6, 31, true, false},  {17, 15, true, true},
                          {40, 4, false, true},   {230, 40, true, true}, {36, 190, true, false},
                          {120, 110, false, true}};
  for (const Shape& s : shapes) {
    SCOPED_TRACE(::testing::Message() << s.nx << " x " << s.ny);
    const PreparedData data = HillData(s, static_cast<unsigned>(s.nx * 100 + s.ny));
    const EstimationParameters p = Parameters(s);
    Result<EstimationResult> band = RunEstimation(data, p, {}, EstimationSolver::Band);
    ASSERT_TRUE(band) << band.failure().message;
    const GridData& a = band->Grid;
    const auto [low, high] = std::minmax_element(a.Z.Data(), a.Z.Data() + a.Z.Size());
    for (const auto& [solver, tolerance] :
         {std::pair{EstimationSolver::Sparse, 1e-9}, {EstimationSolver::Iterative, 1e-6}}) {
      Result<EstimationResult> other = RunEstimation(data, p, {}, solver);
      ASSERT_TRUE(other) << other.failure().message;
      ASSERT_EQ(band->PassReports.size(), other->PassReports.size());
      EXPECT_EQ(other->Iterations > 0, solver == EstimationSolver::Iterative);
      for (int i = 1; i <= a.Nx; ++i) {
        for (int j = 1; j <= a.Ny; ++j) {
          ASSERT_NEAR(other->Grid.Z(i, j), a.Z(i, j), tolerance * (*high - *low));
        }
      }
      const EstimationReport& r = band->Report;
      const EstimationReport& q = other->Report;
      for (const auto& [x, y] : {std::pair{r.J1, q.J1}, {r.J2, q.J2}, {*r.RH, *q.RH}, {r.Q, q.Q}}) {
        // Measures of differences of heights lose a digit or two to rounding.
        EXPECT_NEAR(x, y, std::max(tolerance, 1e-8) * std::abs(x));
      }
    }
  }
}

TEST(SolverChoice, UndeterminedNodesStopBothSolvers) {
  // Without smoothing the nodes no datum touches have no equation.
  Shape s{12, 9, false, false};
  EstimationParameters p = Parameters(s);
  p.M2 = 0;
  for (EstimationSolver solver :
       {EstimationSolver::Band, EstimationSolver::Sparse, EstimationSolver::Iterative}) {
    Result<EstimationResult> run = RunEstimation(HillData(s, 5), p, {}, solver);
    ASSERT_FALSE(run);
    EXPECT_NE(run.failure().message.find("m1 = m2 = 0"), std::string::npos)
        << run.failure().message;
  }
}

TEST(SolverChoice, SizeAndMemoryChooseTheSolverAndLargeRunsAreRefusedBeforeAllocating) {
  constexpr std::int64_t GiB = std::int64_t{1} << 30;
  struct Case {
    std::int32_t side;
    std::int64_t memory;
    EstimationSolver chosen;
  };
  for (const Case& c : {Case{40, 8 * GiB, EstimationSolver::Band},
                        {100, 8 * GiB, EstimationSolver::Sparse},
                        {300, 8 * GiB, EstimationSolver::Sparse},
                        {300, GiB / 8, EstimationSolver::Iterative},  // the factor would not fit
                        {301, 8 * GiB, EstimationSolver::Iterative}}) {
    EstimationGrid grid;
    grid.Nx = grid.Ny = c.side;
    EXPECT_EQ(ChooseSolver(grid, c.memory), c.chosen) << c.side;
  }

  // The band of a 3000 x 3000 grid would take 140 GiB, the iterative path
  // 1.9 GiB of the 1.2 a 2 GiB machine gives: both refused at once, with the size.
  const Shape huge{3000, 3000, false, false};
  const PreparedData data = HillData(huge, 1);
  for (EstimationSolver solver : {EstimationSolver::Band, EstimationSolver::Iterative}) {
    Result<EstimationResult> run = RunEstimation(data, Parameters(huge), {}, solver, 2 * GiB);
    ASSERT_FALSE(run);
    EXPECT_NE(run.failure().message.find("3002 × 3002"), std::string::npos)
        << run.failure().message;
  }
  Result<EstimationResult> iterative =
      RunEstimation(data, Parameters(huge), {}, EstimationSolver::Iterative, 2 * GiB);
  EXPECT_NE(iterative.failure().message.find("反復解法に 1.9 GiB 必要"), std::string::npos)
      << iterative.failure().message;
}

}  // namespace
}  // namespace kessadon
