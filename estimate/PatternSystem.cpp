#include "PatternSystem.h"

#include <algorithm>

#include "SparseCholesky.h"

namespace kessadon {

void PatternSystem::Reset(const EstimationGrid& grid) {
  const auto n = static_cast<std::size_t>(grid.NodeCount());
  if (grid.Nx != grid_.Nx || grid.Ny != grid_.Ny || values_.size() != n * kPartners) {
    grid_ = grid;
    values_.assign(n * kPartners, 0.0);
    rhs_.assign(n, 0.0);
    return;
  }
  grid_ = grid;
  std::fill(values_.begin(), values_.end(), 0.0);
  std::fill(rhs_.begin(), rhs_.end(), 0.0);
}

void PatternSystem::CopyLower(LowerMatrix& out) const {
  const std::int64_t n = N();
  const bool structured = out.n == n && static_cast<std::int64_t>(out.colStart.size()) == n + 1;
  if (!structured) {
    out = LowerMatrix{};
    out.n = n;
    out.colStart.reserve(static_cast<std::size_t>(n) + 1);
    out.colStart.push_back(0);
    for (std::int32_t i = 1; i <= grid_.Nx; ++i) {
      for (std::int32_t j = 1; j <= grid_.Ny; ++j) {
        for (const Offset& p : kOffsets) {
          if (grid_.Contains(i + p.di, j + p.dj)) {
            out.row.push_back(static_cast<SparseIndex>(grid_.Unknown(i + p.di, j + p.dj)));
          }
        }
        out.colStart.push_back(static_cast<SparseIndex>(out.row.size()));
      }
    }
    out.value.resize(out.row.size());
  }
  VisitLower([&out](std::int64_t k, double value) { out.value[static_cast<std::size_t>(k)] = value; });
}

}  // namespace kessadon
