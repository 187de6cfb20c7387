#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <utility>
#include <vector>

#include "EstimateTestData.h"
#include "estimate/EstimationRun.h"

namespace kessadon {
namespace {

using Stage = EstimationStage;
using StageOfPass = std::pair<int, Stage>;
constexpr Stage B = Stage::Building, A = Stage::Analysing, F = Stage::Factorising,
                I = Stage::Iterating;

// Heights of a tilted plane over 0 ... 100, every tenth a lower bound it
// touches; three passes on a square grid of `nodes` a side.
struct BoundData {
  PreparedData data;
  EstimationParameters params;
};
BoundData BoundRun(std::int32_t nodes) {
  std::mt19937 random(17);
  std::uniform_real_distribution<double> position(0, 100);
  std::vector<testing::Height> heights;
  for (int k = 0; k < 400; ++k) {
    const double x = position(random), y = position(random);
    heights.push_back({x, y, 20 + 0.3 * x - 0.1 * y, static_cast<std::int16_t>(k % 10 == 0)});
  }
  BoundData run{testing::MakeData(heights), {}};
  run.params.Xmax = run.params.Ymax = 100;
  run.params.Nx = run.params.Ny = nodes;
  run.params.AlphaMin = 0.25;
  run.params.AlphaMax = 16;
  run.params.Nitr = 3;
  return run;
}

// The stages the steps went through, in order; within each the share has to
// start at 0, never fall, and end at 1.
std::vector<StageOfPass> Stages(const std::vector<EstimationProgressStep>& steps) {
  std::vector<StageOfPass> stages;
  for (std::size_t k = 0; k < steps.size(); ++k) {
    const EstimationProgressStep& step = steps[k];
    if (stages.empty() || stages.back() != StageOfPass{step.pass, step.stage}) {
      EXPECT_EQ(step.fraction, 0) << step.pass;
      stages.emplace_back(step.pass, step.stage);
    } else {
      EXPECT_GE(step.fraction, steps[k - 1].fraction) << step.pass;
    }
    const bool last =
        k + 1 == steps.size() || steps[k + 1].pass != step.pass || steps[k + 1].stage != step.stage;
    if (last) {
      EXPECT_EQ(step.fraction, 1) << step.pass;
    }
  }
  return stages;
}

TEST(RunProgress, EachStageGrowsFromNothingToTheWhole) {
  struct Case {
    EstimationSolver solver;
    std::vector<StageOfPass> stages;
  };
  const Case cases[] = {
      {EstimationSolver::Band, {{1, B}, {1, F}, {2, B}, {2, F}, {3, B}, {3, F}}},
      // The pattern is analysed once, before the first factorisation.
      {EstimationSolver::Sparse, {{1, B}, {1, A}, {1, F}, {2, B}, {2, F}, {3, B}, {3, F}}},
      {EstimationSolver::Iterative, {{1, B}, {1, I}, {2, B}, {2, I}, {3, B}, {3, I}}},
  };
  const BoundData run = BoundRun(40);
  for (const Case& c : cases) {
    std::vector<EstimationProgressStep> steps;
    Result<EstimationResult> result = RunEstimation(
        run.data, run.params,
        [&steps](const EstimationProgressStep& step) {
          steps.push_back(step);
          return true;
        },
        c.solver);
    ASSERT_TRUE(result) << result.failure().message;
    EXPECT_EQ(Stages(steps), c.stages);
    EXPECT_TRUE(std::all_of(steps.begin(), steps.end(), [](auto& s) { return s.passes == 3; }));
    if (c.solver == EstimationSolver::Sparse) {
      // Told from inside CHOLMOD's factorisation, through the kernels it
      // calls, in later passes, which keep the factor's memory.
      EXPECT_TRUE(std::any_of(steps.begin(), steps.end(), [](auto& s) {
        return s.pass > 1 && s.stage == F && s.fraction > 0 && s.fraction < 1;
      }));
    }
  }
}

TEST(RunProgress, AStoppedRunReturnsCancelledAndNothingElse) {
  // Stops at the first step of the pass and stage, or with `within` at the
  // first whose share lies strictly between 0 and 1.
  struct Case {
    EstimationSolver solver;
    int pass;
    Stage stage;
    bool within;
  };
  const Case cases[] = {
      {EstimationSolver::Band, 1, B, true},       {EstimationSolver::Band, 2, F, false},
      {EstimationSolver::Sparse, 1, B, true},     {EstimationSolver::Sparse, 1, A, true},
      {EstimationSolver::Sparse, 1, F, true},     {EstimationSolver::Sparse, 2, B, false},
      {EstimationSolver::Sparse, 3, F, true},     {EstimationSolver::Iterative, 1, I, true},
      {EstimationSolver::Iterative, 2, I, false},
  };
  // Beyond 4000 nodes, for the iterative path to take more than one step.
  const BoundData run = BoundRun(80);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << static_cast<int>(c.solver) << " pass " << c.pass
                                      << " stage " << static_cast<int>(c.stage));
    bool stopped = false;
    auto progress = [&](const EstimationProgressStep& step) {
      EXPECT_FALSE(stopped) << "told after it said stop";
      if (step.pass != c.pass || step.stage != c.stage) return true;
      if (c.within && step.fraction == 0) {
        // Past the tenth of a second within which a stage is told only once.
        std::this_thread::sleep_for(std::chrono::milliseconds(120));
        return true;
      }
      stopped = !c.within || step.fraction < 1;
      return !stopped;
    };
    Result<EstimationResult> result = RunEstimation(run.data, run.params, progress, c.solver);
    EXPECT_TRUE(stopped);
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.failure().cancelled);
    EXPECT_EQ(result.failure().message, "推定を中止しました");
  }
}

}  // namespace
}  // namespace kessadon
