#include "TwoLevelInverse.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <tuple>

#include "CoarseOperator.h"
#include "CoarseSplines.h"
#include "SparseCholesky.h"
#include "StripInverse.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

std::int32_t PlacesAlong(std::int32_t n, std::int32_t k) {
  return k == 1 || n < 3 ? n : std::max(1, (n - 1) / k) + 2;
}

// The finest spacing of about square coarse cells whose functions fit the
// budget, and never under three nodes: the strips reach at least
// kLeastMargin nodes anyway, which covers that much of a coarse spacing.
std::pair<std::int32_t, std::int32_t> ChooseSpacing(const EstimationGrid& g, std::int64_t upTo) {
  const double d = std::min(g.Dx, g.Dy);
  for (double h = 3 * d;; h *= 1.05) {
    const auto kx = static_cast<std::int32_t>(std::max(1.0, std::round(h / g.Dx)));
    const auto ky = static_cast<std::int32_t>(std::max(1.0, std::round(h / g.Dy)));
    if (kx < 2 && ky < 2) continue;
    const std::int64_t count = std::int64_t{PlacesAlong(g.Nx, kx)} * PlacesAlong(g.Ny, ky);
    if (count <= upTo || (kx >= g.Nx && ky >= g.Ny)) return {kx, ky};
  }
}

// Entry (a, b) of a symmetric matrix kept by its lower triangle; zero off
// its pattern.
double Entry(const LowerMatrix& z, std::int64_t a, std::int64_t b) {
  const std::int64_t c = std::min(a, b), r = std::max(a, b);
  const auto first = z.row.begin() + z.colStart[static_cast<std::size_t>(c)];
  const auto last = z.row.begin() + z.colStart[static_cast<std::size_t>(c + 1)];
  const auto at = std::lower_bound(first, last, static_cast<SparseIndex>(r));
  return at != last && *at == r ? z.value[static_cast<std::size_t>(at - z.row.begin())] : 0;
}

using NodeWeight = StripInverse::NodeWeight;

// s^T P Z P^T s for a combination s of near nodes, Z the coarse inverse.
double CoarseForm(const CoarseSplines& splines, const LowerMatrix& z, const NodeWeight* nodes,
                  int count) {
  std::int64_t functions[9 * CoarseSplines::kMaxAt];
  double v[9 * CoarseSplines::kMaxAt];
  int m = 0;
  CoarseSplines::Term terms[CoarseSplines::kMaxAt];
  for (int a = 0; a < count; ++a) {
    const int c = splines.At(nodes[a].i, nodes[a].j, terms);
    for (int t = 0; t < c; ++t) {
      int k = 0;
      while (k < m && functions[k] != terms[t].id) ++k;
      if (k == m) {
        functions[m] = terms[t].id;
        v[m++] = 0;
      }
      v[k] += nodes[a].w * terms[t].weight;
    }
  }
  double form = 0;
  for (int a = 0; a < m; ++a) {
    form += v[a] * v[a] * Entry(z, functions[a], functions[a]);
    for (int b = a + 1; b < m; ++b) form += 2 * v[a] * v[b] * Entry(z, functions[a], functions[b]);
  }
  return form;
}

int Nodes(const StencilAt& s, const EstimationGrid& grid, NodeWeight* out) {
  int count = 0;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 3; ++b) {
      const std::int32_t i = s.ic + a - 1, j = s.jc + b - 1;
      if (s.w[a][b] != 0 && grid.Contains(i, j)) out[count++] = {i, j, s.w[a][b]};
    }
  }
  return count;
}

// The coarse grid's exact inverse on its factor's pattern, or why not.
struct CoarseOutcome {
  enum { Inverted, TooLarge, Singular } how = TooLarge;
  LowerMatrix z;
};

// The operator is scaled to a unit diagonal first, so that a pivot the
// factorisation finds too small says that functions (pieces beside faults)
// depend on each other, whatever the data's units.
Result<CoarseOutcome> CoarseInverse(const PatternSystem& a, const CoarseSplines& splines,
                                    std::int64_t limit, const SolveProgress& progress,
                                    const Failure& stopped) {
  if (StopAsked(progress, 0)) return stopped;
  CoarseOutcome out;
  out.z = CoarseOperator(a, splines);
  LowerMatrix& op = out.z;
  std::vector<double> scale(static_cast<std::size_t>(op.n));
  for (std::int64_t c = 0; c < op.n; ++c) {
    const double d = op.value[static_cast<std::size_t>(op.colStart[c])];
    if (!(d > 0)) {
      out.how = CoarseOutcome::Singular;
      return out;
    }
    scale[static_cast<std::size_t>(c)] = 1 / std::sqrt(d);
  }
  const auto rescale = [&op, &scale] {
    for (std::int64_t c = 0; c < op.n; ++c) {
      for (SparseIndex k = op.colStart[c]; k < op.colStart[c + 1]; ++k) {
        op.value[k] *=
            scale[static_cast<std::size_t>(c)] * scale[static_cast<std::size_t>(op.row[k])];
      }
    }
  };
  rescale();
  if (StopAsked(progress, 0.15)) return stopped;
  Result<SparseCholesky> analysed =
      SparseCholesky::Analyse(op, CoarseOrder(splines), limit, ProgressShare(progress, 0.15, 0.25));
  if (!analysed && analysed.failure().cancelled) return stopped;
  if (!analysed || analysed->FactorBytes() + analysed->InverseBytes() > limit) return out;
  SparseCholesky& cholesky = *analysed;
  const SparseCholesky::ValueSink sink = cholesky.Values();
  for (std::size_t k = 0; k < op.value.size(); ++k) sink(static_cast<std::int64_t>(k), op.value[k]);
  std::vector<double> zeros(static_cast<std::size_t>(op.n), 0.0);
  const SolveStatus status =
      cholesky.FactorAndSolve(zeros, true, ProgressShare(progress, 0.25, 0.5));
  if (status == SolveStatus::Cancelled) return stopped;
  if (status != SolveStatus::Success) {
    out.how = CoarseOutcome::Singular;
    return out;
  }
  if (!cholesky.InverseOn(op, ProgressShare(progress, 0.5, 1))) return stopped;
  rescale();
  out.how = CoarseOutcome::Inverted;
  return out;
}

// The coarse space and its inverse: the finest spacing whose factor fits,
// its functions cut along the faults into pieces of at least three nodes;
// should some of those depend on each other, into pieces of at least a
// coarse cell, and at last not cut at all.
Result<CoarseOutcome> InvertCoarse(const PatternSystem& a, const FaultCuts* faults,
                                   std::int64_t limit, const SolveProgress& progress,
                                   const Failure& stopped, std::int64_t upTo,
                                   std::unique_ptr<CoarseSplines>& splines, TwoLevelInverse& out) {
  const EstimationGrid& grid = a.Grid();
  for (; upTo >= 100; upTo /= 2) {
    std::tie(out.kx, out.ky) = ChooseSpacing(grid, upTo);
    for (int strictness = 0; strictness < 3; ++strictness) {
      const std::int64_t least = strictness == 0 ? 3 : std::int64_t{out.kx} * out.ky;
      splines = std::make_unique<CoarseSplines>(grid, out.kx, out.ky,
                                                strictness < 2 ? faults : nullptr, least);
      Result<CoarseOutcome> found = CoarseInverse(a, *splines, limit, progress, stopped);
      if (!found || found->how == CoarseOutcome::Inverted) return found;
      if (found->how == CoarseOutcome::TooLarge) break;
    }
  }
  return Failure{"推定の標準偏差を求めるには格子が大きすぎます"};
}

// Fewer lines beyond a strip's own leave the deviations at data under light
// smoothing short by more than the change half of them makes (measured on
// 1101 x 1101 nodes from 40,000 heights at alpha = 32 and 10^4).
constexpr std::int32_t kLeastMargin = 8;

// Strips of whole lines along the direction of the shorter spacing (so that
// the margin across covers the most ground per node), `rows` lines of their
// own and `margin` more each side, or half of it for the companion.
struct StripPlan {
  bool alongX = true;
  std::int32_t across = 0, rows = 0, margin = 0;

  int Count() const { return (across + rows - 1) / rows; }
  std::int32_t First(int s) const { return 1 + s * rows; }
  std::int32_t Last(int s) const { return std::min(across, First(s) + rows - 1); }
  Strip With(int s, std::int32_t reach) const {
    return {alongX, std::max(1, First(s) - reach), std::min(across, Last(s) + reach)};
  }
};

StripPlan PlanStrips(const EstimationGrid& g, std::int32_t kx, std::int32_t ky, double margin) {
  StripPlan plan;
  plan.alongX = g.Dy >= g.Dx;
  plan.across = plan.alongX ? g.Ny : g.Nx;
  const double spacing = std::max(kx * g.Dx, ky * g.Dy);
  plan.margin = std::max(
      kLeastMargin,
      static_cast<std::int32_t>(std::ceil(margin * spacing / (plan.alongX ? g.Dy : g.Dx))));
  plan.rows = plan.margin;
  return plan;
}

struct Workspace {
  Workspace(const PatternSystem& a, const CoarseSplines& s) : main(a, s), half(a, s) {}
  StripInverse main, half;
};

// What the strips find, and what they are given.
struct StripWork {
  const PatternSystem& a;
  const CoarseSplines& splines;
  const LowerMatrix& z;
  const StripPlan& plan;
  const std::vector<StencilAt>& stencils;
  std::vector<std::vector<std::int32_t>> stencilsOf;  // by strip
  TwoLevelInverse& out;
  std::vector<double> term, halfTerm;  // by stencil

  void Run(Workspace& w, int s);
};

void StripWork::Run(Workspace& w, int s) {
  const EstimationGrid& grid = a.Grid();
  w.main.Invert(plan.With(s, plan.margin));
  w.half.Invert(plan.With(s, plan.margin / 2));
  if (!out.diagonal.empty()) {
    const std::int32_t along = plan.alongX ? grid.Nx : grid.Ny;
    for (std::int32_t u = 1; u <= along; ++u) {
      for (std::int32_t v = plan.First(s); v <= plan.Last(s); ++v) {
        const NodeWeight node{plan.alongX ? u : v, plan.alongX ? v : u, 1};
        const double coarse = CoarseForm(splines, z, &node, 1);
        const double d = coarse + w.main.Form(&node, 1), h = coarse + w.half.Form(&node, 1);
        const auto k = static_cast<std::size_t>(grid.Unknown(node.i, node.j));
        out.diagonal[k] = std::max(d, 0.0);
        out.error[k] =
            h > 0 && d > 0
                ? static_cast<float>(kTwoLevelErrorFactor * std::abs(std::sqrt(d / h) - 1))
                : 1.0F;
      }
    }
  }
  for (const std::int32_t k : stencilsOf[static_cast<std::size_t>(s)]) {
    NodeWeight nodes[9];
    const int count = Nodes(stencils[static_cast<std::size_t>(k)], grid, nodes);
    const double coarse = CoarseForm(splines, z, nodes, count);
    term[static_cast<std::size_t>(k)] = coarse + w.main.Form(nodes, count);
    halfTerm[static_cast<std::size_t>(k)] = coarse + w.half.Form(nodes, count);
  }
}

// Every strip (or those holding data, when the diagonal is not wanted), a
// batch of one per thread at a time, telling `progress` between batches.
bool RunStrips(StripWork& work, const SolveProgress& progress) {
  std::vector<int> strips;
  for (int s = 0; s < work.plan.Count(); ++s) {
    if (!work.out.diagonal.empty() || !work.stencilsOf[static_cast<std::size_t>(s)].empty()) {
      strips.push_back(s);
    }
  }
  std::vector<std::unique_ptr<Workspace>> free;
  std::mutex lock;
  std::atomic<bool> outOfMemory = false;
  const int batch = std::max(1, RenderThreads());
  for (std::size_t first = 0; first < strips.size(); first += static_cast<std::size_t>(batch)) {
    if (StopAsked(progress, double(first) / double(strips.size()))) return false;
    const int count = static_cast<int>(std::min<std::size_t>(batch, strips.size() - first));
    RunParts(count, [&](int part) {
      std::unique_ptr<Workspace> w;
      try {
        {
          const std::lock_guard<std::mutex> hold(lock);
          if (!free.empty()) {
            w = std::move(free.back());
            free.pop_back();
          }
        }
        if (!w) w = std::make_unique<Workspace>(work.a, work.splines);
        work.Run(*w, strips[first + static_cast<std::size_t>(part)]);
      } catch (const std::bad_alloc&) {
        outOfMemory = true;
      }
      const std::lock_guard<std::mutex> hold(lock);
      if (w) free.push_back(std::move(w));
    });
    if (outOfMemory) throw std::bad_alloc();
  }
  return !StopAsked(progress, 1);
}

}  // namespace

Result<TwoLevelInverse> InvertByTwoLevels(const PatternSystem& a, const FaultCuts* faults,
                                          const std::vector<StencilAt>& stencils, bool diagonal,
                                          const SolveProgress& progress, std::int64_t memoryLimit,
                                          const Failure& stopped,
                                          const TwoLevelSettings& settings) {
  const EstimationGrid& grid = a.Grid();
  TwoLevelInverse out;
  std::unique_ptr<CoarseSplines> splines;
  Result<CoarseOutcome> coarse =
      InvertCoarse(a, faults, memoryLimit, ProgressShare(progress, 0, 0.3), stopped,
                   settings.coarseUpTo, splines, out);
  if (!coarse) return coarse.failure();
  const LowerMatrix& z = coarse->z;
  const StripPlan plan = PlanStrips(grid, out.kx, out.ky, settings.margin);
  if (diagonal) {
    out.diagonal.assign(static_cast<std::size_t>(grid.NodeCount()), 0.0);
    out.error.assign(out.diagonal.size(), 0.0F);
  }
  StripWork work{a, *splines, z, plan, stencils, {}, out, {}, {}};
  work.stencilsOf.resize(static_cast<std::size_t>(plan.Count()));
  for (std::size_t k = 0; k < stencils.size(); ++k) {
    const std::int32_t across = plan.alongX ? stencils[k].jc : stencils[k].ic;
    work.stencilsOf[static_cast<std::size_t>((across - 1) / plan.rows)].push_back(
        static_cast<std::int32_t>(k));
  }
  work.term.assign(stencils.size(), 0.0);
  work.halfTerm.assign(stencils.size(), 0.0);
  if (!RunStrips(work, ProgressShare(progress, 0.3, 1))) return stopped;
  for (std::size_t k = 0; k < stencils.size(); ++k) {
    out.trace += work.term[k];
    out.traceError += kTwoLevelErrorFactor * std::abs(work.term[k] - work.halfTerm[k]);
  }
  return out;
}

}  // namespace kessadon
