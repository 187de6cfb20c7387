#include <gtest/gtest.h>

#include <cmath>

#include "TestGrids.h"
#include "render/ViewProjection.h"

namespace kessadon {
namespace {

using testing::MakeGrid;
using testing::ThreeD;
using testing::ViewOf;

GridData Bumpy(int nx, int ny) {
  return MakeGrid(nx, ny, 10, 10, [](int i, int j) { return 100 + i * 3 + j * j; });
}

TEST(PainterOrder, RunsFromTheFarSideInEachQuadrant) {
  const GridData grid = Bumpy(5, 4);
  const PainterOrder xUp{1, 5, 1}, xDown{5, 1, -1}, yUp{1, 4, 1}, yDown{4, 1, -1};
  struct Case {
    double alpha;
    PainterOrder x, y;
  };
  // The eye stands in the direction alpha; the order starts on the opposite side.
  const Case cases[] = {{45, xUp, yUp}, {135, xUp, yDown}, {225, xDown, yDown}, {315, xDown, yUp}};
  for (const Case& c : cases) {
    const ViewProjection view = ViewOf(ThreeD(c.alpha, 30), grid, 400, 400);
    EXPECT_EQ(view.XOrder, c.x) << "alpha " << c.alpha;
    EXPECT_EQ(view.YOrder, c.y) << "alpha " << c.alpha;
  }
}

TEST(PainterOrder, EyeAboveTheCentreAscends) {
  const GridData grid = Bumpy(5, 4);
  // At distance 0 the eye is the centre itself, whatever the direction.
  const ViewProjection view = ViewOf(ThreeD(225, 30, NoBase, 0), grid, 400, 400);
  EXPECT_EQ(view.XOrder, (PainterOrder{1, 5, 1}));
  EXPECT_EQ(view.YOrder, (PainterOrder{1, 4, 1}));
}

TEST(PlanView, EyeSitsAHairSouthSoRowsDescend) {
  const GridData grid = Bumpy(6, 3);
  const ViewProjection view = ViewOf(PlanViewTexts(), grid, 400, 400);
  EXPECT_NEAR(view.RightX, 1, 1e-12);
  EXPECT_NEAR(view.RightY, 0, 1e-12);
  EXPECT_NEAR(view.UpY, 1, 1e-12);
  EXPECT_NEAR(view.UpZ, 0, 1e-12);
  EXPECT_GT(view.UpZ, 0);  // the degree factor sits below pi/180
  EXPECT_LT(view.EyeY, grid.Ycen);
  EXPECT_NEAR(view.EyeY - grid.Ycen, -1.6e-5, 0.1e-5);
  EXPECT_EQ(view.XOrder, (PainterOrder{1, 6, 1}));
  EXPECT_EQ(view.YOrder, (PainterOrder{3, 1, -1}));
}

TEST(PixelScale, SingleNodeWithoutDataPutsEverythingAtTheCentre) {
  const GridData grid = MakeGrid(
      1, 1, 10, 10, [](int, int) { return 123.5; }, 500, 800);
  const ViewProjection view = ViewOf(ThreeD(225, 30), grid, 301, 200);
  EXPECT_EQ(view.PixelScale, 0);
  EXPECT_EQ(view.CenterX, 150);
  EXPECT_EQ(view.CenterY, 100);
  for (double x : {-1e6, 500.0, 1e6}) {
    const auto p = ProjectPoint(view, x, x * 2, ExaggerateHeight(view, x));
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(*p, (SurfacePoint{150, 100}));
  }
}

TEST(PixelScale, SingleNodeFallsBackOnTheDataExtent) {
  const GridData grid = MakeGrid(1, 1, 10, 10, [](int, int) { return 0; });
  ViewProjection view;
  view.Sca = 2;
  UpdatePixelScale(view, grid, DataExtent{0, 40, 0, 100}, 400, 400);
  EXPECT_EQ(view.ExtentX, 40);
  EXPECT_EQ(view.ExtentY, 100);
  EXPECT_DOUBLE_EQ(view.PixelScale, 200.0 / 100 * 2);
}

TEST(PixelScale, NonSquareWindowFollowsTheSmallerHalf) {
  // 41 x 31 nodes at 25: the x side of 1000 is the longer one.
  const GridData grid = Bumpy(41, 31);
  GridData spaced = grid;
  spaced.Dx = spaced.Dy = 25;
  UpdateGridGeometry(spaced);
  ViewTexts plan = PlanViewTexts();
  plan.Sca = std::string("1");
  const ViewProjection view = ViewOf(plan, spaced, 801, 600);
  EXPECT_EQ(view.CenterX, 400);
  EXPECT_EQ(view.CenterY, 300);
  EXPECT_DOUBLE_EQ(view.PixelScale, 300.0 / 1000);
  // Sca 1: the x side spans half the smaller window side, 300 pixels.
  const auto west = ProjectPoint(view, spaced.Xmin, spaced.Ycen, spaced.Zcen);
  const auto east = ProjectPoint(view, spaced.Xmax, spaced.Ycen, spaced.Zcen);
  ASSERT_TRUE(west && east);
  EXPECT_NEAR(east->x - west->x, 300, 1);
  EXPECT_NEAR(west->x, 250, 1);
}

TEST(ProjectPoint, IntRoundsTowardMinusInfinity) {
  const GridData grid = MakeGrid(2, 2, 10, 10, [](int, int) { return 0; });
  ViewProjection view = ViewOf(PlanViewTexts(), grid, 200, 200);
  view.PixelScale = 1;
  // Half a pixel west and half a pixel north of the centre.
  const auto p = ProjectPoint(view, grid.Xcen - 0.5, grid.Ycen + 0.5, grid.Zcen);
  ASSERT_TRUE(p);
  EXPECT_EQ(p->x, 99);   // Int(-0.5) = -1
  EXPECT_EQ(p->y, 100);  // 100 - Int(0.5)
  const auto q = ProjectPoint(view, grid.Xcen + 0.5, grid.Ycen - 0.5, grid.Zcen);
  ASSERT_TRUE(q);
  EXPECT_EQ(q->x, 100);
  EXPECT_EQ(q->y, 101);
}

TEST(Perspective, ExactlyTenBillionIsParallelAndOneLessIsNot) {
  const GridData grid = Bumpy(3, 3);
  ViewTexts texts = ThreeD(180, 90, NoBase, NoPerspective, 5e9);
  ViewProjection parallel = ViewOf(texts, grid, 400, 400);
  EXPECT_EQ(parallel.Ppz, 0) << "the plane is dropped under parallel projection";

  texts.Dist = "9999999999";
  texts.Ppz = "4999999999.5";  // halfway to the eye: points at the centre depth shrink to half
  ViewProjection central = ViewOf(texts, grid, 400, 400);
  EXPECT_EQ(central.Ppz, 4999999999.5);

  const auto far = ProjectPoint(parallel, grid.Xmax, grid.Ycen, grid.Zcen);
  const auto near = ProjectPoint(central, grid.Xmax, grid.Ycen, grid.Zcen);
  ASSERT_TRUE(far && near);
  EXPECT_NEAR(far->x - parallel.CenterX, 2 * (near->x - central.CenterX), 2);
  EXPECT_GE(far->x - parallel.CenterX, 99);
}

TEST(Perspective, PointsAtOrBehindTheEyeAreNotDrawable) {
  const GridData grid = Bumpy(3, 3);
  // Straight down from 100 above the centre.
  const ViewProjection view = ViewOf(ThreeD(180, 90, NoBase, 100), grid, 400, 400);
  const double top = grid.Zcen + 100;
  EXPECT_FALSE(ProjectPoint(view, grid.Xcen, grid.Ycen, top));          // at the eye
  EXPECT_FALSE(ProjectPoint(view, grid.Xcen + 5, grid.Ycen, top + 1));  // behind it
  EXPECT_TRUE(ProjectPoint(view, grid.Xcen + 5, grid.Ycen, top - 50));
  // A hair in front of the eye the factor leaves the 32-bit range.
  EXPECT_FALSE(ProjectPoint(view, grid.Xcen + 5, grid.Ycen, top - 1e-9));
}

// Rotations by 180 degrees leave coordinates a hair below whole numbers; the
// plan view once put the grid's south half a pixel west of its north half.
TEST(PlanView, NodesOfARowShareAPixelRowAndOfAColumnAPixelColumn) {
  const GridData grid =
      MakeGrid(9, 7, 25, 25, [](int i, int j) { return 100 + 37 * i - 11 * j + (i * j) % 5; });
  const ViewProjection view = ViewOf(PlanViewTexts(), grid, 800, 800);
  ASSERT_EQ(view.PixelScale, 400.0 / 200 * 1.8);  // whole pixels from node to node
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) {
      const auto p = ProjectPoint(view, grid.GridX[i], grid.GridY[j], grid.Z(i, j));
      ASSERT_TRUE(p);
      EXPECT_EQ(p->x, 400 + 90 * (i - 5)) << i << "," << j;
      EXPECT_EQ(p->y, 400 - 90 * (j - 4)) << i << "," << j;
    }
  }
}

TEST(ProjectPoint, PixelsBeyondThirtyTwoBitsAreNotDrawable) {
  const GridData grid = Bumpy(3, 3);
  ViewProjection view = ViewOf(ThreeD(225, 30, NoBase, NoPerspective, 0, 1e300), grid, 400, 400);
  EXPECT_FALSE(ProjectPoint(view, grid.Xmax, grid.Ymax, grid.Zmax));
  EXPECT_TRUE(ProjectPoint(view, grid.Xcen, grid.Ycen, grid.Zcen));
  EXPECT_FALSE(ProjectPoint(view, NAN, grid.Ycen, grid.Zcen));
}

TEST(ExaggerateHeight, LiftsToTheBaseAndScalesAboutTheCentre) {
  const GridData grid = MakeGrid(2, 2, 10, 10, [](int i, int) { return i == 1 ? 100 : 200; });
  ViewProjection view = ViewOf(ThreeD(225, 30, 120), grid, 400, 400);
  view.Ve = 3;
  EXPECT_EQ(ExaggerateHeight(view, 150), 150);
  EXPECT_EQ(ExaggerateHeight(view, 160), 180);
  EXPECT_EQ(ExaggerateHeight(view, 100), 150 + 3 * (120 - 150));  // lifted to the base first
  view.Zbase = NoBase;
  EXPECT_EQ(ExaggerateHeight(view, 100), 0);
}

TEST(UpdateViewProjection, ReadyOnlyWithPositiveMagnification) {
  const GridData grid = Bumpy(3, 3);
  ViewProjection view;
  EXPECT_FALSE(TakeViewSettings(view, ThreeD(225, 30, NoBase, NoPerspective, 0, 0), grid,
                                DataExtent{}, 400, 400));
  EXPECT_FALSE(TakeViewSettings(view, ThreeD(225, 30, NoBase, NoPerspective, 0, -1), grid,
                                DataExtent{}, 400, 400));
  EXPECT_TRUE(TakeViewSettings(view, ThreeD(225, 30), grid, DataExtent{}, 400, 400));
}

}  // namespace
}  // namespace kessadon
