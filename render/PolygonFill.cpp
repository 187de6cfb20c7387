#include "PolygonFill.h"

#include <algorithm>
#include <utility>

namespace kessadon {
namespace {

// An edge crossing rows top ... end - 1; x is 16.16 with half a pixel added,
// so that its integer part is the first pixel right of the crossing.
struct Edge {
  int top;
  int end;
  std::int64_t x;
  std::int64_t step;
};

constexpr std::int64_t kOne = 1 << 16;

}  // namespace

bool FillPolygon(const PixelRows& rows, std::span<const SurfacePoint> points, std::uint32_t pixel) {
  const std::size_t n = points.size();
  if (n < 3 || n > kMaxFillCorners || rows.bits == nullptr) return false;
  const auto width = static_cast<unsigned>(rows.width);
  const auto height = static_cast<unsigned>(rows.height);
  int top = points[0].y, bottom = points[0].y;
  for (const SurfacePoint& p : points) {
    if (static_cast<unsigned>(p.x) >= width || static_cast<unsigned>(p.y) > height) return false;
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  if (top == bottom) return true;  // no row centre inside

  Edge edges[kMaxFillCorners];  // left uninitialised: zeroing them costs more than the fill
  int count = 0;
  for (std::size_t k = 0; k < n; ++k) {
    SurfacePoint a = points[k], b = points[k + 1 == n ? 0 : k + 1];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    Edge& e = edges[count++];
    e.top = a.y;
    e.end = b.y;
    // The painter's slope: a double quotient truncated to 16.16, its first
    // step half a row long.
    const int dx = b.x - a.x;
    e.step = dx == 0 ? 0 : static_cast<std::int64_t>(double(dx) / double(b.y - a.y) * kOne);
    e.x = a.x * kOne + kOne / 2 + ((e.step * (kOne / 2)) >> 16);
  }

  const int last = std::min(bottom, rows.endRow);
  for (int y = std::max(top, rows.firstRow); y < last; ++y) {
    int crossings[kMaxFillCorners];
    int m = 0;
    for (int k = 0; k < count; ++k) {
      const Edge& e = edges[k];
      if (y < e.top || y >= e.end) continue;
      const int x = static_cast<int>((e.x + (y - e.top) * e.step) >> 16);
      int at = m++;
      for (; at > 0 && crossings[at - 1] > x; --at) crossings[at] = crossings[at - 1];
      crossings[at] = x;
    }
    std::uint32_t* row = rows.bits + y * rows.stride;
    // A closed outline crosses every row an even number of times.
    for (int k = 0; k + 1 < m; k += 2) {
      const int left = std::max(crossings[k], 0), right = std::min(crossings[k + 1], rows.width);
      for (int x = left; x < right; ++x) row[x] = pixel;
    }
  }
  return true;
}

}  // namespace kessadon
