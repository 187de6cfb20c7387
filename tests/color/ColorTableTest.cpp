#include <gtest/gtest.h>

#include <string>

#include "color/ColorTable.h"

namespace kessadon {
namespace {

// A table text of `records` colours announced as `count`; colour i is (i, 2i, 3i).
std::string TableText(const std::string& count, int records) {
  std::string text = count + "\n";
  for (int i = 1; i <= records; ++i) {
    text += std::to_string(i) + "," + std::to_string(2 * i) + "," + std::to_string(3 * i) + "\n";
  }
  return text;
}

TEST(ColorTable, CountsRoundHalfToEvenAndRefusalsKeepNothing) {
  ColorTable previous;
  previous.NColor = 5;
  previous.ColorR[22] = 77;  // beyond any new table: must survive a load
  struct Case {
    std::string text;
    bool ok;
    double nColor;
    int line;  // of a refusal
  };
  for (const Case& c : {
           Case{TableText("20", 20), true, 20, 0}, Case{TableText("20.4", 20), true, 20.4, 0},
           Case{TableText("20.5", 20), true, 20.5, 0},
           Case{TableText("21.5", 21), false, 0, 0},  // needs 22 colours
           Case{TableText("300", 256), false, 0, 1}, Case{TableText("0", 3), false, 0, 1},
           Case{TableText("-2", 3), false, 0, 1}, Case{"", false, 0, 0},
           Case{"2\n10\n20\n30\n40\n50\n60\n", true, 2, 0},  // one number a line
       }) {
    Result<ColorTable> table = ParseColorTable(c.text, previous);
    ASSERT_EQ(table.ok(), c.ok) << c.text.substr(0, 8);
    if (!c.ok) {
      EXPECT_EQ(table.failure().line, c.line) << c.text.substr(0, 8);
      continue;
    }
    EXPECT_EQ(table->NColor, c.nColor);
    EXPECT_EQ(table->ColorR[22], 77);
  }
  const ColorTable two = *ParseColorTable("2\n10\n20\n30\n40\n50\n60\n", previous);
  EXPECT_EQ(two.ColorB[1], 30);
  EXPECT_EQ(two.ColorR[2], 40);
}

TEST(ColorTable, ShippedTablesHoldTheColoursTheirCaptionsAnnounce) {
  const std::string folder = std::string(KESSADON_SOURCE_DIR) + "/data/";
  const std::pair<const char*, double> files[] = {{"Color1.txt", 20},
                                                  {"Color2.txt", 43},
                                                  {"Color3.txt", 36},
                                                  {"Color4.txt", 44},
                                                  {"ColorShd.txt", 190}};
  for (const auto& [name, count] : files) {
    Result<ColorTable> table = LoadColorTable(folder + name, ColorTable{});
    ASSERT_TRUE(table) << name << ": " << Describe(table.failure());
    EXPECT_EQ(table->NColor, count) << name;
  }
}

}  // namespace
}  // namespace kessadon
