#include <gtest/gtest.h>

#include <QPainter>
#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "render/PolygonFill.h"
#include "render/RasterSurface.h"

namespace kessadon {
namespace {

constexpr QRgb kInk = 0xFF102030;

// Whether the direct fill and the painter's aliased odd-even fill set the same pixels.
bool FillsAsThePainter(int width, int height, const std::vector<SurfacePoint>& points) {
  QImage painted(width, height, QImage::Format_RGB32), direct(width, height, QImage::Format_RGB32);
  painted.fill(Qt::white);
  direct.fill(Qt::white);
  QPainter painter(&painted);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor::fromRgb(kInk));
  static_assert(sizeof(SurfacePoint) == sizeof(QPoint));
  painter.drawPolygon(reinterpret_cast<const QPoint*>(points.data()),
                      static_cast<int>(points.size()), Qt::OddEvenFill);
  painter.end();
  const PixelRows rows{reinterpret_cast<std::uint32_t*>(direct.bits()), width, width, height};
  return FillPolygon(rows, points, kInk) && direct == painted;
}

// Random corners, often repeated, level or turning back along the last edge,
// over a small area where edges through pixel centres are common and a large
// one where the painter's fixed-point steps add up.
TEST(PolygonFill, SetsThePixelsThePainterSets) {
  std::mt19937 random(2001);
  for (const auto [width, height, polygons] :
       {std::array{6, 5, 20000}, {24, 24, 20000}, {300, 220, 2000}}) {
    std::uniform_int_distribution<int> xs(0, width - 1), ys(0, height), corners(3, 8), kind(0, 5);
    int differing = 0;
    for (int k = 0; k < polygons; ++k) {
      std::vector<SurfacePoint> points{{xs(random), ys(random)}};
      for (int n = corners(random); points.size() < std::size_t(n);) {
        SurfacePoint p{xs(random), ys(random)};
        if (kind(random) == 0) p = points.back();
        if (kind(random) == 0) p.y = points.back().y;
        if (kind(random) == 0 && points.size() > 1) p = points[points.size() - 2];
        points.push_back(p);
      }
      if (FillsAsThePainter(width, height, points) || differing++ > 0) continue;
      for (const SurfacePoint& p : points) ADD_FAILURE() << "corner " << p.x << "," << p.y;
    }
    EXPECT_EQ(differing, 0) << width << " x " << height;
  }
}

TEST(PolygonFill, LeavesOtherPolygonsToThePainter) {
  std::uint32_t pixels[10 * 8] = {};
  const PixelRows rows{pixels, 10, 10, 8};
  for (const SurfacePoint third : {SurfacePoint{10, 4}, {-1, 4}, {4, 9}, {4, -1}}) {
    const std::vector<SurfacePoint> outside{{0, 0}, {9, 8}, third};
    EXPECT_FALSE(FillPolygon(rows, outside, kInk)) << third.x << "," << third.y;
  }
  EXPECT_FALSE(FillPolygon(rows, std::vector<SurfacePoint>(2, {9, 8}), kInk));
  EXPECT_FALSE(FillPolygon(rows, std::vector<SurfacePoint>(9, {9, 8}), kInk));
  EXPECT_EQ(std::count(std::begin(pixels), std::end(pixels), kInk), 0);
}

// Fills and points that skip the painter still keep to the surface's images: a
// copy taken earlier stays as it was, and with AutoRedraw off only the screen changes.
TEST(PolygonFill, KeepsToTheSurfaceImages) {
  const SurfacePoint square[4] = {{2, 2}, {8, 2}, {8, 8}, {2, 8}};
  const Color red = Rgb(255, 0, 0), blue = Rgb(0, 0, 255), white = Rgb(255, 255, 255);
  RasterSurface surface(12, 12);
  surface.SetFillStyle(kFillSolid);
  surface.SetFillColor(red);
  surface.SetDrawStyle(kDrawInvisible);
  surface.Polygon(square);
  const QImage copy = surface.Image();
  surface.SetFillColor(blue);
  surface.Polygon(square);
  EXPECT_EQ(FromQRgb(copy.pixel(4, 4)), red);
  EXPECT_EQ(surface.ImagePixel(4, 4), blue);

  surface.SetDrawStyle(kDrawSolid);
  surface.Line(0, 5, 11, 5, red);  // through the painter, between direct fills
  surface.SetDrawStyle(kDrawInvisible);
  surface.SetAutoRedraw(false);
  surface.SetFillColor(white);
  surface.Polygon(square);
  surface.PSet(0, 0, red);
  EXPECT_EQ(surface.ScreenPixel(0, 0), red);
  EXPECT_EQ(surface.ScreenPixel(4, 4), white);
  EXPECT_EQ(surface.ScreenPixel(9, 5), red);
  EXPECT_EQ(surface.ImagePixel(0, 0), white);
  EXPECT_EQ(surface.ImagePixel(4, 4), blue);
  EXPECT_EQ(surface.ImagePixel(4, 5), red);
}

}  // namespace
}  // namespace kessadon
