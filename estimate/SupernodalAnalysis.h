// CHOLMOD's symbolic analysis of a symmetric pattern for a given elimination
// order, taken in the steps cholmod_analyze_p takes (permuted copies, the
// elimination tree and column counts, the postorder weighted by the counts,
// the supernodes), so that progress can be told and a stop honoured between
// them: on a million nodes the whole takes seconds, each step a fraction of
// one. The factor is the one cholmod_analyze_p gives for that order with
// CHOLMOD_GIVEN, a postorder and a supernodal factor.
#pragma once

#include <cholmod.h>

#include <vector>

#include "Progress.h"

namespace kessadon {

// `lower` is the pattern's lower triangle (stype -1), order[k] the unknown
// eliminated k-th; on success order holds the postordered order, the one the
// factor's Perm holds, and flops the factorisation's floating-point
// operations. Null when CHOLMOD fails (common.status says why) or when part
// says stop; the steps take part's share up to 1.
cholmod_factor* AnalyseSupernodal(cholmod_sparse& lower, std::vector<int>& order, double& flops,
                                  const ProgressPart& part, cholmod_common& common);

}  // namespace kessadon
