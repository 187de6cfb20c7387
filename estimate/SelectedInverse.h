// The entries of Z = A^-1 wherever the supernodal Cholesky factor L of
// A = L L^T has one (selected inversion), without the rest of the inverse.
//
// Write L = L~ diag(L_J) with L~ unit block-lower: A = L~ diag(L_J L_J^T) L~^T.
// For a supernode with diagonal block L_J and rows R below it, U = L_RJ L_J^-1
// is L~'s block, and Z L~ = L~^-T diag(L_J L_J^T)^-1 read on the block's
// columns gives Takahashi's recurrence
//
//   Z_RJ = -Z_RR U,   Z_JJ = L_J^-T L_J^-1 - U^T Z_RJ.
//
// Z_RR lies on rows of later supernodes, inside the factor's pattern (two
// rows of a column's structure are joined in the factor), so taking the
// supernodes from the last one back, every Z_RR is known when it is needed.
// It costs two to three times a factorisation and as much memory as L's values.
#pragma once

#include <cholmod.h>

#include <optional>
#include <vector>

#include "Progress.h"

namespace kessadon {

// Z in L's own layout (CHOLMOD's supernodal one, real values), read by place.
class SelectedInverse {
 public:
  // Z for the factor `l`, which must outlive it. Nothing when `progress`,
  // told the share done, says stop.
  static std::optional<SelectedInverse> Of(const cholmod_factor& l,
                                           const SolveProgress& progress = {});

  // Z at row `row`, column `col` of L's order (row >= col), a place where L
  // has an entry.
  double At(int row, int col) const;

 private:
  explicit SelectedInverse(const cholmod_factor& l);
  const cholmod_factor* l_;
  std::vector<int> supernodeOf_;  // of each column
  std::vector<double> z_;
};

}  // namespace kessadon
