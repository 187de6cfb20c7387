// A coarse copy of a grid for quick pictures, such as the frames drawn while
// the view is turned by hand: every step-th node along x and y, the last
// column and row always kept. The copy keeps the grid's extent, centre and
// height range, so the scale, the pedestal and the ticks of its picture stand
// where those of the full picture do. Nodes count from 1.
#pragma once

#include <cstdint>

#include "io/GridData.h"

namespace kessadon {

// Cells a quick picture draws at most: about 15 ms of drawing on a desktop.
inline constexpr std::int64_t kQuickPictureCells = 50000;

// Cells of the grid thinned by `step`.
std::int64_t ThinnedCells(const GridData& grid, int step);

// The smallest step that leaves at most `maxCells` cells; 1 for a grid that
// has no more than that already.
int ThinningStep(const GridData& grid, std::int64_t maxCells = kQuickPictureCells);

// Nodes 1, 1 + step, 1 + 2 step, ... and the last one along each axis, at
// their own positions and heights. The spacings are the mean ones, so that
// the extent stays (Nx - 1) Dx; Xmin ... Zeps and the centre are the grid's.
// The original-grid members stay empty.
GridData ThinGrid(const GridData& grid, int step);

}  // namespace kessadon
