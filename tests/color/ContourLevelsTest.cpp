#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "color/ContourLevels.h"

namespace kessadon {
namespace {

// The automatic levels as the fields end up, then taken.
ContourLevels Taken(const AutoContourTexts& texts) {
  ContourLevels levels;
  TakeContourLevels(levels, {texts.Cst, texts.Cen, texts.Cin});
  return levels;
}

TEST(AutoContourLevels, WholeNumbersAroundTheRange) {
  const AutoContourTexts texts = AutoContourLevels("20", 12.3, 87.6);
  EXPECT_FALSE(texts.SepInt);
  EXPECT_EQ(texts.Cst, "12");
  EXPECT_EQ(texts.Cen, "88");
  EXPECT_EQ(texts.Cin, "4");  // Int(76 / 20 + 0.99999)
  EXPECT_EQ(ContourBandCount({texts.Cst, texts.Cen, texts.Cin}), 19);
  const ContourLevels levels = Taken(texts);
  EXPECT_EQ(levels.Cst, 12);
  EXPECT_EQ(levels.Cen, 88);
  EXPECT_EQ(levels.Cin, 4);
  EXPECT_EQ(levels.ContourReady, 1);
}

TEST(AutoContourLevels, SmallRangeGetsAWholeInterval) {
  const AutoContourTexts texts = AutoContourLevels("20", 0.2, 0.7);
  EXPECT_EQ(texts.Cst, "0");
  EXPECT_EQ(texts.Cen, "1");
  EXPECT_EQ(texts.Cin, "1");
  EXPECT_EQ(ContourBandCount({texts.Cst, texts.Cen, texts.Cin}), 1);
}

TEST(AutoContourLevels, ValueJustAboveAWholeNumberIsTakenDown) {
  EXPECT_EQ(AutoContourLevels("10", 0, 100.000001).Cen, "100");
  EXPECT_EQ(AutoContourLevels("10", 0, 100.0001).Cen, "101");
  EXPECT_EQ(AutoContourLevels("10", -7.5, 3).Cst, "-8");
}

TEST(AutoContourLevels, FlatGridHasNoInterval) {
  const AutoContourTexts texts = AutoContourLevels("20", 50, 50);
  EXPECT_EQ(texts.Cst, "50");
  EXPECT_EQ(texts.Cen, "50");
  EXPECT_EQ(texts.Cin, "0");
  EXPECT_FALSE(ContourBandCount({texts.Cst, texts.Cen, texts.Cin}));
  const ContourLevels levels = Taken(texts);
  EXPECT_EQ(levels.ContourReady, 0);
  EXPECT_FALSE(ContourLinesPossible(levels));
}

TEST(AutoContourLevels, NegativeDivisionsAreTakenAsTyped) {
  EXPECT_EQ(AutoContourLevels("-5", 0, 100).Cin, "-20");
  // Int(-0.05 + 0.99999) is 0: the interval is then the quotient itself.
  EXPECT_EQ(AutoContourLevels("-20", 0, 1).Cin, "-0.05");
}

TEST(AutoContourLevels, DivisionsBelowOneBecomeOne) {
  for (const char* text : {"0", "", "abc", "0.7"}) {
    const AutoContourTexts texts = AutoContourLevels(text, 0, 10);
    ASSERT_TRUE(texts.SepInt) << text;
    EXPECT_EQ(*texts.SepInt, "1");
    EXPECT_EQ(texts.Cin, "10") << text;
  }
  const AutoContourTexts twoPointSeven = AutoContourLevels("2.7", 0, 10);
  EXPECT_FALSE(twoPointSeven.SepInt);
  EXPECT_EQ(twoPointSeven.Cin, "5");  // 2.7 counts as 2
  // Beyond the 16-bit count it is held there, not overflowed.
  EXPECT_EQ(AutoContourLevels("1e9", 0, 100).Cin, "1");
}

TEST(ContourBandCount, RoundsAnUnevenDivisionUp) {
  EXPECT_EQ(ContourBandCount({"0", "100", "30"}), 4);
  EXPECT_EQ(ContourBandCount({"0", "100", "25"}), 4);
  EXPECT_EQ(ContourBandCount({"0", "100.000001", "25"}), 4);
  EXPECT_FALSE(ContourBandCount({"0", "100", "0"}));
  EXPECT_FALSE(ContourBandCount({"0", "100", "x"}));
  EXPECT_FALSE(ContourBandCount({"-1e999", "100", "1"}));
}

TEST(TakeContourLevels, EmptyFieldKeepsTheLevelWhileTheCountReadsZero) {
  ContourLevels levels{10, 50, 5, 0};
  const ContourTexts texts{"", "100", "30"};
  EXPECT_EQ(ContourBandCount(texts), 4);  // start read as 0
  TakeContourLevels(levels, texts);
  EXPECT_EQ(levels.Cst, 10);
  EXPECT_EQ(levels.Cen, 100);
  EXPECT_EQ(levels.Cin, 30);
  EXPECT_EQ(levels.ContourReady, 1);
}

TEST(TakeContourLevels, ZeroIntervalNeverLowersReadiness) {
  ContourLevels levels;
  TakeContourLevels(levels, {"0", "10", "0"});
  EXPECT_EQ(levels.ContourReady, 0);
  TakeContourLevels(levels, {"0", "10", "2"});
  EXPECT_EQ(levels.ContourReady, 1);
  TakeContourLevels(levels, {"0", "10", "0"});
  EXPECT_EQ(levels.Cin, 0);
  EXPECT_EQ(levels.ContourReady, 1);
}

LevelRequest Typed(ContourTexts texts, ContourLevels previous = {}) {
  return {std::move(texts), "20", previous};
}
LevelRequest Divisions(std::string text, ContourLevels previous = {}) {
  return {std::nullopt, std::move(text), previous};
}

// Typed fields, the divisions field and a colour table's count as the
// divisions, each as the panel then reads and the pictures take them.
TEST(ChooseContourLevels, TypedOrFromTheDivisions) {
  struct Case {
    const char* what;
    LevelRequest request;
    double zmin, zmax;
    ContourLevels levels;
    std::optional<std::string> divisions;
    std::optional<double> bands;
  };
  const std::vector<Case> cases = {
      {"typed, divisions unread", Typed({"40", "120", "7.5"}), 3, 97, {40, 120, 7.5, 1}, {}, 11},
      {"empty field keeps its level",
       Typed({"", "100", "30"}, {10, 50, 5, 0}),
       0,
       1,
       {10, 100, 30, 1},
       {},
       4},
      {"divisions", Divisions("20"), 12.3, 87.6, {12, 88, 4, 1}, {}, 19},
      {"colour count over a small range", Divisions("12"), 0, 10, {0, 10, 1, 1}, {}, 10},
      {"divisions below one", Divisions("0"), 0, 10, {0, 10, 10, 1}, "1", 1},
      {"flat grid", Divisions("20", {1, 2, 3, 0}), 50, 50, {50, 50, 0, 0}, {}, {}},
  };
  for (const Case& c : cases) {
    const ChosenLevels chosen = ChooseContourLevels(c.request, c.zmin, c.zmax);
    EXPECT_EQ(chosen.levels.Cst, c.levels.Cst) << c.what;
    EXPECT_EQ(chosen.levels.Cen, c.levels.Cen) << c.what;
    EXPECT_EQ(chosen.levels.Cin, c.levels.Cin) << c.what;
    EXPECT_EQ(chosen.levels.ContourReady, c.levels.ContourReady) << c.what;
    EXPECT_EQ(chosen.divisions, c.divisions) << c.what;
    EXPECT_EQ(chosen.bands, c.bands) << c.what;
  }
}

TEST(LevelsWithin, TakesLevelsInsideWithATenThousandthTolerance) {
  const ContourLevels levels{0, 100, 10, 1};
  const LevelSpan inside = LevelsWithin(levels, 15, 47);
  EXPECT_EQ(inside.first, 2);
  EXPECT_EQ(inside.last, 4);
  EXPECT_EQ(LevelsWithin(levels, 20.0005, 39.9995).first, 2);  // 20 is within 0.001 below
  EXPECT_EQ(LevelsWithin(levels, 20.0005, 39.9995).last, 4);
  EXPECT_EQ(LevelsWithin(levels, 20.002, 39.998).first, 3);
  EXPECT_EQ(LevelsWithin(levels, 20.002, 39.998).last, 3);
  // Clipped to the start and end levels.
  EXPECT_EQ(LevelsWithin(levels, -500, 500).first, 0);
  EXPECT_EQ(LevelsWithin(levels, -500, 500).last, 10);
  EXPECT_TRUE(LevelsWithin(levels, 200, 300).Empty());
  EXPECT_TRUE(LevelsWithin({0, 100, 0, 1}, 0, 100).Empty());
  EXPECT_TRUE(LevelsWithin({0, 100, 1e-300, 1}, 0, 100).Empty());
}

// Round levels never make more bands than colours, cover the range, and
// take the finest round step that does: a range whose natural step makes
// one band too many (0.0995 ... 0.1994 in 20: 0.005 would make 21) moves up
// to the next.
TEST(RoundContourLevels, FitTheColoursOnTheFinestRoundStep) {
  struct Case {
    double zmin, zmax;
    int bands;
    double step;
  };
  const Case cases[] = {{0.0995, 0.1994, 20, 0.01}, {0.12, 0.39, 20, 0.02},
                        {3.2, 1870, 20, 100},       {-45, -3, 9, 5},
                        {0.5, 0.5, 20, 0.01},       {0.1, 0.4, 1, 0.5}};
  for (const Case& c : cases) {
    const ContourLevels l = RoundContourLevels(c.zmin, c.zmax, c.bands);
    const double bands = std::round((l.Cen - l.Cst) / l.Cin);
    EXPECT_NEAR(l.Cin, c.step, 1e-9 * c.step) << c.zmin << " ... " << c.zmax;
    EXPECT_LE(bands, c.bands) << c.zmin;
    EXPECT_LE(l.Cst, c.zmin);
    EXPECT_GE(l.Cen, c.zmax);
    EXPECT_EQ(l.ContourReady, 1);
  }
}

}  // namespace
}  // namespace kessadon
