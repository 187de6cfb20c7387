#include "GridOrdering.h"

#include <algorithm>

namespace kessadon {
namespace {

// Pieces of at most this many nodes are not cut further: below it the
// separators cost more fill than they save, and the factor's supernodes stay
// wide enough for the dense kernels.
constexpr std::int64_t kLeafNodes = 64;

struct Piece {
  std::int32_t i0, i1, j0, j1;  // 0-based, half-open
};

class Dissection {
 public:
  Dissection(std::int32_t ny, std::vector<std::int64_t>& perm) : ny_(ny), perm_(perm) {}

  void Order(Piece p) {
    const std::int32_t w = p.i1 - p.i0, h = p.j1 - p.j0;
    if (w <= 0 || h <= 0) return;
    if (std::int64_t{w} * h <= kLeafNodes || std::max(w, h) < 5) {
      Emit(p);
      return;
    }
    if (w >= h) {
      const std::int32_t m = p.i0 + (w - 2) / 2;
      Order({p.i0, m, p.j0, p.j1});
      Order({m + 2, p.i1, p.j0, p.j1});
      Emit({m, m + 2, p.j0, p.j1});
    } else {
      const std::int32_t m = p.j0 + (h - 2) / 2;
      Order({p.i0, p.i1, p.j0, m});
      Order({p.i0, p.i1, m + 2, p.j1});
      Emit({p.i0, p.i1, m, m + 2});
    }
  }

 private:
  void Emit(Piece p) {
    for (std::int32_t i = p.i0; i < p.i1; ++i) {
      for (std::int32_t j = p.j0; j < p.j1; ++j) perm_.push_back(std::int64_t{i} * ny_ + j);
    }
  }

  std::int32_t ny_;
  std::vector<std::int64_t>& perm_;
};

}  // namespace

std::vector<std::int64_t> GridNestedDissection(std::int32_t nx, std::int32_t ny) {
  std::vector<std::int64_t> perm;
  if (nx <= 0 || ny <= 0) return perm;
  perm.reserve(static_cast<std::size_t>(std::int64_t{nx} * ny));
  Dissection(ny, perm).Order({0, nx, 0, ny});
  return perm;
}

}  // namespace kessadon
