// The multigrid's smoothers: symmetric Gauss-Seidel in three colours, node
// by node or, on long cells, by whole lines along their short side; and
// beside faults, small boxes round the cuts' ends and corners solved
// exactly. Each colour's nodes are relaxed on every core at once, so the
// heights do not depend on the thread count.
#pragma once

#include <cstddef>

#include "MultigridLevel.h"

namespace kessadon::multigrid {

// Only the finest grids have tip boxes: below those a box costs more than
// it saves, as a K-cycle visits each coarser grid twice as often.
constexpr std::size_t kTipBoxLevels = 2;

// Factors the lines of a level that relaxes lines; a level whose lines do
// not factor is smoothed by points instead.
void FactorLines(Level& level);

// One smoothing sweep of A x = b by points or lines, backward the other way
// round; scratch holds a grid's values.
void Smooth(const Level& level, const double* b, double* x, double* scratch, bool backward);

// Where a fault's cut ends (its tip) or turns a corner (every step of a
// slanting trace), the surface may bend in ways that no coarse grid
// follows: a coarse grid's cut ends and turns a cell or so away. What the
// coarse correction leaves there lies within a few cells, so a box of
// nodes round each such cell is solved exactly, after the forward sweep
// and, in the other order, before the backward one. TipBoxes finds and
// factors a level's boxes; SolveTips adds their corrections to x.
void TipBoxes(Level& level);
void SolveTips(const Level& level, const double* b, double* x, bool backward);

}  // namespace kessadon::multigrid
