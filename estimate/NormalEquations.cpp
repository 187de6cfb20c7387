#include "NormalEquations.h"

namespace kessadon {

template <class System>
void AccumulateStencil(System& system, const EstimationGrid& grid, const Stencil& stencil,
                       std::int32_t ic, std::int32_t jc, double w, double v) {
  std::vector<double>& rhs = system.Rhs();
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      const std::int32_t i = ic + a - 1, j = jc + b - 1;
      if (!grid.Contains(i, j)) continue;
      const std::int64_t n = grid.Unknown(i, j);
      const double wab = stencil.W[a][b];
      // Most stencils weigh two to four of their nine nodes; a zero weight adds
      // nothing anywhere, so its row and column are passed over.
      if (wab == 0) continue;
      rhs[static_cast<std::size_t>(n)] = wab * w * v + rhs[static_cast<std::size_t>(n)];
      for (int k = 0; k < 3; ++k) {
        for (int l = 0; l < 3; ++l) {
          if (stencil.W[k][l] == 0) continue;
          // Only the upper triangle is stored: partners at or after n.
          const std::int64_t d = std::int64_t{grid.Ny} * (k - a) + (l - b);
          if (d < 0 || !grid.Contains(ic + k - 1, jc + l - 1)) continue;
          double& entry = system.Upper(n, k - a, l - b, d);
          entry = wab * w * stencil.W[k][l] + entry;
        }
      }
    }
  }
}

template <class System>
void AddSlopeRowsX(System& system, const EstimationGrid& grid, double m1) {
  Stencil s;
  s.W[1][1] = -1 / grid.Dx;
  s.W[2][1] = 1 / grid.Dx;
  const double cells = double(grid.Nx - 1) * (grid.Ny - 1);
  for (std::int32_t j = 1; j <= grid.Ny; ++j) {
    const double w = BorderWeight(j, grid.Ny) * m1 / cells;
    for (std::int32_t i = 1; i <= grid.Nx - 1; ++i) AccumulateStencil(system, grid, s, i, j, w, 0);
  }
}

template <class System>
void AddSlopeRowsY(System& system, const EstimationGrid& grid, double m1) {
  Stencil s;
  s.W[1][1] = -1 / grid.Dy;
  s.W[1][2] = 1 / grid.Dy;
  const double cells = double(grid.Nx - 1) * (grid.Ny - 1);
  for (std::int32_t i = 1; i <= grid.Nx; ++i) {
    const double w = BorderWeight(i, grid.Nx) * m1 / cells;
    for (std::int32_t j = 1; j <= grid.Ny - 1; ++j) AccumulateStencil(system, grid, s, i, j, w, 0);
  }
}

template <class System>
void AddCurvatureRowsXX(System& system, const EstimationGrid& grid, double m2) {
  const double dx2 = grid.Dx * grid.Dx;
  Stencil s;
  s.W[0][1] = 1 / dx2;
  s.W[1][1] = -2 / dx2;
  s.W[2][1] = 1 / dx2;
  for (std::int32_t j = 1; j <= grid.Ny; ++j) {
    for (std::int32_t i = 2; i <= grid.Nx - 1; ++i) {
      const double w =
          NextToBorderWeight(i, grid.Nx) * m2 * grid.Dx * grid.Dy * BorderWeight(j, grid.Ny);
      AccumulateStencil(system, grid, s, i, j, w, 0);
    }
  }
}

template <class System>
void AddCurvatureRowsXY(System& system, const EstimationGrid& grid, double m2) {
  const double c = 1 / (grid.Dy * grid.Dx);
  Stencil s;
  s.W[1][1] = c;
  s.W[1][2] = -c;
  s.W[2][1] = -c;
  s.W[2][2] = c;
  const double w = 2 * m2 * grid.Dx * grid.Dy;
  for (std::int32_t i = 1; i <= grid.Nx - 1; ++i) {
    for (std::int32_t j = 1; j <= grid.Ny - 1; ++j) AccumulateStencil(system, grid, s, i, j, w, 0);
  }
}

template <class System>
void AddCurvatureRowsYY(System& system, const EstimationGrid& grid, double m2) {
  const double dy2 = grid.Dy * grid.Dy;
  Stencil s;
  s.W[1][0] = 1 / dy2;
  s.W[1][1] = -2 / dy2;
  s.W[1][2] = 1 / dy2;
  for (std::int32_t i = 1; i <= grid.Nx; ++i) {
    for (std::int32_t j = 2; j <= grid.Ny - 1; ++j) {
      const double w =
          NextToBorderWeight(j, grid.Ny) * m2 * grid.Dx * grid.Dy * BorderWeight(i, grid.Nx);
      AccumulateStencil(system, grid, s, i, j, w, 0);
    }
  }
}

template <class System>
std::int32_t AddHeightData(System& system, const EstimationGrid& grid, const PreparedData& data,
                           const NodeArray<double>& previous, double alpha) {
  std::int32_t nH = 0;
  for (std::int32_t k = 0; k < data.Nh(); ++k) {
    if (LocateDatum(grid, data.XH[k], data.YH[k])) ++nH;
  }
  if (nH == 0) return 0;
  const double wH = alpha / nH;
  for (std::int32_t k = 0; k < data.Nh(); ++k) {
    std::optional<DatumLocation> at = LocateDatum(grid, data.XH[k], data.YH[k]);
    if (!at) continue;
    Stencil s;
    const double r = InterpolateEstimate(*at, previous, s) - data.ZH[k];
    const std::int16_t l = data.LH[k];
    if (l == 0 || l * r <= 0) AccumulateStencil(system, grid, s, at->ic, at->jc, wH, data.ZH[k]);
  }
  return nH;
}

template <class System>
std::int32_t AddDipData(System& system, const EstimationGrid& grid, const PreparedData& data,
                        double beta) {
  std::int32_t nD = 0;
  for (std::int32_t k = 0; k < data.Nd(); ++k) {
    if (LocateDatum(grid, data.XD[k], data.YD[k])) ++nD;
  }
  if (nD == 0) return 0;
  const double wD = beta / nD;
  for (std::int32_t k = 0; k < data.Nd(); ++k) {
    std::optional<DatumLocation> at = LocateDatum(grid, data.XD[k], data.YD[k]);
    if (!at) continue;
    AccumulateStencil(system, grid, SetSlopeXStencil(*at, grid.Dx), at->ic, at->jc, wD,
                      data.GxD[k]);
    AccumulateStencil(system, grid, SetSlopeYStencil(*at, grid.Dy), at->ic, at->jc, wD,
                      data.GyD[k]);
  }
  return nD;
}

template <class System>
NormalEquationsOutcome BuildNormalEquations(System& system, const EstimationGrid& grid,
                                            const PreparedData& data,
                                            const NodeArray<double>& previous,
                                            const PassWeights& weights) {
  system.Reset(grid);
  if (weights.m1 != 0) {
    AddSlopeRowsX(system, grid, weights.m1);
    AddSlopeRowsY(system, grid, weights.m1);
  }
  if (weights.m2 != 0) {
    AddCurvatureRowsXX(system, grid, weights.m2);
    AddCurvatureRowsXY(system, grid, weights.m2);
    AddCurvatureRowsYY(system, grid, weights.m2);
  }
  NormalEquationsOutcome out;
  out.nH = AddHeightData(system, grid, data, previous, weights.alpha);
  out.nD = AddDipData(system, grid, data, weights.beta);
  if (out.nH >= 1 && out.nH + 2 * out.nD >= 3) out.status = SolveStatus::Success;
  return out;
}

// The band for small grids, the coupling pattern alone for large ones.
#define KESSADON_NORMAL_EQUATIONS(System)                                                          \
  template void AccumulateStencil(System&, const EstimationGrid&, const Stencil&, std::int32_t,    \
                                  std::int32_t, double, double);                                   \
  template void AddSlopeRowsX(System&, const EstimationGrid&, double);                             \
  template void AddSlopeRowsY(System&, const EstimationGrid&, double);                             \
  template void AddCurvatureRowsXX(System&, const EstimationGrid&, double);                        \
  template void AddCurvatureRowsXY(System&, const EstimationGrid&, double);                        \
  template void AddCurvatureRowsYY(System&, const EstimationGrid&, double);                        \
  template std::int32_t AddHeightData(System&, const EstimationGrid&, const PreparedData&,         \
                                      const NodeArray<double>&, double);                           \
  template std::int32_t AddDipData(System&, const EstimationGrid&, const PreparedData&, double);   \
  template NormalEquationsOutcome BuildNormalEquations(System&, const EstimationGrid&,             \
                                                       const PreparedData&,                        \
                                                       const NodeArray<double>&, const PassWeights&);
KESSADON_NORMAL_EQUATIONS(BandSystem)
KESSADON_NORMAL_EQUATIONS(PatternSystem)
#undef KESSADON_NORMAL_EQUATIONS

}  // namespace kessadon
