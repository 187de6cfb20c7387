// Band Cholesky, right-looking: once row p of U is final it is subtracted from
// the rows below it that its band reaches. Every update is an axpy along
// contiguous band storage, so the compiler vectorises it. Rows are finished in
// blocks of four, and the rows below a block take its four updates in one
// sweep, which quarters the traffic through the trailing window of the band.
// Each entry still receives its subtractions one by one in ascending row
// order, as in the textbook's dot-product form, so both give the same result.
#include "BandCholesky.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace kessadon {
namespace {

constexpr std::int64_t kBlock = 4;
constexpr std::int64_t kRowsPerReport = 256;  // a multiple of kBlock

using Index = std::int64_t;

void Update1(double* __restrict r, const double* __restrict s0, double f0, Index e0, Index e1) {
  for (Index e = e0; e < e1; ++e) r[e] = r[e] - f0 * s0[e];
}

void Update2(double* __restrict r, const double* __restrict s0, const double* __restrict s1,
             double f0, double f1, Index e0, Index e1) {
  for (Index e = e0; e < e1; ++e) r[e] = r[e] - f0 * s0[e] - f1 * s1[e];
}

void Update3(double* __restrict r, const double* __restrict s0, const double* __restrict s1,
             const double* __restrict s2, double f0, double f1, double f2, Index e0, Index e1) {
  for (Index e = e0; e < e1; ++e) r[e] = r[e] - f0 * s0[e] - f1 * s1[e] - f2 * s2[e];
}

void Update4(double* __restrict r, const double* __restrict s0, const double* __restrict s1,
             const double* __restrict s2, const double* __restrict s3, double f0, double f1,
             double f2, double f3, Index e0, Index e1) {
  for (Index e = e0; e < e1; ++e) {
    r[e] = r[e] - f0 * s0[e] - f1 * s1[e] - f2 * s2[e] - f3 * s3[e];
  }
}

// Subtracts f[k] * s[k][e] for k = 0 ... count-1, in that order, over [e0, e1).
void UpdateRow(double* r, const double* const* s, const double* f, Index count, Index e0,
               Index e1) {
  if (e0 >= e1) return;
  switch (count) {
    case 1:
      Update1(r, s[0], f[0], e0, e1);
      break;
    case 2:
      Update2(r, s[0], s[1], f[0], f[1], e0, e1);
      break;
    case 3:
      Update3(r, s[0], s[1], s[2], f[0], f[1], f[2], e0, e1);
      break;
    default:
      Update4(r, s[0], s[1], s[2], s[3], f[0], f[1], f[2], f[3], e0, e1);
      break;
  }
}

// Factors the band in place; with b, solves U^T y = b alongside, b in, y
// out. Cancelled when progress says stop.
SolveStatus Factor(BandSystem& system, double* b, const SolveProgress& progress) {
  const Index n = system.N();
  const Index bw = system.Bw();
  std::vector<double> diagonal(static_cast<std::size_t>(n));
  for (Index p = 0; p < n; ++p) diagonal[static_cast<std::size_t>(p)] = system.Row(p)[0];

  for (Index j0 = 0; j0 < n; j0 += kBlock) {
    const Index j1 = std::min(j0 + kBlock, n);
    if (j0 % kRowsPerReport == 0 && StopAsked(progress, static_cast<double>(j0) / n)) {
      return SolveStatus::Cancelled;
    }

    // Finish the block's rows, each updating the block rows after it.
    for (Index p = j0; p < j1; ++p) {
      double* rowP = system.Row(p);
      const double h = rowP[0];
      if (!PivotHolds(h, diagonal[static_cast<std::size_t>(p)])) {
        return SolveStatus::NotPositiveDefinite;
      }
      const double pivot = std::sqrt(h);
      rowP[0] = pivot;
      const Index lastP = std::min(bw, n - 1 - p);
      for (Index e = 1; e <= lastP; ++e) rowP[e] = rowP[e] / pivot;
      if (b != nullptr) b[p] = b[p] / pivot;
      for (Index q = p + 1; q < j1 && q - p <= lastP; ++q) {
        const Index s = q - p;
        Update1(system.Row(q), rowP + s, rowP[s], 0, lastP - s + 1);
        if (b != nullptr) b[q] = b[q] - rowP[s] * b[p];
      }
    }

    // The rows below take the block's updates together. Pivot row p reaches
    // row l at offset l - p and updates its first min(bw - (l - p), n-1-l) + 1
    // entries, a count that does not fall as p grows.
    const Index lEnd = std::min(n - 1, j1 - 1 + bw);
    for (Index l = j1; l <= lEnd; ++l) {
      const Index pStart = std::max(j0, l - bw);
      const Index count = j1 - pStart;
      const double* sources[kBlock];
      double factors[kBlock];
      Index lengths[kBlock];
      for (Index k = 0; k < count; ++k) {
        const Index p = pStart + k;
        const double* rowP = system.Row(p);
        factors[k] = rowP[l - p];
        sources[k] = rowP + (l - p);
        lengths[k] = std::min(bw - (l - p), n - 1 - l) + 1;
      }
      double* rowL = system.Row(l);
      Index e = 0;
      for (Index k = 0; k < count; ++k) {
        UpdateRow(rowL, sources + k, factors + k, count - k, e, lengths[k]);
        e = std::max(e, lengths[k]);
      }
      if (b == nullptr) continue;
      double y = b[l];
      for (Index k = 0; k < count; ++k) y = y - factors[k] * b[pStart + k];
      b[l] = y;
    }
  }
  return SolveStatus::Success;
}

// Solves U z = y in place, y in, z out.
void BackSubstitute(const BandSystem& system, double* b) {
  const Index n = system.N();
  const Index bw = system.Bw();
  if (n > 0) b[n - 1] = b[n - 1] / system.Row(n - 1)[0];
  for (Index i = n - 2; i >= 0; --i) {
    const double* rowI = system.Row(i);
    const Index last = std::min(bw, n - 1 - i);
    double h = b[i];
    for (Index d = 1; d <= last; ++d) h = h - rowI[d] * b[i + d];
    b[i] = h / rowI[0];
  }
}

}  // namespace

SolveStatus SolveBandCholesky(BandSystem& system, const SolveProgress& progress) {
  double* b = system.Rhs().data();
  const SolveStatus status = Factor(system, b, progress);
  if (status != SolveStatus::Success) return status;
  BackSubstitute(system, b);
  if (StopAsked(progress, 1)) return SolveStatus::Cancelled;
  return SolveStatus::Success;
}

SolveStatus FactorBandCholesky(BandSystem& system, const SolveProgress& progress) {
  const SolveStatus status = Factor(system, nullptr, progress);
  if (status != SolveStatus::Success) return status;
  if (StopAsked(progress, 1)) return SolveStatus::Cancelled;
  return SolveStatus::Success;
}

void SolveFactoredBand(const BandSystem& factored, double* b) {
  // Each b[l] takes its subtractions in ascending row order, as alongside
  // the factorisation.
  const Index n = factored.N();
  const Index bw = factored.Bw();
  for (Index p = 0; p < n; ++p) {
    const double* rowP = factored.Row(p);
    b[p] = b[p] / rowP[0];
    const Index lastP = std::min(bw, n - 1 - p);
    for (Index d = 1; d <= lastP; ++d) b[p + d] = b[p + d] - rowP[d] * b[p];
  }
  BackSubstitute(factored, b);
}

std::int64_t CholeskyMultiplyAdds(std::int64_t n, std::int32_t bw) {
  // Row p updates lastP (lastP + 1) / 2 entries below it, lastP = min(bw, n-1-p).
  const std::int64_t full = std::max<std::int64_t>(n - bw, 0);
  const std::int64_t m = std::min<std::int64_t>(n, bw);
  return full * bw * (bw + 1) / 2 + (m - 1) * m * (m + 1) / 6;
}

}  // namespace kessadon
