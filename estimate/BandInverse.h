// The inverse of a symmetric positive semidefinite band matrix on its band,
// by Takahashi's recurrence over its Cholesky factor: the local parts of the
// two-level deviations (TwoLevelInverse.h) need the diagonal of the inverse of
// a strip of the grid and its entries between near nodes, never the rest.
//
// A = U^T U, U upper band as BandSystem keeps it (row r: U[r][r + d] for
// d = 0 ... bw, 0-based). With Z = A^-1 and u_d = U[r][r + d] / U[r][r],
//
//   Z[r + d][r] = -sum_e Z[r + d][r + e] u_e,   Z[r][r] = 1 / U[r][r]^2 + sum_d u_d Z[r + d][r],
//
// from the last row back; every entry of Z it reads lies within the band, so
// the band of Z takes the place of U's, at four times a factorisation's
// work. (Taken by blocks of rows as products of dense matrices it went only
// a quarter quicker on bands of 40 to 100, the blocks being small.)
#pragma once

#include <cstdint>

#include "BandSystem.h"

namespace kessadon {

// Replaces the band of A by the band of A^-1. A row whose pivot falls to or
// under `dropBelow` times its own diagonal is taken as a combination of the
// rows before it and left out: its row and column of the result are zero,
// and the rest is the inverse on the span of the other rows, which is the
// whole span. Returns how many rows were left out. The right-hand side is
// not touched.
std::int64_t InvertOnBand(BandSystem& band, double dropBelow);

}  // namespace kessadon
