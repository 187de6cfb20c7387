// Faults cut the links they cross: the surface may jump there, and joins
// round a fault's end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <set>

#include "EstimateTestData.h"
#include "estimate/EstimationRun.h"
#include "estimate/FaultCuts.h"

namespace kessadon {
namespace {

using testing::Height;
using testing::MakeData;
using testing::MakeEstimationGrid;

FaultTraces Traces(const std::vector<std::vector<std::pair<double, double>>>& lines) {
  FaultTraces out;
  for (const auto& line : lines) {
    FaultTrace trace;
    for (const auto& [x, y] : line) {
      trace.x.push_back(x);
      trace.y.push_back(y);
    }
    out.traces.push_back(trace);
  }
  return out;
}

// Node (i, j) of a 6 x 5 grid lies at (i - 1, j - 1).
TEST(FaultCuts, CutLinksAndBlocksOfTracesAcrossAlongAndThroughNodes) {
  const EstimationGrid grid = MakeEstimationGrid(6, 5, 0, 0, 1, 1);
  struct Case {
    const char* what;
    FaultTraces traces;
    std::int64_t cut;
    std::int32_t blocks;
  };
  const Case cases[] = {
      {"between two columns", Traces({{{2.5, -1}, {2.5, 9}}}), 5, 2},
      // On the column through x = 2: a hair to its east, so that column keeps west.
      {"along a column of nodes", Traces({{{2, -1}, {2, 9}}}), 5, 2},
      {"through the nodes on a diagonal", Traces({{{-1, -1}, {7, 7}}}), 8, 2},
      {"ending inside (a tip)", Traces({{{2.5, -1}, {2.5, 2.5}}}), 3, 1},
      {"outside the grid", Traces({{{-5, -5}, {-5, 20}}}), 0, 1},
  };
  for (const Case& c : cases) {
    const FaultCuts cuts(grid, c.traces);
    EXPECT_EQ(cuts.CutLinks(), c.cut) << c.what;
    const std::vector<std::int32_t> block = cuts.BlockOfNodes();
    EXPECT_EQ(std::set<std::int32_t>(block.begin(), block.end()).size(),
              static_cast<std::size_t>(c.blocks))
        << c.what;
  }
  const FaultCuts along(grid, cases[1].traces);
  EXPECT_TRUE(along.CutX(3, 2));
  EXPECT_FALSE(along.Crosses(1.6, 1.2, 3, 2));  // the node on the trace is seen from the west
  EXPECT_TRUE(along.Crosses(2.4, 1.2, 3, 2));
}

// Heights of two flat blocks 100 apart, the step at x = 52.5 between the node
// columns at 50 and 55.
PreparedData StepData() {
  std::mt19937 random(1);
  std::uniform_real_distribution<double> position(0, 100);
  std::vector<Height> heights;
  for (int k = 0; k < 300; ++k) {
    const double x = position(random), y = position(random);
    heights.push_back({x, y, x < 52.5 ? 0.0 : 100.0});
  }
  return MakeData(heights);
}

EstimationParameters StepGrid(const FaultTraces& faults) {
  EstimationParameters p;
  p.Xmax = p.Ymax = 100;
  p.Nx = p.Ny = 21;
  p.Faults = faults;
  return p;
}

TEST(FaultEstimation, AStepComesBackCleanWithItsFaultAndJoinsRoundATip) {
  const PreparedData data = StepData();
  const Result<EstimationResult> smooth = RunEstimation(data, StepGrid({}));
  ASSERT_TRUE(smooth);
  // Without the fault the step spreads over several cells.
  EXPECT_GT(std::abs(smooth->Grid.Z(11, 11)), 10);
  for (EstimationSolver solver :
       {EstimationSolver::Band, EstimationSolver::Sparse, EstimationSolver::Iterative}) {
    const Result<EstimationResult> run =
        RunEstimation(data, StepGrid(Traces({{{52.5, -10}, {52.5, 110}}})), {}, solver);
    ASSERT_TRUE(run) << run.failure().message;
    EXPECT_EQ(run->CutLinks, 23);  // 21 rows and the extension's two
    // Node column 11 lies at x = 50, 12 at 55: within 1% of the step, up to the fault.
    for (std::int32_t j = 1; j <= 21; ++j) {
      for (std::int32_t i = 1; i <= 21; ++i) {
        ASSERT_NEAR(run->Grid.Z(i, j), i <= 11 ? 0 : 100, 1) << i << ", " << j;
      }
    }
  }
  // Past the tip at y = 60 the blocks join: the step spreads again at the top.
  const Result<EstimationResult> tip =
      RunEstimation(data, StepGrid(Traces({{{52.5, -10}, {52.5, 60}}})));
  ASSERT_TRUE(tip);
  EXPECT_NEAR(tip->Grid.Z(8, 3), 0, 1);
  EXPECT_NEAR(tip->Grid.Z(13, 3), 100, 1);
  EXPECT_GT(std::abs(tip->Grid.Z(11, 19)), 5);
}

TEST(FaultEstimation, DataThatSeeNoNodeAreDroppedAndABlockWithoutDataIsRefused) {
  PreparedData data = StepData();
  data.XH.push_back(23);  // inside a small closed trace within one cell
  data.YH.push_back(23);
  data.ZH.push_back(1000);
  data.LH.push_back(0);
  testing::AddDip(data, 52, 40, 0, 0);  // its slopes would reach across the step
  testing::AddDip(data, 20, 40, 0, 0);
  EstimationParameters p = StepGrid(
      Traces({{{52.5, -10}, {52.5, 110}}, {{21, 21}, {24, 21}, {24, 24}, {21, 24}, {21, 21}}}));
  p.Ratio = 1;
  const Result<EstimationResult> run = RunEstimation(data, p);
  ASSERT_TRUE(run) << run.failure().message;
  EXPECT_EQ(run->DroppedHeights, 1);
  EXPECT_EQ(run->DroppedDips, 1);
  EXPECT_NEAR(run->Grid.Z(5, 5), 0, 1);  // the dropped 1000 pulls nothing

  // Cutting the grid is the first step of the run: a stop there ends it.
  const Result<EstimationResult> stopped =
      RunEstimation(data, p, [](const EstimationProgressStep&) { return false; });
  ASSERT_FALSE(stopped);
  EXPECT_TRUE(stopped.failure().cancelled);

  // A trace across the corner leaves a block no datum reaches.
  const Result<EstimationResult> corner =
      RunEstimation(StepData(), StepGrid(Traces({{{-10, 3}, {3, -10}}})));
  ASSERT_FALSE(corner);
  EXPECT_NE(corner.failure().message.find("断層で区切られた区画"), std::string::npos)
      << corner.failure().message;
}

}  // namespace
}  // namespace kessadon
