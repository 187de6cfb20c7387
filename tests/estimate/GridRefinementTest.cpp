#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

#include "estimate/GridRefinement.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

using Surface = std::function<double(double, double)>;

// A grid of heights f(x, y), its original kept, as loading leaves it.
GridData LoadedGrid(const testing::GridShape& shape, const Surface& f) {
  GridData grid = testing::MakeMapGrid(shape, f);
  KeepOriginalGrid(grid);
  UpdateGridGeometry(grid);
  return grid;
}

// Degree 2 in x and in y: bicubic patches with exact node slopes reproduce it.
double Biquadratic(double x, double y) {
  return 3 + 2 * x - y + 0.5 * x * y + 0.1 * x * x - 0.2 * y * y + 0.01 * x * x * y * y -
         0.03 * x * x * y + 0.02 * x * y * y;
}

double Hills(double x, double y) { return 100 + 20 * std::sin(x / 30) * std::cos(y / 45); }

TEST(SlopeSystem, ReproducesTheSlopesOfPolynomialsItsEndsAllow) {
  // Uneven spacing, so that lambda and mu differ from row to row.
  const std::vector<double> t = {0, 1.0, 1.5, 3.0, 3.25, 5.0, 7.5};
  const int n = 6;
  struct Case {
    SlopeEnds ends;
    double a, b, c, d;  // f = a + b t + c t^2 + d t^3
  } cases[] = {
      {SlopeEnds::Parabolic, 2, -1, 0.5, 0},
      {SlopeEnds::Clamped, 2, -1, 0.5, 0.2},
  };
  for (const Case& k : cases) {
    const SlopeSystem system = FactorSlopeSystem(t, n, k.ends);
    std::vector<double> f(n + 1), m(n + 1);
    auto slope = [&k](double x) { return k.b + 2 * k.c * x + 3 * k.d * x * x; };
    for (int i = 1; i <= n; ++i)
      f[i] = k.a + k.b * t[i] + k.c * t[i] * t[i] + k.d * t[i] * t[i] * t[i];
    SolveSlopeSystem(system, f, slope(t[1]), slope(t[n]), m);
    for (int i = 1; i <= n; ++i) EXPECT_NEAR(m[i], slope(t[i]), 1e-12) << i;
  }
}

// Largest difference between the new heights and f at the new nodes, relative to f's range.
double WorstError(const GridData& grid, const RefinedGrid& r, const Surface& f) {
  double worst = 0, scale = 0;
  for (int u = 1; u <= r.NxNew; ++u) {
    for (int v = 1; v <= r.NyNew; ++v) {
      const double want = f(grid.Xmin + (u - 1) * r.DxNew, grid.Ymin + (v - 1) * r.DyNew);
      worst = std::max(worst, std::abs(r.ZNew(u, v) - want));
      scale = std::max(scale, std::abs(want));
    }
  }
  return worst / scale;
}

TEST(RefineGrid, ReproducesBiquadraticsAtEveryNewNode) {
  const GridData grid =
      LoadedGrid({.nx = 9, .ny = 6, .dx = 7.5, .dy = 4, .xmin = 120, .ymin = -35}, Biquadratic);
  // Counts that are not multiples, fewer nodes than before, and halves rounding to even.
  struct Case {
    double nx, ny;
    std::int32_t nxNew, nyNew;
  } cases[] = {{31, 20, 31, 20}, {4, 3, 4, 3}, {9.5, 6.5, 10, 6}, {17.4, 2.5, 17, 2}};
  for (const Case& c : cases) {
    Result<RefinedGrid> r = RefineGrid(grid, c.nx, c.ny);
    ASSERT_TRUE(r) << r.failure().message;
    EXPECT_EQ(r->NxNew, c.nxNew);
    EXPECT_EQ(r->NyNew, c.nyNew);
    EXPECT_DOUBLE_EQ(r->DxNew, 60.0 / (c.nxNew - 1));
    EXPECT_DOUBLE_EQ(r->DyNew, 20.0 / (c.nyNew - 1));
    EXPECT_LT(WorstError(grid, *r, Biquadratic), 1e-12) << c.nx << " x " << c.ny;
  }
}

TEST(RefineGrid, KeepsTheOldHeightsWhereNewNodesMeetOldOnes) {
  const GridData grid =
      LoadedGrid({.nx = 11, .ny = 11, .dx = 10, .dy = 15, .xmin = 500, .ymin = 300}, Hills);
  for (int n : {11, 21}) {
    Result<RefinedGrid> r = RefineGrid(grid, n, n);
    ASSERT_TRUE(r) << r.failure().message;
    const int step = (n - 1) / 10;
    for (int i = 1; i <= 11; ++i) {
      for (int j = 1; j <= 11; ++j) {
        EXPECT_NEAR(r->ZNew(step * (i - 1) + 1, step * (j - 1) + 1), grid.Z(i, j),
                    1e-12 * std::abs(grid.Z(i, j)))
            << n << ": " << i << ", " << j;
      }
    }
  }
  // Refining to the same counts keeps the original current.
  GridData same = grid;
  EXPECT_FALSE(ToggleRefinedGrid(same, *RefineGrid(same, 11, 11)));
}

TEST(RefineGrid, RefusesWhatCannotBeRefinedWithOneLineReason) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    int nx, ny;
    double dx, nxNew, nyNew;
  } cases[] = {
      {2, 5, 1, 10, 10},   {5, 2, 1, 10, 10},  {5, 4, 0, 10, 10},  {5, 4, 1, 1.4, 10},
      {5, 4, 1, 10, 1},    {5, 4, 1, 10, -3},  {5, 4, 1, nan, 10}, {5, 4, 1, 10, inf},
      {5, 4, 1, 1e5, 1e5}, {5, 4, 1, 3e9, 10}, {5, 4, 1, 10, 5e7},
  };
  for (const Case& c : cases) {
    const GridData g = LoadedGrid({.nx = c.nx, .ny = c.ny, .dx = c.dx}, Hills);
    Result<RefinedGrid> r = RefineGrid(g, c.nxNew, c.nyNew);
    ASSERT_FALSE(r) << c.nx << " " << c.ny << " " << c.dx << " " << c.nxNew << " " << c.nyNew;
    EXPECT_EQ(r.failure().message.find('\n'), std::string::npos);
  }
  // The smallest grid and request that can be refined.
  EXPECT_TRUE(RefineGrid(LoadedGrid({.nx = 3, .ny = 3}, Hills), 2, 1.5));
}

TEST(RefineGrid, AResultThatOverflowsIsRefused) {
  // Heights read from no file (the readers refuse these), and heights steep for a tiny spacing.
  for (const auto& [height, spacing] : {std::pair{1e308, 1.0}, std::pair{1e100, 1e-250}}) {
    const double h = height;
    const GridData g = LoadedGrid(
        {.nx = 3, .ny = 3, .dx = spacing, .dy = spacing}, [h, spacing](double x, double y) {
          return std::fmod(std::round((x + y) / spacing), 2) == 0 ? h : -h;
        });
    Result<RefinedGrid> r = RefineGrid(g, 5, 5);
    ASSERT_FALSE(r) << height;
    EXPECT_NE(r.failure().message.find("の高さが計算の範囲を超えました"), std::string::npos)
        << r.failure().message;
  }
  const Surface steep = [](double x, double) { return x == 1 ? 1e90 : -1e90; };
  EXPECT_TRUE(RefineGrid(LoadedGrid({.nx = 3, .ny = 3}, steep), 4, 4));
}

TEST(ToggleRefinedGrid, SwitchesBetweenTheResampledAndTheOriginalGrid) {
  GridData grid = LoadedGrid({.nx = 7, .ny = 5, .dx = 5, .dy = 4, .xmin = 10, .ymin = 20}, Hills);
  const GridData original = grid;
  Result<RefinedGrid> r = RefineGrid(grid, 13, 41);
  ASSERT_TRUE(r);

  EXPECT_TRUE(ToggleRefinedGrid(grid, *r));
  EXPECT_EQ(grid.Nx, 13);
  EXPECT_EQ(grid.Ny, 41);
  EXPECT_DOUBLE_EQ(grid.Dx, 2.5);
  EXPECT_DOUBLE_EQ(grid.Xmax, 40);
  EXPECT_EQ(grid.Z(13, 41), r->ZNew(13, 41));

  EXPECT_FALSE(ToggleRefinedGrid(grid, *r));
  EXPECT_EQ(grid.Nx, 7);
  EXPECT_EQ(grid.Dy, 4);
  EXPECT_EQ(grid.Z, original.Z);
  EXPECT_EQ(grid.GridX, original.GridX);
  EXPECT_EQ(grid.Zmin, original.Zmin);
}

}  // namespace
}  // namespace kessadon
