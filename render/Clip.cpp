#include "Clip.h"

namespace kessadon {

bool ClipSegment(const ClipRect& rect, PointF& a, PointF& b) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  double t0 = 0, t1 = 1;
  // Each side bounds t from one end: p*t <= q.
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.x - rect.left, rect.right - a.x, a.y - rect.top, rect.bottom - a.y};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0) {
      if (q[k] < 0) return false;  // parallel to this side and outside it
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0) {
      if (t > t1) return false;
      if (t > t0) t0 = t;
    } else {
      if (t < t0) return false;
      if (t < t1) t1 = t;
    }
  }
  const PointF start{a.x + t0 * dx, a.y + t0 * dy};
  const PointF end{a.x + t1 * dx, a.y + t1 * dy};
  a = start;
  b = end;
  return true;
}

namespace {

// One side of the rectangle: which points are inside it, and where a segment
// crosses it.
struct Side {
  int axis;      // 0: x, 1: y
  double limit;  // the side's coordinate
  bool keepBelow;

  bool Inside(const PointF& p) const {
    const double v = axis == 0 ? p.x : p.y;
    return keepBelow ? v <= limit : v >= limit;
  }
  PointF Cross(const PointF& a, const PointF& b) const {
    if (axis == 0) {
      const double t = (limit - a.x) / (b.x - a.x);
      return {limit, a.y + t * (b.y - a.y)};
    }
    const double t = (limit - a.y) / (b.y - a.y);
    return {a.x + t * (b.x - a.x), limit};
  }
};

}  // namespace

std::vector<PointF> ClipPolygon(const ClipRect& rect, const std::vector<PointF>& polygon) {
  const Side sides[4] = {
      {0, rect.left, false}, {0, rect.right, true}, {1, rect.top, false}, {1, rect.bottom, true}};
  std::vector<PointF> current = polygon, next;
  for (const Side& side : sides) {
    next.clear();
    const std::size_t n = current.size();
    for (std::size_t k = 0; k < n; ++k) {
      const PointF& a = current[k];
      const PointF& b = current[(k + 1) % n];
      const bool aIn = side.Inside(a), bIn = side.Inside(b);
      if (aIn) next.push_back(a);
      if (aIn != bIn) next.push_back(side.Cross(a, b));
    }
    current.swap(next);
    if (current.empty()) break;
  }
  return current;
}

}  // namespace kessadon
