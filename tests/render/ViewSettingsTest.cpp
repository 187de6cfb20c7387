#include <gtest/gtest.h>

#include "render/ViewSettings.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

TEST(TakeViewTexts, EmptyKeepsAndNonNumbersGiveZero) {
  ViewProjection view;
  view.Alpha = 10;
  view.Gamma = 20;
  view.Sca = 1.5;
  view.Zbase = 7;
  ViewTexts texts;
  texts.Alpha = "  135.5deg";
  texts.Gamma = "abc";
  texts.Ve = "2e1";
  TakeViewTexts(view, texts);
  EXPECT_EQ(view.Alpha, 135.5);
  EXPECT_EQ(view.Gamma, 0);
  EXPECT_EQ(view.Ve, 20);
  EXPECT_EQ(view.Sca, 1.5);
  EXPECT_EQ(view.Zbase, 7);
  EXPECT_EQ(view.Dist, NoPerspective);
}

TEST(PlanViewTexts, AreTheTwoDimensionalSetting) {
  const ViewTexts texts = PlanViewTexts();
  EXPECT_EQ(texts.Alpha, "180");
  EXPECT_EQ(texts.Gamma, "90");
  EXPECT_EQ(texts.Sca, "1.8");
  EXPECT_EQ(texts.Ve, "1");
  EXPECT_EQ(texts.Zbase, "-99999");
  EXPECT_EQ(texts.Dist, "10000000000");
  EXPECT_EQ(texts.Ppz, "0");

  const GridData grid = testing::MakeGrid({3, 3, 10, 10}, [](int i, int j) { return i + j; });
  ViewProjection view;
  view.Ppz = 55;
  EXPECT_TRUE(TakeViewSettings(view, texts, grid, DataExtent{}, 300, 300));
  EXPECT_EQ(view.Dist, NoPerspective);
  EXPECT_EQ(view.Zbase, NoBase);
  EXPECT_EQ(view.Ppz, 0);
}

TEST(DefaultViewTexts, ComeFromTheDefaultsAndTheLowestNode) {
  ViewLightDefaults defaults;
  defaults.AlphaDefault = 200.5;
  defaults.GammaDefault = 35;
  defaults.ScaDefault = 1.25;
  defaults.VeDefault = 3;
  const ViewTexts texts = DefaultViewTexts(defaults, 12.3);
  EXPECT_EQ(texts.Alpha, "200.5");
  EXPECT_EQ(texts.Gamma, "35");
  EXPECT_EQ(texts.Sca, "1.25");
  EXPECT_EQ(texts.Ve, "3");
  EXPECT_EQ(texts.Zbase, "11");  // Int(12.3 - 0.5)
  EXPECT_EQ(texts.Dist, "10000000000");
  EXPECT_EQ(texts.Ppz, "0");
  EXPECT_EQ(DefaultViewTexts(defaults, -0.2).Zbase, "-1");
}

TEST(BaseSwitch, KeepsTheLastBaseHeightWhileOff) {
  SavedViewValues saved;
  EXPECT_EQ(BaseSwitchText(true, NoBase, saved), "0");  // the first start
  EXPECT_EQ(BaseSwitchText(false, 87.5, saved), "-99999");
  EXPECT_EQ(saved.SavedZbase, 87.5);
  // Switching off again while off must not forget the height.
  EXPECT_EQ(BaseSwitchText(false, NoBase, saved), "-99999");
  EXPECT_EQ(BaseSwitchText(true, NoBase, saved), "87.5");
}

TEST(PerspectiveSwitch, FirstShowsZeroThenTheLastValues) {
  SavedViewValues saved;
  PerspectiveTexts on = PerspectiveSwitchTexts(true, NoPerspective, 0, saved);
  EXPECT_EQ(on.Dist, "0");
  EXPECT_EQ(on.Ppz, "0");
  PerspectiveTexts off = PerspectiveSwitchTexts(false, 2000, 150, saved);
  EXPECT_EQ(off.Dist, "10000000000");
  EXPECT_EQ(off.Ppz, "0");
  on = PerspectiveSwitchTexts(true, NoPerspective, 0, saved);
  EXPECT_EQ(on.Dist, "2000");
  EXPECT_EQ(on.Ppz, "150");
}

}  // namespace
}  // namespace kessadon
