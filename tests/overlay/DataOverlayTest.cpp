#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <vector>

#include "overlay/DataOverlay.h"
#include "overlay/DrawnHeights.h"
#include "support/RecordingSurface.h"
#include "support/TestGrids.h"
#include "support/TestViews.h"

namespace kessadon {
namespace {

using testing::MakeGrid;
using testing::ThreeD;
using testing::ViewOf;
using Segment = std::array<SurfacePoint, 2>;

// A record dipping east on a 4000 by 2000 map (so the symbol unit is 10),
// seen obliquely with doubled heights.
class DataPointDrawing : public ::testing::Test {
 protected:
  DataPointDrawing() {
    ViewTexts texts = ThreeD(135, 40);
    texts.Ve = std::string("2");
    view = ViewOf(texts, grid, 800, 800);
  }
  SurfacePoint At(double dx, double dy, double z) const {
    return *ProjectPoint(view, x + dx, y + dy, ExaggerateHeight(view, z));
  }
  // Draws the record and returns the lines drawn in `color`.
  std::vector<Segment> Draw(double z, std::int16_t code, double dip, Color color) {
    surface.Forget();
    DrawDataPoint(surface, view, MapWindowOf(grid), {x, y, z, code, 90, dip}, 0, settings);
    std::vector<Segment> lines;
    for (const RecordedOperation& op : surface.Operations()) {
      if (op.op == SurfaceOp::Line && op.color == color)
        lines.push_back({op.points[0], op.points[1]});
    }
    return lines;
  }

  const double x = 1503.3, y = 777.7;
  GridData grid = MakeGrid({5, 3, 1000, 1000}, [](int i, int j) { return 100.0 + i + j; });
  ViewProjection view;
  RecordingSurface surface{800, 800};
  DataDisplaySettings settings;
};

TEST_F(DataPointDrawing, StrikeDipSymbolsAndTheirLabels) {
  settings.DataTextColor = Rgb(255, 255, 255);
  struct Case {
    double dip, z;
    std::vector<std::array<double, 4>> lines;  // ends as map offsets in symbol units
    const char* label;
  };
  const Case cases[] = {
      {0, 250, {{0, 9, 0, -9}, {-9, 0, 9, 0}}, " 0( 250)"},       // a cross
      {30, 120.5, {{0, 9, 0, -9}, {0, 0, 6, 0}}, " 30( 120.5)"},  // strike north-south, tick east
      {90, 250, {{0, 9, 0, -9}, {-4, 0, 4, 0}}, " 90( 250)"},     // a bar across
      {120, 250, {{0, 9, 0, -9}, {0, 0, -6, 0}}, " 120( 250)"},   // overturned: up the dip, ringed
  };
  for (const Case& c : cases) {
    std::vector<Segment> expected;
    for (const auto& e : c.lines) {
      expected.push_back({At(e[0] * 10, e[1] * 10, c.z), At(e[2] * 10, e[3] * 10, c.z)});
    }
    EXPECT_EQ(Draw(c.z, 0, c.dip, Rgb(255, 0, 0)), expected) << "dip " << c.dip;
    const auto& ops = surface.Operations();
    ASSERT_EQ(ops.size(), c.dip > 90 ? 4u : 3u) << "dip " << c.dip;
    EXPECT_EQ(ops[2].radius, c.dip > 90 ? 5 : 0);
    EXPECT_EQ(ops.back().text, c.label);
    EXPECT_EQ(ops.back().points[0], At(0, 0, c.z));
    EXPECT_EQ(ops.back().color, settings.DataTextColor);
  }
  EXPECT_EQ(surface.FontName(), "Century");
}

TEST_F(DataPointDrawing, ElevationMarksByCode) {
  struct Case {
    std::int16_t code;
    float sdBai;
    bool elevationOnly;                     // the record has a dip, but symbols are off
    std::vector<std::array<int, 4>> lines;  // pixel offsets from the point
    std::vector<int> radii;                 // of circles, 0 for the point
  };
  const Case cases[] = {
      {-1, 1, false, {{3, 0, -4, 0}}, {}},
      {1, 0.5f, false, {{2, 0, -3, 0}, {0, -2, 0, 3}}, {}},  // 1.5 rounds to 2
      {1, 1, true, {{3, 0, -4, 0}, {0, -3, 0, 4}}, {}},
      {0, 1, false, {}, {2, 1, 0}},
      {7, 1, false, {}, {}},
  };
  const SurfacePoint o = At(0, 0, 250);
  for (const Case& c : cases) {
    settings.SdBai = c.sdBai;
    settings.Symbols = !c.elevationOnly;
    std::vector<Segment> expected;
    for (const auto& e : c.lines)
      expected.push_back({{{o.x + e[0], o.y + e[1]}, {o.x + e[2], o.y + e[3]}}});
    EXPECT_EQ(Draw(250, c.code, c.elevationOnly ? 30 : NoValue, Rgb(255, 128, 0)), expected)
        << c.code;
    std::vector<int> radii;
    for (const RecordedOperation& op : surface.Operations()) {
      if (op.op == SurfaceOp::Circle || op.op == SurfaceOp::Point) {
        EXPECT_EQ(op.color, Rgb(255, 128, 0));
        EXPECT_EQ(op.points[0], o);
        radii.push_back(op.radius);
      }
    }
    EXPECT_EQ(radii, c.radii) << c.code;
    EXPECT_EQ(surface.Operations().size(), c.lines.size() + c.radii.size() + 1) << c.code;
    EXPECT_EQ(surface.Operations().back().text, " 250");
  }
}

// A north-south ridge 100 high at x = 100, falling to 0 at x = 0 and x = 200.
TEST(DrawMeasuredData, SkipsPointsTheRidgeHides) {
  const GridData ridge =
      MakeGrid({21, 11, 10, 10}, [](int i, int) { return 100 - std::abs((i - 1) * 10 - 100.0); });
  struct Case {
    ViewTexts view;
    double x;
    bool drawn;
  };
  const Case cases[] = {
      {ThreeD(90, 20), 40, false},  // from the east, behind the ridge
      {ThreeD(90, 20, NoBase, 500), 40, false},
      {ThreeD(270, 20), 40, true},
      {ThreeD(90, 20), 160, true},
      {PlanViewTexts(), 40, true},  // straight down nothing is hidden
  };
  for (const Case& c : cases) {
    MeasuredData data;
    data.DataX = {c.x};
    data.DataY = {52};
    data.DataZ = {70};
    data.DataL = {0};
    data.DataTrend = data.DataDip = {NoValue};
    RecordingSurface surface(400, 400);
    DrawMeasuredData(surface, ridge, ViewOf(c.view, ridge, 400, 400), data, DataDisplaySettings{});
    EXPECT_EQ(surface.Operations().size(), c.drawn ? 4u : 0u) << c.view.Alpha << ", x " << c.x;
  }
}

// A few points are labelled; so many that their labels would cover the
// picture draw their marks alone, unless labels are asked for.
TEST(DrawMeasuredData, CrowdedPointsDrawTheirMarksAlone) {
  const GridData flat = MakeGrid({21, 11, 10, 10}, [](int, int) { return 0.0; });
  struct Case {
    int points;
    bool asked;
    bool labelled;
  };
  for (const Case& c : {Case{20, false, true}, Case{4000, false, false}, Case{4000, true, true}}) {
    MeasuredData data;
    for (int k = 0; k < c.points; ++k) {
      data.DataX.push_back(5 + (k * 37) % 190);
      data.DataY.push_back(5 + (k * 13) % 90);
      data.DataZ.push_back(k);
      data.DataL.push_back(0);
      data.DataTrend.push_back(NoValue);
      data.DataDip.push_back(NoValue);
    }
    DataDisplaySettings settings;
    settings.CrowdedLabels = c.asked;
    RecordingSurface surface(400, 400);
    DrawMeasuredData(surface, flat, ViewOf(PlanViewTexts(), flat, 400, 400), data, settings);
    int texts = 0, marks = 0;
    for (const RecordedOperation& op : surface.Operations()) {
      (op.op == SurfaceOp::Text ? texts : marks) += 1;
    }
    EXPECT_EQ(texts, c.labelled ? c.points : 0) << c.points;
    EXPECT_GE(marks, c.points) << c.points;
  }
}

// The walk over every grid line, without the index window or the early stops.
bool VisibleByFullWalk(const DrawnHeights& surface, const PlacedPoint& p) {
  const GridData& g = surface.Grid();
  const ViewProjection& v = surface.View();
  const bool far = v.Dist == NoPerspective;
  const double d[3] = {far ? v.TowardX : v.EyeX - p.PointX, far ? v.TowardY : v.EyeY - p.PointY,
                       far ? v.TowardZ : v.EyeZ - p.PointZ};
  const double from[2] = {p.PointX, p.PointY}, eye[2] = {v.EyeX, v.EyeY}, step[2] = {g.Dx, g.Dy};
  const std::vector<double>* node[2] = {&g.GridX, &g.GridY};
  const int n[2] = {g.Nx, g.Ny};
  double lowest = 1e10, highest = -1e10;
  int crossings = 0;
  for (int a = 0, b = 1; a < 2; ++a, --b) {
    for (int c = 1; c <= n[a] && std::abs(d[a]) >= 1e-10; ++c) {
      const double x = (*node[a])[c], t = (x - from[a]) / d[a], y = t * d[b] + from[b];
      const double lo = (*node[b])[1], hi = (*node[b])[n[b]];
      if ((x - eye[a]) * (x - from[a]) > 0 || t < 0 || (y - hi) * (y - lo) > 0) continue;
      const int k =
          std::min(static_cast<int>(std::floor((y - lo) / step[b] + 1.0000001)), n[b] - 1);
      const auto h = [&](int m) { return a == 0 ? surface.H(c, m) : surface.H(m, c); };
      const double e =
          t * d[2] + p.PointZ - (h(k) + (y - (*node[b])[k]) * (h(k + 1) - h(k)) / step[b]);
      ++crossings;
      lowest = std::min(lowest, e);
      highest = std::max(highest, e);
    }
  }
  const double tol = (g.Zmax - g.Zmin) * v.Ve / 10000;
  return !(crossings >= 2 && lowest <= -tol && highest >= tol);
}

TEST(TestPointVisible, SameAsTheWalkOverEveryGridLine) {
  const GridData grid =
      MakeGrid({.nx = 31, .ny = 23, .dx = 7, .dy = 5, .xmin = 100, .ymin = -50},
               [](int i, int j) { return 50 * std::sin(i * 0.7) * std::cos(j * 0.9) + i; });
  // Parallel and perspective, the eye far off and right above the grid, and from below.
  const ViewTexts views[] = {ThreeD(225, 30),
                             ThreeD(60, 15),
                             ThreeD(300, 45, NoBase, 400),
                             ThreeD(150, 10, NoBase, 3000),
                             ThreeD(90, 5),
                             ThreeD(120, 60, NoBase, 120),
                             ThreeD(45, -20)};
  int hidden = 0;
  for (const ViewTexts& texts : views) {
    const ViewProjection view = ViewOf(texts, grid, 400, 400);
    const DrawnHeights surface(grid, view);
    for (int k = 0; k < 1500; ++k) {
      // Scattered over the grid and a little beyond it.
      const PlacedPoint p = PlacePointOnSurface(surface, 80 + 250 * std::fmod(k * 0.618034, 1.0),
                                                -70 + 150 * std::fmod(k * 0.754878, 1.0));
      const bool visible = VisibleByFullWalk(surface, p);
      ASSERT_EQ(TestPointVisible(surface, p), visible) << texts.Alpha << ", point " << k;
      hidden += !visible;
    }
  }
  EXPECT_GT(hidden, 1000);
  EXPECT_LT(hidden, 7 * 1500 - 1000);
}

}  // namespace
}  // namespace kessadon
