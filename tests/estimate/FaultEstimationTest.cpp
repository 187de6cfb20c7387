// Faults cut the links they cross: the surface may jump there, and joins
// round a fault's end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <random>
#include <set>

#include "EstimateTestData.h"
#include "estimate/EstimationRun.h"
#include "estimate/FaultCuts.h"
#include "estimate/Uncertainty.h"

namespace kessadon {
namespace {

using testing::Height;
using testing::MakeData;
using testing::MakeEstimationGrid;

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
      {"between two columns", testing::MakeTraces({{{2.5, -1}, {2.5, 9}}}), 5, 2},
      // On the column through x = 2: a hair to its east, so that column keeps west.
      {"along a column of nodes", testing::MakeTraces({{{2, -1}, {2, 9}}}), 5, 2},
      {"through the nodes on a diagonal", testing::MakeTraces({{{-1, -1}, {7, 7}}}), 8, 2},
      {"ending inside (a tip)", testing::MakeTraces({{{2.5, -1}, {2.5, 2.5}}}), 3, 1},
      {"outside the grid", testing::MakeTraces({{{-5, -5}, {-5, 20}}}), 0, 1},
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
    const Result<EstimationResult> run = RunEstimation(
        data, StepGrid(testing::MakeTraces({{{52.5, -10}, {52.5, 110}}})), {}, solver);
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
      RunEstimation(data, StepGrid(testing::MakeTraces({{{52.5, -10}, {52.5, 60}}})));
  ASSERT_TRUE(tip);
  EXPECT_NEAR(tip->Grid.Z(8, 3), 0, 1);
  EXPECT_NEAR(tip->Grid.Z(13, 3), 100, 1);
  EXPECT_GT(std::abs(tip->Grid.Z(11, 19)), 5);
}

TEST(FaultEstimation, DataThatSeeNoNodeAreDroppedAndAMarginCutOffRefusesNothing) {
  PreparedData data = StepData();
  data.XH.push_back(23);  // inside a small closed trace within one cell
  data.YH.push_back(23);
  data.ZH.push_back(1000);
  data.LH.push_back(0);
  testing::AddDip(data, 22, 22, 0, 0);  // beside it, in the same loop
  testing::AddDip(data, 52, 40, 0, 0);  // a tenth of a cell from the step: read from its side
  testing::AddDip(data, 20, 40, 0, 0);
  EstimationParameters p = StepGrid(testing::MakeTraces(
      {{{52.5, -10}, {52.5, 110}}, {{21, 21}, {24, 21}, {24, 24}, {21, 24}, {21, 21}}}));
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

  // A trace across the corner of the margin the estimation adds cuts off a
  // node nobody asked for, with no datum: it is held alone, on every solver,
  // and no requested node feels it.
  const EstimationParameters corner = StepGrid(testing::MakeTraces({{{-10, 3}, {3, -10}}}));
  const Result<EstimationResult> band =
      RunEstimation(StepData(), corner, {}, EstimationSolver::Band);
  ASSERT_TRUE(band) << band.failure().message;
  EXPECT_EQ(band->Ties.pinnedBlocks, 1);
  EXPECT_EQ(band->Ties.tiedBlocks, 0);
  for (EstimationSolver solver : {EstimationSolver::Sparse, EstimationSolver::Iterative}) {
    const Result<EstimationResult> other = RunEstimation(StepData(), corner, {}, solver);
    ASSERT_TRUE(other) << other.failure().message;
    for (std::int32_t i = 1; i <= 21; ++i) {
      for (std::int32_t j = 1; j <= 21; ++j) {
        ASSERT_NEAR(other->Grid.Z(i, j), band->Grid.Z(i, j), 1e-5) << i << ", " << j;
      }
    }
  }
}

constexpr EstimationSolver kSolvers[] = {EstimationSolver::Band, EstimationSolver::Sparse,
                                         EstimationSolver::Iterative};

// A gentle plane of heights over the 100 x 100 grid, none inside `hole`.
PreparedData TiltedData(double x0, double y0, double x1, double y1) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> position(0, 100);
  std::vector<Height> heights;
  while (heights.size() < 200) {
    const double x = position(random), y = position(random);
    if (x > x0 && x < x1 && y > y0 && y < y1) continue;
    heights.push_back({x, y, 40 + 0.2 * x + 0.1 * y});
  }
  return MakeData(heights);
}

// A closed trace round 7 x 7 nodes (x and y 35 ... 65) holds what its data
// fix: every solver refuses the same pieces with the same words before it
// runs, and takes the same ones.
TEST(FaultEstimation, WhatAPieceOfTheGridDeterminesIsJudgedBeforeAnySolver) {
  const FaultTraces loop =
      testing::MakeTraces({{{32, 32}, {68, 32}, {68, 68}, {32, 68}, {32, 32}}});
  struct Case {
    const char* what;
    std::vector<Height> inside;
    bool dip;
    double m1;
    const char* refusal;  // null when the run goes ahead
  };
  const Case cases[] = {
      {"three heights on a line", {{40, 50, 50}, {50, 50, 52}, {60, 50, 54}}, false, 0, "一直線上"},
      {"no datum", {}, false, 0, "位置データ 0 個"},
      {"one height and a dip", {{50, 50, 52}}, true, 0, nullptr},
      {"three heights off a line", {{40, 50, 50}, {50, 55, 52}, {60, 50, 54}}, false, 0, nullptr},
      {"a hair off", {{40, 50, 50}, {50, 50.0005, 52}, {60, 50, 54}}, false, 0, "一直線上"},
      {"clearly off", {{40, 50, 50}, {50, 50.3, 52}, {60, 50, 54}}, false, 0, nullptr},
      {"one height holds the level with m1", {{50, 50, 52}}, false, 1, nullptr},
      {"but no datum never does", {}, true, 1, "位置データが 1 個以上必要"},
  };
  for (const Case& c : cases) {
    PreparedData data = TiltedData(32, 32, 68, 68);
    for (const Height& h : c.inside) {
      data.XH.push_back(h.x);
      data.YH.push_back(h.y);
      data.ZH.push_back(h.z);
      data.LH.push_back(0);
    }
    if (c.dip) testing::AddDip(data, 45, 45, 0.1, 0);
    EstimationParameters p = StepGrid(loop);
    p.M1 = c.m1;
    p.Ratio = 1;
    std::optional<Result<EstimationResult>> first;
    for (EstimationSolver solver : kSolvers) {
      Result<EstimationResult> run = RunEstimation(data, p, {}, solver);
      if (c.refusal != nullptr) {
        ASSERT_FALSE(run) << c.what;
        const std::string& message = run.failure().message;
        EXPECT_NE(message.find("断層で区切られた区画（x = 35, y = 35 の格子点を含む 49 点）"),
                  std::string::npos)
            << message;
        EXPECT_NE(message.find(c.refusal), std::string::npos) << message;
        if (first) {
          EXPECT_EQ(message, first->failure().message) << c.what;
        }
      } else {
        ASSERT_TRUE(run) << c.what << ": " << run.failure().message;
        if (first) {
          EXPECT_NEAR(run->Grid.Z(11, 11), (*first)->Grid.Z(11, 11), 1e-4) << c.what;
        }
      }
      if (!first) first.emplace(std::move(run));
    }
  }
  // Without faults the whole grid is the piece.
  const PreparedData line = MakeData({{10, 50, 50}, {50, 50, 52}, {90, 50, 54}});
  for (EstimationSolver solver : kSolvers) {
    const Result<EstimationResult> run = RunEstimation(line, StepGrid({}), {}, solver);
    ASSERT_FALSE(run);
    EXPECT_NE(run.failure().message.find("位置データ 3 個が一直線上にあり"), std::string::npos)
        << run.failure().message;
  }
}

// Two traces a cell apart leave a column of 41 nodes that bends freely
// across: its curvature rows hold only a line along it, which two heights
// fix and one does not.
TEST(FaultEstimation, AColumnBetweenTwoTracesIsALineThatTwoHeightsFix) {
  EstimationParameters p =
      StepGrid(testing::MakeTraces({{{47.5, -20}, {47.5, 220}}, {{52.5, -20}, {52.5, 220}}}));
  p.Ymax = 200;
  p.Ny = 41;
  std::vector<Height> heights = {{20, 30, 1},  {30, 150, 2}, {10, 90, 3}, {80, 30, 4},
                                 {70, 170, 5}, {90, 100, 6}, {50, 40, 10}};
  for (const bool two : {false, true}) {
    if (two) heights.push_back({50, 160, 22});
    for (EstimationSolver solver : kSolvers) {
      const Result<EstimationResult> run = RunEstimation(MakeData(heights), p, {}, solver);
      if (!two) {
        ASSERT_FALSE(run);
        EXPECT_NE(run.failure().message.find("x = 50, y = 0 の格子点を含む 43 点"),
                  std::string::npos)
            << run.failure().message;
        continue;
      }
      ASSERT_TRUE(run) << run.failure().message;
      for (const std::int32_t j : {1, 21, 41}) {
        EXPECT_NEAR(run->Grid.Z(11, j), 10 + 0.1 * (5 * (j - 1) - 40), 1e-6) << j;
      }
    }
  }
}

// Three traces that cross round the node at (50, 50) cut it off alone. With a
// height it is a piece of its own; without, it is tied weakly to its
// neighbours and takes their level, on every solver.
TEST(FaultEstimation, ASliverBetweenCrossingTracesIsTiedOrHeldByItsOwnHeight) {
  const FaultTraces crossing =
      testing::MakeTraces({{{40, 47}, {60, 47}}, {{44, 41}, {54, 59}}, {{56, 41}, {46, 59}}});
  const EstimationGrid grid = testing::MakeEstimationGrid(23, 23, -5, -5, 5, 5);
  const std::vector<std::int32_t> block = FaultCuts(grid, crossing).BlockOfNodes();
  EXPECT_EQ(std::count(block.begin(), block.end(), block[grid.Unknown(12, 12)]), 1);

  for (const bool ownHeight : {false, true}) {
    PreparedData data = TiltedData(45, 45, 55, 55);
    if (ownHeight) {
      data.XH.push_back(50.5);
      data.YH.push_back(50.5);
      data.ZH.push_back(100);
      data.LH.push_back(0);
    }
    for (EstimationSolver solver : kSolvers) {
      const Result<EstimationResult> run = RunEstimation(data, StepGrid(crossing), {}, solver);
      ASSERT_TRUE(run) << run.failure().message;
      EXPECT_EQ(run->Ties.tiedBlocks, ownHeight ? 0 : 1);
      const double z = run->Grid.Z(11, 11);
      if (ownHeight) {
        EXPECT_NEAR(z, 100, 1e-6);
      } else {
        EXPECT_NEAR(z, 40 + 0.2 * 50 + 0.1 * 50, 0.5);
      }
      // Its neighbours hardly feel it.
      EXPECT_NEAR(run->Grid.Z(11, 14), 40 + 0.2 * 50 + 0.1 * 65, 0.05);
      // The deviations, exactly and in two levels, rebuild the pass with its ties.
      for (const std::int64_t exactUpTo : {std::int64_t{1'200'000}, std::int64_t{100}}) {
        UncertaintySettings settings;
        settings.exactUpTo = exactUpTo;
        const Result<Uncertainty> sd =
            EstimateUncertainty(data, StepGrid(crossing), *run, {}, settings);
        ASSERT_TRUE(sd) << sd.failure().message;
        EXPECT_TRUE(std::isfinite(sd->Sd.Z(11, 11)));
        EXPECT_GT(sd->Sd.Z(11, 11), sd->Sd.Z(11, 14));
      }
    }
  }
}

// Many short traces at random cross and abut, leave thin and hinged pieces
// and slivers: they estimate on every solver alike, what no datum fixes tied.
TEST(FaultEstimation, ManyShortCrossingTracesEstimateOnEverySolver) {
  std::mt19937 random(31);
  std::uniform_real_distribution<double> unit(0, 1);
  std::vector<std::vector<std::pair<double, double>>> lines;
  for (int k = 0; k < 40; ++k) {
    const double x = 100 * unit(random), y = 100 * unit(random);
    const double angle = 3.14159 * unit(random), length = 5 + 15 * unit(random);
    lines.push_back({{x, y}, {x + length * std::cos(angle), y + length * std::sin(angle)}});
  }
  std::vector<Height> heights;
  for (int k = 0; k < 1500; ++k) {
    const double x = 100 * unit(random), y = 100 * unit(random);
    heights.push_back({x, y, 20 * std::sin(x / 15) * std::cos(y / 20) + 0.3 * x});
  }
  EstimationParameters p;
  p.Xmax = p.Ymax = 100;
  p.Nx = p.Ny = 101;
  p.Faults = testing::MakeTraces(lines);
  std::optional<EstimationResult> first;
  for (EstimationSolver solver : kSolvers) {
    Result<EstimationResult> run = RunEstimation(MakeData(heights), p, {}, solver);
    ASSERT_TRUE(run) << run.failure().message;
    EXPECT_GT(run->Ties.tiedBlocks, 0);
    if (!first) {
      first = std::move(*run);
      continue;
    }
    for (std::int32_t i = 1; i <= 101; ++i) {
      for (std::int32_t j = 1; j <= 101; ++j) {
        ASSERT_NEAR(run->Grid.Z(i, j), first->Grid.Z(i, j), 1e-4) << i << ", " << j;
      }
    }
  }
}

// A bed dipping 45 degrees east, thrown down 40 m east of a trace that runs
// north between node columns: heights and dips right beside the trace are
// read from their own side, so the bed comes back as it lies.
TEST(FaultEstimation, HeightsAndDipsBesideATraceReadTheBedOnTheirOwnSide) {
  const double trace = 103;  // 0.3 cells east of the column at x = 100
  auto bed = [trace](double x) { return x < trace ? 300 - x : 260 - x; };
  std::mt19937 random(11);
  std::uniform_real_distribution<double> position(0, 200);
  std::vector<Height> heights;
  for (int k = 0; k < 300; ++k) {
    const double x = position(random), y = position(random);
    heights.push_back({x, y, bed(x)});
  }
  PreparedData data = MakeData(heights);
  // Half a cell and less from the trace, on either side.
  for (const double x : {98.0, 102.0, 104.0, 108.0}) testing::AddDip(data, x, 100, -1, 0);
  EstimationParameters p;
  p.Xmax = p.Ymax = 200;
  p.Nx = p.Ny = 21;
  p.Ratio = 1;
  p.Faults = testing::MakeTraces({{{trace, -20}, {trace, 220}}});
  for (EstimationSolver solver : kSolvers) {
    const Result<EstimationResult> run = RunEstimation(data, p, {}, solver);
    ASSERT_TRUE(run) << run.failure().message;
    EXPECT_EQ(run->DroppedHeights + run->DroppedDips, 0);
    for (std::int32_t i = 1; i <= 21; ++i) {
      const double x = (i - 1) * 10.0;
      if (std::abs(x - trace) > 20) continue;
      for (std::int32_t j = 1; j <= 21; ++j) {
        ASSERT_NEAR(run->Grid.Z(i, j), bed(x), 0.5) << i << ", " << j;
      }
    }
  }
}

}  // namespace
}  // namespace kessadon
