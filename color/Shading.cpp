#include "Shading.h"

#include <array>
#include <cmath>
#include <mutex>

#include "ColorTable.h"
#include "io/NumberText.h"
#include "io/WorkSplit.h"

namespace kessadon {
namespace {

// Slope along one row or column of n nodes at position k (1 ... n), z(k)
// giving the heights and d the spacing.
template <class Height>
double Slope(int k, int n, double d, Height z) {
  if (n < 2) return 0;
  if (k == 1) return (z(2) - z(1)) / d;
  if (k == n) return (z(n) - z(n - 1)) / d;
  return (z(k + 1) - z(k - 1)) / (2 * d);
}

}  // namespace

void ComputeShading(const GridData& grid, double ro, double th, NodeArray<std::int32_t>& levels) {
  const double sR = std::sin(ro * kDegree), cR = std::cos(ro * kDegree);
  const double sT = std::sin(th * kDegree), cT = std::cos(th * kDegree);
  const int nx = grid.Nx, ny = grid.Ny;
  const NodeArray<double>& z = grid.Z;
  SplitRange(1, nx + 1, ny, [&](int from, int to) {
    for (int ix = from; ix < to; ++ix) {
      for (int iy = 1; iy <= ny; ++iy) {
        const double p = Slope(ix, nx, grid.Dx, [&](int k) { return z(k, iy); });
        const double q = Slope(iy, ny, grid.Dy, [&](int k) { return z(ix, k); });
        const double c = (-p * sR * cT - q * cR * cT + sT) / std::sqrt(p * p + q * q + 1);
        // A spacing of 0 gives no slope to speak of; such nodes are left dark.
        const double g = IntFloor(252 * c * c + 0.5);
        levels(ix, iy) = g >= 0 && g <= 252 ? static_cast<std::int32_t>(g) : 0;
      }
    }
  });
}

bool EqualizeShading(std::int32_t nx, std::int32_t ny, NodeArray<std::int32_t>& levels) {
  if (nx < 1 || ny < 1) return false;
  // The pieces of the loops below meet under a lock: a maximum and counts of
  // whole numbers come out the same in any order.
  std::mutex meeting;
  std::int32_t gmax = levels(1, 1);
  SplitRange(1, nx + 1, ny, [&](int from, int to) {
    std::int32_t most = levels(from, 1);
    for (int ix = from; ix < to; ++ix) {
      for (int iy = 1; iy <= ny; ++iy) most = std::max(most, levels(ix, iy));
    }
    const std::lock_guard lock(meeting);
    gmax = std::max(gmax, most);
  });
  if (gmax <= 0) return false;

  // Index k of these tables is grey level k - 1.
  std::array<double, 257> hist{}, targetCdf{}, levelMap{};
  SplitRange(1, nx + 1, ny, [&](int from, int to) {
    std::array<double, 257> counts{};
    for (int ix = from; ix < to; ++ix) {
      for (int iy = 1; iy <= ny; ++iy) {
        std::int32_t& g = levels(ix, iy);
        g = static_cast<std::int32_t>(IntFloor(static_cast<float>(g) / double(gmax) * 225));
        counts[g + 1] += 1;
      }
    }
    const std::lock_guard lock(meeting);
    for (int k = 1; k <= 256; ++k) hist[k] += counts[k];
  });
  double total = 0;
  for (int k = 1; k <= 256; ++k) total += hist[k];
  for (int k = 1; k <= 256; ++k) hist[k] /= total;
  for (int k = 1; k <= 256; ++k) targetCdf[k] = 1.0 / 255;
  for (int k = 2; k <= 256; ++k) {
    hist[k] += hist[k - 1];
    targetCdf[k] += targetCdf[k - 1];
  }
  // Each level goes to the nearest target level at or after the previous
  // match, so the map never decreases; on a tie the later one wins.
  int v = 1, best = 1;
  for (int u = 1; u <= 256; ++u) {
    double w = 100;
    while (v <= 256) {
      const double a = std::abs(hist[u] - targetCdf[v]);
      if (a > w) break;
      best = v;
      w = a;
      ++v;
    }
    levelMap[u] = best - 1;
    v = best;
  }
  SplitRange(1, nx + 1, ny, [&](int from, int to) {
    for (int ix = from; ix < to; ++ix) {
      for (int iy = 1; iy <= ny; ++iy) {
        std::int32_t& g = levels(ix, iy);
        g = static_cast<std::int32_t>(levelMap[g + 1]);
      }
    }
  });
  return true;
}

void ShadeGrid(const GridData& grid, const LightSettings& light, NodeArray<std::int32_t>& levels) {
  ComputeShading(grid, light.Ro, light.Th, levels);
  if (light.HistoOn == 1) EqualizeShading(grid.Nx, grid.Ny, levels);
}

void GreysFromLevels(std::int32_t nx, std::int32_t ny, NodeArray<std::int32_t>& levels) {
  SplitRange(1, nx + 1, ny, [&](int from, int to) {
    for (int ix = from; ix < to; ++ix) {
      for (int iy = 1; iy <= ny; ++iy) {
        const auto h = static_cast<std::int32_t>(RoundHalfEven(levels(ix, iy) / 2.0));
        levels(ix, iy) = PackColor(h, h, h);
      }
    }
  });
}

}  // namespace kessadon
