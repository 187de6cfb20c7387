// A symmetric matrix by its lower triangle in compressed columns, the form
// the sparse factor takes (SparseCholesky.h) and the equations and the
// coarse operators hand to it.
#pragma once

#include <cstdint>
#include <vector>

namespace kessadon {

// Indices are 32-bit: the factor's index arrays and CHOLMOD's copies of the
// matrix then take half the room, which at a million nodes is what keeps the
// run within 2 GiB. Grids of up to a few thousand nodes a side fit.
using SparseIndex = std::int32_t;

// The rows of column c are row[colStart[c]] ... row[colStart[c+1]-1],
// ascending, the diagonal first.
struct LowerMatrix {
  std::int64_t n = 0;
  std::vector<SparseIndex> colStart;  // n + 1
  std::vector<SparseIndex> row;
  std::vector<double> value;
};

}  // namespace kessadon
