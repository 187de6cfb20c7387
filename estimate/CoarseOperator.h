// The normal equations seen through the coarse space of the two-level
// deviations: the Galerkin operator P^T A P of the B-splines P
// (CoarseSplines.h), over the whole grid or over a window of it that keeps
// only the couplings between its own nodes (the window's equations with the
// nodes outside held at zero). Entry (a, b) is the sum over nodes r, q of
// P[r][a] A[r][q] P[q][b], A read where PatternSystem keeps it; functions
// numbered as CoarseSplines numbers them.
#pragma once

#include <cstdint>
#include <vector>

#include "CoarseSplines.h"
#include "LowerMatrix.h"
#include "PatternSystem.h"

namespace kessadon {

// Nodes i0 ... i1 and j0 ... j1 of the grid, from 1, inclusive.
struct NodeWindow {
  std::int32_t i0 = 1, i1 = 0, j0 = 1, j1 = 0;
  bool Contains(std::int32_t i, std::int32_t j) const {
    return i >= i0 && i <= i1 && j >= j0 && j <= j1;
  }
};

// One function at a time against its neighbours: the function on its
// rectangle, A (within the window) times it, and the products with the
// others. Holds its own scratch; one per thread.
class SplineProducts {
 public:
  SplineProducts(const PatternSystem& a, const CoarseSplines& splines, NodeWindow window);

  // Takes function `id` of place (px, py) as the one the products are with.
  void Start(std::int64_t id, std::int32_t px, std::int32_t py);
  // (P e_b)^T A_window (P e_a) for the function started, a, and function b
  // of place (qx, qy).
  double With(std::int64_t b, std::int32_t qx, std::int32_t qy);

 private:
  double& At(std::vector<double>& v, std::int32_t i, std::int32_t j) {
    return v[static_cast<std::size_t>(std::int64_t{i - box_.i0} * (box_.j1 - box_.j0 + 1) +
                                      (j - box_.j0))];
  }

  const PatternSystem& a_;
  const CoarseSplines& splines_;
  NodeWindow window_;
  NodeWindow box_;  // the started function's rectangle and two nodes round it, in the window
  std::vector<double> v_, y_, wy_;
};

// P^T A P over the whole grid by its lower triangle, column a holding the
// functions b >= a whose places lie within the splines' reach (structural
// zeros across faults included).
LowerMatrix CoarseOperator(const PatternSystem& a, const CoarseSplines& splines);

// An elimination order for the coarse operator: nested dissection of the
// places by separators three places wide (the operator's reach), the pieces
// of a place together.
std::vector<std::int64_t> CoarseOrder(const CoarseSplines& splines);

}  // namespace kessadon
