// CHOLMOD's symbolic analysis of a symmetric pattern for a given elimination
// order, as cholmod_analyze_p makes it with CHOLMOD_GIVEN, a postorder and a
// supernodal factor, but taken in steps so that progress can be told and a
// stop honoured between them: on a million nodes the whole takes seconds.
// The permuted copies that CHOLMOD would make in one go each are made here,
// asking along the columns; CHOLMOD's own steps (the elimination tree, the
// column counts, the postorder weighted by them, the supernodes) take a tenth
// of a second each there.
#pragma once

#include <cholmod.h>

#include <span>
#include <vector>

#include "LowerMatrix.h"
#include "Progress.h"

namespace kessadon {

// A view of a triangle in compressed columns for CHOLMOD, which only reads
// it: stype -1 for a lower triangle, +1 for an upper one.
cholmod_sparse CholmodView(const LowerMatrix& m, int stype, bool withValues);

struct SupernodalAnalysis {
  // The supernodal symbolic factor of `permuted` as it stands (its order is
  // natural); the caller frees it.
  cholmod_factor* factor = nullptr;
  std::vector<int> order;    // order[k] = the unknown eliminated k-th, postordered
  std::vector<int> inverse;  // inverse[order[k]] = k
  // tril(A(order, order)), zero values, and where each entry of the
  // pattern's lower triangle lies in it.
  LowerMatrix permuted;
  std::vector<SparseIndex> map;
  double flops = 0;  // of a factorisation
};

// `pattern` is a lower triangle whose rows lie in 0 ... n-1, perm[k] the
// unknown eliminated k-th. No factor when CHOLMOD fails (common.status says
// why) or when part, told the share done up to 1, says stop.
SupernodalAnalysis AnalyseSupernodal(const LowerMatrix& pattern, std::span<const std::int64_t> perm,
                                     const ProgressPart& part, cholmod_common& common);

}  // namespace kessadon
