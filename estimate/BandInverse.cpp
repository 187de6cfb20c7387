#include "BandInverse.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kessadon {
namespace {

// Four sums at once: a single running sum would wait on each addition in
// turn, and the compiler may not reorder it.
double Dot(const double* __restrict a, const double* __restrict b, std::int32_t n) {
  double s[4] = {0, 0, 0, 0};
  std::int32_t e = 0;
  for (; e + 4 <= n; e += 4) {
    for (int l = 0; l < 4; ++l) s[l] += a[e + l] * b[e + l];
  }
  for (; e < n; ++e) s[0] += a[e] * b[e];
  return (s[0] + s[1]) + (s[2] + s[3]);
}

void Axpy(double f, const double* __restrict x, double* __restrict y, std::int32_t n) {
  for (std::int32_t e = 0; e < n; ++e) y[e] += f * x[e];
}

// A = U^T U in place, row by row; a row left out is all zero.
std::int64_t Factor(BandSystem& band, double dropBelow) {
  const std::int64_t n = band.N();
  const std::int32_t bw = band.Bw();
  std::vector<double> original(static_cast<std::size_t>(n));
  for (std::int64_t r = 0; r < n; ++r) original[static_cast<std::size_t>(r)] = band.At(r, 0);
  std::int64_t dropped = 0;
  for (std::int64_t r = 0; r < n; ++r) {
    double* row = band.Row(r);
    const auto width = static_cast<std::int32_t>(std::min<std::int64_t>(bw, n - 1 - r));
    if (!(row[0] > dropBelow * original[static_cast<std::size_t>(r)]) || !(row[0] > 0)) {
      std::fill(row, row + width + 1, 0.0);
      ++dropped;
      continue;
    }
    const double pivot = std::sqrt(row[0]);
    row[0] = pivot;
    for (std::int32_t d = 1; d <= width; ++d) row[d] /= pivot;
    for (std::int32_t d = 1; d <= width; ++d)
      Axpy(-row[d], row + d, band.Row(r + d), width - d + 1);
  }
  return dropped;
}

}  // namespace

std::int64_t InvertOnBand(BandSystem& band, double dropBelow) {
  const std::int64_t dropped = Factor(band, dropBelow);
  const std::int64_t n = band.N();
  const std::int32_t bw = band.Bw();
  std::vector<double> u(static_cast<std::size_t>(bw) + 1), t(static_cast<std::size_t>(bw) + 1);
  for (std::int64_t r = n - 1; r >= 0; --r) {
    double* row = band.Row(r);
    const auto width = static_cast<std::int32_t>(std::min<std::int64_t>(bw, n - 1 - r));
    if (row[0] == 0) continue;
    const double pivot = row[0];
    for (std::int32_t d = 1; d <= width; ++d) {
      u[static_cast<std::size_t>(d)] = row[d] / pivot;
      t[static_cast<std::size_t>(d)] = 0;
    }
    // t = Z[r+1 ..][r+1 ..] u over the symmetric block, by its stored upper rows.
    for (std::int32_t d = 1; d <= width; ++d) {
      const double* z = band.Row(r + d) - d;
      t[static_cast<std::size_t>(d)] +=
          z[d] * u[static_cast<std::size_t>(d)] + Dot(z + d + 1, u.data() + d + 1, width - d);
      Axpy(u[static_cast<std::size_t>(d)], z + d + 1, t.data() + d + 1, width - d);
    }
    double diagonal = 1 / (pivot * pivot);
    for (std::int32_t d = 1; d <= width; ++d) {
      row[d] = -t[static_cast<std::size_t>(d)];
      diagonal += u[static_cast<std::size_t>(d)] * t[static_cast<std::size_t>(d)];
    }
    row[0] = diagonal;
  }
  return dropped;
}

}  // namespace kessadon
