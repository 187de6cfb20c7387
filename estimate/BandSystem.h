// A symmetric positive definite system A z = b in upper band storage: row r
// (0-based) holds A[r][r + d] for d = 0 ... bw, the diagonal first. Only the
// N rows of bw + 1 values are stored, whatever the grid's shape.
#pragma once

#include <cstdint>
#include <vector>

#include "EstimationGrid.h"
#include "HugePages.h"
#include "Progress.h"

namespace kessadon {

// Most band values a system may hold (4 GiB of doubles); larger systems are
// refused before anything is allocated.
inline constexpr std::int64_t kMaxBandValues = std::int64_t{1} << 29;

class BandSystem {
 public:
  BandSystem() = default;
  BandSystem(std::int64_t n, std::int32_t bw)
      : n_(n),
        bw_(bw),
        band_(static_cast<std::size_t>(n * (bw + 1))),
        rhs_(static_cast<std::size_t>(n)) {}

  std::int64_t N() const { return n_; }
  std::int32_t Bw() const { return bw_; }

  double& At(std::int64_t r, std::int32_t d) { return band_[Index(r, d)]; }
  double At(std::int64_t r, std::int32_t d) const { return band_[Index(r, d)]; }
  double* Row(std::int64_t r) { return band_.data() + Index(r, 0); }
  const double* Row(std::int64_t r) const { return band_.data() + Index(r, 0); }

  // b before the solve, z after it.
  std::vector<double>& Rhs() { return rhs_; }
  const std::vector<double>& Rhs() const { return rhs_; }

  // Zeros, shaped for the grid; false (and the system unusable) when part
  // says stop.
  bool Reset(const EstimationGrid& grid, const ProgressPart& part = {}) {
    if (n_ != grid.NodeCount() || bw_ != grid.HalfBandwidth()) {
      n_ = grid.NodeCount();
      bw_ = grid.HalfBandwidth();
      std::vector<double>().swap(band_);
    }
    rhs_.assign(static_cast<std::size_t>(n_), 0.0);
    return AssignZeros(band_, static_cast<std::size_t>(n_ * (bw_ + 1)), part);
  }

  // A[r][r + d] for the partner di columns and dj rows on (d = Ny di + dj).
  double& Upper(std::int64_t r, int /*di*/, int /*dj*/, std::int64_t d) {
    return band_[Index(r, static_cast<std::int32_t>(d))];
  }

 private:
  std::size_t Index(std::int64_t r, std::int32_t d) const {
    return static_cast<std::size_t>(r * (bw_ + 1) + d);
  }
  std::int64_t n_ = 0;
  std::int32_t bw_ = 0;
  std::vector<double> band_;
  std::vector<double> rhs_;
};

}  // namespace kessadon
