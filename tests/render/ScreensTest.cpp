// Sample pictures of the hill grid, saved under build/screens so that anyone
// can look at what a person would see.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "color/ContourLevels.h"
#include "io/GridFile.h"
#include "render/LinePicture.h"
#include "render/PictureFile.h"
#include "render/RasterSurface.h"
#include "render/ViewSettings.h"

namespace kessadon {
namespace {

constexpr int kWindow = 600;

class HillScreens : public ::testing::Test {
 protected:
  void SetUp() override {
    Result<GridData> read =
        ReadGridFile(std::string(KESSADON_SOURCE_DIR) + "/data/samples/hill.grd");
    ASSERT_TRUE(read.ok()) << Describe(read.failure());
    grid = std::move(*read);
    UpdateGridGeometry(grid);
    const AutoContourTexts automatic = AutoContourLevels("20", grid.Zmin, grid.Zmax);
    TakeContourLevels(levels, {automatic.Cst, automatic.Cen, automatic.Cin});
    std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  }

  // Draws the picture, saves it and returns how many pixels carry the line colour.
  int Save(const std::string& name, const ViewTexts& texts, RenderOptions options) {
    ViewProjection view;
    EXPECT_TRUE(TakeViewSettings(view, texts, grid, DataExtent{}, kWindow, kWindow));
    RasterSurface surface(kWindow, kWindow);
    NodeArray<Color> cellColors;
    DrawLinePicture(surface, grid, view, DataExtent{}, levels, cellColors, options);
    const Status saved = SavePicture(
        surface.Image(), std::string(KESSADON_SCREENS_DIR) + "/render-" + name + ".png");
    EXPECT_TRUE(saved.ok()) << Describe(saved.failure());
    int lines = 0;
    for (int y = 0; y < kWindow; ++y) {
      for (int x = 0; x < kWindow; ++x) lines += surface.ImagePixel(x, y) == options.LineColor;
    }
    return lines;
  }

  ViewTexts FromSouthWest(bool perspective) const {
    ViewTexts texts = DefaultViewTexts(ViewLightDefaults{}, grid.Zmin);
    texts.Ve = std::string("2");
    if (perspective) {
      texts.Dist = std::string("2000");
      texts.Ppz = std::string("0");
    }
    return texts;
  }

  GridData grid;
  ContourLevels levels;
};

RenderOptions Options(DisplayMode mode, bool contour, bool scale = false) {
  RenderOptions options;
  options.DisplayMode = mode;
  options.Contour = contour;
  options.ScaleLine = scale;
  return options;
}

TEST_F(HillScreens, PlanGridLines) {
  EXPECT_GT(Save("plan-grid", PlanViewTexts(), Options(DisplayMode::Grid, false)), 40 * 30 * 10);
}

TEST_F(HillScreens, PlanContours) {
  EXPECT_GT(Save("plan-contour", PlanViewTexts(), Options(DisplayMode::Contour, true)), 2000);
}

// The frame on the two near sides: a four-sided frame is drawn after the
// cells, so its far sides would show through the hill.
RenderOptions NearFrame(RenderOptions options) {
  options.Waku4 = false;
  return options;
}

TEST_F(HillScreens, SouthWestWithPedestalAndScale) {
  EXPECT_GT(Save("3d-southwest", FromSouthWest(false),
                 NearFrame(Options(DisplayMode::Contour, true, true))),
            2000);
}

TEST_F(HillScreens, SouthWestInPerspective) {
  EXPECT_GT(Save("3d-perspective", FromSouthWest(true),
                 NearFrame(Options(DisplayMode::Contour, true, true))),
            2000);
}

TEST_F(HillScreens, SouthWestGridLinesWithFourSidedFrame) {
  EXPECT_GT(Save("3d-grid", FromSouthWest(false), Options(DisplayMode::Grid, false, true)), 2000);
}

TEST_F(HillScreens, BlackBackgroundContours) {
  RenderOptions options = Options(DisplayMode::Contour, true, true);
  options.LineColor = Rgb(255, 255, 255);
  EXPECT_GT(Save("plan-contour-black", PlanViewTexts(), options), 2000);
}

}  // namespace
}  // namespace kessadon
