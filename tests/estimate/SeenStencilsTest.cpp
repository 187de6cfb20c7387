// The stencils of data beside faults: exact on planes, from the nodes the
// datum sees.
#include <gtest/gtest.h>

#include <random>
#include <utility>
#include <vector>

#include "EstimateTestData.h"
#include "estimate/FaultCuts.h"
#include "estimate/SeenStencils.h"

namespace kessadon {
namespace {

using Point = std::pair<double, double>;

double Cross(Point o, Point a, Point b) {
  return (a.first - o.first) * (b.second - o.second) - (a.second - o.second) * (b.first - o.first);
}

// Whether the straight way from p to q crosses a trace.
bool Crosses(const FaultTraces& traces, Point p, Point q) {
  for (const FaultTrace& t : traces.traces) {
    for (std::size_t k = 0; k + 1 < t.x.size(); ++k) {
      const Point a{t.x[k], t.y[k]}, b{t.x[k + 1], t.y[k + 1]};
      if (Cross(p, q, a) * Cross(p, q, b) < 0 && Cross(a, b, p) * Cross(a, b, q) < 0) return true;
    }
  }
  return false;
}

// Random points over a grid of long cells (2 by 1) beside a trace that cuts
// it through, a short one and a bent one: every height and dip stencil
// weighs only nodes the point sees, and gives a plane's value (unless its
// nodes lie on one line) and its slopes exactly.
TEST(SeenStencils, AreExactOnPlanesFromTheNodesSeen) {
  const EstimationGrid grid = testing::MakeEstimationGrid(21, 21, 0, 0, 2, 1);
  const auto plane = [](double x, double y) { return 3 + 0.7 * x - 1.3 * y; };
  struct Case {
    const char* what;
    FaultTraces traces;
  };
  const Case cases[] = {{"none", {}},
                        {"through", testing::MakeTraces({{{3.3, -1}, {31.1, 22}}})},
                        {"short", testing::MakeTraces({{{10.3, 5.2}, {20.1, 12.3}}})},
                        {"bent", testing::MakeTraces({{{-1, 9.6}, {17.1, 10.4}, {22.7, 22}}})}};
  std::mt19937 random(5);
  std::uniform_real_distribution<double> x(2.2, 37.8), y(1.1, 18.9);
  for (const Case& c : cases) {
    const FaultCuts cuts(grid, c.traces);
    int planes = 0, dips = 0;
    for (int k = 0; k < 400; ++k) {
      const Point p{x(random), y(random)};
      const auto node = [&](std::int32_t i, std::int32_t j) {
        return Point{grid.Xmin + (i - 1) * grid.Dx, grid.Ymin + (j - 1) * grid.Dy};
      };
      // The weighted nodes, each seen; the value and slopes of the plane.
      const auto apply = [&](const DatumLocation& at, const Stencil& s, std::vector<Point>* used) {
        double sum = 0;
        for (int a = 0; a < 3; ++a) {
          for (int b = 0; b < 3; ++b) {
            if (s.W[a][b] == 0) continue;
            const Point q = node(at.ic + a - 1, at.jc + b - 1);
            EXPECT_FALSE(Crosses(c.traces, p, q))
                << c.what << " at " << p.first << ", " << p.second;
            if (used) used->push_back(q);
            sum += s.W[a][b] * plane(q.first, q.second);
          }
        }
        return sum;
      };
      if (const std::optional<SeenHeight> h = LocateHeight(grid, &cuts, p.first, p.second)) {
        std::vector<Point> used;
        const double value = apply(h->at, h->stencil, &used);
        bool onALine = true;
        for (const Point& q : used) onALine = onALine && Cross(used[0], used.back(), q) == 0;
        if (!onALine) {
          EXPECT_NEAR(value, plane(p.first, p.second), 1e-9) << c.what;
          ++planes;
        }
      }
      if (const std::optional<SeenDip> d = LocateDip(grid, &cuts, p.first, p.second)) {
        EXPECT_NEAR(apply(d->at, d->slopeX, nullptr), 0.7, 1e-9) << c.what;
        EXPECT_NEAR(apply(d->at, d->slopeY, nullptr), -1.3, 1e-9) << c.what;
        ++dips;
      }
    }
    // Only points hard against a trace lack a plane of nodes.
    EXPECT_GT(planes, 380) << c.what;
    EXPECT_GT(dips, 380) << c.what;
  }
}

}  // namespace
}  // namespace kessadon
