// A run's last completed pass built again, for what is asked of a surface
// after its estimation (its fit statistics, the standard deviations of its
// heights): the pass's equations A z = b on the extended estimation grid,
// with the bounds active as that pass judged them, and the ordinary heights
// (bounds left out) whose misfit and influence the statistics count.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "EstimationParameters.h"
#include "EstimationRun.h"
#include "FaultCuts.h"
#include "FitStatistics.h"
#include "PatternSystem.h"
#include "Progress.h"
#include "TwoLevelInverse.h"
#include "io/MeasuredData.h"
#include "io/NodeArray.h"
#include "io/Result.h"

namespace kessadon {

struct LastPass {
  EstimationGrid grid;
  const FaultCuts* faults = nullptr;
  PreparedData ordinary;
  PatternSystem system;   // A z = b
  PatternSystem heights;  // the ordinary heights' part of A, weight alpha / their count; when asked
  std::vector<StencilAt> stencils;  // of the ordinary heights the grid holds
  double alpha = 0;
  double w = 0;         // alpha / nH, the heights' weight in A
  double heightsW = 0;  // alpha / the ordinary heights' count, their weight in `heights`
};

// The pass's equations on `grid` (the plan's) with `cuts` (which must
// outlive the result); `heightsPart` builds LastPass::heights too, which
// the exact inversion reads. Refuses data without an ordinary height with
// `tooFew`.
Result<LastPass> BuildLastPass(const PreparedData& data, const EstimationParameters& params,
                               const EstimationResult& run, const FaultCuts& cuts,
                               const EstimationGrid& grid, bool heightsPart, const Failure& tooFew);

// The fit statistics of `surface` (on the estimation grid) under the pass,
// given tr H and its relative error (0 when exact). Refuses, with
// `tooFew`, when fewer than one degree of freedom is left.
Result<FitStatistics> PassStatistics(const LastPass& pass, const NodeArray<double>& surface,
                                     double trace, double traceError, const Failure& tooFew);

// A's diagonal of the inverse, the surface and tr H of the ordinary heights.
struct ExactInverse {
  std::vector<double> diagonal, surface;
  double trace = 0;
};

// Exactly, from the sparse factor and its selected inversion over the
// heights' part's pattern: nothing when the factor and the inverse would not
// fit in `limit`. A stop gives `stopped`.
Result<std::optional<ExactInverse>> InvertExactly(LastPass& pass, std::int64_t limit,
                                                  const SolveProgress& progress,
                                                  const Failure& stopped);

// The surface the run delivered, on the whole estimation grid: its own
// heights on the requested nodes and, on the nodes added round them, the
// heights the pass's equations give beside those: from `solved` (the
// equations' solution) when given, else, where a height's stencil reaches
// them, by the iterative solver started from the delivered heights.
Result<NodeArray<double>> DeliveredSurface(const LastPass& pass, const EstimationResult& run,
                                           const std::vector<double>* solved,
                                           const SolveProgress& progress, const Failure& stopped);

}  // namespace kessadon
