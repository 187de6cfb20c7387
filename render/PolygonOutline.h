// Outlining small polygons with integer corners straight into the 32-bit scan
// lines of an image, as the raster painter's aliased pen of one pixel outlines
// them: the grid lines of a surface picture are a million such outlines.
//
// The painter steps every edge along its longer axis, one pixel a row or
// column, the position across in 16.16 fixed point from the edge's start in
// 26.6; an edge leaves its end pixel to the next one. Where edges meet it
// drops a pixel both would set and adds one a turn would leave out, judged
// from the last pixel of the edge before (for the first edge, of the closing
// one), and an edge that turns back along the same axis starts half a step
// early. A last corner that repeats the first is left out. The test compares
// this with the painter over many random polygons.
#pragma once

#include <cstdint>
#include <span>

#include "DrawingSurface.h"
#include "PolygonFill.h"

namespace kessadon {

// Sets the pixels the painter's outline sets to pixel, within the rows' band,
// for 3 to kMaxFillCorners corners inside the image (x in 0 ... width - 1, y
// in 0 ... height - 1) on images up to kMaxOutlineSide pixels a side. Any
// other polygon is left alone, and the answer is false.
inline constexpr int kMaxOutlineSide = 1 << 14;
bool OutlinePolygon(const PixelRows& rows, std::span<const SurfacePoint> points,
                    std::uint32_t pixel);

}  // namespace kessadon
