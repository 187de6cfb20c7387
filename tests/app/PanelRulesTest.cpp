#include <QCheckBox>

#include "AppFixture.h"
#include "app/AppReset.h"

namespace kessadon::testing {
namespace {

struct Flags {
  int grid, view, contour, light, data;
  bool contourLines;
};

// Which display commands the rule opens, in the order
// grid, contour, shade, colour contour, colour shade, data.
struct Case {
  Flags flags;
  std::array<bool, 6> enabled;
};

class DisplayCommandsTest : public AppTest, public ::testing::WithParamInterface<Case> {};

TEST_P(DisplayCommandsTest, FollowTheFlags) {
  const Case& c = GetParam();
  // Levels with a range let the contour-line box stay ticked; it is set
  // before the flags so that its own handling does not decide the outcome.
  AppState& s = state();
  s.Levels.Cst = 0;
  s.Levels.Cen = 10;
  Find<QCheckBox>("chkContour")->setChecked(c.flags.contourLines);
  s.GridLoaded = c.flags.grid;
  s.ViewReady = c.flags.view;
  s.ContourReady = c.flags.contour;
  s.LightReady = c.flags.light;
  s.DataReady = c.flags.data;
  UpdateDisplayCommands(context());
  const char* names[] = {"cmdDisplayGrid",         "cmdDisplayContour",    "cmdDisplayShade",
                         "cmdDisplayColorContour", "cmdDisplayColorShade", "cmdDisplayData"};
  for (int k = 0; k < 6; ++k) EXPECT_EQ(Enabled(names[k]), c.enabled[k]) << names[k];
}

constexpr bool Y = true, N = false;

INSTANTIATE_TEST_SUITE_P(
    Combinations, DisplayCommandsTest,
    ::testing::Values(
        // Nothing without both a grid and a view, whatever else is ready.
        Case{{0, 0, 1, 1, 1, true}, {N, N, N, N, N, N}},
        Case{{1, 0, 1, 1, 1, true}, {N, N, N, N, N, N}},
        Case{{0, 1, 1, 1, 1, true}, {N, N, N, N, N, N}},
        // A grid and a view: grid lines, contour lines only with the box ticked.
        Case{{1, 1, 0, 0, 0, false}, {Y, N, N, N, N, N}},
        Case{{1, 1, 0, 0, 0, true}, {Y, Y, N, N, N, N}},
        Case{{1, 1, 1, 0, 0, false}, {Y, N, N, Y, N, N}},
        Case{{1, 1, 0, 1, 0, false}, {Y, N, Y, N, N, N}},
        Case{{1, 1, 1, 1, 0, false}, {Y, N, Y, Y, Y, N}},
        Case{{1, 1, 0, 0, 1, false}, {Y, N, N, N, N, Y}},
        Case{{1, 1, 1, 1, 1, true}, {Y, Y, Y, Y, Y, Y}}),
    [](const ::testing::TestParamInfo<Case>& testInfo) {
      const Flags& f = testInfo.param.flags;
      return "grid" + std::to_string(f.grid) + "_view" + std::to_string(f.view) + "_contour" +
             std::to_string(f.contour) + "_light" + std::to_string(f.light) + "_data" +
             std::to_string(f.data) + (f.contourLines ? "_lines" : "");
    });

TEST_F(AppTest, DisplayCommandsCloseAgainWhenAFlagDrops) {
  state().GridLoaded = state().ViewReady = state().DataReady = 1;
  UpdateDisplayCommands(context());
  ASSERT_TRUE(Enabled("cmdDisplayData"));
  state().ViewReady = 0;
  UpdateDisplayCommands(context());
  EXPECT_FALSE(Enabled("cmdDisplayGrid"));
  EXPECT_FALSE(Enabled("cmdDisplayData"));
}

TEST_F(AppTest, EstimationPanelWithDipData) {
  state().Data.Prepared.HasDipData = true;
  ResetEstimationPanel(context());
  EXPECT_EQ(Text("txtRatio"), "1");
  EXPECT_EQ(state().AlphaStep, 1);
  EXPECT_TRUE(Enabled("txtRatio"));
  EXPECT_TRUE(Enabled("lblRatio"));
  EXPECT_FALSE(Enabled("txtAlphaMax"));
  EXPECT_EQ(Text("txtAlphaMin"), "32");
}

TEST_F(AppTest, EstimationPanelWithBoundData) {
  Find<QLineEdit>("txtXmin")->setText("5");
  Find<QLineEdit>("txtM1")->setText("7");
  state().Data.Prepared.HasBoundData = true;
  ResetEstimationPanel(context());
  EXPECT_EQ(Text("txtAlphaMin"), "0.25");
  EXPECT_EQ(Text("txtAlphaMax"), "16");
  EXPECT_EQ(Text("txtNitr"), "6");
  EXPECT_EQ(state().AlphaMin, 0.25);
  EXPECT_EQ(state().AlphaMax, 16);
  EXPECT_EQ(state().Nitr, 6);
  for (const char* name : {"txtAlphaMax", "txtNitr", "lblAlphaMax", "lblNitr"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  EXPECT_FALSE(Enabled("txtRatio"));
  EXPECT_EQ(Text("txtXmin"), "");
  EXPECT_EQ(Text("txtM1"), "0");

  // Clearing the data closes the fields again.
  state().Data.Prepared.HasBoundData = false;
  ResetEstimationPanel(context());
  EXPECT_FALSE(Enabled("txtAlphaMax"));
  EXPECT_EQ(Text("txtAlphaMin"), "32");
}

}  // namespace
}  // namespace kessadon::testing
