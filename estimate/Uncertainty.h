// How sure the estimated surface is: the standard deviation of each node's
// height under the model the least-squares problem stands for.
//
// A pass minimises w |D z - y|^2 + (the other data) + z^T S z, whose normal
// equations are A z = w D^T y + ..., A = w D^T D + ... + S, w = alpha / nH.
// Read as a Bayesian model, the heights y = D z + e carry independent errors
// of variance sigma^2, each other datum an error of the variance its weight
// implies (sigma^2 w / its weight), and the smoothness terms a Gaussian prior
// on z of density exp(-z^T S z / (2 sigma^2 / w)). The posterior of z then has
// precision A / (w sigma^2), its mean is the estimate, and
//
//   sd_i = sigma sqrt(w (A^-1)_ii).
//
// sigma is the heights' noise, sqrt(RSS / (n - tr H)) with RSS and the
// influence matrix H of the ordinary heights, as the weight choice estimates
// it, always on the whole estimation grid. The diagonal of A^-1 (and tr H)
// is exact from the sparse factor (selected inversion) while the factor and
// the inverse on its pattern fit in memory. Beyond, both come in two levels
// (TwoLevelInverse.h): the exact inverse of a coarse grid of smooth
// functions, which holds the broad part of the uncertainty, plus strips that
// take the rest (the dips at data, the borders, the faults) from the
// equations near them; sigma then comes from the surface the run delivered
// (FitStatistics.h). Their stated error covers the deviations' own and that
// sigma takes from the trace's.
#pragma once

#include <cstdint>
#include <optional>

#include "EstimationParameters.h"
#include "EstimationRun.h"
#include "Progress.h"
#include "io/GridData.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

struct UncertaintySettings {
  // Exact up to this many nodes of the estimation grid (when the factor
  // fits), in two levels beyond, on a coarse grid of up to a quarter as many
  // functions.
  std::int64_t exactUpTo = 1'200'000;
  // The heights' noise, when known already (from the weight choice); else
  // estimated from the run's misfit and the trace of H.
  std::optional<double> sigma;
};

struct Uncertainty {
  GridData Sd;  // the requested grid's nodes, Nx ... Dy and Z; geometry not derived
  double Sigma = 0;
  double Edf = 0;          // tr H of the ordinary heights; 0 when sigma was given
  std::int32_t Count = 0;  // the ordinary heights
  bool Exact = true;
  // In two levels: the stated relative error of the deviations over the
  // requested nodes, its root mean square and its largest (sigma's own
  // included when it was estimated); 0 when exact.
  double RelativeError = 0;
  double LargestError = 0;
};

// The standard deviations of the surface `run` estimated from `data` with
// `params` (its last completed pass's weights and bounds). Refuses data that
// leave no degree of freedom for sigma, and a grid too large for either way;
// a stop gives a cancelled failure. `memory` as for RunEstimation.
Result<Uncertainty> EstimateUncertainty(const PreparedData& data,
                                        const EstimationParameters& params,
                                        const EstimationResult& run,
                                        const SolveProgress& progress = {},
                                        const UncertaintySettings& settings = {},
                                        std::int64_t memory = 0);

}  // namespace kessadon
