#include <gtest/gtest.h>

#include "color/ColorModes.h"
#include "support/TestGrids.h"

namespace kessadon {
namespace {

// A palette whose slot k reads as red k, so a packed colour names its slot.
Palette NumberedPalette(double count) {
  ColorTable table;
  table.NColor = count;
  for (int k = 1; k <= kMaxColors; ++k) table.ColorR[k] = k;
  return PaletteFromTable(table);
}

int SlotOf(std::int32_t color) { return color == PackColor(255, 255, 255) ? 0 : color & 0xFF; }

GridData Column(const std::vector<double>& heights) {
  return testing::MakeGrid({.ny = static_cast<int>(heights.size())},
                           [&](int, int j) { return heights[j - 1]; });
}

const ContourLevels kBy5{0, 100, 5, 1};

TEST(ColorContour, BandsIncludeTheirUpperLevel) {
  const GridData grid = Column({37, 40, 40.00001, 0, -3, 100, 120});
  for (const auto& [count, slots] :
       {std::pair<double, std::vector<int>>{20, {8, 8, 8, 1, 1, 20, 20}},
        {44, {8, 8, 8, 1, 1, 20, 44}}}) {
    NodeArray<std::int32_t> cells(1, grid.Ny);
    FillColorContour(grid, kBy5, NumberedPalette(count), cells);
    for (int j = 1; j <= grid.Ny; ++j) {
      EXPECT_EQ(cells(1, j) & 0xFF, slots[j - 1]) << count << " colours, z " << grid.Z(1, j);
    }
  }
  // Slots past the table read white.
  EXPECT_EQ(NumberedPalette(20).PalG[21], 255);
}

TEST(ColorShade, BandsOfNineShadesStartAtTheirLowerLevel) {
  const GridData grid = Column({40, 40, 100, 100, 0.5, 101, -1});
  NodeArray<std::int32_t> cells(1, grid.Ny);
  const int greys[] = {252, 0, 255, 0, 231, 0, 0};
  for (int j = 1; j <= grid.Ny; ++j) cells(1, j) = greys[j - 1];
  FillColorShade(grid, kBy5, NumberedPalette(190), cells);
  const int slots[] = {74, 82, 182, 190, 3};  // band 9, band 9, band 21, band 21, band 1
  for (int j = 1; j <= 5; ++j) EXPECT_EQ(SlotOf(cells(1, j)), slots[j - 1]) << grid.Z(1, j);
  EXPECT_EQ(cells(1, 6), PackColor(255, 255, 255));
  EXPECT_EQ(cells(1, 7), PackColor(0, 0, 0));
}

TEST(ColorModes, RefusalsSayWhatToChange) {
  const ContourLevels by4{0, 100, 4, 1};  // 25 bands
  EXPECT_EQ(ColorContourRefusal(25, 20, by4), "コンターが 20色を超えるときには利用できません");
  EXPECT_EQ(ColorShadeRefusal(25, by4), "コンターが２０色を超えるときには利用できません");
  EXPECT_FALSE(ColorContourRefusal(20, 20, kBy5));
  EXPECT_FALSE(ColorShadeRefusal(20, kBy5));
  EXPECT_FALSE(ColorShadeRefusal(20, ContourLevels{100, 0, -5, 1})) << "downward levels are fine";

  const ContourLevels noInterval{0, 100, 0, 1};
  const ContourLevels reversed{100, 0, 5, 1};
  for (const ContourLevels& levels : {noInterval, reversed}) {
    const std::optional<std::string> contour = ColorContourRefusal(0, 20, levels);
    ASSERT_TRUE(contour);
    EXPECT_NE(contour->find("間　隔"), std::string::npos) << *contour;
    EXPECT_EQ(ColorShadeRefusal(0, levels), contour);
  }
}

}  // namespace
}  // namespace kessadon
