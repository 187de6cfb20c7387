#include "SupernodalAnalysis.h"

#include <cstring>

namespace kessadon {
namespace {

class SparseCopy {
 public:
  explicit SparseCopy(cholmod_common& common) : common_(common) {}
  ~SparseCopy() { cholmod_free_sparse(&m_, &common_); }
  SparseCopy(const SparseCopy&) = delete;
  SparseCopy& operator=(const SparseCopy&) = delete;

  void Reset(cholmod_sparse* m) {
    cholmod_free_sparse(&m_, &common_);
    m_ = m;
  }
  cholmod_sparse* get() const { return m_; }

 private:
  cholmod_common& common_;
  cholmod_sparse* m_ = nullptr;
};

}  // namespace

cholmod_factor* AnalyseSupernodal(cholmod_sparse& lower, std::vector<int>& order, double& flops,
                                  const ProgressPart& part, cholmod_common& common) {
  const std::size_t n = lower.nrow;
  // A null order would mean "none given", also for an empty matrix.
  order.reserve(1);
  // Each step's end, as a share of the whole: the copies take most.
  constexpr double kCopied = 0.25, kCounted = 0.4, kCopiedAgain = 0.75;

  // The upper triangle of A(p, p) by columns, as the tree wants it, and the
  // lower one, as the counts and the supernodes want it.
  SparseCopy upper(common), permuted(common);
  auto copy = [&](const int* p, double from, double to) {
    upper.Reset(cholmod_ptranspose(&lower, 0, const_cast<int*>(p), nullptr, 0, &common));
    if (upper.get() == nullptr || !part(from + (to - from) / 2)) return false;
    permuted.Reset(cholmod_ptranspose(upper.get(), 0, nullptr, nullptr, 0, &common));
    return permuted.get() != nullptr && part(to);
  };
  auto invalid = [&common] {
    if (common.status == CHOLMOD_OK) common.status = CHOLMOD_INVALID;
    return nullptr;
  };

  std::vector<int> parent(n), post(n), counts(n), first(n), level(n);
  for (std::vector<int>* v : {&parent, &post, &counts, &first, &level}) v->reserve(1);
  const auto size = static_cast<std::ptrdiff_t>(n);
  if (!copy(order.data(), 0, kCopied)) return nullptr;
  if (!cholmod_etree(upper.get(), parent.data(), &common) ||
      cholmod_postorder(parent.data(), size, nullptr, post.data(), &common) != size ||
      !cholmod_rowcolcounts(permuted.get(), nullptr, 0, parent.data(), post.data(), nullptr,
                            counts.data(), first.data(), level.data(), &common)) {
    return invalid();
  }
  flops = common.fl;
  if (!part(kCounted)) return nullptr;

  // The order refined by the postorder weighted by the column counts, with
  // the tree and the counts renumbered to match.
  if (cholmod_postorder(parent.data(), size, counts.data(), post.data(), &common) != size) {
    return invalid();
  }
  std::vector<int>& refined = first;
  std::vector<int>& inverse = level;
  for (std::size_t k = 0; k < n; ++k) refined[k] = order[post[k]];
  order.swap(refined);
  for (std::size_t k = 0; k < n; ++k) refined[k] = counts[post[k]];
  counts.swap(refined);
  for (std::size_t k = 0; k < n; ++k) inverse[post[k]] = static_cast<int>(k);
  for (std::size_t k = 0; k < n; ++k) {
    const int before = parent[post[k]];
    refined[k] = before < 0 ? before : inverse[before];
  }
  parent.swap(refined);

  if (!copy(order.data(), kCounted, kCopiedAgain)) return nullptr;
  cholmod_factor* factor = cholmod_allocate_factor(n, &common);
  if (factor == nullptr) return nullptr;
  std::memcpy(factor->Perm, order.data(), n * sizeof(int));
  std::memcpy(factor->ColCount, counts.data(), n * sizeof(int));
  factor->ordering = CHOLMOD_GIVEN;
  if (!cholmod_super_symbolic(upper.get(), permuted.get(), parent.data(), factor, &common)) {
    cholmod_free_factor(&factor, &common);
    return invalid();
  }
  if (!part(1)) {
    cholmod_free_factor(&factor, &common);
    return nullptr;
  }
  return factor;
}

}  // namespace kessadon
