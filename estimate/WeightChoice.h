// The height weight alpha chosen from the data by generalized
// cross-validation: the alpha that minimises
//
//   GCV(alpha) = n RSS(alpha) / (n - tr H(alpha))^2,
//
// where RSS is the sum of squared height misfits of the surface estimated
// with alpha and H the influence matrix of the n heights on their own
// fitted values. With the per-datum weight w = alpha / n of the normal
// equations A z = w D^T y + (dips), H = w D A^-1 D^T, so that for any
// vector v of the heights' length v^T H v = b^T A^-1 b / w with b = w D^T v,
// the right-hand side the equations get from heights v. The trace is that
// summed over the unit vectors (exact) or averaged over random vectors of
// +-1 (Hutchinson's estimate), the same ones for every alpha, so that the
// curve GCV(alpha) stays smooth and its minimum does not wander.
//
// With dip data beta / alpha is chosen too, by the same GCV of the heights:
// the dips' weight that lets the surface best foretell each height left out.
// alpha first, then the ratio with alpha kept, then alpha again near where
// it was. The dips are not rows of the misfit themselves: counted there, a
// dip whose weight shrinks counts as fitted perfectly, and GCV then drives
// their weight to nothing however sure they are.
#pragma once

#include <cstdint>
#include <vector>

#include "EstimationParameters.h"
#include "Progress.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

struct GcvPoint {
  double alpha = 0, ratio = 0, gcv = 0, edf = 0, rss = 0;
  std::int32_t count = 0;  // heights in the misfit
};

struct WeightChoice {
  double Alpha = 0;  // the chosen alpha(min)
  double Gcv = 0;
  double Edf = 0;    // effective degrees of freedom, tr H
  double Sigma = 0;  // the heights' noise, sqrt(RSS / (n - tr H))
  double Ratio = 0;  // beta / alpha: chosen (RatioChosen), or as given
  bool RatioChosen = false;
  std::int32_t Count = 0;
  // The grid the choice was made on: the one asked for, or a coarser one
  // over the same range (GcvSettings::gridNodesUpTo).
  std::int32_t GridNx = 0, GridNy = 0;
  bool Thinned = false;        // the grid asked for was too large and was thinned
  bool ExactTrace = false;     // the trace summed over unit vectors
  std::vector<GcvPoint> Scan;  // every alpha tried, in order
};

struct GcvSettings {
  // Up to this many heights the trace is exact; beyond, it is estimated
  // from `probes` random vectors.
  std::int32_t exactUpTo = 200;
  int probes = 24;
  unsigned seed = 20261208;  // of the random vectors, fixed so that a run can be repeated
  // The search: whole decades of alpha from 10^lowest to 10^highest, then a
  // golden section over the two decades round the best, narrowing them to
  // about 0.06 of a decade (15% in alpha): 17 factorisations in all.
  int lowest = -2, highest = 5, refinements = 9;
  // Decades the scan may go on past either end while the best lies there.
  int reach = 4;
  // A grid of more nodes (extension included) is thinned to every k-th line
  // for the choice, which then takes a few factorisations' time of this many
  // nodes whatever the grid asked for.
  std::int64_t gridNodesUpTo = 100'000;
  // With dip data: whether beta / alpha is chosen too (else kept as given),
  // its decades, and the steps of its golden section and of alpha's second
  // one (over a decade). Exact dips drive the ratio up without end; past
  // 10^4 they already weigh as exact.
  bool chooseRatio = true;
  int ratioLowest = -2, ratioHighest = 3, ratioReach = 1, ratioRefinements = 7,
      secondRefinements = 6;
};

// Whether sigma, from n heights and EDF, rests on few degrees of freedom:
// fewer than five left, or under a tenth of n.
inline bool FewDegreesOfFreedom(std::int32_t n, double edf) {
  const double left = n - edf;
  return left < 5 || left < 0.1 * n;
}

// The data without their bounds: the ordinary heights and the dips.
PreparedData OrdinaryHeights(const PreparedData& data);

// Chooses alpha (and with dip data beta / alpha) for one pass of the
// estimation `params` describes (its grid, m1, m2 and faults) from the
// ordinary heights, with the dips in the equations; bounds take no part. Refuses what the
// estimation itself would refuse, and data too few to leave any degree of freedom. Tells `progress`
// the share of the alphas tried; a stop gives a cancelled failure. `memory` as for RunEstimation.
Result<WeightChoice> ChooseAlphaByGcv(const PreparedData& data, const EstimationParameters& params,
                                      const SolveProgress& progress = {},
                                      const GcvSettings& settings = {}, std::int64_t memory = 0);

}  // namespace kessadon
