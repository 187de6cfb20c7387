// The estimation grid: Nx by Ny nodes, node (i, j) at (Xmin + (i-1)*Dx,
// Ymin + (j-1)*Dy), i and j from 1. One unknown height per node, numbered
// with the y index fastest, so that a 3x3 stencil spans 2*Ny + 2 numbers.
#pragma once

#include <cstdint>

namespace kessadon {

struct EstimationGrid {
  std::int32_t Nx = 0, Ny = 0;
  double Xmin = 0, Ymin = 0, Dx = 0, Dy = 0;

  std::int64_t NodeCount() const { return std::int64_t{Nx} * Ny; }
  std::int32_t HalfBandwidth() const { return 2 * Ny + 2; }
  // 0-based unknown of node (i, j): the panel's number (i-1)*Ny + j, less one.
  std::int64_t Unknown(std::int32_t i, std::int32_t j) const {
    return std::int64_t{i - 1} * Ny + (j - 1);
  }
  bool Contains(std::int32_t i, std::int32_t j) const {
    return i >= 1 && i <= Nx && j >= 1 && j <= Ny;
  }
};

// Trapezoid weight of a node row or column across the grid: half on the two
// border lines (e(j) for rows, f(i) for columns).
inline double BorderWeight(std::int32_t k, std::int32_t n) { return k == 1 || k == n ? 0.5 : 1.0; }

// A second difference centred next to a border stands for one and a half
// cells (g(i) along x, h(j) along y).
inline double NextToBorderWeight(std::int32_t k, std::int32_t n) {
  return k == 2 || k == n - 1 ? 1.5 : 1.0;
}

}  // namespace kessadon
