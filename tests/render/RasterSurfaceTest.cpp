#include <gtest/gtest.h>

#include <QFontInfo>
#include <cmath>
#include <random>
#include <set>
#include <vector>

#include "render/RasterSurface.h"

namespace kessadon {
namespace {

constexpr Color kRed = Rgb(255, 0, 0);
constexpr Color kBlue = Rgb(0, 0, 255);

int CountPixels(const RasterSurface& surface, Color color) {
  int count = 0;
  for (int y = 0; y < surface.ScaleHeight(); ++y) {
    for (int x = 0; x < surface.ScaleWidth(); ++x) count += surface.ImagePixel(x, y) == color;
  }
  return count;
}

TEST(RasterLine, SetsBothEndPixelsAndNothingBeyond) {
  RasterSurface surface(40, 40);
  surface.Line(10, 10, 20, 10);
  for (int x = 10; x <= 20; ++x) EXPECT_EQ(surface.ImagePixel(x, 10), kBlack) << x;
  EXPECT_EQ(surface.ImagePixel(9, 10), kWhite);
  EXPECT_EQ(surface.ImagePixel(21, 10), kWhite);
  EXPECT_EQ(CountPixels(surface, kBlack), 11);

  surface.Line(30, 5, 30, 0, kRed);
  for (int y = 0; y <= 5; ++y) EXPECT_EQ(surface.ImagePixel(30, y), kRed) << y;
  surface.Line(0, 20, 5, 25, kBlue);
  for (int k = 0; k <= 5; ++k) EXPECT_EQ(surface.ImagePixel(k, 20 + k), kBlue) << k;
  EXPECT_EQ(CountPixels(surface, kBlue), 6);
}

TEST(RasterLine, InvisiblePenDrawsNoLineButAFilledBox) {
  RasterSurface surface(30, 30);
  surface.SetDrawStyle(kDrawInvisible);
  surface.Line(0, 5, 29, 5);
  EXPECT_EQ(CountPixels(surface, kBlack), 0);
  surface.Line(2, 3, 4, 6, kRed, LineForm::FilledBox);
  EXPECT_EQ(CountPixels(surface, kRed), 3 * 4);
  surface.SetDrawStyle(kDrawSolid);
  surface.Line(10, 10, 14, 12, kBlue, LineForm::Box);
  EXPECT_EQ(CountPixels(surface, kBlue), 5 * 2 + 1 * 2);
  EXPECT_EQ(surface.ImagePixel(12, 11), kWhite);
}

TEST(RasterLine, WiderPenCoversMore) {
  RasterSurface surface(30, 30);
  surface.SetDrawWidth(3);
  surface.Line(5, 15, 25, 15);
  EXPECT_EQ(surface.ImagePixel(15, 14), kBlack);
  EXPECT_EQ(surface.ImagePixel(15, 16), kBlack);
  EXPECT_EQ(surface.ImagePixel(15, 18), kWhite);
}

TEST(RasterPoint, SetsOnePixel) {
  RasterSurface surface(10, 10);
  surface.SetForeColor(kRed);
  surface.PSet(3, 4);
  surface.PSet(-5, 4);  // outside: nothing
  EXPECT_EQ(surface.ImagePixel(3, 4), kRed);
  EXPECT_EQ(CountPixels(surface, kRed), 1);
}

class RasterPolygon : public ::testing::Test {
 protected:
  static constexpr SurfacePoint kSquare[4] = {{10, 10}, {20, 10}, {20, 20}, {10, 20}};
  RasterSurface surface{40, 40};
  void SetUp() override {
    surface.SetForeColor(kBlack);
    surface.SetFillColor(kRed);
    surface.SetFillStyle(kFillSolid);
  }
};

TEST_F(RasterPolygon, OutlineInThePenInteriorInTheFill) {
  surface.Polygon(kSquare);
  for (int k = 10; k <= 20; ++k) {
    EXPECT_EQ(surface.ImagePixel(k, 10), kBlack);
    EXPECT_EQ(surface.ImagePixel(k, 20), kBlack);
    EXPECT_EQ(surface.ImagePixel(10, k), kBlack);
    EXPECT_EQ(surface.ImagePixel(20, k), kBlack);
  }
  EXPECT_EQ(CountPixels(surface, kRed), 9 * 9);
  EXPECT_EQ(surface.ImagePixel(21, 15), kWhite);
  EXPECT_EQ(surface.ImagePixel(9, 15), kWhite);
}

TEST_F(RasterPolygon, InvisiblePenFillsTheLeftAndTopEdgesOnly) {
  surface.SetDrawStyle(kDrawInvisible);
  surface.Polygon(kSquare);
  EXPECT_EQ(surface.ImagePixel(10, 10), kRed);
  EXPECT_EQ(surface.ImagePixel(19, 19), kRed);
  EXPECT_EQ(surface.ImagePixel(20, 15), kWhite);
  EXPECT_EQ(surface.ImagePixel(15, 20), kWhite);
  EXPECT_EQ(CountPixels(surface, kRed), 10 * 10);
  EXPECT_EQ(CountPixels(surface, kBlack), 0);
}

TEST_F(RasterPolygon, TransparentFillLeavesTheInside) {
  surface.SetFillStyle(kFillTransparent);
  surface.Polygon(kSquare);
  EXPECT_EQ(surface.ImagePixel(15, 15), kWhite);
  EXPECT_EQ(CountPixels(surface, kBlack), 40);
}

TEST_F(RasterPolygon, AlternateRuleLeavesTheMiddleOfAStarEmpty) {
  surface.SetDrawStyle(kDrawInvisible);
  SurfacePoint star[5];
  for (int k = 0; k < 5; ++k) {
    const double angle = k * 144 * 3.14159265358979 / 180;
    star[k] = {20 + static_cast<int>(std::lround(18 * std::sin(angle))),
               20 - static_cast<int>(std::lround(18 * std::cos(angle)))};
  }
  surface.Polygon(star);
  EXPECT_EQ(surface.ImagePixel(20, 20), kWhite);  // wound twice: outside by the alternate rule
  EXPECT_EQ(surface.ImagePixel(20, 6), kRed);     // in the top point
}

TEST_F(RasterPolygon, FarCoordinatesAreClippedNotWrapped) {
  surface.SetDrawStyle(kDrawInvisible);
  const SurfacePoint huge[4] = {{-2000000000, -2000000000},
                                {2000000000, -2000000000},
                                {2000000000, 2000000000},
                                {-2000000000, 2000000000}};
  surface.Polygon(huge);
  EXPECT_EQ(CountPixels(surface, kRed), 40 * 40);

  RasterSurface lines(40, 40);
  lines.Line(-2000000000, 7, 2000000000, 7);
  for (int x = 0; x < 40; ++x) EXPECT_EQ(lines.ImagePixel(x, 7), kBlack) << x;
  lines.Line(2000000000, -2000000000, 2000000000, 2000000000);  // far right: nothing
  EXPECT_EQ(CountPixels(lines, kBlack), 40);
}

TEST(RasterCircle, TakesTheFillSettings) {
  RasterSurface surface(40, 40);
  surface.Circle(20, 20, 8, kBlue);
  EXPECT_EQ(surface.ImagePixel(20, 12), kBlue);
  EXPECT_EQ(surface.ImagePixel(20, 20), kWhite);
  surface.SetFillStyle(kFillSolid);
  surface.SetFillColor(kRed);
  surface.Circle(20, 20, 8, kBlue);
  EXPECT_EQ(surface.ImagePixel(20, 20), kRed);
}

TEST(RasterBackground, BackColorAndClsEraseEverything) {
  RasterSurface surface(20, 20);
  surface.Line(0, 0, 19, 19);
  surface.SetCurrentX(5);
  surface.SetCurrentY(6);
  surface.SetBackColor(kBlack);
  EXPECT_EQ(CountPixels(surface, kBlack), 400);
  surface.Line(0, 0, 19, 0, kRed);
  surface.Cls();
  EXPECT_EQ(CountPixels(surface, kBlack), 400);
  EXPECT_EQ(surface.CurrentX(), 0);
  EXPECT_EQ(surface.CurrentY(), 0);
}

TEST(RasterAutoRedraw, DrawingWhileOffReachesOnlyTheScreen) {
  RasterSurface surface(20, 20);
  surface.Line(0, 2, 19, 2);
  surface.SetAutoRedraw(false);
  surface.Line(0, 9, 19, 9, kRed);
  EXPECT_EQ(surface.ScreenPixel(5, 9), kRed);
  EXPECT_EQ(surface.ImagePixel(5, 9), kWhite);
  EXPECT_EQ(surface.ScreenPixel(5, 2), kBlack);  // the earlier picture is still shown

  surface.SetAutoRedraw(true);
  EXPECT_EQ(surface.ScreenPixel(5, 9), kWhite);  // the window shows the persistent image again
  surface.Line(0, 12, 19, 12, kBlue);
  EXPECT_EQ(surface.ImagePixel(5, 12), kBlue);
  EXPECT_EQ(surface.ScreenPixel(5, 12), kBlue);

  surface.SetAutoRedraw(false);
  surface.SetBackColor(kRed);
  EXPECT_EQ(surface.ScreenPixel(5, 12), kRed);
  EXPECT_EQ(surface.ImagePixel(5, 12), kRed);
}

TEST(RasterImage, ACopyTakenOnceStaysAsItWas) {
  // The clipboard and the save keep a copy of the image; later drawing must not reach it.
  RasterSurface surface(20, 20);
  surface.Line(0, 5, 19, 5);
  const QImage copy = surface.Image();
  surface.Line(0, 9, 19, 9, kRed);
  EXPECT_EQ(FromQRgb(copy.pixel(3, 9)), kWhite);
  EXPECT_EQ(FromQRgb(copy.pixel(3, 5)), kBlack);
  EXPECT_EQ(surface.ImagePixel(3, 9), kRed);
}

TEST(RasterResize, KeepsThePictureTopLeft) {
  RasterSurface surface(10, 10);
  surface.SetBackColor(kBlue);
  surface.PSet(9, 9, kRed);
  surface.Resize(20, 15);
  EXPECT_EQ(surface.ScaleWidth(), 20);
  EXPECT_EQ(surface.ScaleHeight(), 15);
  EXPECT_EQ(surface.ImagePixel(9, 9), kRed);
  EXPECT_EQ(surface.ImagePixel(19, 14), kBlue);
  surface.Resize(0, 0);
  surface.Line(0, 0, 5, 5);  // nothing to draw on, nothing to fail
  EXPECT_TRUE(surface.Image().isNull());
}

TEST(RasterText, CenturyBecomesAnInstalledSchoolbookFace) {
  const QFont font = SurfaceFont("Century", 7);
  const std::set<QString> clones = {"C059", "TeX Gyre Schola", "Century Schoolbook L"};
  // The family may carry its foundry, "C059 [UKWN]".
  const QString family = QFontInfo(font).family().section(" [", 0, 0);
  EXPECT_TRUE(clones.count(family)) << family.toStdString();

  RasterSurface surface(200, 50);
  surface.SetFontName("Century");
  surface.SetFontSize(12);
  const double century = surface.TextWidth("Kessadon 2001");
  surface.SetFontName(family.toStdString());
  EXPECT_DOUBLE_EQ(surface.TextWidth("Kessadon 2001"), century);
  surface.SetFontName("DejaVu Sans");
  EXPECT_NE(surface.TextWidth("Kessadon 2001"), century);
}

TEST(RasterText, PrintsInsideItsBoxInTheForeColourAndMovesDown) {
  RasterSurface surface(200, 60);
  surface.SetFontName("Century");
  surface.SetFontSize(12);
  surface.SetForeColor(kRed);
  surface.SetCurrentX(30);
  surface.SetCurrentY(10);
  const double width = surface.TextWidth("H 123.5");
  const double height = surface.TextHeight("H 123.5");
  surface.Print("H 123.5");
  EXPECT_EQ(surface.CurrentX(), 0);
  EXPECT_DOUBLE_EQ(surface.CurrentY(), 10 + height);
  int inked = 0, blended = 0;
  for (int y = 0; y < 60; ++y) {
    for (int x = 0; x < 200; ++x) {
      const Color c = surface.ImagePixel(x, y);
      if (c == kWhite) continue;
      // Smoothed edges blend red into white in grey steps, without colour fringes.
      ASSERT_TRUE(RedOf(c) == 255 && GreenOf(c) == BlueOf(c)) << std::hex << c;
      ++inked;
      blended += c != kRed;
      EXPECT_GE(x, 30);
      EXPECT_LE(x, 30 + width + 1);
      EXPECT_GE(y, 10);
      EXPECT_LE(y, 10 + height);
    }
  }
  EXPECT_GT(inked, 20);
  EXPECT_GT(blended, 0) << "text is antialiased";
}

// Bands: every kind of call, at random, many across the edges of the bands
// and of the image, made once on a whole surface and once on each band of
// another; the pictures must agree to the byte.
enum class Drawn { Lines, WidePens, Points, Fills, Outlines, FilledOutlines, Boxes, Circles };

void DrawAtRandom(DrawingSurface& surface, Drawn kind, unsigned seed) {
  std::mt19937 random(seed);
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
  const int w = static_cast<int>(surface.ScaleWidth()), h = static_cast<int>(surface.ScaleHeight());
  auto x = [&] { return pick(-w / 3, w + w / 3); };
  auto y = [&] { return pick(-h / 3, h + h / 3); };
  auto near = [&](int at, int reach) { return at + pick(-reach, reach); };
  for (int n = 0; n < 300; ++n) {
    const Color color = Rgb(pick(0, 255), pick(0, 255), n % 256);
    surface.SetForeColor(color);
    surface.SetFillColor(Rgb(n % 256, pick(0, 255), 99));
    surface.SetDrawWidth(kind == Drawn::WidePens ? pick(1, 5) : 1);
    surface.SetFillStyle(kind == Drawn::Outlines ? kFillTransparent : kFillSolid);
    surface.SetDrawStyle(kind == Drawn::Fills ? kDrawInvisible : kDrawSolid);
    const int x1 = x(), y1 = y(), reach = pick(0, 1) ? 6 : h;
    switch (kind) {
      case Drawn::Lines:
      case Drawn::WidePens:
        surface.Line(x1, y1, near(x1, reach), near(y1, reach));
        surface.PSet(near(x1, 3), near(y1, 3));
        break;
      case Drawn::Points:
        surface.PSet(x1, y1, color);
        break;
      case Drawn::Fills:
      case Drawn::Outlines:
      case Drawn::FilledOutlines: {
        std::vector<SurfacePoint> corners(static_cast<std::size_t>(pick(3, 11)));
        for (SurfacePoint& p : corners) p = {near(x1, reach), near(y1, reach)};
        surface.Polygon(corners);
        break;
      }
      case Drawn::Boxes:
        surface.Line(x1, y1, near(x1, reach), near(y1, reach), color,
                     n % 2 ? LineForm::Box : LineForm::FilledBox);
        break;
      case Drawn::Circles:
        surface.Circle(x1, y1, pick(0, reach));
        break;
    }
  }
}

TEST(RasterBands, EachBandSetsTheRowsTheWholeSurfaceSets) {
  const struct {
    Drawn kind;
    const char* what;
  } cases[] = {{Drawn::Lines, "lines"},       {Drawn::WidePens, "wide pens"},
               {Drawn::Points, "points"},     {Drawn::Fills, "fills"},
               {Drawn::Outlines, "outlines"}, {Drawn::FilledOutlines, "filled outlines"},
               {Drawn::Boxes, "boxes"},       {Drawn::Circles, "circles"}};
  for (const auto& c : cases) {
    for (unsigned seed = 1; seed <= 3; ++seed) {
      RasterSurface whole(97, 83), split(97, 83);
      whole.SetBackColor(kBlue);
      split.SetBackColor(kBlue);
      DrawAtRandom(whole, c.kind, seed);
      // Bands of many heights, one row among them; the cuts out of order or
      // beyond the rows are passed over.
      const int cuts[] = {0, 9, 20, 21, 21, 15, 40, 62, 83, 90};
      std::vector<SurfaceBand> bands = split.SplitIntoBands(cuts);
      ASSERT_EQ(bands.size(), 6u);
      EXPECT_EQ(bands.front().top, 0);
      EXPECT_EQ(bands[2].top, 20);
      EXPECT_EQ(bands[2].bottom, 21);
      EXPECT_EQ(bands.back().bottom, 83);
      for (SurfaceBand& band : bands) DrawAtRandom(*band.surface, c.kind, seed);
      bands.clear();
      ASSERT_EQ(split.Image(), whole.Image()) << c.what << ", seed " << seed;
    }
  }
}

}  // namespace
}  // namespace kessadon
