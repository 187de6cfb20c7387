// Weak rows that settle the pieces of the grid which faults cut off and the
// data leave free, so that every solver gets a surface it can determine
// without the rest of the grid feeling them: a small piece between crossing
// traces is held to its neighbours across the cuts, a piece wholly outside
// the requested grid at a level of its own.
#pragma once

#include <cstdint>
#include <vector>

namespace kessadon {

struct WeakTies {
  // Nodes (unknowns) of small free pieces: every link from each is held by
  // a first difference of weak weight, inside the piece and across its cuts.
  std::vector<std::int64_t> tied;
  // Nodes of free pieces outside the requested grid, each held weakly at
  // pinLevel of the same index.
  std::vector<std::int64_t> pinned;
  std::vector<double> pinLevel;
  std::int32_t tiedBlocks = 0, pinnedBlocks = 0;

  bool Empty() const { return tied.empty() && pinned.empty(); }
};

// A tie's weight against the smoothness rows it stands in for: weak enough
// that the neighbours of a tied piece move by a few ten-thousandths of the
// step between them, strong enough that no pivot comes near rounding.
inline constexpr double kWeakTie = 1e-3;

}  // namespace kessadon
