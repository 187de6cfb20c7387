// The pieces of turning the view by hand: the wheel's magnification and the
// thinned grid of the quick pictures.
#include <gtest/gtest.h>

#include <cmath>

#include "render/ThinnedGrid.h"
#include "render/ViewDrag.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

TEST(WheelMagnification, ScalesByNotchesAndNeverReachesZero) {
  EXPECT_DOUBLE_EQ(*WheelMagnification(2, 1), 2.2);
  EXPECT_DOUBLE_EQ(*WheelMagnification(2, -2), 2 / 1.21);
  EXPECT_DOUBLE_EQ(*WheelMagnification(2, 0.5), 2 * std::sqrt(1.1));
  EXPECT_FALSE(WheelMagnification(0, 1));
  EXPECT_FALSE(WheelMagnification(-1, 1));
  EXPECT_FALSE(WheelMagnification(1e-300, -1e4)) << "would underflow to 0";
  EXPECT_FALSE(WheelMagnification(1e300, 1e4)) << "would overflow";
}

TEST(ThinningStep, LeavesAQuickPicturesCells) {
  struct Case {
    int nx, ny, step;
  };
  for (const Case& c : {Case{1000, 1000, 5}, Case{4000, 4000, 18}, Case{201, 201, 1},
                        Case{250, 250, 2}, Case{60000, 2, 2}, Case{1, 1, 1}}) {
    GridData grid;
    grid.Nx = c.nx;
    grid.Ny = c.ny;
    EXPECT_EQ(ThinningStep(grid), c.step) << c.nx << " x " << c.ny;
    EXPECT_LE(ThinnedCells(grid, c.step), kQuickPictureCells);
  }
  GridData million;
  million.Nx = million.Ny = 1000;
  EXPECT_EQ(ThinnedCells(million, 5), 200 * 200);
}

TEST(ThinGrid, KeepsTheCornersExtentAndHeightRange) {
  // The highest node lies off the thinned rows, the lowest at the last node.
  const GridData grid =
      testing::MakeGrid({.nx = 12, .ny = 7, .dx = 10, .dy = 5, .xmin = 100}, [](int i, int j) {
        if (i == 2 && j == 2) return 500.0;
        return i == 12 && j == 7 ? -3.0 : i + j;
      });
  const GridData thin = ThinGrid(grid, 3);
  EXPECT_EQ(thin.Nx, 5);  // nodes 1, 4, 7, 10, 12
  EXPECT_EQ(thin.Ny, 3);  // nodes 1, 4, 7
  EXPECT_EQ(thin.GridX[2], grid.GridX[4]);
  EXPECT_EQ(thin.GridX[5], grid.Xmax);
  EXPECT_EQ(thin.GridY[3], grid.Ymax);
  EXPECT_EQ(thin.Z(4, 2), grid.Z(10, 4));
  EXPECT_EQ(thin.Z(5, 3), -3);
  EXPECT_EQ(thin.Zmax, 500) << "the range of the whole grid, for the scale and base";
  EXPECT_EQ(thin.Zcen, grid.Zcen);
  EXPECT_DOUBLE_EQ((thin.Nx - 1) * thin.Dx, (grid.Nx - 1) * grid.Dx);
  EXPECT_DOUBLE_EQ((thin.Ny - 1) * thin.Dy, (grid.Ny - 1) * grid.Dy);

  ViewProjection whole, quick;
  whole.Sca = quick.Sca = 1;
  UpdatePixelScale(whole, grid, {}, 500, 300);
  UpdatePixelScale(quick, thin, {}, 500, 300);
  EXPECT_DOUBLE_EQ(quick.PixelScale, whole.PixelScale);
}

}  // namespace
}  // namespace kessadon
