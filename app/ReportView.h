// The report of the last estimation pass on the panel.
#pragma once

namespace kessadon {
struct EstimationReport;
}

namespace kessadon::app {

class ReportFrame;

// Writes the eleven values; the dip values are left empty when no dip datum
// was usable, so that nothing of an earlier run stays beside this one.
void WriteEstimationReport(ReportFrame& frame, const EstimationReport& report);

// Empties every value: the report no longer belongs to the data or the grid.
void ClearEstimationReport(ReportFrame& frame);

}  // namespace kessadon::app
