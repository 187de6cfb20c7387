// A picture drawn on several threads, its cells in bands, must be the picture
// drawn on one, byte for byte, whatever the display and the view.
#include <gtest/gtest.h>

#include <cmath>

#include "io/WorkSplit.h"
#include "render/GridPicture.h"
#include "render/RasterSurface.h"
#include "render/ViewSettings.h"
#include "support/TestGrids.h"
#include "support/TestViews.h"

namespace kessadon {
namespace {

using testing::MakeGrid;
using testing::ThreeD;
using testing::ViewOf;

// Two hills and ripples in half units, cut flat on top, so that many nodes
// lie exactly on a level and whole cells on the plateau; across the middle a
// cliff, level along x, so that seen along x its cells shrink to long slivers.
GridData Hills() {
  return MakeGrid({.nx = 120, .ny = 100, .dx = 10, .dy = 10}, [](int i, int j) {
    if (j >= 46 && j <= 55) return j >= 51 ? 400.0 : 120.0;
    const double u = i / 120.0, v = j / 100.0;
    const double z = 100 + 60 * std::exp(-((u - 0.3) * (u - 0.3) + (v - 0.6) * (v - 0.6)) * 10) +
                     35 * std::exp(-((u - 0.75) * (u - 0.75) + (v - 0.3) * (v - 0.3)) * 25) +
                     8 * std::sin(9 * u + 4 * v);
    return std::min(std::round(z * 2) / 2, 150.0);
  });
}

ColorTable Colors(int count) {
  ColorTable table;
  table.NColor = count;
  for (int k = 1; k <= count; ++k) {
    table.ColorR[k] = (k * 37) % 256;
    table.ColorG[k] = (k * 11) % 256;
    table.ColorB[k] = 255 - (k * 5) % 256;
  }
  return table;
}

// Sets the thread count for the test and the default back after it.
struct Threads {
  explicit Threads(int count) { SetRenderThreads(count); }
  ~Threads() { SetRenderThreads(0); }
  Threads(const Threads&) = delete;
  Threads& operator=(const Threads&) = delete;
};

struct Drawn {
  QImage image;
  Color fore, fill;
  int drawStyle, fillStyle;
};

Drawn Draw(int threads, const GridData& grid, const ViewTexts& texts,
           const GridPictureSettings& settings) {
  const Threads use(threads);
  RasterSurface surface(261, 223);
  ViewProjection view = ViewOf(texts, grid, 261, 223);
  NodeArray<Color> cellColors;
  EXPECT_TRUE(DrawGridPicture(surface, grid, view, DataExtent{}, cellColors, settings).ok());
  return {surface.Image().copy(), surface.ForeColor(), surface.FillColor(), surface.DrawStyle(),
          surface.FillStyle()};
}

TEST(ParallelPicture, BandsDrawTheSerialPictureByteForByte) {
  const GridData grid = Hills();
  ASSERT_GE(std::int64_t{grid.Nx - 1} * (grid.Ny - 1), kChosenBandedCells);
  LevelRequest request;
  request.divisions = "15";
  const ChosenLevels chosen = ChooseContourLevels(request, grid.Zmin, grid.Zmax);
  const double low = grid.Zmin - 10;
  const struct {
    const char* name;
    ViewTexts texts;
  } views[] = {
      {"plan", PlanViewTexts()},
      {"default 3-D", DefaultViewTexts(ViewLightDefaults{}, grid.Zmin)},
      {"north-east", ThreeD(45, 30)},
      {"south-east on a pedestal", ThreeD(135, 20, low)},
      {"south-west, steep", ThreeD(225, 70, low)},
      {"west, low", ThreeD(290, 8)},
      {"level along the cliff", ThreeD(90, 0)},
      {"along the cliff, magnified", ThreeD(270, 1, NoBase, NoPerspective, 0, 3)},
      {"due south", ThreeD(180, 35)},
      {"straight down", ThreeD(0, 90)},
      {"from below", ThreeD(100, -30)},
      {"magnified past the edges", ThreeD(200, 40, NoBase, NoPerspective, 0, 4)},
      {"perspective", ThreeD(315, 30, low, 3000)},
      {"eye inside the surface", ThreeD(250, 5, low, 300, 100)},
  };
  const DisplayMode modes[] = {DisplayMode::Grid, DisplayMode::Contour, DisplayMode::Shade,
                               DisplayMode::ColorContour, DisplayMode::ColorShade};
  int n = 0;
  for (const auto& v : views) {
    for (const DisplayMode mode : modes) {
      GridPictureSettings settings;
      settings.mode = mode;
      settings.levels = chosen.levels;
      settings.bands = chosen.bands.value_or(0);
      settings.light = {315, 45, n % 2};
      settings.table = Colors(mode == DisplayMode::ColorShade ? 190 : 20);
      // Lines on every filled picture, on every other grid; the rest in turn.
      settings.options.Contour = mode != DisplayMode::Grid || n % 2 == 0;
      settings.options.ScaleLine = n % 3 != 0;
      settings.options.Waku = n % 4 != 1;
      settings.options.Waku4 = n % 5 != 2;
      settings.options.LineColor = n % 7 == 3 ? Rgb(255, 255, 255) : Rgb(0, 0, 0);
      ++n;
      const Drawn serial = Draw(1, grid, v.texts, settings);
      const Drawn banded = Draw(3, grid, v.texts, settings);
      const std::string what = std::string(v.name) + ", mode " + std::to_string(int(mode));
      ASSERT_EQ(banded.image, serial.image) << what;
      EXPECT_EQ(banded.fore, serial.fore) << what;
      EXPECT_EQ(banded.fill, serial.fill) << what;
      EXPECT_EQ(banded.drawStyle, serial.drawStyle) << what;
      EXPECT_EQ(banded.fillStyle, serial.fillStyle) << what;
    }
  }
}

}  // namespace
}  // namespace kessadon
