// Elimination orders for the normal equations of an Nx by Ny grid, whose node
// (i, j) (from 1) is unknown (i-1)*Ny + (j-1), y fastest, and is coupled to
// every node up to 2 away in i and in j (products of 3x3 stencils).
#pragma once

#include <cstdint>
#include <vector>

namespace kessadon {

// Geometric nested dissection: a piece of the grid is cut across its longer
// side by a separator two node lines wide (a 3x3 stencil reaches two lines, so
// one would not decouple the halves), the halves are ordered first, the
// separator last; small pieces keep the natural order. perm[k] is the unknown
// eliminated k-th. Deterministic, linear in the node count.
std::vector<std::int64_t> GridNestedDissection(std::int32_t nx, std::int32_t ny);

}  // namespace kessadon
