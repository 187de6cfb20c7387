#include "SparseCholesky.h"

#include <cholmod.h>
#include <omp.h>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <new>
#include <optional>
#include <utility>
#include <stdexcept>
#include <string>
#include <type_traits>

#include "BandCholesky.h"

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

  Workspace() {
    cholmod_start(&common);
    common.print = 0;
    common.error_handler = nullptr;
    common.supernodal = CHOLMOD_SUPERNODAL;
    common.final_asis = 1;
    common.quick_return_if_not_posdef = 1;
    common.nmethods = 1;
    common.method[0].ordering = CHOLMOD_GIVEN;
    common.postorder = 1;
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

// A view of the lower triangle for CHOLMOD; CHOLMOD only reads it.
cholmod_sparse View(const LowerMatrix& m, bool withValues) {
  cholmod_sparse s{};
  s.nrow = s.ncol = static_cast<std::size_t>(m.n);
  s.nzmax = m.row.size();
  s.p = const_cast<SparseIndex*>(m.colStart.data());
  s.i = const_cast<SparseIndex*>(m.row.data());
  s.x = withValues ? const_cast<double*>(m.value.data()) : nullptr;
  s.stype = -1;
  s.itype = CHOLMOD_INT;
  s.xtype = withValues ? CHOLMOD_REAL : CHOLMOD_PATTERN;
  s.dtype = CHOLMOD_DOUBLE;
  s.sorted = 1;
  s.packed = 1;
  return s;
}

bool WellFormed(const LowerMatrix& m, std::span<const std::int64_t> perm) {
  if (m.n < 0 || m.n > INT32_MAX || m.colStart.size() != static_cast<std::size_t>(m.n + 1)) {
    return false;
  }
  if (m.colStart[0] != 0 || m.colStart[m.n] != static_cast<std::int64_t>(m.row.size())) {
    return false;
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
  return factorBytes + matrixBytes + 8 * static_cast<std::int64_t>(f.maxcsize) + 8 * 10 * n;
}

// tril(A(P, P)) of a lower triangle, rows ascending in each column, and for
// each entry of `a` its place in it. ip is the inverse of the order.
void Permute(const LowerMatrix& a, const std::vector<int>& ip, LowerMatrix& out,
             std::vector<SparseIndex>& map) {
  const std::int64_t n = a.n;
  out = LowerMatrix{};
  out.n = n;
  out.colStart.assign(static_cast<std::size_t>(n) + 1, 0);
  for (std::int64_t c = 0; c < n; ++c) {
    for (SparseIndex k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
      ++out.colStart[std::min(ip[a.row[k]], ip[c]) + 1];
    }
  }
  for (std::int64_t c = 0; c < n; ++c) out.colStart[c + 1] += out.colStart[c];
  std::vector<SparseIndex> next(out.colStart.begin(), out.colStart.end() - 1);
  out.row.resize(a.row.size());
  out.value.assign(a.row.size(), 0.0);
  map.resize(a.row.size());
  for (std::int64_t c = 0; c < n; ++c) {
    for (SparseIndex k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
      const int r = ip[a.row[k]], q = ip[c];
      const SparseIndex at = next[std::min(r, q)]++;
      out.row[at] = std::max(r, q);
      map[k] = at;
    }
  }
  // Sort each column's rows, carrying the map along through its inverse.
  std::vector<SparseIndex> owner(a.row.size());
  for (std::size_t k = 0; k < map.size(); ++k) owner[map[k]] = static_cast<SparseIndex>(k);
  std::vector<std::pair<SparseIndex, SparseIndex>> column;
  for (std::int64_t c = 0; c < n; ++c) {
    column.clear();
    for (SparseIndex at = out.colStart[c]; at < out.colStart[c + 1]; ++at) {
      column.emplace_back(out.row[at], owner[at]);
    }
    std::sort(column.begin(), column.end());
    SparseIndex at = out.colStart[c];
    for (const auto& [row, k] : column) {
      out.row[at] = row;
      map[k] = at++;
    }
  }
}

}  // namespace

SparseCholesky::SparseCholesky(std::unique_ptr<Workspace> workspace) : w_(std::move(workspace)) {}
SparseCholesky::SparseCholesky(SparseCholesky&&) noexcept = default;
SparseCholesky& SparseCholesky::operator=(SparseCholesky&&) noexcept = default;
SparseCholesky::~SparseCholesky() = default;

Result<SparseCholesky> SparseCholesky::Analyse(const LowerMatrix& pattern,
                                               std::span<const std::int64_t> perm,
                                               std::int64_t maxFactorBytes) {
  if (!WellFormed(pattern, perm)) return Failure{"分解する行列の形が正しくありません"};
  SerialOpenMp serial;
  auto w = std::make_unique<Workspace>();
  w->n = pattern.n;
  w->entries = static_cast<std::int64_t>(pattern.row.size());

  cholmod_sparse a = View(pattern, false);
  // A null order would mean "none given", also for an empty matrix.
  std::vector<int> order(perm.begin(), perm.end());
  order.reserve(1);
  auto failed = [&w](cholmod_factor* f) -> std::optional<Failure> {
    if (w->common.status == CHOLMOD_OUT_OF_MEMORY || w->common.status == CHOLMOD_TOO_LARGE) {
      return Failure{"分解の準備に必要なメモリを確保できません"};
    }
    if (w->common.status < CHOLMOD_OK || f == nullptr) {
      return Failure{"分解する行列の形が正しくありません"};
    }
    return std::nullopt;
  };
  // The order given, refined by CHOLMOD's postorder; its size decides.
  cholmod_factor* ordered = cholmod_analyze_p(&a, order.data(), nullptr, 0, &w->common);
  if (auto refused = failed(ordered)) return *refused;
  w->bytes = FactorisationBytes(*ordered, w->entries);
  w->flops = w->common.fl;
  w->perm.assign(static_cast<const int*>(ordered->Perm),
                 static_cast<const int*>(ordered->Perm) + pattern.n);
  cholmod_free_factor(&ordered, &w->common);
  if (w->bytes > maxFactorBytes) {
    return Failure{"分解に約 " + SizeText(w->bytes, true) + " 必要で、上限 " +
                   SizeText(maxFactorBytes, false) + " を超えます"};
  }

  std::vector<int>& ip = w->inverse;
  ip.resize(w->perm.size());
  for (std::size_t k = 0; k < ip.size(); ++k) ip[static_cast<std::size_t>(w->perm[k])] = static_cast<int>(k);
  Permute(pattern, ip, w->permuted, w->map);
  w->permutedRhs.resize(static_cast<std::size_t>(pattern.n));

  // Already in elimination order and postordered: analysed as it stands.
  w->common.method[0].ordering = CHOLMOD_NATURAL;
  w->common.postorder = 0;
  cholmod_sparse b = View(w->permuted, false);
  w->factor = cholmod_analyze(&b, &w->common);
  if (auto refused = failed(w->factor)) return *refused;
  assert(w->factor->is_super && w->factor->ordering == CHOLMOD_NATURAL);
  return SparseCholesky(std::move(w));
}

std::int64_t SparseCholesky::FactorBytes() const { return w_->bytes; }

double SparseCholesky::FactorFlops() const { return w_->flops; }

SparseCholesky::ValueSink SparseCholesky::Values() {
  return {w_->map.data(), w_->permuted.value.data()};
}

SolveStatus SparseCholesky::FactorAndSolve(const LowerMatrix& a, std::vector<double>& rhs) {
  assert(!w_->map.empty() || a.row.empty());
  assert(a.n == w_->n && static_cast<std::int64_t>(a.row.size()) == w_->entries);
  assert(a.value.size() == a.row.size());
  const ValueSink sink = Values();
  for (std::size_t k = 0; k < a.value.size(); ++k) sink(static_cast<std::int64_t>(k), a.value[k]);
  return FactorAndSolve(rhs);
}

void SparseCholesky::ReleaseValueMap() { std::vector<SparseIndex>().swap(w_->map); }

SparseCholesky::Places SparseCholesky::PermutedPlaces() {
  Values();
  return {w_->permuted.colStart.data(), w_->inverse.data(), w_->permuted.value.data()};
}

std::int64_t SparseCholesky::EntryCount() const { return w_->entries; }

SolveStatus SparseCholesky::FactorAndSolve(std::vector<double>& rhs, bool keepFactor) {
  assert(static_cast<std::int64_t>(rhs.size()) == w_->n);
  if (w_->n == 0) return SolveStatus::Success;
  SerialOpenMp serial;
  cholmod_common& c = w_->common;
  cholmod_factor& l = *w_->factor;

  cholmod_sparse view = View(w_->permuted, true);
  cholmod_factorize(&view, &l, &c);
  w_->ThrowOnError();
  if (c.status == CHOLMOD_NOT_POSDEF || l.minor < l.n) return SolveStatus::NotPositiveDefinite;

  // The band solver's test on every pivot, in elimination order: column k of
  // the supernodal L is the k-th unknown eliminated.
  const auto* super = static_cast<const int*>(l.super);
  const auto* pi = static_cast<const int*>(l.pi);
  const auto* px = static_cast<const int*>(l.px);
  const auto* x = static_cast<const double*>(l.x);
  for (std::size_t s = 0; s < l.nsuper; ++s) {
    const std::int64_t rows = pi[s + 1] - pi[s];
    for (std::int64_t k = super[s]; k < super[s + 1]; ++k) {
      const std::int64_t local = k - super[s];
      const double d = x[std::int64_t{px[s]} + local * rows + local];
      const double pivot = d * d;
      // Written so that a NaN pivot fails too.
      if (k == 0 ? !(pivot >= kPivotThreshold) : !(pivot > kPivotThreshold)) {
        return SolveStatus::NotPositiveDefinite;
      }
    }
  }

  std::vector<double>& bp = w_->permutedRhs;
  const std::vector<int>& perm = w_->perm;
  for (std::size_t k = 0; k < bp.size(); ++k) bp[k] = rhs[static_cast<std::size_t>(perm[k])];
  cholmod_dense b{};
  b.nrow = bp.size();
  b.ncol = 1;
  b.nzmax = bp.size();
  b.d = bp.size();
  b.x = bp.data();
  b.xtype = CHOLMOD_REAL;
  b.dtype = CHOLMOD_DOUBLE;
  cholmod_solve2(CHOLMOD_A, &l, &b, nullptr, &w_->solution, nullptr, &w_->solveY, &w_->solveE, &c);
  w_->ThrowOnError();
  const auto* z = static_cast<const double*>(w_->solution->x);
  for (std::size_t k = 0; k < bp.size(); ++k) rhs[static_cast<std::size_t>(perm[k])] = z[k];
  // The solve's own arrays would stand beside the next factorisation.
  cholmod_free_dense(&w_->solution, &c);
  cholmod_free_dense(&w_->solveY, &c);
  cholmod_free_dense(&w_->solveE, &c);
  if (!keepFactor) cholmod_change_factor(CHOLMOD_PATTERN, 1, 1, 1, 1, &l, &c);
  return SolveStatus::Success;
}

}  // namespace kessadon
