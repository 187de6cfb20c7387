// The multigrid solver's cycle and outer iteration: the hierarchy of grids
// is built once (MultigridGalerkin.h), each cycle smooths on the way down
// and up (MultigridSmoothers.h), moves residuals and corrections between
// grids (MultigridTransfer.h) and solves the coarsest grid by the band
// Cholesky (BandCholesky.h); flexible conjugate gradients run over it.
// Node r = i * ny + j of an nx by ny grid, 0-based, y fastest.
#include "MultigridSolver.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "BandCholesky.h"
#include "HugePages.h"
#include "MultigridGalerkin.h"
#include "MultigridLevel.h"
#include "MultigridSmoothers.h"
#include "MultigridTransfer.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

using multigrid::BuildCoarse;
using multigrid::FactorLines;
using multigrid::FitNearCuts;
using multigrid::kPartners;
using multigrid::Level;
using multigrid::Prolong;
using multigrid::Relax;
using multigrid::Restrict;
using multigrid::Smooth;
using multigrid::SolveTips;
using multigrid::TipBoxes;

void Apply(const Level& level, const double* x, double* y) {
  SplitRange(0, level.nx, level.ny, [&](int from, int to) {
    const std::int64_t end = std::int64_t{to} * level.ny;
    for (std::int64_t k = std::int64_t{from} * level.ny; k < end; ++k) y[k] = level.Row(k, x);
  });
}

void Residual(const Level& level, const double* b, const double* x, double* r) {
  SplitRange(0, level.nx, level.ny, [&](int from, int to) {
    const std::int64_t end = std::int64_t{to} * level.ny;
    for (std::int64_t k = std::int64_t{from} * level.ny; k < end; ++k) {
      r[k] = b[k] - level.Row(k, x);
    }
  });
}

// The coarsest grid's band Cholesky A = U^T U, numbered along the shorter
// side so the band stays narrow on long grids.
class CoarseFactor {
 public:
  // False when a pivot fails.
  bool Factor(const Level& level) {
    transposed_ = level.nx < level.ny;
    fast_ = transposed_ ? level.nx : level.ny;
    band_ = BandSystem(level.N(), 2 * fast_ + 2);
    for (std::int32_t i = 0; i < level.nx; ++i) {
      for (std::int32_t j = 0; j < level.ny; ++j) {
        const double* a = level.a + (std::int64_t{i} * level.ny + j) * kPartners;
        for (int s = 0; s < kPartners; ++s) {
          const PatternSystem::Offset o = PatternSystem::kOffsets[s];
          const std::int32_t gi = i + o.di, gj = j + o.dj;
          if (gi >= level.nx || gj < 0 || gj >= level.ny) continue;
          const std::int64_t p = Number(i, j), q = Number(gi, gj);
          band_.At(std::min(p, q), static_cast<std::int32_t>(std::max(p, q) - std::min(p, q))) =
              a[s];
        }
      }
    }
    return FactorBandCholesky(band_) == SolveStatus::Success;
  }

  // Solves level.sol from level.rhs.
  void Solve(Level& level) {
    std::vector<double>& y = band_.Rhs();
    for (std::int32_t i = 0; i < level.nx; ++i) {
      for (std::int32_t j = 0; j < level.ny; ++j) {
        y[static_cast<std::size_t>(Number(i, j))] =
            level.rhs[static_cast<std::size_t>(std::int64_t{i} * level.ny + j)];
      }
    }
    SolveFactoredBand(band_, y.data());
    for (std::int32_t i = 0; i < level.nx; ++i) {
      for (std::int32_t j = 0; j < level.ny; ++j) {
        level.sol[static_cast<std::size_t>(std::int64_t{i} * level.ny + j)] =
            y[static_cast<std::size_t>(Number(i, j))];
      }
    }
  }

 private:
  std::int64_t Number(std::int32_t i, std::int32_t j) const {
    return transposed_ ? std::int64_t{j} * fast_ + i : std::int64_t{i} * fast_ + j;
  }
  bool transposed_ = false;
  std::int32_t fast_ = 0;
  BandSystem band_;
};

// Whether the iteration may stop after the step `outcome` tells of;
// `changes` keeps every step's largest change. The error left is the sum of
// the steps to come: if they shrink by rho a step, as the last
// contractionSteps did on average, the last change times rho / (1 - rho).
// While the steps at least halve that is within the last change, and the
// settings' two tests decide alone, as they do without contractionSteps.
bool Settled(const IterativeSettings& settings, int contractionSteps,
             const IterativeOutcome& outcome, std::vector<double>& changes) {
  changes.push_back(outcome.change);
  if (outcome.change > settings.heightTolerance || outcome.residual > settings.residualTolerance) {
    return false;
  }
  const std::size_t last = changes.size() - 1;
  const std::size_t back = std::min(last, static_cast<std::size_t>(contractionSteps));
  if (back == 0 || outcome.change == 0) return true;
  const double rho = std::pow(outcome.change / changes[last - back], 1.0 / back);
  return rho < 1 && outcome.change * rho / (1 - rho) <= settings.heightTolerance;
}

double Dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0;
  for (std::size_t k = 0; k < a.size(); ++k) sum += a[k] * b[k];
  return sum;
}

}  // namespace

struct MultigridSolver::Hierarchy {
  std::vector<Level> levels;
  CoarseFactor coarsest;
  bool ready = false;
  int sweeps = 1;
  bool krylov = true;
  bool lines = false;  // some grid relaxes lines: its cells are long

  // coarse.sol from coarse.rhs by up to two steps of flexible conjugate
  // gradients preconditioned by the cycle on that grid (a K-cycle): the
  // coarse correction then keeps its strength however many grids lie below.
  void KrylovCorrection(Level& coarse, std::size_t l) {
    const auto n = static_cast<std::size_t>(coarse.N());
    coarse.c2.resize(n);
    coarse.v1.resize(n);
    coarse.v2.resize(n);
    coarse.r2.resize(n);
    std::vector<double>& c1 = coarse.sol;
    Cycle(l, coarse.rhs.data(), c1.data());
    Apply(coarse, c1.data(), coarse.v1.data());
    const double rho1 = Dot(c1, coarse.v1), alpha1 = Dot(c1, coarse.rhs);
    for (std::size_t k = 0; k < n; ++k) coarse.r2[k] = coarse.rhs[k] - alpha1 / rho1 * coarse.v1[k];
    if (Dot(coarse.r2, coarse.r2) <= 0.0625 * Dot(coarse.rhs, coarse.rhs)) {
      for (double& v : c1) v *= alpha1 / rho1;
      return;
    }
    Cycle(l, coarse.r2.data(), coarse.c2.data());
    Apply(coarse, coarse.c2.data(), coarse.v2.data());
    const double gamma = Dot(coarse.c2, coarse.v1), beta = Dot(coarse.c2, coarse.v2);
    const double alpha2 = Dot(coarse.c2, coarse.r2), rho2 = beta - gamma * gamma / rho1;
    const double a1 = alpha1 / rho1 - gamma * alpha2 / (rho1 * rho2), a2 = alpha2 / rho2;
    for (std::size_t k = 0; k < n; ++k) c1[k] = a1 * c1[k] + a2 * coarse.c2[k];
  }

  // x = M b: one cycle on level l from x (zero when `zero`), forward sweeps
  // before the coarse correction and backward ones after. A V-cycle is a
  // fixed symmetric operator; a K-cycle varies with b, which the outer
  // iteration allows for.
  void Cycle(std::size_t l, const double* b, double* x, bool zero = true) {
    Level& level = levels[l];
    if (zero) std::fill(x, x + level.N(), 0.0);
    if (l + 1 == levels.size()) {
      std::copy(b, b + level.N(), level.rhs.begin());
      coarsest.Solve(level);
      std::copy(level.sol.begin(), level.sol.end(), x);
      return;
    }
    if (level.res.empty()) AssignZeros(level.res, static_cast<std::size_t>(level.N()));
    for (int k = 0; k < sweeps; ++k) Smooth(level, b, x, level.res.data(), false);
    SolveTips(level, b, x, false);
    Residual(level, b, x, level.res.data());
    Level& coarse = levels[l + 1];
    Restrict(level, level.res, coarse);
    // Two cycles below a grid halved one way only double the work on every
    // such grid; there the coarse correction is a single cycle. Long cells
    // beside faults take the two all the same: with single cycles over
    // their grids halved one way they took twice to three times the steps.
    if (!krylov || l + 2 == levels.size() ||
        (!(level.halveX && level.halveY) && level.relax == Relax::Points)) {
      Cycle(l + 1, coarse.rhs.data(), coarse.sol.data());
    } else {
      KrylovCorrection(coarse, l + 1);
    }
    Prolong(coarse, level, x);
    SolveTips(level, b, x, true);
    for (int k = 0; k < sweeps; ++k) Smooth(level, b, x, level.res.data(), true);
  }
};

MultigridSolver::MultigridSolver(std::int32_t nx, std::int32_t ny, const double* upper,
                                 double aspect, const FaultCuts* faults, std::int64_t coarseNodes)
    : h_(std::make_unique<Hierarchy>()) {
  h_->levels.emplace_back();
  h_->levels.back().Shape(nx, ny);
  h_->levels.back().a = upper;
  if (faults != nullptr && faults->Any()) {
    h_->levels.back().cutX = faults->CutXByNode();
    h_->levels.back().cutY = faults->CutYByNode();
  }
  double hx = 1, hy = aspect;  // the cells' sides on the grid being coarsened
  // A grid of cells at most twice as long one way keeps point sweeps on
  // every level, even where a side too short to halve lengthens the cells.
  const bool longCells = aspect > 2 || 2 * aspect < 1;
  for (;;) {
    Level& fine = h_->levels.back();
    const bool longX = hx > 2 * hy, longY = hy > 2 * hx;
    const bool lines = longCells && (longX || longY);
    const bool halveBoth = lines && fine.cutX.empty();
    fine.halveX = fine.nx > 4 && (halveBoth || !longX);
    fine.halveY = fine.ny > 4 && (halveBoth || !longY);
    if (fine.N() <= coarseNodes || !(fine.halveX || fine.halveY)) break;
    if (lines) {
      fine.relax = longY ? Relax::LinesAlongX : Relax::LinesAlongY;
      FactorLines(fine);
      h_->lines = h_->lines || fine.relax != Relax::Points;
    }
    if (fine.halveX) hx *= 2;
    if (fine.halveY) hy *= 2;
    FitNearCuts(fine);
    Level coarse;
    BuildCoarse(fine, coarse);
    h_->levels.push_back(std::move(coarse));
  }
  for (std::size_t l = 0; l + 1 < h_->levels.size() && l < multigrid::kTipBoxLevels; ++l) {
    TipBoxes(h_->levels[l]);
  }
  Level& coarsest = h_->levels.back();  // the finest one too on a small grid
  coarsest.rhs.resize(static_cast<std::size_t>(coarsest.N()));
  coarsest.sol.resize(static_cast<std::size_t>(coarsest.N()));
  h_->ready = h_->coarsest.Factor(coarsest);
}

MultigridSolver::MultigridSolver(MultigridSolver&&) noexcept = default;
MultigridSolver& MultigridSolver::operator=(MultigridSolver&&) noexcept = default;
MultigridSolver::~MultigridSolver() = default;

bool MultigridSolver::Ready() const { return h_->ready; }
int MultigridSolver::Levels() const { return static_cast<int>(h_->levels.size()); }
std::int32_t MultigridSolver::LevelNx(int level) const { return h_->levels[level].nx; }
std::int32_t MultigridSolver::LevelNy(int level) const { return h_->levels[level].ny; }

IterativeOutcome MultigridSolver::Solve(const std::vector<double>& b, std::vector<double>& z,
                                        const IterativeSettings& settings,
                                        const SolveProgress& progress) {
  h_->sweeps = settings.sweeps;
  h_->krylov = settings.krylovCycle;
  const Level& fine = h_->levels.front();
  const std::size_t n = b.size();
  IterativeOutcome outcome;
  ProgressCheck check(progress);
  // Told 0 at the start and 1 at the end, as every stage is.
  auto finish = [&check, &outcome] {
    if (!check.Tell(1)) outcome.status = SolveStatus::Cancelled;
    return outcome;
  };
  if (!check.Tell(0)) {
    outcome.status = SolveStatus::Cancelled;
    return outcome;
  }
  std::vector<double> r, s, p, q;
  for (std::vector<double>* v : {&r, &s, &p, &q}) AssignZeros(*v, n);
  Residual(fine, b.data(), z.data(), r.data());
  const double bNorm = std::sqrt(Dot(b, b));
  if (bNorm == 0) {
    std::fill(z.begin(), z.end(), 0.0);
    outcome.converged = true;
    return finish();
  }
  const double firstResidual = std::sqrt(Dot(r, r)) / bNorm;
  outcome.residuals.push_back(firstResidual);
  if (firstResidual == 0) {
    outcome.converged = true;
    return finish();
  }
  h_->Cycle(0, r.data(), s.data());
  p = s;
  std::vector<double> changes;
  while (outcome.iterations < settings.maxIterations) {
    Apply(fine, p.data(), q.data());
    const double pq = Dot(p, q), step = Dot(p, r) / pq;
    double largest = 0, low = z[0], high = z[0];
    for (std::size_t k = 0; k < n; ++k) {
      z[k] += step * p[k];
      r[k] -= step * q[k];
      largest = std::max(largest, std::abs(step * p[k]));
      low = std::min(low, z[k]);
      high = std::max(high, z[k]);
    }
    ++outcome.iterations;
    outcome.residual = std::sqrt(Dot(r, r)) / bNorm;
    outcome.residuals.push_back(outcome.residual);
    outcome.change = high > low ? largest / (high - low) : largest;
    if (Settled(settings, h_->lines ? settings.contractionSteps : 0, outcome, changes)) {
      outcome.converged = true;
      return finish();
    }
    if (!std::isfinite(outcome.residual)) break;
    // The share done: how far the residual has fallen on a log scale.
    const double fallen = std::log(firstResidual / outcome.residual) /
                          std::log(firstResidual / settings.residualTolerance);
    if (!check(std::clamp(fallen, 0.0, 1.0))) {
      outcome.status = SolveStatus::Cancelled;
      return outcome;
    }
    // The preconditioner may vary between steps (a K-cycle does), so each
    // direction is made conjugate to the last one explicitly.
    h_->Cycle(0, r.data(), s.data());
    const double beta = Dot(s, q) / pq;
    for (std::size_t k = 0; k < n; ++k) p[k] = s[k] - beta * p[k];
  }
  return outcome;
}

double IterativeOutcome::MeanRate() const {
  if (residuals.size() < 2 || !(residuals.front() > 0)) return 0;
  const auto steps = static_cast<double>(residuals.size() - 1);
  return std::pow(residuals.back() / residuals.front(), 1 / steps);
}

}  // namespace kessadon
