#include "SupernodalAnalysis.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

#include "HugePages.h"

namespace kessadon {
namespace {

constexpr std::int64_t kColumnsPerCheck = 4096;

// At column c of a sweep over the n columns that takes `part`.
bool GoOn(const ProgressPart& part, std::int64_t c, std::int64_t n) {
  return c % kColumnsPerCheck != 0 || part(static_cast<double>(c) / static_cast<double>(n));
}

// tril(A(p, p)) of a lower triangle, rows ascending in each column; ip is the
// inverse of the order. With a map, also zero values and, for each entry of
// `a`, its place among them. False when part says stop.
bool Permute(const LowerMatrix& a, const std::vector<int>& ip, LowerMatrix& out,
             std::vector<SparseIndex>* map, const ProgressPart& part) {
  const std::int64_t n = a.n;
  const std::size_t entries = a.row.size();
  out = LowerMatrix{};
  out.n = n;
  out.colStart.assign(static_cast<std::size_t>(n) + 1, 0);
  for (std::int64_t c = 0; c < n; ++c) {
    if (!GoOn(part.Within(0, 0.1), c, n)) return false;
    for (SparseIndex k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
      ++out.colStart[std::min(ip[a.row[k]], ip[c]) + 1];
    }
  }
  for (std::int64_t c = 0; c < n; ++c) out.colStart[c + 1] += out.colStart[c];
  std::vector<SparseIndex> next(out.colStart.begin(), out.colStart.end() - 1);
  if (!AssignZeros(out.row, entries, part.Within(0.1, 0.15))) return false;
  if (map != nullptr && (!AssignZeros(out.value, entries, part.Within(0.15, 0.2)) ||
                         !AssignZeros(*map, entries, part.Within(0.2, 0.25)))) {
    return false;
  }
  for (std::int64_t c = 0; c < n; ++c) {
    if (!GoOn(part.Within(0.25, 0.4), c, n)) return false;
    for (SparseIndex k = a.colStart[c]; k < a.colStart[c + 1]; ++k) {
      const int r = ip[a.row[k]], q = ip[c];
      const SparseIndex at = next[std::min(r, q)]++;
      out.row[at] = std::max(r, q);
      if (map != nullptr) (*map)[k] = at;
    }
  }
  // Sort each column's rows, carrying the map along through its inverse.
  std::vector<SparseIndex> owner;
  if (map != nullptr) {
    if (!AssignZeros(owner, entries, part.Within(0.4, 0.45))) return false;
    for (std::int64_t c = 0; c < n; ++c) {
      if (!GoOn(part.Within(0.45, 0.5), c, n)) return false;
      for (SparseIndex k = a.colStart[c]; k < a.colStart[c + 1]; ++k) owner[(*map)[k]] = k;
    }
  }
  std::vector<std::pair<SparseIndex, SparseIndex>> column;
  for (std::int64_t c = 0; c < n; ++c) {
    if (!GoOn(part.Within(0.5, 1), c, n)) return false;
    if (map == nullptr) {
      std::sort(out.row.begin() + out.colStart[c], out.row.begin() + out.colStart[c + 1]);
      continue;
    }
    column.clear();
    for (SparseIndex at = out.colStart[c]; at < out.colStart[c + 1]; ++at) {
      column.emplace_back(out.row[at], owner[at]);
    }
    std::sort(column.begin(), column.end());
    SparseIndex at = out.colStart[c];
    for (const auto& [row, k] : column) {
      out.row[at] = row;
      (*map)[k] = at++;
    }
  }
  return true;
}

// The upper triangle by columns of the matrix whose lower triangle `lower`
// holds, rows ascending. False when part says stop.
bool Transpose(const LowerMatrix& lower, LowerMatrix& upper, const ProgressPart& part) {
  const std::int64_t n = lower.n;
  upper = LowerMatrix{};
  upper.n = n;
  upper.colStart.assign(static_cast<std::size_t>(n) + 1, 0);
  for (const SparseIndex r : lower.row) ++upper.colStart[r + 1];
  for (std::int64_t c = 0; c < n; ++c) upper.colStart[c + 1] += upper.colStart[c];
  if (!AssignZeros(upper.row, lower.row.size(), part.Within(0, 0.3))) return false;
  std::vector<SparseIndex> next(upper.colStart.begin(), upper.colStart.end() - 1);
  for (std::int64_t c = 0; c < n; ++c) {
    if (!GoOn(part.Within(0.3, 1), c, n)) return false;
    for (SparseIndex k = lower.colStart[c]; k < lower.colStart[c + 1]; ++k) {
      upper.row[next[lower.row[k]]++] = static_cast<SparseIndex>(c);
    }
  }
  return true;
}

}  // namespace

cholmod_sparse CholmodView(const LowerMatrix& m, int stype, bool withValues) {
  cholmod_sparse s{};
  s.nrow = s.ncol = static_cast<std::size_t>(m.n);
  s.nzmax = m.row.size();
  s.p = const_cast<SparseIndex*>(m.colStart.data());
  s.i = const_cast<SparseIndex*>(m.row.data());
  s.x = withValues ? const_cast<double*>(m.value.data()) : nullptr;
  s.stype = stype;
  s.itype = CHOLMOD_INT;
  s.xtype = withValues ? CHOLMOD_REAL : CHOLMOD_PATTERN;
  s.dtype = CHOLMOD_DOUBLE;
  s.sorted = 1;
  s.packed = 1;
  return s;
}

SupernodalAnalysis AnalyseSupernodal(const LowerMatrix& pattern, std::span<const std::int64_t> perm,
                                     const ProgressPart& part, cholmod_common& common) {
  SupernodalAnalysis out;
  const auto n = static_cast<std::size_t>(pattern.n);
  const auto size = static_cast<std::ptrdiff_t>(n);
  auto invalid = [&common, &out] {
    if (common.status == CHOLMOD_OK) common.status = CHOLMOD_INVALID;
    return std::move(out);
  };
  out.order.assign(perm.begin(), perm.end());
  out.inverse.resize(n);
  auto invert = [&out, n] {
    for (std::size_t k = 0; k < n; ++k) out.inverse[out.order[k]] = static_cast<int>(k);
  };
  invert();

  // The elimination tree and the column counts of the order given. CHOLMOD
  // wants the upper triangle for the one and the lower for the other.
  std::vector<int> parent(n), post(n), counts(n), first(n), level(n);
  for (std::vector<int>* v : {&parent, &post, &counts, &first, &level}) v->reserve(1);
  {
    LowerMatrix lower, upper;
    if (!Permute(pattern, out.inverse, lower, nullptr, part.Within(0, 0.2)) ||
        !Transpose(lower, upper, part.Within(0.2, 0.3))) {
      return out;
    }
    cholmod_sparse l = CholmodView(lower, -1, false), u = CholmodView(upper, 1, false);
    if (!cholmod_etree(&u, parent.data(), &common) ||
        cholmod_postorder(parent.data(), size, nullptr, post.data(), &common) != size ||
        !cholmod_rowcolcounts(&l, nullptr, 0, parent.data(), post.data(), nullptr, counts.data(),
                              first.data(), level.data(), &common)) {
      return invalid();
    }
    out.flops = common.fl;
  }
  if (!part(0.35)) return out;

  // The order refined by the postorder weighted by the column counts, with
  // the tree and the counts renumbered to match.
  if (cholmod_postorder(parent.data(), size, counts.data(), post.data(), &common) != size) {
    return invalid();
  }
  std::vector<int>& renumbered = first;
  std::vector<int>& inversePost = level;
  for (std::size_t k = 0; k < n; ++k) renumbered[k] = out.order[post[k]];
  out.order.swap(renumbered);
  invert();
  for (std::size_t k = 0; k < n; ++k) renumbered[k] = counts[post[k]];
  counts.swap(renumbered);
  for (std::size_t k = 0; k < n; ++k) inversePost[post[k]] = static_cast<int>(k);
  for (std::size_t k = 0; k < n; ++k) {
    const int before = parent[post[k]];
    renumbered[k] = before < 0 ? before : inversePost[before];
  }
  parent.swap(renumbered);

  // The matrix in that order, and the supernodes of its factor.
  LowerMatrix upper;
  if (!Permute(pattern, out.inverse, out.permuted, &out.map, part.Within(0.35, 0.75)) ||
      !Transpose(out.permuted, upper, part.Within(0.75, 0.85))) {
    return out;
  }
  cholmod_factor* factor = cholmod_allocate_factor(n, &common);
  if (factor == nullptr) return out;
  auto* identity = static_cast<int*>(factor->Perm);
  for (std::size_t k = 0; k < n; ++k) identity[k] = static_cast<int>(k);
  std::memcpy(factor->ColCount, counts.data(), n * sizeof(int));
  factor->ordering = CHOLMOD_NATURAL;
  cholmod_sparse l = CholmodView(out.permuted, -1, false), u = CholmodView(upper, 1, false);
  if (!cholmod_super_symbolic(&u, &l, parent.data(), factor, &common)) {
    cholmod_free_factor(&factor, &common);
    return invalid();
  }
  out.factor = factor;
  return out;
}

}  // namespace kessadon
