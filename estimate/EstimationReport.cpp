#include "EstimationReport.h"

#include <cmath>

#include "SeenStencils.h"
#include "Stencil.h"
#include "io/NumberText.h"

namespace kessadon {

SmoothnessValues SmoothnessMeasures(const EstimationGrid& grid, const NodeArray<double>& z,
                                    const FaultCuts* faults) {
  const std::int32_t nx = grid.Nx, ny = grid.Ny;
  const auto square = [](double v) { return v * v; };
  const bool any = faults != nullptr && faults->Any();
  const auto cutX = [&](std::int32_t i, std::int32_t j) { return any && faults->CutX(i, j); };
  const auto cutY = [&](std::int32_t i, std::int32_t j) { return any && faults->CutY(i, j); };

  double sx1 = 0, sxx = 0;
  for (std::int32_t j = 1; j <= ny; ++j) {
    double row1 = 0, row2 = 0;
    for (std::int32_t i = 1; i <= nx - 1; ++i) {
      if (!cutX(i, j)) row1 += square(z(i + 1, j) - z(i, j));
    }
    for (std::int32_t i = 2; i <= nx - 1; ++i) {
      if (cutX(i - 1, j) || cutX(i, j)) continue;
      row2 += NextToBorderWeight(i, nx) * square(z(i + 1, j) - 2 * z(i, j) + z(i - 1, j));
    }
    sx1 += BorderWeight(j, ny) * row1;
    sxx += BorderWeight(j, ny) * row2;
  }
  double sy1 = 0, syy = 0, sxy = 0;
  for (std::int32_t i = 1; i <= nx; ++i) {
    double column1 = 0, column2 = 0;
    for (std::int32_t j = 1; j <= ny - 1; ++j) {
      if (!cutY(i, j)) column1 += square(z(i, j + 1) - z(i, j));
    }
    for (std::int32_t j = 2; j <= ny - 1; ++j) {
      if (cutY(i, j - 1) || cutY(i, j)) continue;
      column2 += NextToBorderWeight(j, ny) * square(z(i, j + 1) - 2 * z(i, j) + z(i, j - 1));
    }
    sy1 += BorderWeight(i, nx) * column1;
    syy += BorderWeight(i, nx) * column2;
  }
  for (std::int32_t i = 1; i <= nx - 1; ++i) {
    for (std::int32_t j = 1; j <= ny - 1; ++j) {
      if (cutX(i, j) || cutX(i, j + 1) || cutY(i, j) || cutY(i + 1, j)) continue;
      sxy += square(z(i + 1, j + 1) - z(i + 1, j) - z(i, j + 1) + z(i, j));
    }
  }

  const double dx = grid.Dx, dy = grid.Dy;
  SmoothnessValues out;
  out.J1 = (sx1 / (dx * dx) + sy1 / (dy * dy)) / (double(nx - 1) * (ny - 1));
  out.J2 = (2 * sxy / square(dy * dx) + sxx / square(dx * dx) + syy / square(dy * dy)) * dx * dy;
  return out;
}

Misfit HeightMisfit(const EstimationGrid& grid, const PreparedData& data,
                    const NodeArray<double>& z, const FaultCuts* faults) {
  Misfit out;
  for (std::int32_t k = 0; k < data.Nh(); ++k) {
    const std::optional<SeenHeight> seen = LocateHeight(grid, faults, data.XH[k], data.YH[k]);
    if (!seen) continue;
    const double r = ApplyStencil(seen->stencil, seen->at.ic, seen->at.jc, z) - data.ZH[k];
    const std::int16_t l = data.LH[k];
    if (KeepsHeight(l, r)) {
      out.sumOfSquares += r * r;
      ++out.count;
    }
  }
  return out;
}

Misfit DipMisfit(const EstimationGrid& grid, const PreparedData& data, const NodeArray<double>& z,
                 const FaultCuts* faults) {
  Misfit out;
  for (std::int32_t k = 0; k < data.Nd(); ++k) {
    const std::optional<SeenDip> seen = LocateDip(grid, faults, data.XD[k], data.YD[k]);
    if (!seen) continue;
    const DatumLocation& at = seen->at;
    const double rx = ApplyStencil(seen->slopeX, at.ic, at.jc, z, -data.GxD[k]);
    out.sumOfSquares += rx * rx;
    const double ry = ApplyStencil(seen->slopeY, at.ic, at.jc, z, -data.GyD[k]);
    out.sumOfSquares += ry * ry;
    ++out.count;
  }
  return out;
}

EstimationReport MakeEstimationReport(const EstimationGrid& grid, const PreparedData& data,
                                      const NodeArray<double>& z, double m1, double m2,
                                      double alpha, double beta, const FaultCuts* faults) {
  EstimationReport out;
  out.Alpha = alpha;
  out.Beta = beta;
  const SmoothnessValues smooth = SmoothnessMeasures(grid, z, faults);
  out.J1 = smooth.J1;
  out.J2 = smooth.J2;

  // Bounds that the surface clears strictly are no misfit at all; with nothing
  // else counted the mean is undefined, and the height term of alphaR is 0.
  const Misfit heights = HeightMisfit(grid, data, z, faults);
  out.CH = heights.count;
  double rh = 0;
  if (heights.count > 0) {
    rh = heights.sumOfSquares / heights.count;
    out.RH = rh;
    out.EH = std::sqrt(rh);
  }

  double rd = 0;
  if (data.Nd() != 0) {
    const Misfit dips = DipMisfit(grid, data, z, faults);
    if (dips.count != 0) {
      rd = dips.sumOfSquares / dips.count;
      out.CD = dips.count;
      out.RD = rd;
      out.ED = std::sqrt(rd);
    }
  }

  out.J = m2 * out.J2 + m1 * out.J1;
  out.AlphaR = rd * beta + alpha * rh;
  out.Q = out.J + out.AlphaR;
  return out;
}

std::array<std::optional<std::string>, 11> ReportTexts(const EstimationReport& report) {
  const auto value = [](const std::optional<double>& v,
                        const char* undefined) -> std::optional<std::string> {
    if (v) return FormatGeneral(*v);
    if (undefined) return std::string(undefined);
    return std::nullopt;
  };
  std::optional<std::string> cd;
  if (report.CD) cd = std::to_string(*report.CD);
  return {FormatGeneral(report.J1),  FormatGeneral(report.J2),    std::to_string(report.CH),
          value(report.RH, "-"),     value(report.EH, "-"),       cd,
          value(report.RD, nullptr), value(report.ED, nullptr),   FormatGeneral(report.Q),
          FormatGeneral(report.J),   FormatGeneral(report.AlphaR)};
}

std::array<ReportLine, 11> ReportLines(const EstimationReport& report) {
  std::array<std::optional<std::string>, 11> texts = ReportTexts(report);
  std::array<ReportLine, 11> lines;
  for (std::size_t k = 0; k < lines.size(); ++k)
    lines[k] = {kReportCaptions[k], std::move(texts[k])};
  return lines;
}

}  // namespace kessadon
