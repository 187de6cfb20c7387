#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "render/ScaleBar.h"
#include "support/RecordingSurface.h"
#include "support/TestGrids.h"
#include "support/TestViews.h"

namespace kessadon {
namespace {

using testing::ThreeD;
using testing::ViewOf;

TEST(ScaleBar, LengthIsOneTwoOrFiveTimesAPowerOfTen) {
  const std::vector<std::pair<double, double>> cases = {
      {160, 100},
      {199.9, 100},
      {200, 200},
      {499, 200},
      {500, 500},
      {999, 500},
      {0.37, 0.2},
      {7e6, 5e6},
      {0, 0},
      {-5, 0},
      {std::numeric_limits<double>::infinity(), 0},
  };
  for (const auto& [most, length] : cases) EXPECT_DOUBLE_EQ(RoundLength(most), length) << most;
}

// A 1000 x 600 map in a 400 x 400 window: the bar's numbers, its length in
// pixels, and where the arrow's head points for views from several sides.
TEST(ScaleBar, BarInMapUnitsAndArrowTowardNorthOnlyInPlan) {
  const GridData grid = testing::MakeGrid({.nx = 11, .ny = 7, .dx = 100, .dy = 100},
                                          [](int i, int j) { return i + j; });
  struct Case {
    ViewTexts texts;
    bool drawn;
    int headDx, headDy;  // sign of the head's offset from the shaft's middle
  };
  const std::vector<Case> cases = {
      {ThreeD(180, 90), true, 0, -1},  // north up
      {ThreeD(0, 90), true, 0, 1},     // looking from the north: north down
      {ThreeD(90, 90), true, 1, 0},    // from the east: north to the right
      {ThreeD(180, 60), false, 0, 0}, {ThreeD(180, 90, NoBase, 5000, 0), false, 0, 0},
  };
  for (const Case& c : cases) {
    const ViewProjection view = ViewOf(c.texts, grid, 400, 400);
    RecordingSurface surface(400, 400);
    surface.SetForeColor(Rgb(1, 2, 3));
    DrawScaleBar(surface, view, Rgb(0, 0, 0));
    EXPECT_EQ(surface.ForeColor(), Rgb(1, 2, 3)) << "the state comes back";
    const auto& ops = surface.Operations();
    ASSERT_EQ(!ops.empty(), c.drawn) << c.texts.Alpha << " " << c.texts.Gamma;
    if (!c.drawn) continue;

    std::vector<std::string> texts;
    for (const RecordedOperation& op : ops) {
      if (op.op == SurfaceOp::Text) texts.push_back(op.text);
    }
    // 0.2 pixels a map unit: a fifth of 400 pixels is 400 units, rounded to 200.
    EXPECT_EQ(texts, (std::vector<std::string>{"0", "200", "N"}));
    const RecordedOperation& bar = ops.front();
    EXPECT_EQ(bar.points[1].x - bar.points[0].x, 40);

    const RecordedOperation* shaft = nullptr;
    const RecordedOperation* head = nullptr;
    for (const RecordedOperation& op : ops) {
      if (op.op == SurfaceOp::Polygon) head = &op;
      if (op.op == SurfaceOp::Line && !head) shaft = &op;
    }
    ASSERT_TRUE(shaft && head);
    const int mx = (shaft->points[0].x + shaft->points[1].x) / 2;
    const int my = (shaft->points[0].y + shaft->points[1].y) / 2;
    auto sign = [](int v) { return (v > 2) - (v < -2); };
    EXPECT_EQ(sign(head->points[0].x - mx), c.headDx) << c.texts.Alpha;
    EXPECT_EQ(sign(head->points[0].y - my), c.headDy) << c.texts.Alpha;
  }

  // With the map's unit known, the length says it.
  RecordingSurface surface(400, 400);
  DrawScaleBar(surface, ViewOf(ThreeD(180, 90), grid, 400, 400), Rgb(0, 0, 0), "m");
  std::vector<std::string> texts;
  for (const RecordedOperation& op : surface.Operations()) {
    if (op.op == SurfaceOp::Text) texts.push_back(op.text);
  }
  EXPECT_EQ(texts, (std::vector<std::string>{"0", "200 m", "N"}));
}

}  // namespace
}  // namespace kessadon
