// Whether the data determine the surface, judged before any solver runs, so
// that every solver refuses the same surfaces with the same words.
//
// The smoothness rows of a piece of the grid (a block of FaultCuts; without
// faults the whole grid) hold its heights only up to what they leave free:
// with m1 > 0 the piece's level; with m1 = 0 a plane where its curvature rows
// hold the piece together; more where a fault leaves a thin or hinged piece,
// down to a lone node, which they leave free alone. That freedom is found
// exactly, by carrying what each row fixes from node to node with its whole-
// number coefficients. The data's rows of a pass (the heights it keeps and
// both slopes of each dip) must fix every direction of it; they are judged
// on rows scaled to the piece's size, so that a piece and the same piece in
// other units or cell shapes are judged alike, and heights that lie on one
// line to within kLineTolerance of the piece's size leave its tilt free.
//
// A free piece is settled without refusing the run where the person cannot
// mean it: one wholly outside the requested grid (in the margin the
// estimation adds) is held at a level of its own, so the requested nodes come
// out as without it; one of at most kTiedBlockNodes nodes is tied weakly to
// its neighbours across the cuts (WeakTies). Any other free piece refuses the
// run, naming a requested node in it.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "EstimationGrid.h"
#include "FaultCuts.h"
#include "Stencil.h"
#include "WeakTies.h"
#include "io/MeasuredData.h"
#include "io/NodeArray.h"
#include "io/Result.h"

namespace kessadon {

// Pieces of up to this many nodes (about four cells by four) may be tied.
inline constexpr std::int64_t kTiedBlockNodes = 25;
// Three heights whose middle one lies off the line of the others by less
// than about this share of the piece's size fix no tilt.
inline constexpr double kLineTolerance = 1e-4;

// The requested grid's nodes within the extended one, i1 and j1 included.
struct NodeRange {
  std::int32_t i0 = 1, i1 = 0, j0 = 1, j1 = 0;
  bool Contains(std::int32_t i, std::int32_t j) const {
    return i >= i0 && i <= i1 && j >= j0 && j <= j1;
  }
};

// One row of a datum: its stencil centred at node (ic, jc).
struct DataRow {
  std::int32_t ic = 0, jc = 0;
  Stencil stencil;
  bool height = true;  // else one of a dip's two slopes
  double target = 0;   // a height's value
};

// The data rows of a pass, as the equations take them: the usable heights
// that it keeps (bounds as `previous` judges them) and both slopes of every
// usable dip; nH and nD count the usable data as BuildNormalEquations does.
struct PassRows {
  std::vector<DataRow> rows;
  std::int32_t nH = 0, nD = 0;
};
PassRows DataRowsOfPass(const EstimationGrid& grid, const PreparedData& data,
                        const NodeArray<double>& previous, const FaultCuts* faults);

class BlockFreedom {
 public:
  // What the smoothness rows of m1 and m2 leave free in each piece.
  BlockFreedom(const EstimationGrid& grid, const FaultCuts* faults, double m1, double m2);
  BlockFreedom(BlockFreedom&&) noexcept;
  BlockFreedom& operator=(BlockFreedom&&) noexcept;
  ~BlockFreedom();

  // The ties that settle the pieces the rows leave free, or the refusal of
  // one that cannot be settled. `level` holds a free piece outside the
  // requested grid that has no height of its own.
  Result<WeakTies> Settle(const std::vector<DataRow>& rows, const NodeRange& requested,
                          double level) const;

 private:
  struct Pieces;
  struct Judged;
  std::unique_ptr<Pieces> p_;
};

// The ties that settle what the data of a pass (bounds judged on
// `previous`) leave free, or why the pass cannot be made; a piece without a
// height of its own is held at the mean of the heights kept. Too few data
// are left to the equations, which say so in their own words.
Result<WeakTies> SettlePass(const BlockFreedom& freedom, const EstimationGrid& grid,
                            const PreparedData& data, const NodeArray<double>& previous,
                            const FaultCuts* faults, const NodeRange& requested);

}  // namespace kessadon
