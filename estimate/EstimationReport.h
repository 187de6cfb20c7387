// Fit measures of one estimation pass, evaluated on its solution with the same
// location, stencils and smoothness terms that built the pass.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "EstimationGrid.h"
#include "FaultCuts.h"
#include "io/MeasuredData.h"
#include "io/NodeArray.h"

namespace kessadon {

struct SmoothnessValues {
  double J1 = 0;  // mean squared slope per cell
  double J2 = 0;  // integrated squared curvature
};
// Terms that reach across a link a fault cuts count nothing (faults may be null).
SmoothnessValues SmoothnessMeasures(const EstimationGrid& grid, const NodeArray<double>& z,
                                    const FaultCuts* faults = nullptr);

struct Misfit {
  std::int32_t count = 0;
  double sumOfSquares = 0;
};

// Ordinary heights, and bounds that the surface violates or touches.
Misfit HeightMisfit(const EstimationGrid& grid, const PreparedData& data,
                    const NodeArray<double>& z, const FaultCuts* faults = nullptr);

// Usable dip data; each adds its x and its y slope residual squared.
Misfit DipMisfit(const EstimationGrid& grid, const PreparedData& data, const NodeArray<double>& z,
                 const FaultCuts* faults = nullptr);

// The eleven values of the report, top to bottom as the panel shows them.
struct EstimationReport {
  double J1 = 0, J2 = 0;
  std::int32_t CH = 0;             // height data counted in the misfit
  std::optional<double> RH, EH;    // mean squared height misfit and its root; none when CH = 0
  std::optional<std::int32_t> CD;  // usable dip data; none (with RD, ED) when there are none
  std::optional<double> RD, ED;
  double Q = 0;       // J + alphaR
  double J = 0;       // m2 J2 + m1 J1
  double AlphaR = 0;  // beta RD + alpha RH, an undefined RD or RH counting as 0

  double Alpha = 0, Beta = 0;  // the weights of the pass described
};

EstimationReport MakeEstimationReport(const EstimationGrid& grid, const PreparedData& data,
                                      const NodeArray<double>& z, double m1, double m2,
                                      double alpha, double beta, const FaultCuts* faults = nullptr);

// The eleven value texts: counts as integers, the rest in the general number
// form, "-" for an undefined RH and its error. The dip values are absent when
// there was no usable dip datum; the panel then leaves those labels as they were.
std::array<std::optional<std::string>, 11> ReportTexts(const EstimationReport& report);

// The captions beside the eleven values, as the panel and the command line
// show them.
inline constexpr std::array<const char*, 11> kReportCaptions = {
    "J1 =", "J2 =",    "H : data =", "RH =", "Error =", "D : data =",
    "RD =", "Error =", "Q =",        "J =",  "a R ="};

struct ReportLine {
  const char* caption;
  std::optional<std::string> value;  // as ReportTexts
};

// The report top to bottom, each value with its caption.
std::array<ReportLine, 11> ReportLines(const EstimationReport& report);

}  // namespace kessadon
