// R A P on the multigrid's next coarser grid, by pairs of fine nodes: a
// fine entry a(f, g) adds P(f, .)^T a P(g, .) into the coarse operator's
// upper partners (node r = i * ny + j, 0-based, y fastest).
#include "MultigridGalerkin.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "HugePages.h"
#include "io/WorkSplit.h"

namespace kessadon::multigrid {
namespace {

using Offset = PatternSystem::Offset;

// Adds P(f, .)^T a P(g, .) for the fine pair (fi, fj) -> (gi, gj) into the
// coarse operator's upper partners.
void AddCoarsePair(const Level& fine, Level& coarse, std::int32_t fi, std::int32_t fj,
                   std::int32_t gi, std::int32_t gj, double a) {
  const Weights2D p = fine.Interpolate(fi, fj), q = fine.Interpolate(gi, gj);
  for (int u = 0; u < p.count; ++u) {
    const std::int64_t row = std::int64_t{p.ci[u]} * coarse.ny + p.cj[u];
    const double pw = p.w[u] * a;
    for (int s = 0; s < q.count; ++s) {
      const int di = q.ci[s] - p.ci[u], dj = q.cj[s] - p.cj[u];
      if (di < 0 || (di == 0 && dj < 0)) continue;  // the lower triangle
      if (di > 2 || dj < -2 || dj > 2) {
        // Beyond the 25 points, which weights fitted beside a fault may
        // reach now and then: the pair's share goes onto both diagonals,
        // which keeps the operator positive definite.
        const double v = std::abs(pw * q.w[s]);
        coarse.own[static_cast<std::size_t>(row * kPartners)] += v;
        coarse.own[static_cast<std::size_t>((std::int64_t{q.ci[s]} * coarse.ny + q.cj[s]) *
                                            kPartners)] += v;
        continue;
      }
      coarse.own[static_cast<std::size_t>(row * kPartners + PatternSystem::Slot(di, dj))] +=
          pw * q.w[s];
    }
  }
}

// The links cut on the next coarser grid: a coarse link is cut where a fine
// link between its two nodes is.
void CoarseCuts(const Level& fine, Level& coarse) {
  if (fine.cutX.empty()) return;
  const auto n = static_cast<std::size_t>(coarse.N());
  coarse.cutX.assign(n, 0);
  coarse.cutY.assign(n, 0);
  for (std::int32_t ci = 0; ci < coarse.nx; ++ci) {
    for (std::int32_t cj = 0; cj < coarse.ny; ++cj) {
      const std::int32_t i = fine.PlaceX(ci), j = fine.PlaceY(cj);
      const auto at = static_cast<std::size_t>(std::int64_t{ci} * coarse.ny + cj);
      if (ci + 1 < coarse.nx) {
        for (std::int32_t k = i; k < fine.PlaceX(ci + 1); ++k)
          coarse.cutX[at] |= fine.CutX(k, j) ? 1 : 0;
      }
      if (cj + 1 < coarse.ny) {
        for (std::int32_t k = j; k < fine.PlaceY(cj + 1); ++k)
          coarse.cutY[at] |= fine.CutY(i, k) ? 1 : 0;
      }
    }
  }
}

}  // namespace

// The Galerkin operator R A P of the next coarser grid. A block of fine
// columns adds into coarse columns that only its neighbour blocks share, so
// the even blocks are added on every core, then the odd ones: the sums come
// in the same order on any number of threads.
void BuildCoarse(const Level& fine, Level& coarse) {
  coarse.Shape(Coarser(fine.nx, fine.halveX), Coarser(fine.ny, fine.halveY));
  AssignZeros(coarse.own, static_cast<std::size_t>(coarse.N()) * kPartners);
  coarse.a = coarse.own.data();
  // Weights fitted beside a fault reach a fine node further, so their
  // blocks are wider.
  const int kBlock = fine.fitted.empty() ? 8 : 16;
  const int blocks = (fine.nx + kBlock - 1) / kBlock;
  for (int phase = 0; phase < 2; ++phase) {
    const int count = (blocks - phase + 1) / 2;
    SplitRange(0, count, std::int64_t{8} * kBlock * fine.ny, [&](int from, int to) {
      for (int k = from; k < to; ++k) {
        const std::int32_t first = (2 * k + phase) * kBlock;
        for (std::int32_t i = first; i < std::min(fine.nx, first + kBlock); ++i) {
          for (std::int32_t j = 0; j < fine.ny; ++j) {
            const double* u = fine.a + (std::int64_t{i} * fine.ny + j) * kPartners;
            for (int s = 0; s < kPartners; ++s) {
              const Offset o = PatternSystem::kOffsets[s];
              const std::int32_t gi = i + o.di, gj = j + o.dj;
              if (u[s] == 0 || gi >= fine.nx || gj < 0 || gj >= fine.ny) continue;
              AddCoarsePair(fine, coarse, i, j, gi, gj, u[s]);
              if (s != 0) AddCoarsePair(fine, coarse, gi, gj, i, j, u[s]);
            }
          }
        }
      }
    });
  }
  const auto n = static_cast<std::size_t>(coarse.N());
  for (std::vector<double>* v : {&coarse.rhs, &coarse.sol, &coarse.res}) AssignZeros(*v, n);
  CoarseCuts(fine, coarse);
}

}  // namespace kessadon::multigrid
