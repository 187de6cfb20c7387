// Small hand-made grids and data sets for the estimation tests.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "estimate/EstimationGrid.h"
#include "io/FaultTraces.h"
#include "io/MeasuredData.h"
#include "io/NodeArray.h"

namespace kessadon::testing {

struct Height {
  double x, y, z;
  std::int16_t l = 0;
};

inline PreparedData MakeData(const std::vector<Height>& heights) {
  PreparedData data;
  for (const Height& h : heights) {
    data.XH.push_back(h.x);
    data.YH.push_back(h.y);
    data.ZH.push_back(h.z);
    data.LH.push_back(h.l);
    if (h.l == 1 || h.l == -1) data.HasBoundData = true;
  }
  return data;
}

// Fault traces from their points, each a list of (x, y).
inline FaultTraces MakeTraces(const std::vector<std::vector<std::pair<double, double>>>& lines) {
  FaultTraces out;
  for (const auto& line : lines) {
    FaultTrace trace;
    for (const auto& [x, y] : line) {
      trace.x.push_back(x);
      trace.y.push_back(y);
    }
    out.traces.push_back(trace);
  }
  return out;
}

inline void AddDip(PreparedData& data, double x, double y, double gx, double gy) {
  data.XD.push_back(x);
  data.YD.push_back(y);
  data.ZD.push_back(0);
  data.TrendD.push_back(0);
  data.DipD.push_back(0);
  data.GxD.push_back(gx);
  data.GyD.push_back(gy);
  data.HasDipData = true;
}

inline EstimationGrid MakeEstimationGrid(std::int32_t nx, std::int32_t ny, double xmin, double ymin,
                                         double dx, double dy) {
  EstimationGrid grid;
  grid.Nx = nx;
  grid.Ny = ny;
  grid.Xmin = xmin;
  grid.Ymin = ymin;
  grid.Dx = dx;
  grid.Dy = dy;
  return grid;
}

// Heights f(x, y) at every node of the grid.
template <class F>
NodeArray<double> Sample(const EstimationGrid& grid, F f) {
  NodeArray<double> z(grid.Nx, grid.Ny);
  for (std::int32_t i = 1; i <= grid.Nx; ++i) {
    for (std::int32_t j = 1; j <= grid.Ny; ++j) {
      z(i, j) = f(grid.Xmin + (i - 1) * grid.Dx, grid.Ymin + (j - 1) * grid.Dy);
    }
  }
  return z;
}

}  // namespace kessadon::testing
