#include <gtest/gtest.h>

#include <cmath>

#include "io/NumberText.h"
#include "render/ViewProjection.h"
#include "support/TestGrids.h"
#include "support/TestViews.h"

namespace kessadon {
namespace {

using testing::MakeGrid;
using testing::ThreeD;
using testing::ViewOf;

GridData Bumpy(int nx, int ny) {
  return MakeGrid({nx, ny, 10, 10}, [](int i, int j) { return 100 + i * 3 + j * j; });
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
  const GridData grid =
      MakeGrid({.dx = 10, .dy = 10, .xmin = 500, .ymin = 800}, [](int, int) { return 123.5; });
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
  const GridData grid = MakeGrid({1, 1, 10, 10}, [](int, int) { return 0; });
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
  const GridData grid = MakeGrid({2, 2, 10, 10}, [](int, int) { return 0; });
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

TEST(Perspective, RefusedWithTheFieldsToMend) {
  const GridData grid = Bumpy(3, 3);  // 0 ... 20 both ways, heights 104 ... 118
  struct Case {
    ViewTexts texts;
    const char* says;  // nothing: the view can be drawn
  };
  const Case cases[] = {
      {ThreeD(225, 30), nullptr},
      {ThreeD(225, 30, NoBase, 0), "「視点距離」に 0 より大きい値"},
      {ThreeD(225, 30, NoBase, -50), "「視点距離」に 0 より大きい値"},
      {ThreeD(225, 30, NoBase, 100, 100), "「透視面」を「視点距離」より小さく"},
      {ThreeD(225, 30, NoBase, 100, 150), "「透視面」を「視点距離」より小さく"},
      {ThreeD(225, 30, NoBase, 100, -500), nullptr},
      // The nearest corner of the block lies 15.75 toward the eye.
      {ThreeD(225, 30, NoBase, 10), "「視点距離」を 16 以上"},
      {ThreeD(225, 30, NoBase, 16), nullptr},
      // Seen from below, the pedestal at 0 is the nearest part of the block.
      {ThreeD(225, -30, NoBase, 60), nullptr},
      {ThreeD(225, -30, 0, 60), "「視点距離」を 68 以上"},
      {ThreeD(225, -30, 0, 68), nullptr},
  };
  for (const Case& c : cases) {
    ViewProjection view;
    const ViewTaken taken = TakeViewSettings(view, c.texts, grid, DataExtent{}, 400, 400);
    EXPECT_EQ(view.Dist, ParseLeadingNumber(c.texts.Dist)) << "the fields are taken all the same";
    if (!c.says) {
      EXPECT_FALSE(taken.Refusal) << c.texts.Dist << ": " << *taken.Refusal;
      EXPECT_TRUE(taken.Ready) << c.texts.Dist;
      continue;
    }
    ASSERT_TRUE(taken.Refusal) << c.texts.Dist;
    EXPECT_FALSE(taken.Ready) << c.texts.Dist;
    EXPECT_NE(taken.Refusal->find(c.says), std::string::npos) << *taken.Refusal;
    EXPECT_NE(taken.Refusal->find(kPerspectiveRefused), std::string::npos);
  }
}

TEST(Perspective, LinesAndCellsAreCutAtTheNearPlane) {
  const GridData grid = Bumpy(3, 3);
  // Straight down from 100 above the centre: the near plane lies 0.1 below the eye.
  const ViewProjection view = ViewOf(ThreeD(180, 90, NoBase, 100), grid, 400, 400);
  const double eye = grid.Zcen + 100;
  const WorldPoint ground{grid.Xcen + 5, grid.Ycen, grid.Zcen};
  const WorldPoint above{grid.Xcen + 5, grid.Ycen, eye + 50};
  const auto cut = ProjectSegment(view, ground, above);
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->first, ProjectPoint(view, ground.x, ground.y, ground.z));
  // The kept end lies on the near plane, magnified a thousandfold.
  EXPECT_NEAR(cut->second.x, view.CenterX + 5 * 1000 * view.PixelScale, 1);
  EXPECT_EQ(cut->second.y, view.CenterY);
  EXPECT_FALSE(ProjectSegment(view, above, {above.x, above.y, eye + 1}));

  const WorldPoint cell[4] = {ground,
                              {grid.Xcen - 5, grid.Ycen, grid.Zcen},
                              above,
                              {grid.Xcen + 5, grid.Ycen + 5, grid.Zcen}};
  EXPECT_EQ(ProjectPolygon(view, cell).size(), 5u) << "one corner off, two cuts in its place";
  const WorldPoint behind[3] = {above, above, {0, 0, eye + 5}};
  EXPECT_TRUE(ProjectPolygon(view, behind).empty());

  const ViewProjection parallel = ViewOf(ThreeD(180, 90), grid, 400, 400);
  const auto whole = ProjectSegment(parallel, ground, above);
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->second, ProjectPoint(parallel, above.x, above.y, above.z));
}

// Rotations by 180 degrees leave coordinates a hair below whole numbers; the
// plan view once put the grid's south half a pixel west of its north half.
TEST(PlanView, NodesOfARowShareAPixelRowAndOfAColumnAPixelColumn) {
  const GridData grid =
      MakeGrid({9, 7, 25, 25}, [](int i, int j) { return 100 + 37 * i - 11 * j + (i * j) % 5; });
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
  const GridData grid = MakeGrid({2, 2, 10, 10}, [](int i, int) { return i == 1 ? 100 : 200; });
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
