#include <gtest/gtest.h>

#include <vector>

#include "render/ContourLines.h"
#include "support/RecordingSurface.h"

namespace kessadon {
namespace {

// A square cell of 100 pixels: corner 1 bottom-left, then counter-clockwise.
const CellPoints kSquare = {{{0, 100}, {100, 100}, {100, 0}, {0, 0}, {0, 100}}};

CellHeights Heights(double h1, double h2, double h3, double h4) { return {h1, h2, h3, h4, h1}; }

struct Drawn {
  std::vector<SurfacePoint> points;
  std::vector<std::pair<SurfacePoint, SurfacePoint>> lines;
  std::vector<SurfaceOp> order;
};

Drawn Draw(const CellPoints& cell, const CellHeights& z, ContourLevels levels, double zeps = 1e-5) {
  RecordingSurface surface(200, 200);
  DrawCellContours(surface, cell, z, levels, zeps);
  Drawn drawn;
  for (const RecordedOperation& op : surface.Operations()) {
    drawn.order.push_back(op.op);
    if (op.op == SurfaceOp::Point) drawn.points.push_back(op.points[0]);
    if (op.op == SurfaceOp::Line) drawn.lines.emplace_back(op.points[0], op.points[1]);
  }
  return drawn;
}

using Segment = std::pair<SurfacePoint, SurfacePoint>;

TEST(DrawCellContours, RampCellAtThreeLevels) {
  const Drawn d = Draw(kSquare, Heights(0, 10, 10, 0), {0, 10, 5, 1});
  // Level 0 touches only corners, which count as above it: nothing. Level 5
  // crosses the middles of edges 1 and 3. Level 10 lies a hair below corners 2
  // and 3, so its crossings sit one pixel inside edge 2.
  const std::vector<SurfacePoint> points = {{50, 100}, {50, 0}, {99, 100}, {99, 0}};
  EXPECT_EQ(d.points, points);
  const std::vector<Segment> lines = {{{50, 100}, {50, 0}}, {{99, 100}, {99, 0}}};
  EXPECT_EQ(d.lines, lines);
  // Each level sets its crossing points before joining them.
  const std::vector<SurfaceOp> order = {SurfaceOp::Point, SurfaceOp::Point, SurfaceOp::Line,
                                        SurfaceOp::Point, SurfaceOp::Point, SurfaceOp::Line};
  EXPECT_EQ(d.order, order);
}

TEST(DrawCellContours, SymmetricSaddleJoinsOneToFourAndTwoToThree) {
  const Drawn d = Draw(kSquare, Heights(0, 10, 0, 10), {5, 5, 5, 1});
  const std::vector<SurfacePoint> points = {{50, 100}, {100, 50}, {50, 0}, {0, 50}};
  EXPECT_EQ(d.points, points);
  const std::vector<Segment> lines = {{{50, 100}, {0, 50}}, {{100, 50}, {50, 0}}};
  EXPECT_EQ(d.lines, lines);
}

TEST(DrawCellContours, SaddleJoinsTheNearerCrossings) {
  // Corner 2 barely rises above the level: crossings 1 and 2 lie close to it.
  const Drawn nearTwo = Draw(kSquare, Heights(0, 6, 0, 10), {5, 5, 5, 1});
  ASSERT_EQ(nearTwo.points.size(), 4u);
  EXPECT_EQ(nearTwo.points[0], (SurfacePoint{83, 100}));
  EXPECT_EQ(nearTwo.points[1], (SurfacePoint{100, 83}));
  const std::vector<Segment> aroundTwoAndFour = {{{50, 0}, {0, 50}}, {{83, 100}, {100, 83}}};
  EXPECT_EQ(nearTwo.lines, aroundTwoAndFour);

  // Corner 1 barely sinks below it: crossings 1 and 4 are the nearer pair.
  const Drawn nearOne = Draw(kSquare, Heights(4, 10, 0, 10), {5, 5, 5, 1});
  const std::vector<SurfacePoint> points = {{16, 100}, {100, 50}, {50, 0}, {0, 83}};
  EXPECT_EQ(nearOne.points, points);
  const std::vector<Segment> cutOneAndThree = {{{16, 100}, {0, 83}}, {{100, 50}, {50, 0}}};
  EXPECT_EQ(nearOne.lines, cutOneAndThree);
}

TEST(DrawCellContours, OnlyLevelsFromStartToEnd) {
  const CellHeights steep = Heights(0, 100, 100, 0);
  EXPECT_EQ(Draw(kSquare, steep, {40, 60, 10, 1}).lines.size(), 3u);   // 40, 50, 60
  EXPECT_EQ(Draw(kSquare, steep, {0, 100, 10, 1}).lines.size(), 10u);  // 0 only touches corners
  EXPECT_TRUE(Draw(kSquare, steep, {150, 300, 10, 1}).order.empty());
  EXPECT_TRUE(Draw(kSquare, steep, {-300, -150, 10, 1}).order.empty());
}

TEST(DrawCellContours, LevelWithinTheToleranceFindsNoCrossing) {
  // Level 20 lies 0.0005 below the cell, inside 1/10000 of the interval: it is
  // taken but crosses nothing; level 30 is drawn.
  const Drawn d = Draw(kSquare, Heights(20.0005, 35, 35, 20.0005), {0, 100, 10, 1});
  EXPECT_EQ(d.lines.size(), 1u);
  EXPECT_EQ(d.points.size(), 2u);
}

TEST(DrawCellContours, ZeroOrVanishingIntervalDrawsNothing) {
  const CellHeights steep = Heights(0, 100, 100, 0);
  EXPECT_TRUE(Draw(kSquare, steep, {0, 100, 0, 0}).order.empty());
  // Level numbers beyond 32 bits: nothing rather than an endless loop.
  EXPECT_TRUE(Draw(kSquare, steep, {0, 100, 1e-300, 1}).order.empty());
}

TEST(DrawCellContours, CornersOnTheLevelWithoutNudgeDoNotDivideByZero) {
  // Zeps 0 (a range too small for its millionth): two corners on the level.
  const Drawn d = Draw(kSquare, Heights(5, 5, 10, 0), {5, 5, 5, 1}, 0);
  for (const SurfacePoint& p : d.points) {
    EXPECT_GE(p.x, 0);
    EXPECT_LE(p.x, 100);
    EXPECT_GE(p.y, 0);
    EXPECT_LE(p.y, 100);
  }
}

}  // namespace
}  // namespace kessadon
