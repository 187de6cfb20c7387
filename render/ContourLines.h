// Contour lines of one grid cell: for every level between the cell's lowest
// and highest corner, the points where the level crosses the projected cell
// edges, interpolated linearly by the corner heights, joined by straight
// segments. Corners run (i, j), (i2, j), (i2, j2), (i, j2); edge e joins
// corner e to corner e+1, the fifth entry repeating the first.
#pragma once

#include <array>

#include "DrawingSurface.h"
#include "color/ContourLevels.h"

namespace kessadon {

using CellPoints = std::array<SurfacePoint, 5>;
using CellHeights = std::array<double, 5>;  // unexaggerated, 5 = 1

// Draws with PSet and Line in the surface's current pen. zeps is the nudge
// that puts a corner lying exactly on a level above it. Returns whether it
// drew anything.
bool DrawCellContours(DrawingSurface& surface, const CellPoints& points, const CellHeights& z,
                      const ContourLevels& levels, double zeps);

// The same for a cell whose levels are known: `span` is LevelsWithin(levels,
// lowest corner, highest corner).
bool DrawCellContours(DrawingSurface& surface, const CellPoints& points, const CellHeights& z,
                      LevelSpan span, const ContourLevels& levels, double zeps);

// Whether DrawCellContours would draw anything, drawing nothing.
bool CellHasContours(const CellPoints& points, const CellHeights& z, LevelSpan span,
                     const ContourLevels& levels, double zeps);

}  // namespace kessadon
