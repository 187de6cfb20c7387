// The whole estimation as both front ends run it, in one place: the weights
// chosen from the data and applied to the parameters, the estimation, the
// fit of the surface delivered, the noise handed to the standard deviations,
// and the figures a run is summed up by. The fronts only format what it
// returns; the desktop, which runs the steps from separate commands, calls
// the same steps below.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "EstimationParameters.h"
#include "EstimationRun.h"
#include "FitStatistics.h"
#include "Progress.h"
#include "Uncertainty.h"
#include "WeightChoice.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

struct SurfaceRequest {
  // alpha(min) by generalized cross-validation, and with dip data Beta/Alpha
  // unless `keepRatio`; with bounds alpha(max) grows by the factor alpha(min)
  // did unless `keepAlphaMax`.
  bool chooseWeights = false;
  bool keepRatio = false, keepAlphaMax = false;
  GcvSettings gcv;
  // A choice made before whose weights the parameters already carry (the
  // desktop's separate command); its figures stand for the surface as a
  // chosen one would.
  std::optional<WeightChoice> choice;
  bool uncertainty = false;
  UncertaintySettings uncertaintySettings;  // its sigma is the fit's where that is known
  EstimationSolver solver = EstimationSolver::Automatic;
};

// GCV, EDF and sigma of the surface delivered: the weight choice's own where
// it chose the only pass's weight on the grid asked for, else reckoned on the
// surface (the last pass's weights and bounds, the whole grid).
struct SurfaceFit {
  FitStatistics fit;
  bool reckoned = false;    // found on the delivered surface, not taken from the choice
  bool delivered = true;    // false: the choice's, the surface's own out of reach
  std::string unreachable;  // why, when not delivered
};

struct SurfaceEstimate {
  EstimationParameters params;  // as run: the chosen weights applied
  std::optional<WeightChoice> choice;
  EstimationResult run;
  std::optional<SurfaceFit> fit;  // where there was a choice
  std::optional<Uncertainty> sd;
  // Why the standard deviations asked for could not be found; the surface
  // and its fit stand.
  std::optional<Failure> sdRefusal;
};

// The figures a finished run is summed up by, for either front to word.
struct EstimationSummary {
  bool faults = false;
  std::int64_t cutLinks = 0;
  std::int32_t droppedData = 0, tiedBlocks = 0;
  std::int32_t passes = 0;
  std::int32_t iterations = 0;  // of the iterative path's last pass; 0 for a direct solve
  double residual = 0;
};
EstimationSummary SummaryOf(const EstimationResult& run, bool faults);

// The chosen weights into the parameters: alpha(min), Beta/Alpha where the
// choice made it, and with bounds alpha(max) grown by the factor alpha(min)
// did, so the schedule keeps its shape (unless `keepAlphaMax`).
void ApplyWeightChoice(EstimationParameters& params, const WeightChoice& chosen, bool bounds,
                       bool keepAlphaMax);

// The choice alone, reported as the stage ChoosingWeights of pass 1 of 1.
Result<WeightChoice> ChooseWeights(const PreparedData& data, const EstimationParameters& params,
                                   const SurfaceRequest& request,
                                   const EstimationProgress& progress);

// The fit of the surface `run` delivered with the weights of `chosen`; a stop
// gives a cancelled failure, and only a stop fails.
Result<SurfaceFit> FitOfSurface(const PreparedData& data, const EstimationParameters& params,
                                const EstimationResult& run, const WeightChoice& chosen,
                                const EstimationProgress& progress);

// The standard deviations of the heights, with the noise of `fit` when it is
// the delivered surface's (and then its EDF and count), else found afresh.
Result<Uncertainty> UncertaintyOfSurface(const PreparedData& data,
                                         const EstimationParameters& params,
                                         const EstimationResult& run,
                                         const std::optional<SurfaceFit>& fit,
                                         UncertaintySettings settings,
                                         const EstimationProgress& progress);

// Everything the request asks for, in order: the choice, the estimation, the
// fit and the standard deviations. A stop at any step gives a cancelled
// failure; a bound pass that fails after the first keeps the last surface
// (its StoppedAtPass says so) and goes on to the rest.
Result<SurfaceEstimate> EstimateSurface(const PreparedData& data, EstimationParameters params,
                                        const SurfaceRequest& request,
                                        const EstimationProgress& progress = {});

}  // namespace kessadon
