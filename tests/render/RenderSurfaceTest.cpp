#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "render/RenderSurface.h"
#include "support/RecordingSurface.h"
#include "support/TestGrids.h"
#include "support/TestViews.h"

namespace kessadon {
namespace {

using testing::MakeGrid;
using testing::NodeColors;
using testing::ThreeD;
using testing::ViewOf;

GridData Bumpy(int nx, int ny) {
  return MakeGrid({nx, ny, 10, 10}, [](int i, int j) { return 100 + 7 * i + 3 * j + (i * j) % 4; });
}

std::vector<RecordedOperation> Ops(const RecordingSurface& surface, SurfaceOp op) {
  std::vector<RecordedOperation> found;
  for (const RecordedOperation& entry : surface.Operations()) {
    if (entry.op == op) found.push_back(entry);
  }
  return found;
}

// A filled picture of the cells alone; each test adds what it looks at.
RenderOptions CellsOnly() {
  RenderOptions options;
  options.DisplayMode = DisplayMode::Contour;
  options.Waku = false;
  return options;
}

RecordingSurface Record(const GridData& grid, const ViewProjection& view,
                        const NodeArray<Color>& colors, const RenderOptions& options,
                        const ContourLevels& levels = ContourLevels{}) {
  RecordingSurface surface(400, 400);
  RenderSurface(surface, grid, view, colors, levels, options);
  return surface;
}

SurfacePoint Node(const ViewProjection& view, const GridData& grid, int i, int j) {
  const auto p =
      ProjectPoint(view, grid.GridX[i], grid.GridY[j], ExaggerateHeight(view, grid.Z(i, j)));
  EXPECT_TRUE(p);
  return p.value_or(SurfacePoint{});
}

SurfacePoint Base(const ViewProjection& view, double x, double y) {
  const auto p = ProjectPoint(view, x, y, ExaggerateHeight(view, view.Zbase));
  EXPECT_TRUE(p);
  return p.value_or(SurfacePoint{});
}

struct CellKey {
  int i, j;  // the corner whose colour the cell took
  auto operator<=>(const CellKey&) const = default;
};

// Cells in painter's order and their colours, for each view direction.
TEST(RenderSurface, PaintsFarToNearWithTheFarCornerColour) {
  const GridData grid = Bumpy(4, 3);
  const NodeArray<Color> colors = NodeColors(grid);
  for (double alpha : {45.0, 135.0, 225.0, 315.0}) {
    SCOPED_TRACE(alpha);
    const ViewProjection view = ViewOf(ThreeD(alpha, 30), grid, 400, 400);
    const RecordingSurface surface = Record(grid, view, colors, CellsOnly());
    const auto polygons = Ops(surface, SurfaceOp::Polygon);
    ASSERT_EQ(polygons.size(), 6u);

    std::vector<std::pair<double, double>> distances;  // of the row, then of the column
    for (const RecordedOperation& cell : polygons) {
      const int i = RedOf(cell.fillColor), j = GreenOf(cell.fillColor);
      ASSERT_EQ(cell.color, cell.fillColor);
      ASSERT_EQ(cell.points.size(), 4u);
      // The cell's corners, the coloured one first; the other three are its
      // neighbours along x, diagonally and along y.
      const int i2 = i < grid.Nx && cell.points[1] == Node(view, grid, i + 1, j) ? i + 1 : i - 1;
      const int j2 = j < grid.Ny && cell.points[3] == Node(view, grid, i, j + 1) ? j + 1 : j - 1;
      EXPECT_EQ(cell.points[0], Node(view, grid, i, j));
      EXPECT_EQ(cell.points[1], Node(view, grid, i2, j));
      EXPECT_EQ(cell.points[2], Node(view, grid, i2, j2));
      EXPECT_EQ(cell.points[3], Node(view, grid, i, j2));
      // The coloured corner is the one farthest from the eye.
      const double farX = std::abs(grid.GridX[i] - view.EyeX);
      const double nearX = std::abs(grid.GridX[i2] - view.EyeX);
      const double farY = std::abs(grid.GridY[j] - view.EyeY);
      const double nearY = std::abs(grid.GridY[j2] - view.EyeY);
      EXPECT_GT(farX, nearX);
      EXPECT_GT(farY, nearY);
      distances.emplace_back(farY, farX);
    }
    // Rows far to near, and within a row cells far to near.
    EXPECT_TRUE(std::is_sorted(distances.begin(), distances.end(),
                               [](const auto& a, const auto& b) { return a > b; }));
  }
}

TEST(RenderSurface, GridLinesOutlineEveryCellAndContourModeFillsWithoutOutline) {
  const GridData grid = Bumpy(3, 3);
  const ViewProjection view = ViewOf(PlanViewTexts(), grid, 200, 200);
  NodeArray<Color> colors = NodeColors(grid);
  RenderOptions options;
  options.LineColor = kWhite;

  RecordingSurface lines(200, 200);
  options.DisplayMode = DisplayMode::Grid;
  RenderSurface(lines, grid, view, colors, ContourLevels{}, options);
  const auto outlines = Ops(lines, SurfaceOp::Polygon);
  ASSERT_EQ(outlines.size(), 4u);
  for (const RecordedOperation& cell : outlines) {
    EXPECT_EQ(cell.color, kWhite);
    EXPECT_EQ(cell.drawStyle, kDrawSolid);
    EXPECT_EQ(cell.fillStyle, kFillTransparent);
  }
  EXPECT_EQ(lines.FillStyle(), kFillTransparent);

  RecordingSurface filled(200, 200);
  options.DisplayMode = DisplayMode::Contour;
  RenderSurface(filled, grid, view, colors, ContourLevels{}, options);
  const auto cells = Ops(filled, SurfaceOp::Polygon);
  ASSERT_EQ(cells.size(), 4u);
  for (const RecordedOperation& cell : cells) {
    EXPECT_EQ(cell.color, cell.fillColor);
    EXPECT_EQ(cell.drawStyle, kDrawInvisible);
    EXPECT_EQ(cell.fillStyle, kFillSolid);
  }
  // What the renderer leaves for anything drawn on top.
  EXPECT_EQ(filled.ForeColor(), kWhite);
  EXPECT_EQ(filled.DrawStyle(), kDrawSolid);
  EXPECT_EQ(filled.DrawWidth(), 1);
  EXPECT_EQ(filled.FillStyle(), kFillSolid);
  EXPECT_EQ(filled.FillColor(), cells.back().fillColor);
}

TEST(RenderSurface, PedestalOutlineThenVerticalEdges) {
  const GridData grid = Bumpy(4, 3);
  const NodeArray<Color> colors = NodeColors(grid);
  // From the south-west the nearest base corner B2 is the south-west one.
  const ViewProjection view = ViewOf(ThreeD(225, 30, grid.Zmin - 10), grid, 400, 400);
  RenderOptions options = CellsOnly();
  options.LineColor = kWhite;
  const RecordingSurface surface = Record(grid, view, colors, options);

  const SurfacePoint b0 = Base(view, grid.Xmax, grid.Ymax), b1 = Base(view, grid.Xmax, grid.Ymin);
  const SurfacePoint b2 = Base(view, grid.Xmin, grid.Ymin), b3 = Base(view, grid.Xmin, grid.Ymax);
  using Segment = std::vector<SurfacePoint>;
  const std::vector<Segment> expected = {{b1, b2},
                                         {b2, b3},
                                         {b3, b0},
                                         {b0, b1},
                                         {Node(view, grid, 4, 1), b1},
                                         {Node(view, grid, 1, 1), b2},
                                         {Node(view, grid, 1, 3), b3},
                                         {Node(view, grid, 4, 3), b0}};
  const auto& ops = surface.Operations();
  ASSERT_GE(ops.size(), expected.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(ops[k].op, SurfaceOp::Line) << k;
    EXPECT_EQ(ops[k].points, expected[k]) << k;
    EXPECT_EQ(ops[k].color, kWhite) << k;
  }
  EXPECT_EQ(ops[expected.size()].op, SurfaceOp::Polygon);

  const ViewProjection noBase = ViewOf(ThreeD(225, 30, NoBase), grid, 400, 400);
  const RecordingSurface none = Record(grid, noBase, colors, options);
  EXPECT_TRUE(Ops(none, SurfaceOp::Line).empty());
}

TEST(RenderSurface, FrameHasFourOrTheTwoNearSides) {
  const GridData grid = Bumpy(4, 3);
  const NodeArray<Color> colors = NodeColors(grid);
  const ViewProjection view = ViewOf(PlanViewTexts(), grid, 300, 300);
  auto frame = [&](bool waku, bool waku4) {
    RenderOptions options = CellsOnly();
    options.Waku = waku;
    options.Waku4 = waku4;
    return Ops(Record(grid, view, colors, options), SurfaceOp::Line);
  };
  EXPECT_EQ(frame(true, true).size(), 2u * 3 + 2u * 2);
  EXPECT_TRUE(frame(false, true).empty());
  const auto near = frame(true, false);
  ASSERT_EQ(near.size(), 3u + 2u);
  // In the plan view the near sides are the south row and the east column.
  std::vector<SurfacePoint> south, east;
  for (int i = 1; i <= 4; ++i) south.push_back(Node(view, grid, i, 1));
  for (int j = 1; j <= 3; ++j) east.push_back(Node(view, grid, 4, j));
  auto within = [](const std::vector<SurfacePoint>& side, const SurfacePoint& p) {
    return std::find(side.begin(), side.end(), p) != side.end();
  };
  for (const RecordedOperation& line : near) {
    const bool onSouth = within(south, line.points[0]) && within(south, line.points[1]);
    const bool onEast = within(east, line.points[0]) && within(east, line.points[1]);
    EXPECT_TRUE(onSouth || onEast);
  }
}

TEST(RenderSurface, PlanViewScaleTicksRunAlongTheBottomAndRight) {
  // Corners 15 from the centre at 9.06 pixels a unit: well clear of whole pixels,
  // so the tiny height terms of the plan view cannot move them.
  const GridData grid = Bumpy(4, 4);
  const NodeArray<Color> colors = NodeColors(grid);
  const ViewProjection view = ViewOf(PlanViewTexts(), grid, 303, 303);
  RenderOptions options = CellsOnly();
  options.ScaleLine = true;
  const auto lines = Ops(Record(grid, view, colors, options), SurfaceOp::Line);
  ASSERT_EQ(lines.size(), 22u + 1u + 6u);

  const SurfacePoint sw = Node(view, grid, 1, 1), se = Node(view, grid, 4, 1);
  const SurfacePoint ne = Node(view, grid, 4, 4);
  for (int k = 0; k < 11; ++k) {
    const RecordedOperation& bottom = lines[2 * k];
    const RecordedOperation& right = lines[2 * k + 1];
    EXPECT_EQ(bottom.points[0].y, sw.y);
    EXPECT_EQ(bottom.points[1].y, sw.y + 10);  // pointing down, away from the grid
    EXPECT_EQ(bottom.points[0].x, bottom.points[1].x);
    EXPECT_EQ(right.points[0].x, se.x);
    EXPECT_EQ(right.points[1].x, se.x + 10);  // pointing right
    EXPECT_EQ(right.points[0].y, right.points[1].y);
  }
  EXPECT_EQ(lines[0].points[0].x, sw.x);
  EXPECT_EQ(lines[20].points[0].x, se.x);
  EXPECT_EQ(lines[1].points[0].y, se.y);
  EXPECT_EQ(lines[21].points[0].y, ne.y);
  // The vertical scale shrinks to a point at the north-east corner: six ticks on one stroke.
  EXPECT_EQ(lines[22].points[0], lines[22].points[1]);
  for (int k = 23; k < 29; ++k) {
    EXPECT_EQ(lines[k].points[0], ne);
    EXPECT_EQ(lines[k].points[1], (SurfacePoint{ne.x + 10, ne.y}));
  }
}

TEST(RenderSurface, VerticalScaleDividesTheHeightRangeIntoFifths) {
  const GridData grid = Bumpy(4, 3);
  const NodeArray<Color> colors = NodeColors(grid);
  ViewProjection view = ViewOf(ThreeD(225, 30, grid.Zmin - 20), grid, 400, 400);
  view.Ve = 10;  // a tall scale
  RenderOptions options = CellsOnly();
  options.ScaleLine = true;
  const auto lines = Ops(Record(grid, view, colors, options), SurfaceOp::Line);
  ASSERT_EQ(lines.size(), 8u + 22u + 1u + 6u);
  const RecordedOperation& stem = lines[30];
  // Seen from the south-west B1 (south-east) lies right of B3 (north-west).
  const SurfacePoint b1 = Base(view, grid.Xmax, grid.Ymin);
  const auto top = ProjectPoint(view, grid.Xmax, grid.Ymin, ExaggerateHeight(view, grid.Zmax));
  ASSERT_TRUE(top);
  EXPECT_EQ(stem.points[0], b1);
  EXPECT_EQ(stem.points[1], *top);
  EXPECT_EQ(lines[31].points[0], b1);
  EXPECT_EQ(lines[36].points[0], *top);
  for (int k = 31; k < 37; ++k) EXPECT_EQ(lines[k].points[1].x, lines[k].points[0].x + 10);
}

TEST(RenderSurface, ContoursFollowEachCellAndSkipAFlatGrid) {
  const GridData grid = Bumpy(4, 4);
  const NodeArray<Color> colors = NodeColors(grid);
  const ViewProjection view = ViewOf(PlanViewTexts(), grid, 300, 300);
  RenderOptions options = CellsOnly();
  options.Contour = true;
  options.LineColor = kWhite;
  const ContourLevels levels{grid.Zmin, grid.Zmax, 2, 1};
  const RecordingSurface surface = Record(grid, view, colors, options, levels);
  int afterPolygon = 0;
  bool seenPolygon = false;
  for (const RecordedOperation& op : surface.Operations()) {
    if (op.op == SurfaceOp::Polygon) {
      seenPolygon = true;
      continue;
    }
    EXPECT_TRUE(seenPolygon) << "contour pieces come after their cell";
    EXPECT_EQ(op.color, kWhite);
    EXPECT_EQ(op.drawStyle, kDrawSolid);
    ++afterPolygon;
  }
  EXPECT_GT(afterPolygon, 0);

  const GridData flat = MakeGrid({4, 4, 10, 10}, [](int, int) { return 50; });
  const RecordingSurface nothing = Record(flat, ViewOf(PlanViewTexts(), flat, 300, 300), colors,
                                          options, ContourLevels{0, 100, 10, 1});
  EXPECT_TRUE(Ops(nothing, SurfaceOp::Point).empty());
  EXPECT_EQ(Ops(nothing, SurfaceOp::Polygon).size(), 9u);
}

TEST(RenderSurface, SingleColumnGridHasNoCells) {
  const GridData grid = Bumpy(1, 4);
  const NodeArray<Color> colors = NodeColors(grid);
  RenderOptions options = CellsOnly();
  options.Waku = true;
  const RecordingSurface surface =
      Record(grid, ViewOf(ThreeD(225, 30, grid.Zmin - 5), grid, 300, 300), colors, options);
  EXPECT_TRUE(Ops(surface, SurfaceOp::Polygon).empty());
  // The pedestal, then the frame: no row has a segment, and the one column is
  // both the near and the far one.
  EXPECT_EQ(Ops(surface, SurfaceOp::Line).size(), 8u + 3u + 3u);
}

TEST(RenderSurface, EyeInsideTheSurfaceCutsCellsAndLinesAtTheNearPlane) {
  const GridData grid = Bumpy(20, 20);
  const NodeArray<Color> colors = NodeColors(grid);
  // A low eye 30 units from the centre: the far half lies behind it.
  const ViewProjection view = ViewOf(ThreeD(225, 5, grid.Zmin - 5, 30, 10), grid, 300, 300);
  RenderOptions options = CellsOnly();
  options.Waku = options.ScaleLine = options.Contour = true;
  const ContourLevels levels{grid.Zmin, grid.Zmax, 5, 1};
  const RecordingSurface surface = Record(grid, view, colors, options, levels);
  auto inFront = [&](int i, int j) {
    return ProjectPoint(view, grid.GridX[i], grid.GridY[j], ExaggerateHeight(view, grid.Z(i, j)))
        .has_value();
  };
  std::size_t whole = 0, cut = 0;
  for (int i = 1; i < 20; ++i) {
    for (int j = 1; j < 20; ++j) {
      const int ahead =
          inFront(i, j) + inFront(i + 1, j) + inFront(i, j + 1) + inFront(i + 1, j + 1);
      whole += ahead == 4;
      cut += ahead > 0 && ahead < 4;
    }
  }
  ASSERT_GT(whole, 0u);
  ASSERT_GT(cut, 0u);
  std::size_t four = 0, other = 0;
  for (const RecordedOperation& polygon : Ops(surface, SurfaceOp::Polygon)) {
    (polygon.points.size() == 4 ? four : other) += 1;
    EXPECT_GE(polygon.points.size(), 3u);
    EXPECT_LE(polygon.points.size(), 5u);
  }
  // A cut cell keeps its part in front: a triangle, a pentagon or a quadrilateral.
  EXPECT_EQ(four + other, whole + cut);
  EXPECT_GT(other, 0u);
  // The frame is cut too: more segments than those between drawable nodes.
  std::size_t frameBetweenDrawable = 0;
  for (int k = 1; k < 20; ++k) {
    frameBetweenDrawable +=
        (inFront(k, 1) && inFront(k + 1, 1)) + (inFront(k, 20) && inFront(k + 1, 20)) +
        (inFront(1, k) && inFront(1, k + 1)) + (inFront(20, k) && inFront(20, k + 1));
  }
  options.Waku = false;
  const std::size_t frame =
      Ops(surface, SurfaceOp::Line).size() -
      Ops(Record(grid, view, colors, options, levels), SurfaceOp::Line).size();
  EXPECT_GT(frame, frameBetweenDrawable);
}

TEST(RenderSurface, OrderOfAnotherGridSizeStaysInsideTheArrays) {
  const GridData big = Bumpy(9, 9);
  const ViewProjection view = ViewOf(ThreeD(225, 30), big, 300, 300);
  const GridData small = Bumpy(3, 4);
  const NodeArray<Color> colors = NodeColors(small);
  EXPECT_EQ(Ops(Record(small, view, colors, CellsOnly()), SurfaceOp::Polygon).size(), 6u);
}

TEST(RenderSurface, MissingCellColoursDrawNothing) {
  const GridData grid = Bumpy(5, 5);
  const RecordingSurface surface = Record(grid, ViewOf(PlanViewTexts(), grid, 300, 300),
                                          NodeArray<Color>(3, 3), RenderOptions{});
  EXPECT_TRUE(surface.Operations().empty());
}

}  // namespace
}  // namespace kessadon
