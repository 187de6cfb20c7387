// Normal equations of one estimation pass. The pass minimises
//
//   m1*J1 + m2*J2 + (alpha/nH) * sum over active heights (z(xk, yk) - zk)^2
//                 + (beta/nD) * sum over dips [(dz/dx - gxk)^2 + (dz/dy - gyk)^2]
//
// where J1 is the mean squared slope per cell and J2 the integrated squared
// curvature of the grid. Every term is a sum of squared rows: a 3x3 stencil of
// node weights, a row weight w and a target v. Each row adds w W W^T to the
// system's matrix and w v W to the right-hand side. Unknowns are node heights in
// the grid's numbering (y fastest); distances in map units, heights as given.
// The system is a BandSystem (the whole band, for small grids) or a
// PatternSystem (the coupling pattern alone); both take the same sums in the
// same order.
#pragma once

#include <cstdint>

#include "BandSystem.h"
#include "EstimationGrid.h"
#include "FaultCuts.h"
#include "PatternSystem.h"
#include "Progress.h"
#include "SeenStencils.h"
#include "SolveStatus.h"
#include "Stencil.h"
#include "WeakTies.h"
#include "io/MeasuredData.h"
#include "io/NodeArray.h"

namespace kessadon {

// Adds the row (stencil, w, v) centred at node (ic, jc); weights on nodes
// outside the grid take no part.
template <class System>
void AccumulateStencil(System& system, const EstimationGrid& grid, const Stencil& stencil,
                       std::int32_t ic, std::int32_t jc, double w, double v);

// Each adder of a term tells `part` how far it has gone, and stops early when
// told to; the system is then incomplete.

// A row that would reach across a link a fault cuts is left out (faults may be null).

// J1 rows: first differences along x and along y, weighted m1 / cells, with
// half weight on the border lines they run along.
template <class System>
void AddSlopeRowsX(System& system, const EstimationGrid& grid, double m1,
                   const ProgressPart& part = {}, const FaultCuts* faults = nullptr);
template <class System>
void AddSlopeRowsY(System& system, const EstimationGrid& grid, double m1,
                   const ProgressPart& part = {}, const FaultCuts* faults = nullptr);

// J2 rows: second differences along x and y and the cross difference,
// weighted by m2 * Dx * Dy (the cross rows twice) with the border weights.
template <class System>
void AddCurvatureRowsXX(System& system, const EstimationGrid& grid, double m2,
                        const ProgressPart& part = {}, const FaultCuts* faults = nullptr);
template <class System>
void AddCurvatureRowsXY(System& system, const EstimationGrid& grid, double m2,
                        const ProgressPart& part = {}, const FaultCuts* faults = nullptr);
template <class System>
void AddCurvatureRowsYY(System& system, const EstimationGrid& grid, double m2,
                        const ProgressPart& part = {}, const FaultCuts* faults = nullptr);

// Height rows, weight alpha / nH each. A bound (l = +1 lower, -1 upper) joins
// only where `previous` (the last pass's surface) lies on or beyond it, but
// every usable datum counts in nH. Returns nH. With faults a datum reaches
// its nodes as LocateHeight says, and one that reaches none is not usable.
template <class System>
std::int32_t AddHeightData(System& system, const EstimationGrid& grid, const PreparedData& data,
                           const NodeArray<double>& previous, double alpha,
                           const ProgressPart& part = {}, const FaultCuts* faults = nullptr);

// Two slope rows per usable dip datum, weight beta / nD each. Returns nD.
template <class System>
std::int32_t AddDipData(System& system, const EstimationGrid& grid, const PreparedData& data,
                        double beta, const ProgressPart& part = {},
                        const FaultCuts* faults = nullptr);

// The weak rows of `ties`: a first difference on every link from a tied
// node, and a pinned node held at its level, each weighed kWeakTie times the
// smoothness rows' weight on a node.
template <class System>
void AddWeakTies(System& system, const EstimationGrid& grid, const WeakTies& ties, double m1,
                 double m2);

struct NormalEquationsOutcome {
  std::int32_t nH = 0;  // usable height data
  std::int32_t nD = 0;  // usable dip data
  // Success, or TooFewData unless nH >= 1 and nH + 2 nD >= 3; Cancelled when
  // the progress said stop.
  SolveStatus status = SolveStatus::TooFewData;
};

struct PassWeights {
  double m1 = 0, m2 = 1, alpha = 1, beta = 0;
  const FaultCuts* faults = nullptr;  // where the surface may break; none when null
  const WeakTies* ties = nullptr;     // what settles the pieces the data leave free
};

// The right-hand side the ordinary heights of `data` add with weight alpha
// (w D^T z with w = alpha / their count, D their stencils), the matrix left
// aside.
std::vector<double> HeightDataRhs(const EstimationGrid& grid, const PreparedData& data,
                                  double alpha, const FaultCuts* faults = nullptr);

// Builds the system from zero; `system` is reshaped to the grid when needed.
// Tells `progress` the share built from 0 to 1. Instantiated for BandSystem
// and PatternSystem.
template <class System>
NormalEquationsOutcome BuildNormalEquations(System& system, const EstimationGrid& grid,
                                            const PreparedData& data,
                                            const NodeArray<double>& previous,
                                            const PassWeights& weights,
                                            const SolveProgress& progress = {});

}  // namespace kessadon
