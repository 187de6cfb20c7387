// The normal equations of a large grid by their coupling pattern alone: node
// (i, j) meets the nodes up to two columns and two rows away, so the upper
// triangle of its row holds 13 partners: (0, 0 ... 2) and (1 ... 2, -2 ... 2)
// in (di, dj). Unknowns are numbered as the grid numbers them (y fastest).
#pragma once

#include <cstdint>
#include <vector>

#include "EstimationGrid.h"
#include "LowerMatrix.h"
#include "Progress.h"

namespace kessadon {

class PatternSystem {
 public:
  static constexpr int kPartners = 13;

  PatternSystem() = default;
  explicit PatternSystem(const EstimationGrid& grid) { Reset(grid); }

  std::int64_t N() const { return grid_.NodeCount(); }

  // Zeros, shaped for the grid; false (and the system unusable) when part
  // says stop.
  bool Reset(const EstimationGrid& grid, const ProgressPart& part = {});

  double& Upper(std::int64_t r, int di, int dj, std::int64_t d) {
    const int slot = Slot(di, dj);
    const auto at = static_cast<std::size_t>(r * kPartners + slot);
    if (bound_ == nullptr) return values_[at];
    const int a = inverse_[r], b = inverse_[r + d];
    return bound_[colStart_[a < b ? a : b] + offsets_[at]];
  }

  // From now on the matrix is assembled straight into a sparse matrix of
  // count entries in another order (a factor's input): entry k of
  // CopyLower's order lies at values[map[k]], and entry (r, c) lies in
  // column min(inverse[r], inverse[c]), which starts at colStart. Only the
  // offsets within those columns are kept here, a byte each. Reset zeroes the
  // values; the system then holds no matrix of its own, and CopyLower and
  // VisitLower are not to be used. Without a map nothing more is to be
  // assembled.
  void Bind(double* values, std::size_t count, const std::int32_t* map,
            const std::int32_t* colStart, const int* inverse);

  std::vector<double>& Rhs() { return rhs_; }
  const std::vector<double>& Rhs() const { return rhs_; }

  // The matrix as its lower triangle by columns (column r holds row r and its
  // partners inside the grid, ascending); the structure is made on the first
  // call and kept while `out` stays with this grid. False when part says stop.
  bool CopyLower(LowerMatrix& out, const ProgressPart& part = {}) const;

  // Hands each value of that lower triangle to f(k, value), k counting the
  // entries in CopyLower's order.
  template <class F>
  void VisitLower(F&& f) const {
    std::int64_t k = 0;
    for (std::int32_t i = 1; i <= grid_.Nx; ++i) {
      for (std::int32_t j = 1; j <= grid_.Ny; ++j) {
        const double* values = &values_[static_cast<std::size_t>(grid_.Unknown(i, j) * kPartners)];
        for (int slot = 0; slot < kPartners; ++slot) {
          if (grid_.Contains(i + kOffsets[slot].di, j + kOffsets[slot].dj)) f(k++, values[slot]);
        }
      }
    }
  }

  struct Offset {
    int di, dj;
  };
  // In slot order, which is ascending unknown order among the partners inside the grid.
  static constexpr Offset kOffsets[kPartners] = {{0, 0}, {0, 1}, {0, 2}, {1, -2}, {1, -1},
                                                 {1, 0}, {1, 1}, {1, 2}, {2, -2}, {2, -1},
                                                 {2, 0}, {2, 1}, {2, 2}};
  static int Slot(int di, int dj) { return di == 0 ? dj : 3 + (di - 1) * 5 + (dj + 2); }

  const EstimationGrid& Grid() const { return grid_; }
  // kPartners values a node in slot order, zero for partners outside the
  // grid, so an iterative solver can work on the matrix where it lies; empty
  // while bound.
  const std::vector<double>& UpperValues() const { return values_; }

 private:
  EstimationGrid grid_;
  std::vector<double> values_;  // kPartners per node, unless bound
  double* bound_ = nullptr;
  std::size_t boundCount_ = 0;
  const std::int32_t* colStart_ = nullptr;
  const int* inverse_ = nullptr;
  std::vector<std::uint8_t> offsets_;
  std::vector<double> rhs_;
};

}  // namespace kessadon
