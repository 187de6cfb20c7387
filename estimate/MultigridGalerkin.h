// The multigrid's coarse grids: the next coarser grid of a level, its
// operator the Galerkin product R A P of the level's operator A and its
// interpolation P (MultigridTransfer.h), which keeps the 25-point shape,
// and the links faults cut on it. Not to be confused with CoarseOperator.h,
// the two-level deviations' P^T A P over a space of B-splines.
#pragma once

#include "MultigridLevel.h"

namespace kessadon::multigrid {

// Shapes `coarse` as the next coarser grid of `fine`, whose interpolation
// (FitNearCuts) must be set, and builds its operator and cut links.
void BuildCoarse(const Level& fine, Level& coarse);

}  // namespace kessadon::multigrid
