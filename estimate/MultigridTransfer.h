// The multigrid's transfers between a grid and the next coarser one:
// heights go down by the interpolation P (bilinear, MultigridLevel.h, or
// beside a fault fitted to each block's planes from the coarse nodes a fine
// node reaches without crossing a cut), residuals up by R = P^T. Both are
// split over the cores so that their sums do not depend on the thread
// count.
#pragma once

#include <vector>

#include "MultigridLevel.h"

namespace kessadon::multigrid {

// Fits the weights of the fine nodes a fault cuts off from some of their
// bilinear parents (fine.fitted, fine.fittedAt); none without faults.
void FitNearCuts(Level& fine);

// coarse.rhs = R rf.
void Restrict(const Level& fine, const std::vector<double>& rf, Level& coarse);

// xf += P coarse.sol.
void Prolong(const Level& coarse, const Level& fine, double* xf);

}  // namespace kessadon::multigrid
