// Solves a symmetric positive definite band system in place by A = U^T U,
// with the forward substitution done row by row alongside the factorisation,
// then back substitution. On success the band holds U and Rhs() the solution.
#pragma once

#include <cstdint>

#include "BandSystem.h"
#include "Progress.h"
#include "SolveStatus.h"

namespace kessadon {

// Pivots are refused at or under this; the first only when below it.
inline constexpr double kPivotThreshold = 1e-9;

// Success, NotPositiveDefinite, or Cancelled when progress, told the share of
// the factorisation done every few hundred rows, says stop (band and
// right-hand side then partly overwritten).
SolveStatus SolveBandCholesky(BandSystem& system, const SolveProgress& progress = {});

// Multiply-adds of the factorisation of an N-row system of half-bandwidth bw.
std::int64_t CholeskyMultiplyAdds(std::int64_t n, std::int32_t bw);

}  // namespace kessadon
