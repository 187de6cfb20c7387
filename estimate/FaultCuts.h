// Where fault traces break the estimation grid: the links between
// neighbouring nodes that a trace crosses. A smoothness row that would reach
// across a cut link is left out, and a datum reaches only the nodes it sees
// without crossing a trace, so the surface may jump at the fault; past the
// end of a trace (a fault tip) nothing is cut and the surface joins round it.
//
// A trace that runs exactly along a grid line or through a node counts as
// lying a hair (a ten-millionth of a cell) to the east and north of it, so
// every node lies on one side.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "EstimationGrid.h"
#include "io/FaultTraces.h"
#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon {

class FaultCuts {
 public:
  FaultCuts() = default;  // no fault: nothing is cut
  FaultCuts(const EstimationGrid& grid, const FaultTraces& traces);

  bool Any() const { return !segments_.empty(); }
  // The link from node (i, j) to (i + 1, j), and from (i, j) to (i, j + 1).
  bool CutX(std::int32_t i, std::int32_t j) const;
  bool CutY(std::int32_t i, std::int32_t j) const;
  std::int64_t CutLinks() const { return cutLinks_; }
  // The same flags by node, in the grid's unknown order.
  const std::vector<std::uint8_t>& CutXByNode() const { return cutX_; }
  const std::vector<std::uint8_t>& CutYByNode() const { return cutY_; }

  // Whether the straight way from the map point (x, y) to node (i, j)
  // crosses a trace.
  bool Crosses(double x, double y, std::int32_t i, std::int32_t j) const;

  // Cells (by their node of least i and j) with a cut link on their edge:
  // there the surface jumps, and no contour line is drawn.
  NodeArray<std::uint8_t> CutCells() const;

  // The pieces of the grid the cut links leave connected: a number a node,
  // 0 ... Blocks() - 1, by the order of each piece's first node.
  std::vector<std::int32_t> BlockOfNodes() const;

 private:
  struct Segment {
    double ax, ay, bx, by;
  };
  std::int64_t CellIndex(std::int32_t ci, std::int32_t cj) const;
  void Mark(std::int32_t ci, std::int32_t cj, std::int32_t segment);

  EstimationGrid grid_;
  std::vector<Segment> segments_;
  std::vector<std::uint8_t> cutX_, cutY_;
  std::int64_t cutLinks_ = 0;
  // (cell, segment) for every cell a segment passes, sorted by cell.
  std::vector<std::pair<std::int64_t, std::int32_t>> cells_;
};

// The cells of a grid that the traces cut (FaultCuts::CutCells).
NodeArray<std::uint8_t> FaultCutCells(const GridData& grid, const FaultTraces& traces);

}  // namespace kessadon
