// The diagonal of A^-1 and the heights' influence trace for a grid too large
// to invert exactly, in two levels. With P the coarse space of C1 B-splines
// on about every k-th line (CoarseSplines.h), cut along the faults,
//
//   A^-1 = P (P^T A P)^-1 P^T + R,
//
// where the first term, the coarse grid's exact inverse, holds the smooth
// part of the uncertainty: it is taken by selected inversion of the coarse
// operator (CoarseOperator.h) on its factor's pattern, which covers every
// pair of functions a node or a datum's stencil meets. R, the part the
// coarse space cannot hold, is A^-1 restricted to the A-orthogonal
// complement of P: the sharp dips at data under light smoothing, the
// borders and the faults. It decays within a few coarse spacings, so strips
// of whole lines reaching `margin` coarse spacings beyond their own lines
// take it from their own equations (StripInverse.h).
//
// How far R reaches is known only roughly, so every strip is taken twice:
// with its full margin, and with half of it. Their difference, node by node,
// is what the answer stands to learn from the second half of the margin;
// the answer's error, measured against exact inversions, stayed below it
// (by at least a third) in every case tried: light and heavy smoothing, few
// and many data, faults, dips, long cells.
//
// A is the pass's matrix where PatternSystem keeps it; nodes numbered as the
// grid numbers them; the inverse in the units of A^-1 (heights^2 over the
// weights' units).
#pragma once

#include <cstdint>
#include <vector>

#include "FaultCuts.h"
#include "PatternSystem.h"
#include "Progress.h"
#include "io/Result.h"

namespace kessadon {

struct TwoLevelSettings {
  // Functions of the coarse space at most (made fewer while its factor and
  // inverse would not fit); its selected inversion takes about as long as
  // the estimation's multigrid solve of a grid of 16 times as many nodes.
  std::int64_t coarseUpTo = 1'020'000;
  // How far a strip reaches beyond its own lines, in coarse spacings.
  double margin = 2.5;
};

// How many times the change the second half of the margin made is stated
// as the error.
inline constexpr double kTwoLevelErrorFactor = 2;

struct TwoLevelInverse {
  // (A^-1)_ii by node, and the stated relative error of its square root:
  // kTwoLevelErrorFactor |sqrt(d / d') - 1|, d' the half margin's; empty
  // unless asked for.
  std::vector<double> diagonal;
  std::vector<float> error;
  // The sum over the stencils s given of s^T A^-1 s, and its stated error:
  // kTwoLevelErrorFactor times the sum of each term's absolute change.
  double trace = 0, traceError = 0;
  std::int32_t kx = 0, ky = 0;  // the coarse spacing in nodes
};

// `stencils`: the stencils of the data whose terms make the trace, each a
// datum's nine weights about its node (Stencil.h). `diagonal`: whether the
// diagonal is wanted (else only the strips holding data are taken). Refuses
// when the coarse operator would not fit in `memoryLimit` or is singular;
// a stop gives a cancelled failure (`stopped` the reason).
struct StencilAt {
  std::int32_t ic = 0, jc = 0;
  double w[3][3] = {};
};
Result<TwoLevelInverse> InvertByTwoLevels(const PatternSystem& a, const FaultCuts* faults,
                                          const std::vector<StencilAt>& stencils, bool diagonal,
                                          const SolveProgress& progress, std::int64_t memoryLimit,
                                          const Failure& stopped,
                                          const TwoLevelSettings& settings = {});

}  // namespace kessadon
