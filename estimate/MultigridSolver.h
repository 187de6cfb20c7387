// Solves the normal equations of a large grid, A z = b, by conjugate
// gradients preconditioned with one multigrid V-cycle, in time and memory
// that grow as the node count.
//
// A is symmetric positive definite and couples node (i, j) to the nodes up to
// two columns and rows away. It is kept as PatternSystem keeps it: node
// r = i * ny + j (0-based, y fastest) holds its kPartners upper partners in
// slot order, zero for partners outside the grid. Each coarser grid takes
// every second node in each direction (or in one, on long cells beside
// faults) and always the last one; heights go down by bilinear
// interpolation P, residuals up by R = P^T, and the coarse operator is
// R A P, which keeps the 25-point shape. Gauss-Seidel sweeps smooth on
// every grid but the coarsest, node by node, or on long cells line by line
// along their short side; the coarsest is solved by a band Cholesky
// numbered along its shorter side. The outer iteration is flexible (each
// direction made conjugate to the last), as a K-cycle preconditioner varies.
// The grids are MultigridLevel.h's, their transfers, coarse operators and
// smoothers in MultigridTransfer.h, MultigridGalerkin.h and
// MultigridSmoothers.h.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "FaultCuts.h"
#include "Progress.h"
#include "SolveStatus.h"

namespace kessadon {

struct IterativeSettings {
  // Stop once the last step moved no height by more than this share of the
  // heights' range and the residual has fallen to this share of b; on long
  // cells (relaxed by lines) only once the steps still to come, shrinking
  // as the last contractionSteps did, would add up to no more than
  // heightTolerance either (0: the first two tests alone). Other grids stop
  // by the first two, as they always did.
  double heightTolerance = 1e-7;
  double residualTolerance = 1e-8;
  int contractionSteps = 8;
  int maxIterations = 500;
  int sweeps = 1;  // before and after each coarse correction
  // Each coarse correction by up to two steps of conjugate gradients over
  // the cycle below (a K-cycle) rather than by that cycle alone (a V-cycle):
  // the V-cycle's corrections weaken with every grid below it.
  bool krylovCycle = true;
};

struct IterativeOutcome {
  // Success, or Cancelled when progress said stop (z then holds the last
  // iterate); converged is false when maxIterations ran out first.
  SolveStatus status = SolveStatus::Success;
  bool converged = false;
  int iterations = 0;
  double residual = 0;  // |b - A z| / |b|
  double change = 0;    // the last step's largest height change / the range
  // The residual at the start and after each step (iterations + 1 values,
  // none when b is zero), for how fast the steps cut it.
  std::vector<double> residuals;

  // The factor by which a step cut the residual, on average (geometric);
  // 0 without steps.
  double MeanRate() const;
};

class MultigridSolver {
 public:
  // Builds the coarse grids for the operator `upper` of an nx by ny grid,
  // which must outlive the solver and is not copied; its cells are `aspect`
  // times as long in y as in x. Across the links faults cut (none when null)
  // nothing is interpolated: beside them the weights are fitted to each
  // block's planes, and boxes round the cuts' ends and corners are solved
  // exactly on the finest grids. A grid of coarseNodes or fewer, or only a
  // few nodes across, is not coarsened further.
  MultigridSolver(std::int32_t nx, std::int32_t ny, const double* upper, double aspect = 1,
                  const FaultCuts* faults = nullptr, std::int64_t coarseNodes = 4000);
  MultigridSolver(MultigridSolver&&) noexcept;
  MultigridSolver& operator=(MultigridSolver&&) noexcept;
  ~MultigridSolver();

  // Solves A z = b from the heights z holds (the warm start).
  IterativeOutcome Solve(const std::vector<double>& b, std::vector<double>& z,
                         const IterativeSettings& settings = {},
                         const SolveProgress& progress = {});

  // False when the coarsest grid's operator was not positive definite; the
  // solver is then not to be used.
  bool Ready() const;
  int Levels() const;
  // Sizes of the grid on a level, 0 the finest.
  std::int32_t LevelNx(int level) const;
  std::int32_t LevelNy(int level) const;

 private:
  struct Hierarchy;
  std::unique_ptr<Hierarchy> h_;
};

}  // namespace kessadon
