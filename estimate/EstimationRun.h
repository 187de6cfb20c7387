// One estimation run: extend the requested grid by at least one node on every
// side, run the passes (build the normal equations, solve them, report), with
// the height weight growing from alpha(min) to alpha(max) when bounds decide
// their active set afresh each pass, then cut the surface back to the
// requested Nx x Ny nodes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "EstimationGrid.h"
#include "EstimationParameters.h"
#include "EstimationReport.h"
#include "SolveStatus.h"
#include "WeakTies.h"
#include "io/GridData.h"
#include "io/MeasuredData.h"
#include "io/Result.h"

namespace kessadon {

// A pass builds its equations, then solves them; the sparse path analyses
// their pattern in between, on the first pass only. Factorising ends with
// the solution; the iterative path iterates instead.
// Choosing the weights by cross-validation comes before an estimation, on its
// own; the standard deviations of its heights, and the fit statistics of
// the surface it delivered, after it.
enum class EstimationStage {
  Building,
  Analysing,
  Factorising,
  Iterating,
  ChoosingWeights,
  Uncertainty,
  Statistics
};

struct EstimationProgressStep {
  int pass = 0;    // 1-based
  int passes = 0;  // planned
  EstimationStage stage = EstimationStage::Building;
  double fraction = 0;  // of the stage done, 0 ... 1, growing; each stage starts at 0 and ends at 1
};
// Told each step, about ten times a second while the run works (from the
// thread that runs it); returns whether to go on. A stop is honoured within
// a few tenths of a second.
using EstimationProgress = std::function<bool(const EstimationProgressStep&)>;

struct EstimationResult {
  // Nx, Ny, Xmin, Ymin, Dx, Dy and Z of the requested grid; geometry not derived.
  GridData Grid;
  EstimationReport Report;                    // of the last completed pass
  std::vector<EstimationReport> PassReports;  // one per completed pass
  SolveStatus Status = SolveStatus::Success;  // of the pass that stopped the run, if one did
  int PassesPlanned = 0;
  int StoppedAtPass = 0;        // 0 when every pass completed
  std::string StopReason;       // why that pass stopped; empty when none did
  std::int32_t ex = 0, ey = 0;  // nodes added on each side while estimating
  // The iterative path's steps in the last completed pass, and its residual
  // |b - A z| / |b| at the end; zero on the direct paths.
  int Iterations = 0;
  double Residual = 0;
  // With faults: the links they cut on the estimation grid, and the data
  // that see none of their nodes and take no part.
  std::int64_t CutLinks = 0;
  std::int32_t DroppedHeights = 0, DroppedDips = 0;
  // With bound data: the surface on the estimation grid that the last
  // completed pass judged its bounds against, so that its equations can be
  // built again; empty without.
  NodeArray<double> BoundsJudgedOn;
  // What settled the pieces of the grid the last completed pass's data left
  // free (BlockFreedom): small pieces between faults tied weakly to their
  // neighbours (counted in Ties.tiedBlocks), pieces in the margin held alone.
  WeakTies Ties;
};

// How the normal equations are solved: the band Cholesky, which keeps the
// whole band and costs N bw^2; the sparse Cholesky of the coupling pattern
// in a nested-dissection order, analysed once per run, which costs about
// N^1.5 and N log N of memory; or conjugate gradients with multigrid, whose
// time and memory grow as N, each pass starting from the last one's
// heights. The direct paths give the same heights to rounding. The
// iterative one stops when its last step moved no height by more than
// 1e-7 of their range; on cells more than twice as long one way, only once
// the steps to come, shrinking as its last ones did, would add no more,
// which kept it within 1e-7 of the exact heights on 1000 x 1000 nodes of
// 4:1 to 20:1 cells, faults or none. Cells at most twice as long one way
// stop by the last step alone, which with sparse data has left up to
// 3.2e-7 of the range (2e-8 with dense data). Rounding sets a floor under
// both paths that rises steeply with the cells' length: on 1000 x 1000
// nodes of 20:1 cells the iterative heights come no nearer the exact ones
// than 5e-8 to 8e-8 of the range, the sparse factor's 4e-7; on 50:1
// cells, 8e-7 and 3e-5.
enum class EstimationSolver { Automatic, Band, Sparse, Iterative };

// The solver Automatic picks for a machine with `memory` bytes: the band
// while it is small, the sparse factor for mid-sized grids whose factor
// fits, the iterative path beyond.
EstimationSolver ChooseSolver(const EstimationGrid& grid, std::int64_t memory);
EstimationSolver ChooseSolver(const EstimationGrid& grid);  // for this machine's memory

// What a solver may take on a machine of `memory` bytes (this machine's
// when 0): most of it, leaving room for the grid, the data and the program.
std::int64_t SolverMemoryLimit(std::int64_t memory = 0);

// Bytes the iterative path takes for a grid: the equations, the coarse grids
// and the vectors of the iteration.
std::int64_t IterativeMemory(const EstimationGrid& grid);

// Refuses parameters that cannot make a grid, a grid whose solver would not
// fit in memory (before taking it, with what it would need), and a run whose
// first pass fails (with what to change); a later pass that fails leaves the
// last completed pass's surface and says where it stopped. When progress
// says stop, the run returns a cancelled failure and nothing else. `memory`
// is the machine's memory in bytes, 0 for this machine's.
Result<EstimationResult> RunEstimation(const PreparedData& data, const EstimationParameters& params,
                                       const EstimationProgress& progress = {},
                                       EstimationSolver solver = EstimationSolver::Automatic,
                                       std::int64_t memory = 0);

}  // namespace kessadon
