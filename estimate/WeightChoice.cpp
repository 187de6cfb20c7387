#include "WeightChoice.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <optional>
#include <random>

#include "BlockFreedom.h"
#include "EstimationReport.h"
#include "EstimationRun.h"
#include "FaultCuts.h"
#include "GridOrdering.h"
#include "NormalEquations.h"
#include "PatternSystem.h"
#include "SparseCholesky.h"

namespace kessadon {
namespace {

// One pair of weights' surface, the heights' misfit and trace over one
// factorisation.
class GcvEvaluator {
 public:
  GcvEvaluator(const PreparedData& data, const EstimationParameters& params,
               const EstimationGrid& grid, const FaultCuts* faults, const WeakTies& ties,
               const GcvSettings& settings)
      : data_(data),
        params_(params),
        grid_(grid),
        faults_(faults),
        ties_(ties),
        zeros_(grid.Nx, grid.Ny),
        probe_(data) {
    // The vectors of the trace: unit vectors while few, else +-1 at random
    // (a fixed seed, so that a run can be repeated).
    const std::int32_t n = data.Nh();
    exact_ = n <= settings.exactUpTo;
    std::mt19937 random(settings.seed);
    const int count = exact_ ? n : settings.probes;
    for (int p = 0; p < count; ++p) {
      std::vector<double> v(static_cast<std::size_t>(n), 0.0);
      for (std::int32_t k = 0; k < n; ++k) {
        v[static_cast<std::size_t>(k)] = exact_ ? (k == p ? 1 : 0) : (random() % 2 == 0 ? -1 : 1);
      }
      probes_.push_back(std::move(v));
    }
  }

  bool Exact() const { return exact_; }

  // GCV at these weights; a failure says why the estimation cannot be made.
  Result<GcvPoint> operator()(double alpha, double ratio, std::int64_t memoryLimit) {
    const double beta = ratio * alpha;
    PatternSystem system;
    const NormalEquationsOutcome built = BuildNormalEquations(
        system, grid_, data_, zeros_, {params_.M1, params_.M2, alpha, beta, faults_, &ties_});
    if (built.status != SolveStatus::Success) {
      return Failure{"格子の内側にある位置データが足りないため、重みを選べません"};
    }
    if (!cholesky_) {
      LowerMatrix pattern;
      system.CopyLower(pattern);
      Result<SparseCholesky> analysed =
          SparseCholesky::Analyse(pattern, GridNestedDissection(grid_.Nx, grid_.Ny), memoryLimit);
      if (!analysed)
        return Failure{"重みを選ぶには格子が大きすぎます：" + analysed.failure().message};
      cholesky_.emplace(std::move(*analysed));
    }
    system.VisitLower(cholesky_->Values());
    std::vector<double> z = system.Rhs();
    if (cholesky_->FactorAndSolve(z, true) != SolveStatus::Success) {
      return Failure{"データと平滑化の重みでは高さの決まらない格子点があるため、重みを選べません"};
    }
    NodeArray<double> surface(grid_.Nx, grid_.Ny);
    for (std::int32_t i = 1; i <= grid_.Nx; ++i) {
      for (std::int32_t j = 1; j <= grid_.Ny; ++j) {
        surface(i, j) = z[static_cast<std::size_t>(grid_.Unknown(i, j))];
      }
    }
    const Misfit misfit = HeightMisfit(grid_, data_, surface, faults_);
    const double n = misfit.count, w = alpha / built.nH;
    const double trace = Trace(alpha, w), free = n - trace;
    GcvPoint point{alpha, ratio, 0, trace, misfit.sumOfSquares, misfit.count};
    // Less than one degree of freedom left: the data can only be interpolated.
    point.gcv = free >= 1 ? n * misfit.sumOfSquares / (free * free) : HUGE_VAL;
    return point;
  }

 private:
  // tr H over the probes, with the factor of the weights just evaluated: the
  // right-hand sides of the probes as heights, solved a batch at a time (at
  // once they go much faster than one by one, and a batch bounds the memory).
  double Trace(double alpha, double w) {
    constexpr std::size_t kBatch = 32;
    const auto size = static_cast<std::size_t>(grid_.NodeCount());
    double trace = 0;
    for (std::size_t first = 0; first < probes_.size(); first += kBatch) {
      const std::size_t count = std::min(kBatch, probes_.size() - first);
      std::vector<double> b(size * count);
      for (std::size_t p = 0; p < count; ++p) {
        probe_.ZH = probes_[first + p];
        const std::vector<double> column = HeightDataRhs(grid_, probe_, alpha, faults_);
        std::copy(column.begin(), column.end(), b.begin() + static_cast<std::ptrdiff_t>(p * size));
      }
      std::vector<double> x = b;
      cholesky_->Solve(x);
      for (std::size_t k = 0; k < x.size(); ++k) trace += b[k] * x[k] / w;
    }
    return exact_ ? trace : trace / static_cast<double>(probes_.size());
  }

  const PreparedData& data_;
  const EstimationParameters& params_;
  const EstimationGrid& grid_;
  const FaultCuts* faults_;
  const WeakTies& ties_;
  NodeArray<double> zeros_;
  PreparedData probe_;
  bool exact_ = false;
  std::vector<std::vector<double>> probes_;
  std::optional<SparseCholesky> cholesky_;
};

// The golden section of f over [a, b] in `steps` evaluations.
template <class F>
void GoldenSection(F&& f, double a, double b, int steps) {
  if (steps < 2) return;
  constexpr double kGolden = 0.6180339887498949;
  double c = b - kGolden * (b - a), d = a + kGolden * (b - a);
  double gc = f(c), gd = f(d);
  for (int k = 2; k < steps; ++k) {
    if (gc < gd) {
      b = d;
      d = c;
      gd = gc;
      c = b - kGolden * (b - a);
      gc = f(c);
    } else {
      a = c;
      c = d;
      gc = gd;
      d = a + kGolden * (b - a);
      gd = f(d);
    }
  }
}

// f over whole exponents from lowest to highest, and (unless they are one)
// on past either end by up to `reach` decades while the best lies there;
// then a golden section over the decades either side of the best.
template <class F>
void SearchDecades(F&& f, int lowest, int highest, int refinements, int reach) {
  int best = lowest;
  double bestValue = HUGE_VAL;
  auto at = [&](int e) {
    const double g = f(e);
    if (g < bestValue) {
      bestValue = g;
      best = e;
    }
  };
  for (int e = lowest; e <= highest; ++e) at(e);
  // A single decade is a weight pinned, not a range.
  const int top = highest, bottom = lowest;
  if (highest == lowest) reach = 0;
  while (best == highest && highest < top + reach && bestValue < HUGE_VAL) at(++highest);
  while (best == lowest && lowest > bottom - reach && bestValue < HUGE_VAL) at(--lowest);
  GoldenSection(f, std::max<double>(best - 1, lowest), std::min<double>(best + 1, highest),
                refinements);
}

const GcvPoint* Best(const std::vector<GcvPoint>& scan) {
  const auto best = std::min_element(
      scan.begin(), scan.end(), [](const GcvPoint& p, const GcvPoint& q) { return p.gcv < q.gcv; });
  return best == scan.end() || !std::isfinite(best->gcv) ? nullptr : &*best;
}

}  // namespace

PreparedData OrdinaryHeights(const PreparedData& data) {
  PreparedData out = data;
  out.XH.clear();
  out.YH.clear();
  out.ZH.clear();
  out.LH.clear();
  for (std::size_t k = 0; k < data.XH.size(); ++k) {
    if (data.LH[k] != 0) continue;
    out.XH.push_back(data.XH[k]);
    out.YH.push_back(data.YH[k]);
    out.ZH.push_back(data.ZH[k]);
    out.LH.push_back(0);
  }
  out.HasBoundData = false;
  return out;
}

namespace {

// One pass of `params` (made so), on its grid or, beyond `nodesUpTo`, on
// every k-th line of it over the same range: the smoothness terms are a mean
// and an integral and the data's a mean, so a weight means the same on
// either grid while the surface is resolved on both.
Result<EstimationPlan> PlanChoice(const PreparedData& data, EstimationParameters& params,
                                  std::int64_t nodesUpTo) {
  params.AlphaMax = 0;
  params.Nitr = 0;
  Result<EstimationPlan> planned = PlanEstimation(data, params);
  if (!planned || planned->grid.NodeCount() <= nodesUpTo) return planned;
  const double k = std::ceil(std::sqrt(double(planned->grid.NodeCount()) / double(nodesUpTo)));
  params.Nx = static_cast<std::int32_t>(std::ceil((params.Nx - 1) / k)) + 1;
  params.Ny = static_cast<std::int32_t>(std::ceil((params.Ny - 1) / k)) + 1;
  return PlanEstimation(data, params);
}

}  // namespace

Result<WeightChoice> ChooseAlphaByGcv(const PreparedData& all, const EstimationParameters& params,
                                      const SolveProgress& progress, const GcvSettings& settings,
                                      std::int64_t memory) {
  const PreparedData data = OrdinaryHeights(all);
  EstimationParameters one = params;
  Result<EstimationPlan> planned = PlanChoice(data, one, settings.gridNodesUpTo);
  if (!planned) return planned.failure();
  const EstimationGrid& grid = planned->grid;
  const FaultCuts cuts(grid, params.Faults);
  const FaultCuts* faults = cuts.Any() ? &cuts : nullptr;
  // What the heights leave free is refused or settled as the estimation does.
  const NodeRange requested{planned->ex + 1, planned->ex + one.Nx, planned->ey + 1,
                            planned->ey + one.Ny};
  const Result<WeakTies> ties =
      SettlePass(BlockFreedom(grid, faults, params.M1, params.M2), grid, data,
                 NodeArray<double>(grid.Nx, grid.Ny), faults, requested);
  if (!ties) return ties.failure();
  const bool chooseRatio = data.Nd() > 0 && settings.chooseRatio;
  GcvEvaluator evaluate(data, params, grid, faults, *ties, settings);
  const std::int64_t limit = SolverMemoryLimit(memory);

  WeightChoice choice;
  choice.ExactTrace = evaluate.Exact();
  choice.RatioChosen = chooseRatio;
  choice.GridNx = one.Nx;
  choice.GridNy = one.Ny;
  choice.Thinned = one.Nx != params.Nx || one.Ny != params.Ny;
  int plannedTries = settings.highest - settings.lowest + 1 + settings.refinements;
  if (chooseRatio) {
    plannedTries += settings.ratioHighest - settings.ratioLowest + 1 + settings.ratioRefinements +
                    settings.secondRefinements;
  }
  std::optional<Failure> failed;
  // GCV at 10^e, remembered in the scan.
  auto at = [&](double alpha, double ratio) -> double {
    if (failed) return HUGE_VAL;
    // Searches past the planned decades hold at the end of the share.
    if (StopAsked(progress, std::min(0.99, double(choice.Scan.size()) / plannedTries))) {
      failed = Failure{"重みの選択を中止しました", 0, true};
      return HUGE_VAL;
    }
    Result<GcvPoint> point = evaluate(alpha, ratio, limit);
    if (!point) {
      failed = point.failure();
      return HUGE_VAL;
    }
    choice.Scan.push_back(*point);
    return point->gcv;
  };
  double ratio = chooseRatio && !(params.Ratio > 0) ? 1 : params.Ratio;
  try {
    SearchDecades([&](double e) { return at(std::pow(10.0, e), ratio); }, settings.lowest,
                  settings.highest, settings.refinements, settings.reach);
    if (chooseRatio && !failed && Best(choice.Scan) != nullptr) {
      const double alpha = Best(choice.Scan)->alpha;
      SearchDecades([&](double e) { return at(alpha, std::pow(10.0, e)); }, settings.ratioLowest,
                    settings.ratioHighest, settings.ratioRefinements, settings.ratioReach);
      if (const GcvPoint* best = Best(choice.Scan); best != nullptr) {
        ratio = best->ratio;
        const double e = std::log10(best->alpha);
        GoldenSection([&](double f) { return at(std::pow(10.0, f), ratio); }, e - 0.5, e + 0.5,
                      settings.secondRefinements);
      }
    }
  } catch (const std::bad_alloc&) {
    return Failure{"メモリが足りません：Nx, Ny か拡張の割合を小さくしてください"};
  }
  if (failed) return *failed;
  const GcvPoint* best = Best(choice.Scan);
  if (best == nullptr) {
    return Failure{"データが少なすぎて、重みを選べません（自由度が残りません）"};
  }
  choice.Alpha = best->alpha;
  choice.Ratio = best->ratio;
  choice.Gcv = best->gcv;
  choice.Edf = best->edf;
  choice.Count = best->count;
  choice.Sigma = std::sqrt(best->rss / (best->count - best->edf));
  if (StopAsked(progress, 1)) return Failure{"重みの選択を中止しました", 0, true};
  return choice;
}

}  // namespace kessadon
