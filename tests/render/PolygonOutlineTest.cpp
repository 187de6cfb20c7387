#include <gtest/gtest.h>

#include <QPainter>
#include <array>
#include <random>
#include <vector>

#include "render/PolygonOutline.h"

namespace kessadon {
namespace {

constexpr QRgb kInk = 0xFF102030;

// Whether the direct outline and the painter's with the raster surface's pen
// (one pixel, square caps, no brush, aliased) set the same pixels.
bool OutlinesAsThePainter(int width, int height, const std::vector<SurfacePoint>& points) {
  QImage painted(width, height, QImage::Format_RGB32), direct(width, height, QImage::Format_RGB32);
  painted.fill(Qt::white);
  direct.fill(Qt::white);
  QPainter painter(&painted);
  QPen pen(QColor::fromRgb(kInk));
  pen.setWidth(1);
  pen.setCapStyle(Qt::SquareCap);
  painter.setPen(pen);
  painter.setBrush(Qt::NoBrush);
  static_assert(sizeof(SurfacePoint) == sizeof(QPoint));
  painter.drawPolygon(reinterpret_cast<const QPoint*>(points.data()),
                      static_cast<int>(points.size()), Qt::OddEvenFill);
  painter.end();
  const PixelRows rows{reinterpret_cast<std::uint32_t*>(direct.bits()), width, width, height};
  return OutlinePolygon(rows, points, kInk) && direct == painted;
}

// Random corners near each other, often repeated, level, plumb, turning back
// or closing on the first, over images where the edges run short and steep
// and where they run long; corners on the image's edges included.
TEST(PolygonOutline, SetsThePixelsThePainterSets) {
  std::mt19937 random(1987);
  for (const auto [width, height, reach, polygons] : {std::array{7, 6, 3, 20000},
                                                      {40, 40, 6, 20000},
                                                      {40, 30, 40, 5000},
                                                      {300, 220, 300, 1000}}) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    int differing = 0;
    for (int k = 0; k < polygons; ++k) {
      const SurfacePoint centre{pick(0, width - 1), pick(0, height - 1)};
      std::vector<SurfacePoint> points;
      for (int n = pick(3, 8); points.size() < std::size_t(n);) {
        SurfacePoint p{std::clamp(centre.x + pick(-reach, reach), 0, width - 1),
                       std::clamp(centre.y + pick(-reach, reach), 0, height - 1)};
        if (!points.empty()) {
          if (pick(0, 4) == 0) p = points.back();
          if (pick(0, 4) == 0) p.y = points.back().y;
          if (pick(0, 4) == 0) p.x = points.back().x;
          if (pick(0, 5) == 0 && points.size() > 1) p = points[points.size() - 2];
        }
        points.push_back(p);
      }
      if (pick(0, 3) == 0) points.back() = points.front();
      if (OutlinesAsThePainter(width, height, points) || differing++ > 0) continue;
      for (const SurfacePoint& p : points) ADD_FAILURE() << "corner " << p.x << "," << p.y;
    }
    EXPECT_EQ(differing, 0) << width << " x " << height;
  }
}

TEST(PolygonOutline, LeavesOtherPolygonsToThePainter) {
  std::uint32_t pixels[10 * 8] = {};
  const PixelRows rows{pixels, 10, 10, 8};
  for (const SurfacePoint third : {SurfacePoint{10, 4}, {-1, 4}, {4, 8}, {4, -1}}) {
    const std::vector<SurfacePoint> outside{{0, 0}, {9, 7}, third};
    EXPECT_FALSE(OutlinePolygon(rows, outside, kInk)) << third.x << "," << third.y;
  }
  EXPECT_FALSE(OutlinePolygon(rows, std::vector<SurfacePoint>(2, {9, 7}), kInk));
  EXPECT_FALSE(OutlinePolygon(rows, std::vector<SurfacePoint>(9, {9, 7}), kInk));
  EXPECT_EQ(std::count(std::begin(pixels), std::end(pixels), kInk), 0);
}

}  // namespace
}  // namespace kessadon
