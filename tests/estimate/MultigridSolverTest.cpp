#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "EstimateTestData.h"
#include "estimate/BandCholesky.h"
#include "estimate/FaultCuts.h"
#include "estimate/GridOrdering.h"
#include "estimate/MultigridSolver.h"
#include "estimate/NormalEquations.h"
#include "estimate/SparseCholesky.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

using testing::MakeEstimationGrid;

struct Shape {
  std::int32_t nx, ny;
  double dx, dy;
  int heights, dips;
  PassWeights weights;
  int iterations;  // at most, cold or warm
};

// Scattered heights of a ridged surface and a few dips over the grid.
PreparedData ScatteredData(const EstimationGrid& grid, const Shape& shape) {
  std::mt19937 random(11);
  const double width = (grid.Nx - 1) * grid.Dx, depth = (grid.Ny - 1) * grid.Dy;
  std::uniform_real_distribution<double> x(0, width), y(0, depth), noise(-0.5, 0.5);
  auto surface = [&](double u, double v) {
    return 40 * std::sin(3 * u / width) * std::cos(2 * v / depth) + 0.1 * u + noise(random);
  };
  std::vector<testing::Height> heights;
  for (int k = 0; k < shape.heights; ++k) {
    const double u = x(random), v = y(random);
    heights.push_back({u, v, surface(u, v)});
  }
  PreparedData data = testing::MakeData(heights);
  for (int k = 0; k < shape.dips; ++k) testing::AddDip(data, x(random), y(random), 0.3, -0.2);
  return data;
}

TEST(MultigridSolver, AgreesWithTheBandSolverOnLongAndSquareGrids) {
  const Shape shapes[] = {
      {150, 13, 1.0, 1.0, 300, 0, {0, 1, 32, 0}, 25},   // long in x
      {13, 150, 1.0, 1.0, 300, 3, {0, 1, 32, 32}, 25},  // long in y, with dips
      {70, 45, 1.0, 2.5, 300, 4, {0.2, 1, 8, 8}, 60},   // cells wider in y, slope term: point
                                                        // sweeps smooth poorly
      {64, 64, 2.0, 2.0, 40, 0, {0, 1, 32, 0}, 25},     // sparse data
  };
  for (const Shape& shape : shapes) {
    SCOPED_TRACE(::testing::Message() << shape.nx << " x " << shape.ny);
    const EstimationGrid grid = MakeEstimationGrid(shape.nx, shape.ny, 0, 0, shape.dx, shape.dy);
    const PreparedData data = ScatteredData(grid, shape);
    const NodeArray<double> previous(grid.Nx, grid.Ny);
    PatternSystem pattern;
    BandSystem band;
    ASSERT_EQ(BuildNormalEquations(pattern, grid, data, previous, shape.weights).status,
              SolveStatus::Success);
    ASSERT_EQ(BuildNormalEquations(band, grid, data, previous, shape.weights).status,
              SolveStatus::Success);
    ASSERT_EQ(SolveBandCholesky(band), SolveStatus::Success);
    const std::vector<double>& direct = band.Rhs();
    const auto [low, high] = std::minmax_element(direct.begin(), direct.end());
    const double range = *high - *low;

    MultigridSolver solver(grid.Nx, grid.Ny, pattern.UpperValues().data(), shape.dy / shape.dx,
                           nullptr, 60);
    EXPECT_GE(solver.Levels(), 3);
    // From zero, and warm from a nearby surface as a later pass starts.
    std::vector<double> cold(direct.size(), 0.0), warm = direct;
    for (std::size_t k = 0; k < warm.size(); ++k) warm[k] += 0.01 * range * std::sin(0.1 * k);
    for (std::vector<double>* z : {&cold, &warm}) {
      const IterativeOutcome outcome = solver.Solve(pattern.Rhs(), *z);
      EXPECT_TRUE(outcome.converged);
      EXPECT_LE(outcome.iterations, shape.iterations);
      EXPECT_LE(outcome.residual, 1e-8);
      double worst = 0;
      for (std::size_t k = 0; k < direct.size(); ++k) {
        worst = std::max(worst, std::abs((*z)[k] - direct[k]));
      }
      EXPECT_LE(worst / range, 1e-6);
    }
  }
}

// Beside a fault the coarse grids still follow each block's tilt, and the
// boxes round its tips and corners take up what they miss: iterations stay
// near those without faults (weights that only kept each block's level
// beside a cut took 29 to 39 here), and the heights are the direct solver's.
TEST(MultigridSolver, ConvergesAsFastBesideFaults) {
  struct Case {
    const char* what;
    std::vector<std::pair<double, double>> trace;
    int iterations;
  };
  const Case cases[] = {
      {"across, between columns", {{80.3, -5}, {80.3, 200}}, 20},
      {"slanting, ending inside", {{40.3, 40.2}, {110.1, 120.4}}, 21},
      {"slanting, across", {{-5.2, 30.4}, {200.1, 140.7}}, 20},
      {"steep, across", {{60.3, -5}, {75.1, 200}}, 34},  // its steps: the slowest case
  };
  const Shape shape{161, 161, 1, 1, 2500, 0, {0, 1, 32, 0}, 0};
  const EstimationGrid grid = MakeEstimationGrid(shape.nx, shape.ny, 0, 0, 1, 1);
  const PreparedData data = ScatteredData(grid, shape);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FaultTraces traces;
    traces.traces.emplace_back();
    for (const auto& [x, y] : c.trace) {
      traces.traces.back().x.push_back(x);
      traces.traces.back().y.push_back(y);
    }
    const FaultCuts cuts(grid, traces);
    PassWeights weights = shape.weights;
    weights.faults = &cuts;
    PatternSystem pattern;
    BandSystem band;
    const NodeArray<double> previous(grid.Nx, grid.Ny);
    ASSERT_EQ(BuildNormalEquations(pattern, grid, data, previous, weights).status,
              SolveStatus::Success);
    ASSERT_EQ(BuildNormalEquations(band, grid, data, previous, weights).status,
              SolveStatus::Success);
    ASSERT_EQ(SolveBandCholesky(band), SolveStatus::Success);
    MultigridSolver solver(grid.Nx, grid.Ny, pattern.UpperValues().data(), 1, &cuts, 200);
    std::vector<double> z(band.Rhs().size(), 0.0);
    const IterativeOutcome outcome = solver.Solve(pattern.Rhs(), z);
    EXPECT_TRUE(outcome.converged);
    EXPECT_LE(outcome.iterations, c.iterations);
    const auto [low, high] = std::minmax_element(band.Rhs().begin(), band.Rhs().end());
    double worst = 0;
    for (std::size_t k = 0; k < z.size(); ++k)
      worst = std::max(worst, std::abs(z[k] - band.Rhs()[k]));
    EXPECT_LE(worst / (*high - *low), 1e-6);
  }
}

// The equations of a grid with scattered heights and dips.
PatternSystem Equations(const Shape& shape, const FaultCuts* faults = nullptr) {
  const EstimationGrid grid = MakeEstimationGrid(shape.nx, shape.ny, 0, 0, shape.dx, shape.dy);
  PassWeights weights = shape.weights;
  weights.faults = faults;
  PatternSystem pattern;
  const NormalEquationsOutcome built = BuildNormalEquations(
      pattern, grid, ScatteredData(grid, shape), NodeArray<double>(shape.nx, shape.ny), weights);
  EXPECT_EQ(built.status, SolveStatus::Success);
  return pattern;
}

// Two traces over a grid's extent: one slanting across it, one ending inside.
FaultTraces TwoTraces(const EstimationGrid& grid) {
  const double width = (grid.Nx - 1) * grid.Dx, depth = (grid.Ny - 1) * grid.Dy;
  FaultTraces traces;
  traces.traces.push_back(
      {{0.3 * width, 0.34 * width, 0.42 * width}, {-0.05 * depth, 0.3 * depth, 1.05 * depth}});
  traces.traces.push_back({{0.6 * width, 0.7 * width}, {0.2 * depth, 0.5 * depth}});
  return traces;
}

// The sparse solver's heights for the same equations.
std::vector<double> DirectHeights(const PatternSystem& pattern) {
  const EstimationGrid& grid = pattern.Grid();
  LowerMatrix a;
  EXPECT_TRUE(pattern.CopyLower(a));
  Result<SparseCholesky> cholesky =
      SparseCholesky::Analyse(a, GridNestedDissection(grid.Nx, grid.Ny), std::int64_t{1} << 32);
  std::vector<double> heights = pattern.Rhs();
  EXPECT_TRUE(cholesky && cholesky->FactorAndSolve(a, heights) == SolveStatus::Success);
  return heights;
}

// On cells twenty times as long one way as the other the curvature along
// their short side outweighs that along the long one 160,000 times.
// Relaxing whole lines that way, the heights come within the promised 1e-7
// of their range of the direct solver's in a quarter of the steps or fewer
// that point sweeps over grids halved one way took (89 to 116, up to
// 1.1e-7 of the range off).
TEST(MultigridSolver, ConvergesOnLongCellsWithinThePromise) {
  struct Case {
    const char* what;
    double dx, dy;
    bool faults;
    int iterations;
  };
  const Case cases[] = {
      {"cells long in y", 1, 20, false, 18},
      {"cells long in y, faults", 1, 20, true, 32},
      {"cells long in x", 20, 1, false, 18},
      {"cells long in x, faults", 20, 1, true, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Shape shape{200, 200, c.dx, c.dy, 300, 0, {0, 1, 32, 0}, 0};
    const EstimationGrid grid = MakeEstimationGrid(shape.nx, shape.ny, 0, 0, c.dx, c.dy);
    const FaultCuts cuts(grid, c.faults ? TwoTraces(grid) : FaultTraces{});
    const PatternSystem pattern = Equations(shape, &cuts);
    const std::vector<double> direct = DirectHeights(pattern);
    const auto [low, high] = std::minmax_element(direct.begin(), direct.end());

    MultigridSolver solver(grid.Nx, grid.Ny, pattern.UpperValues().data(), c.dy / c.dx, &cuts, 200);
    std::vector<double> z(direct.size(), 0.0);
    const IterativeOutcome outcome = solver.Solve(pattern.Rhs(), z);
    EXPECT_TRUE(outcome.converged);
    EXPECT_LE(outcome.iterations, c.iterations);
    double worst = 0;
    for (std::size_t k = 0; k < z.size(); ++k) worst = std::max(worst, std::abs(z[k] - direct[k]));
    EXPECT_LE(worst / (*high - *low), 1e-7);
  }
}

TEST(MultigridSolver, StopsWhenToldAndKeepsTheLastIterate) {
  const PatternSystem pattern = Equations({60, 60, 1, 1, 200, 0, {0, 1, 32, 0}, 0});
  MultigridSolver solver(60, 60, pattern.UpperValues().data(), 1, nullptr, 60);
  std::vector<double> z(pattern.Rhs().size(), 0.0);
  // Told 0 at the start, then at most ten times a second: the wait lets the
  // first step's check reach the callback, which says stop.
  int calls = 0;
  const IterativeOutcome outcome = solver.Solve(pattern.Rhs(), z, {}, [&calls](double) {
    std::this_thread::sleep_for(std::chrono::milliseconds(120));
    return ++calls < 2;
  });
  EXPECT_EQ(outcome.status, SolveStatus::Cancelled);
  EXPECT_EQ(outcome.iterations, 1);
  EXPECT_TRUE(std::any_of(z.begin(), z.end(), [](double v) { return v != 0; }));
}

// Square cells relax by points, long ones by lines: without faults on grids
// halved both ways, beside them on grids halved one way.
TEST(MultigridSolver, GivesTheSameHeightsOnOneThreadAsOnSeveral) {
  const std::pair<double, bool> variants[] = {{1.0, false}, {20.0, false}, {20.0, true}};
  for (const auto& [dy, faults] : variants) {
    SCOPED_TRACE(::testing::Message() << "dy " << dy << (faults ? ", faults" : ""));
    const Shape shape{90, 70, 1, dy, 600, 2, {0, 1, 32, 32}, 0};
    const EstimationGrid grid = MakeEstimationGrid(shape.nx, shape.ny, 0, 0, 1, dy);
    const FaultCuts cuts(grid, faults ? TwoTraces(grid) : FaultTraces{});
    const PatternSystem pattern = Equations(shape, &cuts);
    MultigridSolver solver(90, 70, pattern.UpperValues().data(), dy, &cuts, 60);
    std::vector<std::vector<double>> heights;
    for (int threads : {1, 3}) {
      SetRenderThreads(threads);
      heights.emplace_back(pattern.Rhs().size(), 0.0);
      EXPECT_TRUE(solver.Solve(pattern.Rhs(), heights.back()).converged);
    }
    SetRenderThreads(0);
    EXPECT_EQ(heights[0], heights[1]);
  }
}

// The log holds the residual at the start and after every step, falling as
// the mean rate says.
TEST(MultigridSolver, LogsEachStepsResidual) {
  const PatternSystem pattern = Equations({60, 60, 1, 1, 200, 0, {0, 1, 32, 0}, 0});
  MultigridSolver solver(60, 60, pattern.UpperValues().data(), 1, nullptr, 60);
  std::vector<double> z(pattern.Rhs().size(), 0.0);
  const IterativeOutcome outcome = solver.Solve(pattern.Rhs(), z);
  ASSERT_TRUE(outcome.converged);
  ASSERT_EQ(outcome.residuals.size(), static_cast<std::size_t>(outcome.iterations) + 1);
  EXPECT_DOUBLE_EQ(outcome.residuals.front(), 1);
  EXPECT_EQ(outcome.residuals.back(), outcome.residual);
  const double rate = outcome.MeanRate();
  EXPECT_GT(rate, 0);
  EXPECT_LT(rate, 0.5);
  EXPECT_NEAR(std::pow(rate, outcome.iterations), outcome.residual, 1e-9 * outcome.residual);
}

}  // namespace
}  // namespace kessadon
