// How well the surface a run delivered fits its ordinary heights (bounds
// left out), on the whole estimation grid, under its last completed pass:
// with bounds, the weights grow over the passes and the last one's surface
// is the one delivered, so its statistics, not the weight choice's, describe
// it.
//
//   RSS = the sum of the squared misfits of the n ordinary heights,
//   EDF = tr H, H the influence of those heights on their fitted values
//         under the pass's equations (bounds active as it judged them),
//   sigma = sqrt(RSS / (n - EDF)),   GCV = n RSS / (n - EDF)^2.
//
// The trace is exact from the sparse factor where the grid is small enough
// for the direct solvers; beyond, it is taken in two levels (the coarse
// grid's exact inverse and strips near the data, TwoLevelInverse.h), at
// about an estimation's cost, with an error it states.
#pragma once

#include <cstdint>

#include "EstimationParameters.h"
#include "EstimationRun.h"
#include "Progress.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

struct FitStatistics {
  std::int32_t Count = 0;  // ordinary heights in the misfit
  double Rss = 0, Edf = 0, Sigma = 0, Gcv = 0;
  bool ExactTrace = true;  // else EDF is estimated, within TraceError (relative) of the exact
  double TraceError = 0;
};

// Refuses (a Failure with a Japanese one-line reason, as the other refusals in estimate/ are
// written) when fewer than one degree of freedom is left; a stop gives a cancelled failure.
Result<FitStatistics> StatisticsOfRun(const PreparedData& data, const EstimationParameters& params,
                                      const EstimationResult& run,
                                      const SolveProgress& progress = {}, std::int64_t memory = 0);

}  // namespace kessadon
