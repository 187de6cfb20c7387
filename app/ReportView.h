// The report of the last estimation pass on the panel.
#pragma once

#include <cstdint>

namespace kessadon {
struct EstimationReport;
struct WeightChoice;
}  // namespace kessadon

namespace kessadon::app {

class ReportFrame;

// Writes the eleven values; the dip values are left empty when no dip datum
// was usable, so that nothing of an earlier run stays beside this one.
void WriteEstimationReport(ReportFrame& frame, const EstimationReport& report);

// The fault line under the report: the links cut and the data left out;
// hidden when the run had no fault.
void WriteFaultReport(ReportFrame& frame, bool faults, std::int64_t cutLinks, std::int32_t dropped);

// The line of the weights chosen by cross-validation (GCV, EDF, sigma);
// hidden when null. It says when they were chosen on a thinned grid (not
// the one asked for) or describe only the first of the passes bounds run
// (`bounded`), and when sigma rests on few degrees of freedom.
void WriteWeightsReport(ReportFrame& frame, const WeightChoice* choice, bool bounded = false);

// Empties every value: the report no longer belongs to the data or the grid.
void ClearEstimationReport(ReportFrame& frame);

}  // namespace kessadon::app
