#include "SparseCholesky.h"

#include <cholmod.h>
#include <omp.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <utility>

#include "BandCholesky.h"
#include "FactorMonitor.h"
#include "SelectedInverse.h"
#include "SupernodalAnalysis.h"

namespace kessadon {

static_assert(std::is_same_v<int, SparseIndex>,
              "LowerMatrix hands its index arrays to CHOLMOD without copying");

struct SparseCholesky::Workspace {
  cholmod_common common{};
  cholmod_factor* factor = nullptr;
  // CHOLMOD's arrays of one solve; freed once its solution is copied out.
  cholmod_dense* solution = nullptr;
  cholmod_dense* solveY = nullptr;
  cholmod_dense* solveE = nullptr;
  // The matrix in elimination order, tril(A(P, P)), which CHOLMOD factors as it
  // stands (an analysis in its natural order makes no copy of it), and where
  // each entry of the pattern's own lower triangle goes in it.
  std::vector<int> perm;
  std::vector<int> inverse;  // inverse[perm[k]] = k
  LowerMatrix permuted;
  std::vector<SparseIndex> map;
  std::vector<double> permutedRhs;
  std::int64_t n = 0;
  std::int64_t entries = 0;
  std::int64_t bytes = 0;
  double flops = 0;
  double kernelWork = 0;  // of a factorisation and a solve, as FactorMonitor counts it

  Workspace() {
    cholmod_start(&common);
    common.print = 0;
    common.error_handler = nullptr;
    common.supernodal = CHOLMOD_SUPERNODAL;
    common.final_asis = 1;
    common.quick_return_if_not_posdef = 1;
    // Merge fewer supernodes than usual: the zeros that merging adds are room
    // a million-node factor cannot spare (about 50 MB there, at no cost in time).
    common.zrelax[0] = 0.4;
    common.zrelax[1] = 0.05;
    common.zrelax[2] = 0.02;
    common.nrelax[0] = 2;
    common.nrelax[1] = 8;
    common.nrelax[2] = 24;
  }
  ~Workspace() {
    cholmod_free_dense(&solution, &common);
    cholmod_free_dense(&solveY, &common);
    cholmod_free_dense(&solveE, &common);
    cholmod_free_factor(&factor, &common);
    cholmod_finish(&common);
  }
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  // Failures other than a matrix that is not positive definite are lack of
  // memory or a caller's mistake: neither is a property of the data.
  void ThrowOnError() const {
    if (common.status >= CHOLMOD_OK) return;
    if (common.status == CHOLMOD_OUT_OF_MEMORY || common.status == CHOLMOD_TOO_LARGE) {
      throw std::bad_alloc();
    }
    throw std::invalid_argument("sparse Cholesky: CHOLMOD rejected its input");
  }
};

namespace {

// CHOLMOD opens an OpenMP team of a fixed four threads for each supernode's
// assembly; on a grid's many small supernodes the wake-ups cost more than the
// copies (a 500 x 500 grid factors 2.4 times faster without them). The dense
// kernels keep their BLAS threads. The setting belongs to the calling thread.
class SerialOpenMp {
 public:
  SerialOpenMp() : before_(omp_get_max_active_levels()) { omp_set_max_active_levels(0); }
  ~SerialOpenMp() { omp_set_max_active_levels(before_); }
  SerialOpenMp(const SerialOpenMp&) = delete;
  SerialOpenMp& operator=(const SerialOpenMp&) = delete;

 private:
  int before_;
};

bool WellFormed(const LowerMatrix& m, std::span<const std::int64_t> perm) {
  if (m.n < 0 || m.n > INT32_MAX || m.colStart.size() != static_cast<std::size_t>(m.n + 1)) {
    return false;
  }
  if (m.colStart[0] != 0 || m.colStart[m.n] != static_cast<std::int64_t>(m.row.size())) {
    return false;
  }
  for (std::int64_t c = 0; c < m.n; ++c) {
    if (m.colStart[c] > m.colStart[c + 1]) return false;
  }
  for (const SparseIndex r : m.row) {
    if (r < 0 || r >= m.n) return false;
  }
  if (perm.size() != static_cast<std::size_t>(m.n)) return false;
  std::vector<bool> seen(perm.size());
  for (std::int64_t k : perm) {
    if (k < 0 || k >= m.n || seen[k]) return false;
    seen[k] = true;
  }
  return true;
}

// "3.2 GiB", rounded up or down to a tenth so that a need never shows as
// small as the limit it exceeds.
std::string SizeText(std::int64_t bytes, bool roundUp) {
  static const char* const kUnits[] = {"KiB", "MiB", "GiB"};
  double v = static_cast<double>(bytes) / 1024;
  int unit = 0;
  while (unit < 2 && v >= 1024) {
    v /= 1024;
    ++unit;
  }
  const double tenths = roundUp ? std::ceil(v * 10) : std::floor(v * 10);
  char text[48];
  if (std::fmod(tenths, 10) == 0) {
    std::snprintf(text, sizeof text, "%.0f %s", tenths / 10, kUnits[unit]);
  } else {
    std::snprintf(text, sizeof text, "%.1f %s", tenths / 10, kUnits[unit]);
  }
  return text;
}

// Peak memory of a factorisation: the supernodal factor with its indices, the
// permuted matrix with the map into it, the largest update block, and per-node
// workspace. Values take 8 bytes, indices 4.
std::int64_t FactorisationBytes(const cholmod_factor& f, std::int64_t entries) {
  const auto n = static_cast<std::int64_t>(f.n);
  const auto factorBytes = static_cast<std::int64_t>(8 * f.xsize + 4 * (f.ssize + 3 * f.nsuper));
  const std::int64_t matrixBytes = 16 * entries + 4 * (n + 1);
  return factorBytes + matrixBytes + 8 * static_cast<std::int64_t>(f.maxcsize) + 8 * (10 * n);
}

}  // namespace

SparseCholesky::SparseCholesky(std::unique_ptr<Workspace> workspace) : w_(std::move(workspace)) {}
SparseCholesky::SparseCholesky(SparseCholesky&&) noexcept = default;
SparseCholesky& SparseCholesky::operator=(SparseCholesky&&) noexcept = default;
SparseCholesky::~SparseCholesky() = default;

Result<SparseCholesky> SparseCholesky::Analyse(const LowerMatrix& pattern,
                                               std::span<const std::int64_t> perm,
                                               std::int64_t maxFactorBytes,
                                               const SolveProgress& progress) {
  ProgressCheck check(progress);
  const Failure cancelled{"分解の準備を中止しました", 0, true};
  if (!check.Tell(0)) return cancelled;
  if (!WellFormed(pattern, perm)) return Failure{"分解する行列の形が正しくありません"};
  SerialOpenMp serial;
  auto w = std::make_unique<Workspace>();
  w->n = pattern.n;
  w->entries = static_cast<std::int64_t>(pattern.row.size());

  // The order given, refined by CHOLMOD's postorder; its size decides.
  SupernodalAnalysis analysis = AnalyseSupernodal(pattern, perm, {&check, 0, 0.95}, w->common);
  w->factor = analysis.factor;
  if (check.Stopped()) return cancelled;
  if (w->common.status == CHOLMOD_OUT_OF_MEMORY || w->common.status == CHOLMOD_TOO_LARGE) {
    return Failure{"分解の準備に必要なメモリを確保できません"};
  }
  if (w->common.status < CHOLMOD_OK || w->factor == nullptr) {
    return Failure{"分解する行列の形が正しくありません"};
  }
  w->bytes = FactorisationBytes(*w->factor, w->entries);
  if (w->bytes > maxFactorBytes) {
    return Failure{"分解に約 " + SizeText(w->bytes, true) + " 必要で、上限 " +
                   SizeText(maxFactorBytes, false) + " を超えます"};
  }
  assert(w->factor->is_super && w->factor->ordering == CHOLMOD_NATURAL);
  if (!check(0.95)) return cancelled;
  w->perm = std::move(analysis.order);
  w->inverse = std::move(analysis.inverse);
  w->permuted = std::move(analysis.permuted);
  w->map = std::move(analysis.map);
  w->flops = analysis.flops;
  const cholmod_factor& l = *w->factor;
  w->kernelWork = KernelWork({static_cast<std::int64_t>(l.nsuper), static_cast<const int*>(l.super),
                              static_cast<const int*>(l.pi), static_cast<const int*>(l.s)});
  w->permutedRhs.resize(static_cast<std::size_t>(pattern.n));
  if (!check.Tell(1)) return cancelled;
  return SparseCholesky(std::move(w));
}

std::int64_t SparseCholesky::FactorBytes() const { return w_->bytes; }

double SparseCholesky::FactorFlops() const { return w_->flops; }

SparseCholesky::ValueSink SparseCholesky::Values() {
  return {w_->map.data(), w_->permuted.value.data()};
}

SolveStatus SparseCholesky::FactorAndSolve(const LowerMatrix& a, std::vector<double>& rhs,
                                           const SolveProgress& progress) {
  assert(!w_->map.empty() || a.row.empty());
  assert(a.n == w_->n && static_cast<std::int64_t>(a.row.size()) == w_->entries);
  assert(a.value.size() == a.row.size());
  const ValueSink sink = Values();
  for (std::size_t k = 0; k < a.value.size(); ++k) sink(static_cast<std::int64_t>(k), a.value[k]);
  return FactorAndSolve(rhs, false, progress);
}

void SparseCholesky::ReleaseValueMap() { std::vector<SparseIndex>().swap(w_->map); }

SparseCholesky::Places SparseCholesky::PermutedPlaces() {
  Values();
  return {w_->permuted.colStart.data(), w_->inverse.data(), w_->permuted.value.data()};
}

std::int64_t SparseCholesky::EntryCount() const { return w_->entries; }

SolveStatus SparseCholesky::FactorAndSolve(std::vector<double>& rhs, bool keepFactor,
                                           const SolveProgress& progress) {
  assert(static_cast<std::int64_t>(rhs.size()) == w_->n);
  if (StopAsked(progress, 0)) return SolveStatus::Cancelled;
  if (w_->n == 0) return StopAsked(progress, 1) ? SolveStatus::Cancelled : SolveStatus::Success;
  SerialOpenMp serial;
  cholmod_common& c = w_->common;
  cholmod_factor& l = *w_->factor;

  cholmod_sparse view = CholmodView(w_->permuted, -1, true);
  // The progress is told from the kernels the factorisation and the solve call.
  std::optional<FactorMonitor> monitor;
  const auto stopped = [&monitor](bool poll) {
    if (!monitor) return false;
    if (poll) monitor->Poll();
    monitor->Rethrow();
    return monitor->Stopped();
  };
  if (progress) {
    // A first factorisation's values are allocated and touched here.
    const bool fresh = l.xtype == CHOLMOD_PATTERN;
    if (fresh) {
      cholmod_change_factor(CHOLMOD_REAL, true, true, true, true, &l, &c);
      w_->ThrowOnError();
    }
    monitor.emplace(w_->kernelWork + (fresh ? TouchWork(l.xsize) : 0), progress);
    monitor->HideValuesOnStop(&l.xsize);
    if (fresh) {
      monitor->Touch(static_cast<double*>(l.x), l.xsize);
      if (stopped(false)) return SolveStatus::Cancelled;
    }
  }
  cholmod_factorize(&view, &l, &c);
  if (stopped(false)) return SolveStatus::Cancelled;
  w_->ThrowOnError();
  if (c.status == CHOLMOD_NOT_POSDEF || l.minor < l.n) return SolveStatus::NotPositiveDefinite;

  // The band solver's test on every pivot, in elimination order: column k of
  // the supernodal L is the k-th unknown eliminated, and the permuted
  // matrix's column k starts with its diagonal.
  const LowerMatrix& a = w_->permuted;
  const auto* super = static_cast<const int*>(l.super);
  const auto* pi = static_cast<const int*>(l.pi);
  const auto* px = static_cast<const int*>(l.px);
  const auto* x = static_cast<const double*>(l.x);
  for (std::size_t s = 0; s < l.nsuper; ++s) {
    if (s % 1024 == 0 && stopped(true)) return SolveStatus::Cancelled;
    const std::int64_t rows = pi[s + 1] - pi[s];
    for (std::int64_t k = super[s]; k < super[s + 1]; ++k) {
      const std::int64_t local = k - super[s];
      const double d = x[std::int64_t{px[s]} + local * rows + local];
      const SparseIndex first = a.colStart[k];
      const bool hasDiagonal = first < a.colStart[k + 1] && a.row[first] == k;
      if (!PivotHolds(d * d, hasDiagonal ? a.value[first] : 0)) {
        return SolveStatus::NotPositiveDefinite;
      }
    }
  }

  StartSolve(rhs);
  if (stopped(false)) return SolveStatus::Cancelled;
  FinishSolve(rhs);
  if (!keepFactor) cholmod_change_factor(CHOLMOD_PATTERN, 1, 1, 1, 1, &l, &c);
  return StopAsked(progress, 1) ? SolveStatus::Cancelled : SolveStatus::Success;
}

void SparseCholesky::StartSolve(const std::vector<double>& rhs) {
  cholmod_common& c = w_->common;
  std::vector<double>& bp = w_->permutedRhs;
  const std::vector<int>& perm = w_->perm;
  const auto n = static_cast<std::size_t>(w_->n), count = rhs.size() / n;
  bp.resize(rhs.size());
  for (std::size_t col = 0; col < count; ++col) {
    for (std::size_t k = 0; k < n; ++k) {
      bp[col * n + k] = rhs[col * n + static_cast<std::size_t>(perm[k])];
    }
  }
  cholmod_dense b{};
  b.nrow = n;
  b.ncol = count;
  b.nzmax = bp.size();
  b.d = n;
  b.x = bp.data();
  b.xtype = CHOLMOD_REAL;
  b.dtype = CHOLMOD_DOUBLE;
  cholmod_solve2(CHOLMOD_A, w_->factor, &b, nullptr, &w_->solution, nullptr, &w_->solveY,
                 &w_->solveE, &c);
}

void SparseCholesky::FinishSolve(std::vector<double>& rhs) {
  cholmod_common& c = w_->common;
  const std::vector<int>& perm = w_->perm;
  w_->ThrowOnError();
  const auto n = static_cast<std::size_t>(w_->n), count = rhs.size() / n;
  const auto* z = static_cast<const double*>(w_->solution->x);
  for (std::size_t col = 0; col < count; ++col) {
    for (std::size_t k = 0; k < n; ++k) {
      rhs[col * n + static_cast<std::size_t>(perm[k])] = z[col * n + k];
    }
  }
  // The solve's own arrays would stand beside the next factorisation.
  cholmod_free_dense(&w_->solution, &c);
  cholmod_free_dense(&w_->solveY, &c);
  cholmod_free_dense(&w_->solveE, &c);
  w_->permutedRhs.resize(n);
}

void SparseCholesky::Solve(std::vector<double>& columns) {
  assert(w_->n > 0 && columns.size() % static_cast<std::size_t>(w_->n) == 0 &&
         w_->factor->xtype != CHOLMOD_PATTERN);
  SerialOpenMp serial;
  StartSolve(columns);
  FinishSolve(columns);
}

bool SparseCholesky::InverseOn(LowerMatrix& entries, const SolveProgress& progress) {
  assert(entries.n == w_->n && w_->factor->xtype != CHOLMOD_PATTERN);
  std::optional<SelectedInverse> z = SelectedInverse::Of(*w_->factor, progress);
  if (!z) return false;
  const std::vector<int>& inverse = w_->inverse;
  entries.value.resize(entries.row.size());
  for (std::int64_t c = 0; c < entries.n; ++c) {
    const int pc = inverse[static_cast<std::size_t>(c)];
    for (SparseIndex k = entries.colStart[c]; k < entries.colStart[c + 1]; ++k) {
      const int pr = inverse[static_cast<std::size_t>(entries.row[k])];
      entries.value[k] = z->At(std::max(pr, pc), std::min(pr, pc));
    }
  }
  return true;
}

std::int64_t SparseCholesky::InverseBytes() const {
  // Z beside the factor, and the working blocks of its largest supernode.
  return static_cast<std::int64_t>(8 * w_->factor->xsize + 4 * w_->n) +
         std::int64_t{24} * static_cast<std::int64_t>(w_->factor->maxcsize);
}

}  // namespace kessadon
