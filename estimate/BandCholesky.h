// Solves a symmetric positive definite band system in place by A = U^T U,
// with the forward substitution done row by row alongside the factorisation,
// then back substitution. On success the band holds U and Rhs() the solution.
// A band factored once can solve further right-hand sides (the multigrid's
// coarsest grid).
#pragma once

#include <cstdint>

#include "BandSystem.h"
#include "Progress.h"
#include "SolveStatus.h"

namespace kessadon {

// A pivot is refused unless it is above this share of its row's diagonal
// before the factorisation: what is left of a node's weight once the nodes
// before it are eliminated is then the weight of something the equations
// fix, not rounding. Relative, so that the same problem in other units or
// cell shapes is judged alike; an undetermined node leaves a few parts in
// 10^16 of its diagonal at most.
inline constexpr double kRelativePivot = 1e-14;

// Whether pivot h of a row whose diagonal was d may be taken. Written so
// that a NaN fails too.
inline bool PivotHolds(double h, double d) { return h > kRelativePivot * d && h > 0; }

// Success, NotPositiveDefinite, or Cancelled when progress, told the share of
// the factorisation done every few hundred rows, says stop (band and
// right-hand side then partly overwritten).
SolveStatus SolveBandCholesky(BandSystem& system, const SolveProgress& progress = {});

// The factorisation alone, leaving Rhs() as it was: the band then holds U,
// in the same numbers as SolveBandCholesky leaves.
SolveStatus FactorBandCholesky(BandSystem& system, const SolveProgress& progress = {});

// Solves U^T U z = b in place with a band FactorBandCholesky factored: b of
// N() values in, z out, as SolveBandCholesky would give it.
void SolveFactoredBand(const BandSystem& factored, double* b);

// Multiply-adds of the factorisation of an N-row system of half-bandwidth bw.
std::int64_t CholeskyMultiplyAdds(std::int64_t n, std::int32_t bw);

}  // namespace kessadon
