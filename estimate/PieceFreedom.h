// What the smoothness rows leave free of the heights in each piece of the
// grid (a block of the links faults leave; without faults the whole grid).
//
// With m1 > 0 the slope rows hold a piece to one level. With m1 = 0 the
// curvature rows hold any plane free, and more where faults leave a piece
// thin or hinged: from each cell whose cross row is kept (four nodes, one
// row: a plane's freedom) every row with one node not yet fixed fixes it, so
// the piece falls into rigid regions, each free as a plane, and loose nodes
// between them. A loose node is carried by the rows from the nodes already
// expressed, or takes a free value of its own; rows that close a loop, or
// join two regions, are constraints among the free values. All of it with
// the rows' whole-number coefficients, so it is exact.
//
// A node's height is then a row of the piece's free values: a region's plane
// in (1, (i - ci) / h, (j - cj) / h) about its centre, h its half size in
// nodes, so that a row of data is judged alike whatever the piece's size.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "EstimationGrid.h"
#include "FaultCuts.h"

namespace kessadon {

// A piece is not reckoned with past this many free values: its data never
// fix that much freedom in practice, and it is judged free.
inline constexpr int kMaxPieceParams = 600;

class PieceFreedom {
 public:
  PieceFreedom(const EstimationGrid& grid, const FaultCuts* faults, double m1, double m2);
  PieceFreedom(PieceFreedom&&) noexcept;
  PieceFreedom& operator=(PieceFreedom&&) noexcept;
  ~PieceFreedom();

  std::int32_t Pieces() const;
  std::int32_t PieceOf(std::int64_t node) const;
  std::int64_t Size(std::int32_t piece) const;
  // The free values of a piece, before its constraints; 0 when there were
  // too many to reckon with.
  int Params(std::int32_t piece) const;
  // Whether the piece is a single region, held to a plane with m1 = 0.
  bool Plane(std::int32_t piece) const;
  // Combinations of its free values the piece's rows require to vanish.
  const std::vector<std::vector<double>>& Constraints(std::int32_t piece) const;
  // Adds w times the node's height, as a row of its piece's free values, to
  // `row` (which has Params() entries).
  void AddNode(std::int64_t node, double w, std::vector<double>& row) const;

 private:
  struct State;
  std::unique_ptr<State> s_;
};

}  // namespace kessadon
