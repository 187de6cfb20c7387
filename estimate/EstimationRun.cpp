#include "EstimationRun.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <new>
#include <optional>

#include "BandCholesky.h"
#include "BlockFreedom.h"
#include "FaultCuts.h"
#include "GridOrdering.h"
#include "MultigridSolver.h"
#include "NormalEquations.h"
#include "SparseCholesky.h"
#include "io/NumberText.h"

namespace kessadon {
namespace {

std::string Reason(SolveStatus status, const NormalEquationsOutcome& built,
                   const EstimationParameters& p, const IterativeOutcome& iterated,
                   const PreparedData& data) {
  const bool anyData = data.Nh() + data.Nd() > 0;
  if (status == SolveStatus::TooFewData && built.nH + built.nD == 0 && anyData &&
      (data.XmaxH < p.Xmin || data.XminH > p.Xmax || data.YmaxH < p.Ymin || data.YminH > p.Ymax)) {
    // Not a matter of a few data: the range asked for misses them all.
    return "データ（x " + FormatGeneral(data.XminH) + "〜" + FormatGeneral(data.XmaxH) + "、y " +
           FormatGeneral(data.YminH) + "〜" + FormatGeneral(data.YmaxH) +
           "）はすべて推定する範囲（x " + FormatGeneral(p.Xmin) + "〜" + FormatGeneral(p.Xmax) +
           "、y " + FormatGeneral(p.Ymin) + "〜" + FormatGeneral(p.Ymax) +
           "）の外にあります：範囲を見直してください";
  }
  if (status == SolveStatus::TooFewData) {
    return "格子の内側（境界から 1 格子より内）にあるデータが足りません（位置データ " +
           std::to_string(built.nH) + " 個、傾斜データ " + std::to_string(built.nD) +
           " 個。位置データが 1 個以上、位置データ + 2 × 傾斜データが 3 以上必要）：範囲を広げるか"
           "拡張の割合を大きくしてください";
  }
  if (status == SolveStatus::NotConverged) {
    char residual[32];
    std::snprintf(residual, sizeof residual, "%.3g", iterated.residual);
    return "反復解法が " + std::to_string(iterated.iterations) +
           " 回で収束しませんでした（相対残差 " + residual +
           "）：重みを見直すか、直接解法を使ってください";
  }
  std::string reason = "データと平滑化の重みでは高さの決まらない格子点があります";
  if (p.M1 == 0 && p.M2 == 0) reason += "（m1 = m2 = 0）：m1 か m2 を 0 より大きくしてください";
  return reason;
}

// The band's values grow as N bw, its work as N bw^2; the sparse path is
// already twice as quick on a 100 x 100 grid, so the band keeps only grids of
// up to about 60 x 60.
constexpr std::int64_t kBandValuesLimit = 500'000;

// Up to this many nodes (300 x 300) the sparse factor keeps its grids: it
// takes about a second there and its answer needs no convergence. Beyond,
// the iterative path is several times quicker in a tenth of the memory.
constexpr std::int64_t kSparseNodesLimit = 90'000;
// The sparse factor's bytes per node, as measured up to 1000 x 1000 nodes
// (it grows slowly, as log N), for the automatic choice before analysis.
constexpr std::int64_t kSparseBytesPerNode = 2600;

std::int64_t PhysicalMemory() {
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGESIZE);
  if (pages <= 0 || pageSize <= 0) return std::int64_t{8} << 30;
  return std::int64_t{pages} * pageSize;
}

// A solver may take this much: most of the machine's memory, leaving room for
// the grid, the data and the program.
std::int64_t FactorMemoryLimit(std::int64_t memory) {
  return static_cast<std::int64_t>(0.6 * static_cast<double>(memory));
}

std::string GiB(std::int64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1 << 30));
  return text;
}

Failure Cancelled() { return Failure{"推定を中止しました", 0, true}; }

// A refusal of the extended grid's size, with why.
Failure GridTooLarge(const EstimationGrid& grid, const std::string& why) {
  return Failure{"推定する格子（拡張後 " + std::to_string(grid.Nx) + " × " +
                 std::to_string(grid.Ny) + "）は" + why +
                 "。Nx, Ny か拡張の割合を小さくしてください"};
}

// Data or weights so extreme that the arithmetic overflowed give no result.
std::optional<Failure> Overflowed(const EstimationResult& result) {
  const char* const why = "計算の範囲を超えました。データの値か重みが極端すぎます";
  if (auto node = FirstUnusableHeight(result.Grid.Z, result.Grid.Nx, result.Grid.Ny)) {
    return Failure{"推定した格子点 (" + std::to_string(node->first) + ", " +
                   std::to_string(node->second) + ") の高さが" + why};
  }
  for (const EstimationReport& r : result.PassReports) {
    for (double v : {r.J1, r.J2, r.RH.value_or(0), r.EH.value_or(0), r.RD.value_or(0),
                     r.ED.value_or(0), r.Q, r.J, r.AlphaR}) {
      if (!std::isfinite(v)) return Failure{std::string("推定の評価値が") + why};
    }
  }
  return std::nullopt;
}

// One pass's equations and their solution, by any solver.
class PassSolver {
 public:
  PassSolver(const EstimationGrid& grid, EstimationSolver solver, std::int64_t memoryLimit)
      : grid_(grid), solver_(solver), memoryLimit_(memoryLimit) {}

  NormalEquationsOutcome Build(const PreparedData& data, const NodeArray<double>& previous,
                               const PassWeights& weights, const SolveProgress& progress) {
    return solver_ == EstimationSolver::Band
               ? BuildNormalEquations(bandSystem_, grid_, data, previous, weights, progress)
               : BuildNormalEquations(pattern_, grid_, data, previous, weights, progress);
  }

  // Solves the equations just built; the heights go to Solution(). The
  // sparse analysis is made on the first pass and kept for the others; after
  // the last pass nothing is built again. A stop gives Cancelled.
  Result<SolveStatus> Solve(const std::function<SolveProgress(EstimationStage)>& stage,
                            bool lastPass, const FaultCuts* faults) {
    if (solver_ == EstimationSolver::Band) {
      return SolveBandCholesky(bandSystem_, stage(EstimationStage::Factorising));
    }
    if (solver_ == EstimationSolver::Iterative) {
      return Iterate(stage(EstimationStage::Iterating), faults);
    }
    const SolveProgress analysing = stage(EstimationStage::Analysing);
    const SolveProgress solving = stage(EstimationStage::Factorising);
    if (!cholesky_) {
      ProgressCheck check(analysing);
      LowerMatrix pattern;
      if (!check.Tell(0) || !pattern_.CopyLower(pattern, {&check, 0, 0.15})) {
        return SolveStatus::Cancelled;
      }
      const std::vector<std::int64_t> order = GridNestedDissection(grid_.Nx, grid_.Ny);
      SolveProgress analysis;
      if (analysing) analysis = [&check](double f) { return check(0.15 + 0.75 * f); };
      Result<SparseCholesky> analysed =
          SparseCholesky::Analyse(pattern, order, memoryLimit_, analysis);
      if (!analysed && analysed.failure().cancelled) return SolveStatus::Cancelled;
      if (!analysed) return GridTooLarge(grid_, "大きすぎます：" + analysed.failure().message);
      cholesky_.emplace(std::move(*analysed));
    }
    if (!bound_) {
      // The first pass's matrix goes into the factor's input; later passes
      // are assembled straight into it, so that no second copy of the matrix
      // stands beside the factor, which is kept from pass to pass.
      const SparseCholesky::ValueSink sink = cholesky_->Values();
      pattern_.VisitLower(sink);
      const SparseCholesky::Places places = cholesky_->PermutedPlaces();
      pattern_.Bind(places.values, static_cast<std::size_t>(cholesky_->EntryCount()),
                    lastPass ? nullptr : sink.map, places.colStart, places.inverse);
      cholesky_->ReleaseValueMap();
      bound_ = true;
      if (StopAsked(analysing, 1)) return SolveStatus::Cancelled;
    }
    solution_ = std::move(pattern_.Rhs());
    // Beside the factor every megabyte counts: what only later passes need goes first.
    if (lastPass) pattern_ = PatternSystem();
    return cholesky_->FactorAndSolve(solution_, !lastPass, solving);
  }

  const std::vector<double>& Solution() const {
    return solver_ == EstimationSolver::Band ? bandSystem_.Rhs() : solution_;
  }
  const IterativeOutcome& Iterations() const { return iterated_; }

 private:
  // Conjugate gradients from the last pass's heights (zeros on the first),
  // over coarse grids made afresh for this pass's weights: they cost a tenth
  // of the iterations, while the coarse grids of the last pass's weights
  // would take 1.5 to 7 times the steps (measured over six bound passes on a
  // 1000 x 1000 grid) as the height weight grows between passes.
  SolveStatus Iterate(const SolveProgress& progress, const FaultCuts* faults) {
    const std::vector<double>& upper = pattern_.UpperValues();
    for (std::size_t r = 0; r < upper.size(); r += PatternSystem::kPartners) {
      if (!(upper[r] > 0)) return SolveStatus::NotPositiveDefinite;
    }
    solution_.resize(pattern_.Rhs().size(), 0.0);

    MultigridSolver multigrid(grid_.Nx, grid_.Ny, upper.data(), grid_.Dy / grid_.Dx, faults);
    if (!multigrid.Ready()) return SolveStatus::NotPositiveDefinite;
    iterated_ = multigrid.Solve(pattern_.Rhs(), solution_, {}, progress);
    if (iterated_.status != SolveStatus::Success) return iterated_.status;
    return iterated_.converged ? SolveStatus::Success : SolveStatus::NotConverged;
  }

  const EstimationGrid& grid_;
  EstimationSolver solver_;
  std::int64_t memoryLimit_;
  BandSystem bandSystem_;
  PatternSystem pattern_;
  std::optional<SparseCholesky> cholesky_;
  bool bound_ = false;  // pattern_ assembles into the factor's input
  std::vector<double> solution_;
  IterativeOutcome iterated_;
};

}  // namespace

std::int64_t SolverMemoryLimit(std::int64_t memory) {
  return FactorMemoryLimit(memory > 0 ? memory : PhysicalMemory());
}

std::int64_t IterativeMemory(const EstimationGrid& grid) {
  // The equations (13 values and b a node), the heights, the iteration's
  // four vectors and the finest grid's residual, the coarse grids (their
  // operators and seven vectors, a third of the finest grid's count in all)
  // and the surface the pass reports on.
  constexpr std::int64_t kBytesPerNode = std::int64_t{8} * (14 + 1 + 5 + (13 + 7) / 3 + 1 + 1);
  // Cells more than twice as long one way relax lines, three values a node
  // on every such grid, and coarse grids halved one way hold as many nodes
  // again as the finest.
  constexpr std::int64_t kLongCellBytesPerNode = std::int64_t{8} * (3 + (13 + 7) - (13 + 7) / 3);
  const bool longCells = grid.Dx > 2 * grid.Dy || grid.Dy > 2 * grid.Dx;
  return grid.NodeCount() * (kBytesPerNode + (longCells ? kLongCellBytesPerNode : 0)) +
         (std::int64_t{64} << 20);
}

EstimationSolver ChooseSolver(const EstimationGrid& grid, std::int64_t memory) {
  const std::int64_t bandValues = grid.NodeCount() * (std::int64_t{grid.HalfBandwidth()} + 1);
  if (bandValues <= kBandValuesLimit) return EstimationSolver::Band;
  const bool factorFits = grid.NodeCount() * kSparseBytesPerNode <= FactorMemoryLimit(memory);
  return grid.NodeCount() <= kSparseNodesLimit && factorFits ? EstimationSolver::Sparse
                                                             : EstimationSolver::Iterative;
}

EstimationSolver ChooseSolver(const EstimationGrid& grid) {
  return ChooseSolver(grid, PhysicalMemory());
}

namespace {

// The solver to use, or the refusal of a grid it could not take; the sparse
// factor's size is known only once analysed.
Result<EstimationSolver> SolverFor(const EstimationGrid& grid, EstimationSolver solver,
                                   std::int64_t memory) {
  if (solver == EstimationSolver::Automatic) solver = ChooseSolver(grid, memory);
  if (solver == EstimationSolver::Band &&
      grid.NodeCount() > kMaxBandValues / (std::int64_t{grid.HalfBandwidth()} + 1)) {
    return GridTooLarge(grid, "バンド解法には大きすぎます");
  }
  if (solver == EstimationSolver::Iterative && IterativeMemory(grid) > FactorMemoryLimit(memory)) {
    return GridTooLarge(grid, "大きすぎます：反復解法に " + GiB(IterativeMemory(grid)) +
                                  " GiB 必要ですが、使えるのは " + GiB(FactorMemoryLimit(memory)) +
                                  " GiB までです");
  }
  return solver;
}

// A later pass that cannot be made leaves the last completed one's surface.
void StopAtPass(EstimationResult& result, int pass, const std::string& reason) {
  result.StoppedAtPass = pass;
  result.StopReason = "繰り返しの " + std::to_string(pass) + " 回目で止まりました（" +
                      std::to_string(pass - 1) + " 回目の結果です）：" + reason;
}

// The run's progress as one stage of one pass tells it.
SolveProgress StageOf(const EstimationProgress& progress, int pass, int passes,
                      EstimationStage stage) {
  if (!progress) return {};
  return [&progress, pass, passes, stage](double f) { return progress({pass, passes, stage, f}); };
}

// The links the faults cut and the data they leave without a node, counted in
// the result. On a large grid this takes a second or two: it tells the first
// pass's building stage 0 between its steps and stops when told.
Result<FaultCuts> CutByFaults(const PreparedData& data, const FaultTraces& traces,
                              const EstimationGrid& grid, EstimationResult& result,
                              const SolveProgress& building) {
  if (traces.traces.empty()) return FaultCuts();
  if (StopAsked(building, 0)) return Cancelled();
  FaultCuts cuts(grid, traces);
  result.CutLinks = cuts.CutLinks();
  if (StopAsked(building, 0)) return Cancelled();
  for (std::int32_t k = 0; k < data.Nh(); ++k) {
    if (LocateDatum(grid, data.XH[k], data.YH[k]) &&
        !LocateHeight(grid, &cuts, data.XH[k], data.YH[k])) {
      ++result.DroppedHeights;
    }
  }
  for (std::int32_t k = 0; k < data.Nd(); ++k) {
    if (LocateDatum(grid, data.XD[k], data.YD[k]) &&
        !LocateDip(grid, &cuts, data.XD[k], data.YD[k])) {
      ++result.DroppedDips;
    }
  }
  return cuts;
}

// The requested nodes of the extended grid's surface.
GridData RequestedGrid(const EstimationParameters& params, const EstimationPlan& plan,
                       const NodeArray<double>& zEst) {
  GridData out;
  out.Nx = params.Nx;
  out.Ny = params.Ny;
  out.Xmin = params.Xmin;
  out.Ymin = params.Ymin;
  out.Dx = plan.Dx;
  out.Dy = plan.Dy;
  out.Z = NodeArray<double>(out.Nx, out.Ny);
  for (std::int32_t i = 1; i <= out.Nx; ++i) {
    for (std::int32_t j = 1; j <= out.Ny; ++j) out.Z(i, j) = zEst(i + plan.ex, j + plan.ey);
  }
  return out;
}

}  // namespace

Result<EstimationResult> RunEstimation(const PreparedData& data, const EstimationParameters& params,
                                       const EstimationProgress& progress, EstimationSolver solver,
                                       std::int64_t memory) {
  if (memory <= 0) memory = PhysicalMemory();
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned) return planned.failure();
  const EstimationPlan& plan = *planned;
  const EstimationGrid& grid = plan.grid;
  const int passes = static_cast<int>(plan.alphas.size());

  EstimationResult result;
  result.PassesPlanned = passes;
  result.ex = plan.ex;
  result.ey = plan.ey;
  try {
    NodeArray<double> zEst(grid.Nx, grid.Ny);  // the first pass's bounds are judged against zeros
    Result<FaultCuts> cuts = CutByFaults(data, params.Faults, grid, result,
                                         StageOf(progress, 1, passes, EstimationStage::Building));
    if (!cuts) return cuts.failure();
    const FaultCuts* faults = cuts->Any() ? &*cuts : nullptr;
    Result<EstimationSolver> chosen = SolverFor(grid, solver, memory);
    if (!chosen) return chosen.failure();
    solver = *chosen;
    const BlockFreedom freedom(grid, faults, params.M1, params.M2);
    if (StopAsked(StageOf(progress, 1, passes, EstimationStage::Building), 0)) return Cancelled();
    const NodeRange requested{plan.ex + 1, plan.ex + params.Nx, plan.ey + 1, plan.ey + params.Ny};
    PassSolver solve(grid, solver, FactorMemoryLimit(memory));

    for (int pass = 1; pass <= passes; ++pass) {
      const double alpha = plan.alphas[pass - 1];
      const double beta = plan.ratio * alpha;
      auto stage = [&progress, pass, passes](EstimationStage s) {
        return StageOf(progress, pass, passes, s);
      };
      // Kept for the run's result only once the pass completes.
      NodeArray<double> judged = data.HasBoundData ? zEst : NodeArray<double>();
      Result<WeakTies> ties = SettlePass(freedom, grid, data, zEst, faults, requested);
      if (!ties) {
        if (pass == 1) return ties.failure();
        result.Status = SolveStatus::NotPositiveDefinite;
        StopAtPass(result, pass, ties.failure().message);
        break;
      }
      const NormalEquationsOutcome built =
          solve.Build(data, zEst, {params.M1, params.M2, alpha, beta, faults, &*ties},
                      stage(EstimationStage::Building));
      SolveStatus status = built.status;
      if (status == SolveStatus::Success) {
        Result<SolveStatus> solved = solve.Solve(stage, pass == passes, faults);
        if (!solved) return solved.failure();
        status = *solved;
      }
      if (status == SolveStatus::Cancelled) return Cancelled();
      if (status != SolveStatus::Success) {
        if (pass == 1) return Failure{Reason(status, built, params, solve.Iterations(), data)};
        result.Status = status;
        StopAtPass(result, pass, Reason(status, built, params, solve.Iterations(), data));
        break;
      }
      const std::vector<double>& z = solve.Solution();
      for (std::int32_t i = 1; i <= grid.Nx; ++i) {
        for (std::int32_t j = 1; j <= grid.Ny; ++j) {
          zEst(i, j) = z[static_cast<std::size_t>(grid.Unknown(i, j))];
        }
      }
      result.PassReports.push_back(
          MakeEstimationReport(grid, data, zEst, params.M1, params.M2, alpha, beta, faults));
      result.BoundsJudgedOn = std::move(judged);
      result.Ties = std::move(*ties);
      result.Iterations = solve.Iterations().iterations;
      result.Residual = solve.Iterations().residual;
    }
    result.Report = result.PassReports.back();
    result.Grid = RequestedGrid(params, plan, zEst);
  } catch (const std::bad_alloc&) {
    return Failure{"メモリが足りません：Nx, Ny か拡張の割合を小さくしてください"};
  }
  if (std::optional<Failure> overflow = Overflowed(result)) return *overflow;
  return result;
}

}  // namespace kessadon
