#include "PatternSystem.h"

#include <algorithm>
#include <cassert>

#include "HugePages.h"
#include "LowerMatrix.h"

namespace kessadon {

bool PatternSystem::Reset(const EstimationGrid& grid, const ProgressPart& part) {
  const auto n = static_cast<std::size_t>(grid.NodeCount());
  rhs_.assign(n, 0.0);
  if (bound_ != nullptr) {
    assert(grid.Nx == grid_.Nx && grid.Ny == grid_.Ny);
    std::fill(bound_, bound_ + boundCount_, 0.0);
    return true;
  }
  grid_ = grid;
  return AssignZeros(values_, n * kPartners, part);
}

void PatternSystem::Bind(double* values, std::size_t count, const std::int32_t* map,
                         const std::int32_t* colStart, const int* inverse) {
  if (map != nullptr) {
    offsets_.assign(static_cast<std::size_t>(N()) * kPartners, 0);
    std::int64_t k = 0;
    for (std::int32_t i = 1; i <= grid_.Nx; ++i) {
      for (std::int32_t j = 1; j <= grid_.Ny; ++j) {
        const std::int64_t r = grid_.Unknown(i, j);
        for (int slot = 0; slot < kPartners; ++slot) {
          const Offset p = kOffsets[slot];
          if (!grid_.Contains(i + p.di, j + p.dj)) continue;
          const std::int64_t c = grid_.Unknown(i + p.di, j + p.dj);
          const std::int64_t column = std::min(inverse[r], inverse[c]);
          const std::int64_t offset = map[k++] - colStart[column];
          // A column holds a node and its partners: at most 2 * kPartners - 1 entries.
          assert(offset >= 0 && offset < 2 * std::int64_t{kPartners});
          offsets_[static_cast<std::size_t>(r * kPartners + slot)] =
              static_cast<std::uint8_t>(offset);
        }
      }
    }
  }
  values_ = std::vector<double>();
  bound_ = values;
  boundCount_ = count;
  colStart_ = colStart;
  inverse_ = inverse;
}

bool PatternSystem::CopyLower(LowerMatrix& out, const ProgressPart& part) const {
  const std::int64_t n = N();
  const bool structured = out.n == n && static_cast<std::int64_t>(out.colStart.size()) == n + 1;
  if (!structured) {
    out = LowerMatrix{};
    out.n = n;
    out.colStart.reserve(static_cast<std::size_t>(n) + 1);
    out.row.reserve(static_cast<std::size_t>(n) * kPartners);
    out.colStart.push_back(0);
    for (std::int32_t i = 1; i <= grid_.Nx; ++i) {
      if (!part(0.6 * (i - 1) / grid_.Nx)) return false;
      for (std::int32_t j = 1; j <= grid_.Ny; ++j) {
        for (const Offset& p : kOffsets) {
          if (grid_.Contains(i + p.di, j + p.dj)) {
            out.row.push_back(static_cast<SparseIndex>(grid_.Unknown(i + p.di, j + p.dj)));
          }
        }
        out.colStart.push_back(static_cast<SparseIndex>(out.row.size()));
      }
    }
    if (!AssignZeros(out.value, out.row.size(), part.Within(0.6, 0.8))) return false;
  }
  if (!part(0.8)) return false;
  VisitLower(
      [&out](std::int64_t k, double value) { out.value[static_cast<std::size_t>(k)] = value; });
  return true;
}

}  // namespace kessadon
