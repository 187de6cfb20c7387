// The coarse space of the two-level deviations (TwoLevelInverse.h): tensor
// products of quadratic B-splines on about every kx-th column and ky-th row of
// the grid, their knots spread evenly and tripled at the border so that the
// functions reach it, each cut into the pieces of its support that fault
// cuts leave connected. They are continuous with their slopes, so the
// curvature terms see them as smooth (bilinear hats would carry kinks that
// the curvature weighs heavily, and the coarse space would miss most of the
// smooth part of the uncertainty); away from faults they sum to one and
// reproduce planes. Beside a fault a piece is left out when it is too small
// or its neighbours already span it on its nodes (its coarse operator would
// be singular), so there the sum may fall up to a tenth short; what the
// coarse space misses, the strips take. A direction with k = 1 is not
// coarsened: there a function is a node.
//
// Nodes (i, j) from 1 as the grid numbers them. A function has a place
// (px, py), 0-based, one per B-spline of each direction; functions are
// numbered from 0 by place, x outer, the pieces of a place one after
// another, so that near places have near numbers.
#pragma once

#include <cstdint>
#include <vector>

#include "EstimationGrid.h"
#include "FaultCuts.h"

namespace kessadon {

class CoarseSplines {
 public:
  // At most this many functions are nonzero at a node.
  static constexpr int kMaxAt = 9;

  // Pieces of fewer than `leastPiece` nodes are left out: a few nodes in a
  // corner between faults cannot tell many functions apart.
  CoarseSplines(const EstimationGrid& grid, std::int32_t kx, std::int32_t ky,
                const FaultCuts* faults, std::int64_t leastPiece = 3);

  std::int64_t Count() const { return firstId_.back(); }
  std::int32_t PlacesX() const { return x_.places; }
  std::int32_t PlacesY() const { return y_.places; }
  // How far apart two places may lie in x (in y) for their functions to meet
  // through the equations, which reach two nodes: 3, or 2 where a direction
  // is not coarsened.
  std::int32_t ReachX() const { return x_.k == 1 ? 2 : 3; }
  std::int32_t ReachY() const { return y_.k == 1 ? 2 : 3; }
  std::int64_t FirstOf(std::int32_t px, std::int32_t py) const {
    return firstId_[static_cast<std::size_t>(Place(px, py))];
  }
  std::int64_t CountOf(std::int32_t px, std::int32_t py) const {
    const std::int64_t p = Place(px, py);
    return firstId_[static_cast<std::size_t>(p + 1)] - firstId_[static_cast<std::size_t>(p)];
  }
  // The nodes the functions of a place may be nonzero on, from 1, inclusive.
  std::int32_t LowI(std::int32_t px) const { return x_.low[static_cast<std::size_t>(px)]; }
  std::int32_t HighI(std::int32_t px) const { return x_.high[static_cast<std::size_t>(px)]; }
  std::int32_t LowJ(std::int32_t py) const { return y_.low[static_cast<std::size_t>(py)]; }
  std::int32_t HighJ(std::int32_t py) const { return y_.high[static_cast<std::size_t>(py)]; }
  // The places whose functions may be nonzero at column i (row j): from
  // FirstPlaceX(i), up to three.
  std::int32_t FirstPlaceX(std::int32_t i) const {
    return x_.first[static_cast<std::size_t>(i - 1)];
  }
  std::int32_t FirstPlaceY(std::int32_t j) const {
    return y_.first[static_cast<std::size_t>(j - 1)];
  }

  // A function nonzero at a node: its number, place and weight there.
  struct Term {
    std::int64_t id;
    std::int32_t px, py;
    double weight;
  };
  // The functions nonzero at node (i, j), in ascending number; returns how
  // many (up to kMaxAt).
  int At(std::int32_t i, std::int32_t j, Term* terms) const;
  // Whether a cut crosses the place's rectangle, so that its functions are
  // pieces; else its one function weighs WeightX(i, px) * WeightY(j, py).
  bool Cut(std::int32_t px, std::int32_t py) const {
    return !labelsAt_.empty() && labelsAt_[static_cast<std::size_t>(Place(px, py))] >= 0;
  }
  double WeightX(std::int32_t i, std::int32_t px) const { return x_.WeightAt(i, px); }
  double WeightY(std::int32_t j, std::int32_t py) const { return y_.WeightAt(j, py); }
  // The weight of function `id` of place (px, py) at node (i, j): zero off
  // its piece.
  double Weight(std::int64_t id, std::int32_t px, std::int32_t py, std::int32_t i,
                std::int32_t j) const;

 private:
  // One direction's B-splines at its nodes: node f (0-based) takes places
  // first[f] ... first[f] + 2 with weights w[3 f ...].
  struct Axis {
    std::int32_t k = 1, places = 0;
    std::vector<std::int32_t> first;
    std::vector<double> w;
    std::vector<std::int32_t> low, high;  // per place, 1-based nodes
    double WeightAt(std::int32_t node, std::int32_t place) const;
  };
  static Axis MakeAxis(std::int32_t n, std::int32_t k);

  std::int64_t Place(std::int32_t px, std::int32_t py) const {
    return std::int64_t{px} * y_.places + py;
  }
  // The piece (0 ...) of place p's functions node (i, j) lies on, -1 on none.
  int PieceAt(std::int64_t place, std::int32_t px, std::int32_t py, std::int32_t i,
              std::int32_t j) const;
  void CutIntoPieces(const EstimationGrid& grid, const FaultCuts& faults);
  // Labels the pieces of place (px, py)'s rectangle, those too small -1;
  // returns how many are kept.
  std::int64_t Flood(std::int32_t px, std::int32_t py, const EstimationGrid& grid,
                     const FaultCuts& faults);
  bool Adds(std::int64_t id, std::int32_t px, std::int32_t py,
            const std::vector<std::uint8_t>& accepted) const;
  void DropDependentPieces();

  Axis x_, y_;
  std::int64_t leastPiece_ = 3;
  std::vector<std::int64_t> firstId_;  // per place, and the count at the end
  // Places a cut crosses: where their labels start (-1 for the others), and
  // the piece of every node of the place's rectangle, x outer (-1: a piece
  // too small to keep).
  std::vector<std::int64_t> labelsAt_;
  std::vector<std::int16_t> labels_;
};

}  // namespace kessadon
