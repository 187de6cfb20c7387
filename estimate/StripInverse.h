// The local part of the two-level deviations on one strip of the grid: a band
// of whole rows (or columns) of nodes, the equations restricted to it (the
// nodes beyond held at zero), A_s, and their coarse part through the
// B-splines cut off at the strip's edge, K = P_s^T A_s P_s. Then
//
//   R_s = A_s^-1 - P_s K^+ P_s^T
//
// is the strip's own share of the inverse that the coarse space cannot
// hold; on rows well inside the strip it is the whole grid's
// A^-1 - P (P^T A P)^-1 P^T, which decays within a few coarse spacings.
// Both inverses are taken on their bands (BandInverse.h): the strip's nodes
// numbered along it, across fastest, and the functions likewise by place.
// Nodes (i, j) from 1 as the grid numbers them.
#pragma once

#include <cstdint>
#include <vector>

#include "BandSystem.h"
#include "CoarseSplines.h"
#include "PatternSystem.h"

namespace kessadon {

struct Strip {
  bool alongX = true;  // its lines run along x, so that it is rows j = from ... to
  std::int32_t from = 1, to = 0;
};

class StripInverse {
 public:
  StripInverse(const PatternSystem& a, const CoarseSplines& splines);

  void Invert(const Strip& strip);

  // s^T R_s s for the combination s of up to nine nodes of the strip, at
  // most two apart each way: a node's own (R_s)_ii, or a datum's stencil.
  struct NodeWeight {
    std::int32_t i, j;
    double w;
  };
  double Form(const NodeWeight* nodes, int count) const;

 private:
  std::int64_t Node(std::int32_t i, std::int32_t j) const;
  std::int64_t Function(const CoarseSplines::Term& t) const;
  double Coarse(std::int64_t a, std::int64_t b) const;
  void InvertFine();
  void FillFine();
  void InvertCoarse();

  const PatternSystem& a_;
  const CoarseSplines& splines_;
  Strip strip_;
  std::int32_t width_ = 0;  // nodes across
  BandSystem fine_, coarse_;
  // The places the strip meets across (first, count), and where each place's
  // functions start in the strip's numbering, by place along then across.
  std::int32_t acrossFirst_ = 0, acrossCount_ = 0;
  std::vector<std::int64_t> placeStart_;
};

}  // namespace kessadon
