#include "PolygonOutline.h"

#include <climits>
#include <cstdlib>
#include <utility>

namespace kessadon {
namespace {

// The directions an edge is drawn in; an edge turning back on the last one
// along the same axis is the direction XOR its axis.
enum Direction : int { kNone = 0, kDown = 1, kUp = 2, kRight = 4, kLeft = 8 };
constexpr int kVertical = kDown | kUp, kHorizontal = kRight | kLeft;

// The painter's 16.16 quotient of two 26.6 differences.
int FixedQuotient(int num, int den) {
  if (std::abs(num) > 0x7fff) return static_cast<int>(std::int64_t{num} * 65536 / den);
  return num * 65536 / den;
}

// A pixel given as its position along an edge's longer axis (a) and across (b).
struct Step {
  int a, b;
};

class Outliner {
 public:
  Outliner(const PixelRows& rows, std::uint32_t pixel) : rows_(rows), pixel_(pixel) {}

  // The edge closing the polygon, drawn last, tells the first edge where the
  // outline arrives: its last pixel and direction, nothing drawn.
  void Arrive(SurfacePoint from, SurfacePoint to) {
    Edge e;
    if (!Measure(from, to, e)) return;
    int a = (e.a1 + 32) >> 6;
    const int end = (e.a2 + 32) >> 6;
    if (a == end) return;
    const int b = e.b + ((a * 64 + Round(e) - e.a1) * e.inc >> 6);
    last_ = e.reversed ? Step{a, b >> 16} : Step{end - 1, (b + (end - a - 1) * e.inc) >> 16};
    lastVertical_ = e.vertical;
    hasLast_ = true;
    direction_ = e.direction;
    axisAligned_ = std::abs(e.inc) < (1 << 14);
  }

  void Draw(SurfacePoint from, SurfacePoint to) {
    Edge e;
    if (!Measure(from, to, e)) return;
    const int axis = e.vertical ? kVertical : kHorizontal;
    // Turning back along the same axis starts half a pixel before the corner.
    if ((direction_ ^ axis) == e.direction) {
      if (e.reversed) {
        e.a2 += 32;
      } else {
        e.a1 -= 32;
        e.b -= e.inc >> 1;
      }
    }
    int a = (e.a1 + 32) >> 6;
    int end = (e.a2 + 32) >> 6;
    if (a == end) return;  // the last pixel stays the one before
    int b = e.b + ((a * 64 + Round(e) - e.a1) * e.inc >> 6);
    Step first{a, b >> 16}, last{end - 1, (b + (end - a - 1) * e.inc) >> 16};
    if (e.reversed) std::swap(first, last);
    const bool axisAligned = std::abs(e.inc) < (1 << 14);
    if (hasLast_) {
      const Step before = InAxes(e.vertical);
      if (first.a == before.a && first.b == before.b) {  // both edges would set it
        if (e.reversed) {
          --end;
        } else {
          ++a;
          b += e.inc;
        }
      } else if (direction_ != e.direction &&
                 ((axisAligned && axisAligned_ && before.a != first.a && before.b != first.b) ||
                  std::abs(before.a - first.a) > 1 || std::abs(before.b - first.b) > 1)) {
        // The turn would leave a gap.
        if (e.reversed) {
          ++end;
        } else {
          --a;
          b -= e.inc;
        }
      }
    }
    direction_ = e.direction;
    axisAligned_ = axisAligned;
    do {  // at least one pixel, as the painter sets
      Set(e.vertical, a, b >> 16);
      b += e.inc;
    } while (++a < end);
    last_ = last;
    lastVertical_ = e.vertical;
    hasLast_ = true;
  }

 private:
  // An edge in 26.6 along its longer axis, drawn from a1 up to a2.
  struct Edge {
    bool vertical = false, reversed = false;
    int direction = kNone;
    int a1 = 0, a2 = 0;
    int b = 0;    // 16.16 across at a1
    int inc = 0;  // 16.16 across per step along
  };

  // False for an edge of no length, which the painter passes over.
  static bool Measure(SurfacePoint from, SurfacePoint to, Edge& e) {
    const int dx = std::abs(to.x - from.x), dy = std::abs(to.y - from.y);
    e.vertical = dx < dy;
    if (!e.vertical && dx == 0) return false;
    int a1 = (e.vertical ? from.y : from.x) * 64, b1 = (e.vertical ? from.x : from.y) * 64;
    int a2 = (e.vertical ? to.y : to.x) * 64, b2 = (e.vertical ? to.x : to.y) * 64;
    e.reversed = a1 > a2;
    if (e.reversed) {
      std::swap(a1, a2);
      std::swap(b1, b2);
    }
    e.direction = e.vertical ? (e.reversed ? kUp : kDown) : (e.reversed ? kLeft : kRight);
    e.a1 = a1;
    e.a2 = a2;
    e.inc = FixedQuotient(b2 - b1, a2 - a1);
    e.b = b1 * 1024;
    return true;
  }

  // The half step the first pixel's position across is rounded by.
  static int Round(const Edge& e) { return e.inc > 0 ? 32 : 0; }

  Step InAxes(bool vertical) const {
    if (vertical == lastVertical_) return last_;
    return {last_.b, last_.a};
  }

  void Set(bool vertical, int a, int b) const {
    const int x = vertical ? b : a, y = vertical ? a : b;
    if (static_cast<unsigned>(x) >= static_cast<unsigned>(rows_.width) ||
        static_cast<unsigned>(y) >= static_cast<unsigned>(rows_.height) || y < rows_.firstRow ||
        y >= rows_.endRow) {
      return;
    }
    rows_.bits[y * rows_.stride + x] = pixel_;
  }

  const PixelRows& rows_;
  std::uint32_t pixel_;
  Step last_{};
  bool lastVertical_ = false;
  bool hasLast_ = false;
  int direction_ = kNone;
  bool axisAligned_ = false;
};

}  // namespace

bool OutlinePolygon(const PixelRows& rows, std::span<const SurfacePoint> points,
                    std::uint32_t pixel) {
  std::size_t n = points.size();
  if (n < 3 || n > kMaxFillCorners || rows.bits == nullptr || rows.width > kMaxOutlineSide ||
      rows.height > kMaxOutlineSide) {
    return false;
  }
  for (const SurfacePoint& p : points) {
    if (static_cast<unsigned>(p.x) >= static_cast<unsigned>(rows.width) ||
        static_cast<unsigned>(p.y) >= static_cast<unsigned>(rows.height)) {
      return false;
    }
  }
  if (points[n - 1] == points[0]) --n;
  Outliner outline(rows, pixel);
  outline.Arrive(points[n - 1], points[0]);
  for (std::size_t k = 1; k < n; ++k) outline.Draw(points[k - 1], points[k]);
  outline.Draw(points[n - 1], points[0]);
  return true;
}

}  // namespace kessadon
