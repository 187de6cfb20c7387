// Filling small polygons with integer corners straight into the 32-bit scan
// lines of an image, without a painter: the cells of a surface picture are a
// million such polygons, too many to hand one by one to the painter.
//
// Pixels are filled by the alternate (even-odd) rule, row y sampled at
// y + 0.5. A pixel is covered when its centre lies inside; a centre exactly on
// an edge counts as inside on the right side of the polygon and outside on the
// left. The edge positions are worked out in the raster painter's 16.16 fixed
// point (slope truncated, stepped row by row), so a fill here sets exactly the
// pixels the painter's aliased odd-even fill of the same polygon sets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "DrawingSurface.h"

namespace kessadon {

// 32-bit pixels, row y starting at bits + y * stride.
struct PixelRows {
  std::uint32_t* bits = nullptr;
  std::ptrdiff_t stride = 0;  // in pixels
  int width = 0;
  int height = 0;
  // The rows a fill may set, firstRow ... endRow - 1: a band of the image
  // that one thread draws while others draw the rest.
  int firstRow = 0;
  int endRow = INT32_MAX;
};

inline constexpr std::size_t kMaxFillCorners = 8;

// Sets the covered pixels to pixel, for 3 to kMaxFillCorners corners with x in
// 0 ... width - 1 and y in 0 ... height; within that range the painter never
// clips an edge, which would round differently. Any other polygon is left
// alone, and the answer is false. Of the covered pixels only those in the
// rows' band are set; whether the polygon is taken does not depend on it.
bool FillPolygon(const PixelRows& rows, std::span<const SurfacePoint> points, std::uint32_t pixel);

}  // namespace kessadon
