// How a datum reaches the grid's nodes when faults cut the grid. A height is a
// stencil that gives the surface's value at the datum, a dip two that give its
// slopes; away from a trace they are the value and slope stencils of
// Stencil.h round the nearest node. Where a trace cuts the datum off from
// some of those nodes, the stencils are made again from the nodes it sees (the
// straight way to them crosses no trace): in the 3 x 3 window round the
// nearest node or one moved by a node either way, the weights that give a
// plane's value, or its slopes, at the datum exactly and are smallest in
// sum of squares, each weighed by how far its node lies, so the nearest nodes
// carry most. So a tilted bed beside a fault is read as it lies, by
// interpolation or a short extrapolation from its own side. Where the nodes
// seen lie on one line, a height takes the line through them; on one node,
// that node alone. A dip needs three nodes not on one line.
//
// Offsets are in cells, node (i, j) at (i, j); a stencil's weights reach the
// nine nodes of the window centred at (at.ic, at.jc), the slopes' per map unit.
#pragma once

#include <cstdint>
#include <optional>

#include "EstimationGrid.h"
#include "FaultCuts.h"
#include "Stencil.h"

namespace kessadon {

// The datum's location, whose ic and jc are the centre of the window the
// stencil weighs (the nearest node unless a fault moved it).
struct SeenHeight {
  DatumLocation at;
  Stencil stencil;
};
struct SeenDip {
  DatumLocation at;
  Stencil slopeX, slopeY;
};

// Nothing when the point lies beyond the grid's inner nodes or sees no node
// that can make its stencil; without faults (null or none) the stencils of
// Stencil.h.
std::optional<SeenHeight> LocateHeight(const EstimationGrid& grid, const FaultCuts* faults,
                                       double x, double y);
std::optional<SeenDip> LocateDip(const EstimationGrid& grid, const FaultCuts* faults, double x,
                                 double y);

// A height with bound code l (0 ordinary, +1 lower, -1 upper) whose residual
// on the surface its bounds are judged against is r takes part: an ordinary
// one always, a bound where the surface touches or violates it.
inline bool KeepsHeight(std::int16_t l, double r) { return l == 0 || l * r <= 0; }

}  // namespace kessadon
