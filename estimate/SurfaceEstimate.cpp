#include "SurfaceEstimate.h"

#include <utility>

namespace kessadon {
namespace {

// A step outside the passes, as pass 1 of 1 of its own stage.
SolveProgress StepOf(const EstimationProgress& progress, EstimationStage stage) {
  if (!progress) return {};
  return [&progress, stage](double f) { return progress({1, 1, stage, f}); };
}

FitStatistics ChoiceFit(const WeightChoice& chosen) {
  FitStatistics fit;
  fit.Count = chosen.Count;
  fit.Edf = chosen.Edf;
  fit.Sigma = chosen.Sigma;
  fit.Gcv = chosen.Gcv;
  fit.Rss = chosen.Sigma * chosen.Sigma * (chosen.Count - chosen.Edf);
  fit.ExactTrace = chosen.ExactTrace;
  return fit;
}

}  // namespace

EstimationSummary SummaryOf(const EstimationResult& run, bool faults) {
  EstimationSummary s;
  s.faults = faults;
  s.cutLinks = run.CutLinks;
  s.droppedData = run.DroppedHeights + run.DroppedDips;
  s.tiedBlocks = run.Ties.tiedBlocks;
  s.passes = static_cast<std::int32_t>(run.PassReports.size());
  s.iterations = run.Iterations;
  s.residual = run.Residual;
  return s;
}

void ApplyWeightChoice(EstimationParameters& params, const WeightChoice& chosen, bool bounds,
                       bool keepAlphaMax) {
  if (chosen.RatioChosen) params.Ratio = chosen.Ratio;
  // An alpha(min) of 0 has no factor to keep; the run refuses it anyway.
  if (bounds && !keepAlphaMax && params.AlphaMin > 0) {
    params.AlphaMax *= chosen.Alpha / params.AlphaMin;
  }
  params.AlphaMin = chosen.Alpha;
}

Result<WeightChoice> ChooseWeights(const PreparedData& data, const EstimationParameters& params,
                                   const SurfaceRequest& request,
                                   const EstimationProgress& progress) {
  GcvSettings settings = request.gcv;
  settings.chooseRatio = settings.chooseRatio && !request.keepRatio;
  return ChooseAlphaByGcv(data, params, StepOf(progress, EstimationStage::ChoosingWeights),
                          settings);
}

Result<SurfaceFit> FitOfSurface(const PreparedData& data, const EstimationParameters& params,
                                const EstimationResult& run, const WeightChoice& chosen,
                                const EstimationProgress& progress) {
  SurfaceFit out;
  out.fit = ChoiceFit(chosen);
  // The choice's figures are the surface's own when it chose the only
  // pass's weight on the grid asked for.
  if (!data.HasBoundData && !chosen.Thinned) return out;
  Result<FitStatistics> fit =
      StatisticsOfRun(data, params, run, StepOf(progress, EstimationStage::Statistics));
  if (!fit && fit.failure().cancelled) return fit.failure();
  if (!fit) {
    // The surface is sound; only its own figures are out of reach.
    out.delivered = false;
    out.unreachable = Describe(fit.failure());
    return out;
  }
  out.fit = *fit;
  out.reckoned = true;
  return out;
}

Result<Uncertainty> UncertaintyOfSurface(const PreparedData& data,
                                         const EstimationParameters& params,
                                         const EstimationResult& run,
                                         const std::optional<SurfaceFit>& fit,
                                         UncertaintySettings settings,
                                         const EstimationProgress& progress) {
  const bool known = fit && fit->delivered;
  if (known) settings.sigma = fit->fit.Sigma;
  Result<Uncertainty> sd = EstimateUncertainty(
      data, params, run, StepOf(progress, EstimationStage::Uncertainty), settings);
  if (sd && known) {
    sd->Edf = fit->fit.Edf;
    sd->Count = fit->fit.Count;
  }
  return sd;
}

Result<SurfaceEstimate> EstimateSurface(const PreparedData& data, EstimationParameters params,
                                        const SurfaceRequest& request,
                                        const EstimationProgress& progress) {
  SurfaceEstimate out;
  out.choice = request.choice;
  if (request.chooseWeights) {
    Result<WeightChoice> chosen = ChooseWeights(data, params, request, progress);
    if (!chosen) return chosen.failure();
    ApplyWeightChoice(params, *chosen, data.HasBoundData, request.keepAlphaMax);
    out.choice = std::move(*chosen);
  }
  Result<EstimationResult> run = RunEstimation(data, params, progress, request.solver);
  if (!run) return run.failure();
  out.run = std::move(*run);
  if (out.choice) {
    Result<SurfaceFit> fit = FitOfSurface(data, params, out.run, *out.choice, progress);
    if (!fit) return fit.failure();
    out.fit = std::move(*fit);
  }
  if (request.uncertainty) {
    Result<Uncertainty> sd =
        UncertaintyOfSurface(data, params, out.run, out.fit, request.uncertaintySettings, progress);
    if (!sd && sd.failure().cancelled) return sd.failure();
    if (sd) {
      out.sd = std::move(*sd);
    } else {
      out.sdRefusal = sd.failure();
    }
  }
  out.params = std::move(params);
  return out;
}

}  // namespace kessadon
