// The report of the last estimation pass on the panel.
#pragma once

namespace kessadon {

class ReportFrame;
struct EstimationReport;

// Writes the eleven values; the dip values stay as they were when no dip
// datum was usable.
void WriteEstimationReport(ReportFrame& frame, const EstimationReport& report);

}  // namespace kessadon
