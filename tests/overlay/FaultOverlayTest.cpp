#include <gtest/gtest.h>

#include <cstdint>
#include <tuple>
#include <vector>

#include "estimate/FaultCuts.h"
#include "overlay/FaultOverlay.h"
#include "render/ViewSettings.h"
#include "support/RecordingSurface.h"
#include "support/TestGrids.h"
#include "support/TestViews.h"

namespace kessadon {
namespace {

using Drawn = std::vector<std::tuple<SurfaceOp, std::vector<SurfacePoint>, Color, int>>;

Drawn DrawnBy(const RecordingSurface& surface) {
  Drawn drawn;
  for (const RecordedOperation& op : surface.Operations()) {
    drawn.emplace_back(op.op, op.points, op.color, op.drawWidth);
  }
  return drawn;
}

// A slope rising east, cut by a fault running north across it: the faulted
// picture is the contour picture without lines in the cut cells and the trace
// drawn over it, in plan and in 3-D; without a fault it is the plain picture.
TEST(FaultedGridPicture, LeavesTheCutCellsWithoutLinesAndDrawsTheTraceLast) {
  const GridData grid = testing::MakeGrid({.nx = 21, .ny = 11, .dx = 10, .dy = 10},
                                          [](int i, int j) { return 3.0 * i + j; });
  GridPictureSettings settings;
  settings.mode = DisplayMode::Contour;
  settings.options.Contour = true;
  settings.levels = {0, 80, 5, 1};
  FaultTraces faults;
  faults.traces.push_back({{95, 105}, {-10, 110}});
  const NodeArray<std::uint8_t> cut = FaultCutCells(grid, faults);
  for (const ViewTexts& texts : {PlanViewTexts(), testing::ThreeD(225, 30)}) {
    // As the fronts drew it step by step: the grid picture with the cut
    // cells left without lines, then the traces.
    auto stepwise = [&](const NodeArray<std::uint8_t>* uncontoured, const FaultTraces& traces) {
      RecordingSurface surface(400, 300);
      ViewProjection view = testing::ViewOf(texts, grid, 400, 300);
      NodeArray<Color> cellColors;
      GridPictureSettings withCuts = settings;
      withCuts.options.Uncontoured = uncontoured;
      EXPECT_TRUE(DrawGridPicture(surface, grid, view, DataExtent{}, cellColors, withCuts));
      if (!traces.traces.empty()) DrawFaultTraces(surface, grid, view, traces);
      return DrawnBy(surface);
    };
    auto faulted = [&](const FaultTraces& traces) {
      RecordingSurface surface(400, 300);
      ViewProjection view = testing::ViewOf(texts, grid, 400, 300);
      NodeArray<Color> cellColors;
      EXPECT_TRUE(
          DrawFaultedGridPicture(surface, grid, view, DataExtent{}, cellColors, settings, traces));
      return DrawnBy(surface);
    };
    EXPECT_EQ(faulted({}), stepwise(nullptr, {}));
    const Drawn withFault = faulted(faults);
    EXPECT_EQ(withFault, stepwise(&cut, faults));
    EXPECT_EQ(std::get<2>(withFault.back()), kFaultColor);
    // The lines crossed the fault's cells, which left some of them out.
    EXPECT_LT(stepwise(&cut, {}).size(), stepwise(nullptr, {}).size());
  }
}

}  // namespace
}  // namespace kessadon
