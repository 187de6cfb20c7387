#include <gtest/gtest.h>

#include <cmath>

#include "render/LinePicture.h"
#include "render/RasterSurface.h"
#include "support/TestGrids.h"
#include "support/TestViews.h"

namespace kessadon {
namespace {

using testing::MakeGrid;

// 4 x 4 nodes 10 apart around the origin on a 111-pixel window: plan view
// scale 55 / 30 * 1.8 = 3.3, so the nodes fall at +-49.5 and +-16.5 pixels
// from the centre pixel (55, 55), and Int puts the columns and rows at:
constexpr int kColumns[] = {5, 38, 71, 104};  // west to east
constexpr int kRows[] = {6, 39, 72, 105};     // north to south

class PlanPicture : public ::testing::Test {
 protected:
  GridData grid = MakeGrid({.nx = 4, .ny = 4, .dx = 10, .dy = 10, .xmin = -15, .ymin = -15},
                           [](int i, int j) { return i * 2.5 + j; });
  ViewProjection view;
  RasterSurface surface{111, 111};
  NodeArray<Color> cellColors;
  RenderOptions options;

  void SetUp() override { TakeViewTexts(view, PlanViewTexts()); }

  void Draw(DisplayMode mode) {
    UpdateViewProjection(view, grid, DataExtent{}, 111, 111);
    options.DisplayMode = mode;
    DrawLinePicture(surface, grid, view, DataExtent{}, ContourLevels{}, cellColors, options);
  }
  bool OnGridLine(int x, int y) const {
    for (int c : kColumns) {
      if (x == c && y >= kRows[0] && y <= kRows[3]) return true;
    }
    for (int r : kRows) {
      if (y == r && x >= kColumns[0] && x <= kColumns[3]) return true;
    }
    return false;
  }
};

TEST_F(PlanPicture, GridLinesOutlineEveryCellOnWhite) {
  Draw(DisplayMode::Grid);
  for (int y = 0; y < 111; ++y) {
    for (int x = 0; x < 111; ++x) {
      ASSERT_EQ(surface.ImagePixel(x, y), OnGridLine(x, y) ? kBlack : kWhite) << x << "," << y;
    }
  }
  EXPECT_EQ(view.PixelScale, 55.0 / 30 * 1.8);
  EXPECT_EQ(cellColors(2, 3), kWhite);
}

TEST_F(PlanPicture, ContourPictureShowsOnlyTheFourSidedFrame) {
  Draw(DisplayMode::Contour);
  auto onBorder = [](int x, int y) {
    const bool inX = x >= kColumns[0] && x <= kColumns[3], inY = y >= kRows[0] && y <= kRows[3];
    return ((x == kColumns[0] || x == kColumns[3]) && inY) ||
           ((y == kRows[0] || y == kRows[3]) && inX);
  };
  for (int y = 0; y < 111; ++y) {
    for (int x = 0; x < 111; ++x) {
      ASSERT_EQ(surface.ImagePixel(x, y), onBorder(x, y) ? kBlack : kWhite) << x << "," << y;
    }
  }
}

TEST_F(PlanPicture, TwoSidedFrameIsTheSouthAndEastEdges) {
  options.Waku4 = false;
  Draw(DisplayMode::Contour);
  EXPECT_EQ(surface.ImagePixel(50, kRows[3]), kBlack);
  EXPECT_EQ(surface.ImagePixel(kColumns[3], 50), kBlack);
  EXPECT_EQ(surface.ImagePixel(50, kRows[0]), kWhite);
  EXPECT_EQ(surface.ImagePixel(kColumns[0], 50), kWhite);
}

TEST_F(PlanPicture, BlackBackgroundDrawsWhiteLines) {
  options.LineColor = kWhite;
  Draw(DisplayMode::Grid);
  EXPECT_EQ(surface.BackColor(), kBlack);
  EXPECT_EQ(surface.ImagePixel(kColumns[1], 50), kWhite);
  EXPECT_EQ(surface.ImagePixel(20, 20), kBlack);
  EXPECT_EQ(surface.ImagePixel(0, 0), kBlack);
  EXPECT_EQ(cellColors(1, 1), kBlack);
}

TEST_F(PlanPicture, ScaleTicksHangBelowTheSouthEdge) {
  options.ScaleLine = true;
  Draw(DisplayMode::Contour);
  // Ten pixels long, so they run off this small window.
  EXPECT_EQ(surface.ImagePixel(kColumns[0], 110), kBlack);
  EXPECT_EQ(surface.ImagePixel(kColumns[0] + 1, 110), kWhite);
  EXPECT_EQ(surface.ImagePixel(110, kRows[0]), kBlack);
  EXPECT_EQ(surface.ImagePixel(110, kRows[0] + 1), kWhite);
}

TEST_F(PlanPicture, ContourLinesCrossTheCells) {
  options.Contour = true;
  UpdateViewProjection(view, grid, DataExtent{}, 111, 111);
  options.DisplayMode = DisplayMode::Contour;
  // Heights i * 2.5 + j: level 9 runs from node (3.2, 1) to node (2, 4).
  DrawLinePicture(surface, grid, view, DataExtent{}, ContourLevels{9, 9, 1, 1}, cellColors,
                  options);
  int inside = 0;
  for (int y = kRows[0] + 1; y < kRows[3]; ++y) {
    for (int x = kColumns[0] + 1; x < kColumns[3]; ++x)
      inside += surface.ImagePixel(x, y) == kBlack;
  }
  EXPECT_GT(inside, 60);  // about one line from north to south
}

// A grid finer than the picture: cells of under a pixel, which fill no pixel
// of their own, must not let the next cells cut their contour lines into dashes.
TEST(LinePicture, ContoursOfAFineGridStaySolid) {
  const GridData cone = MakeGrid(
      {1000, 1000, 1, 1}, [](int i, int j) { return 500 - std::hypot(i - 500.5, j - 500.5); });
  ViewProjection view;
  TakeViewSettings(view, PlanViewTexts(), cone, DataExtent{}, 800, 800);
  RasterSurface surface(800, 800);
  NodeArray<Color> cellColors;
  RenderOptions options;
  options.DisplayMode = DisplayMode::Contour;
  options.Contour = true;
  DrawLinePicture(surface, cone, view, DataExtent{}, ContourLevels{0, 500, 25, 1}, cellColors,
                  options);
  const QImage& image = surface.Image();
  auto ink = [&](int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); };
  int inked = 0;
  for (int y = 1; y < 799; ++y) {
    for (int x = 1; x < 799; ++x) {
      if (!ink(x, y)) continue;
      ++inked;
      int neighbours = 0;
      for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) neighbours += (dx || dy) && ink(x + dx, y + dy);
      }
      // Rings close and the frame runs round: every pixel continues both ways.
      ASSERT_GE(neighbours, 2) << "a gap at " << x << "," << y;
    }
  }
  EXPECT_GT(inked, 20 * 1000) << "twenty rings and the frame";
}

TEST(LinePicture, EnsureCellColorsKeepsTheWideFirstIndex) {
  NodeArray<Color> colors;
  const GridData grid = MakeGrid({3, 5, 1, 1}, [](int, int) { return 0; });
  EnsureCellColors(colors, grid);
  EXPECT_EQ(colors.UpperI(), 256);
  EXPECT_EQ(colors.UpperJ(), 5);
  EXPECT_EQ(BackgroundFor(Rgb(255, 255, 255)), Rgb(0, 0, 0));
  EXPECT_EQ(BackgroundFor(Rgb(0, 0, 0)), Rgb(255, 255, 255));
}

}  // namespace
}  // namespace kessadon
