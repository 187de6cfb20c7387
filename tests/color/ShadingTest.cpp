#include <gtest/gtest.h>

#include <functional>

#include "color/Shading.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

// An nx by ny grid of spacing 10 with heights z(x, y).
GridData Grid(int nx, int ny, const std::function<double(double, double)>& z) {
  return testing::MakeMapGrid({.nx = nx, .ny = ny, .dx = 10, .dy = 10}, z);
}

TEST(Shading, GreyLevelsFollowTheAngleToTheLight) {
  const auto flat = [](double, double) { return 5.0; };
  const auto eastward = [](double x, double) { return x; };  // 45 degrees
  const auto northward = [](double, double y) { return -y; };
  struct Case {
    std::function<double(double, double)> z;
    int nx, ny;
    double ro, th;
    int grey;
  };
  for (const Case& c : {
           Case{flat, 4, 3, 0, 90, 252},
           Case{eastward, 4, 3, 0, 90, 126},
           Case{northward, 4, 3, 200, 90, 126},
           Case{flat, 4, 3, 0, 45, 126},      // light from the north
           Case{flat, 4, 3, 0, 0, 0},         // grazing
           Case{eastward, 1, 3, 0, 90, 252},  // one column: no slope along x
           Case{northward, 4, 1, 0, 90, 252},
       }) {
    const GridData grid = Grid(c.nx, c.ny, c.z);
    NodeArray<std::int32_t> levels(c.nx, c.ny);
    ComputeShading(grid, c.ro, c.th, levels);
    for (int i = 1; i <= c.nx; ++i) {
      for (int j = 1; j <= c.ny; ++j) {
        EXPECT_EQ(levels(i, j), c.grey) << c.nx << "x" << c.ny << " ro " << c.ro << " th " << c.th;
      }
    }
  }
}

TEST(Shading, EqualisationSpreadsLevelsAndLeavesAnAllDarkGridAlone) {
  NodeArray<std::int32_t> levels(3, 2);
  for (int i = 1; i <= 3; ++i) {
    for (int j = 1; j <= 2; ++j) levels(i, j) = 126;
  }
  EXPECT_TRUE(EqualizeShading(3, 2, levels));
  EXPECT_EQ(levels(2, 2), 254) << "one level: its running frequency 1 meets 255/255";

  // A third dark, two thirds bright: the dark level takes a third of the range.
  NodeArray<std::int32_t> thirds(3, 1);
  thirds(1, 1) = 20;
  thirds(2, 1) = thirds(3, 1) = 240;
  EXPECT_TRUE(EqualizeShading(3, 1, thirds));
  EXPECT_EQ(thirds(1, 1), 84);  // cumulative 1/3 meets 85/255
  EXPECT_EQ(thirds(2, 1), 254);

  NodeArray<std::int32_t> dark(2, 2);
  EXPECT_FALSE(EqualizeShading(2, 2, dark));
  EXPECT_EQ(dark(1, 1), 0);
}

}  // namespace
}  // namespace kessadon
