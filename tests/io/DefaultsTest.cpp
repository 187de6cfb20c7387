#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "TempFolder.h"
#include "io/Defaults.h"
#include "io/ProgramFiles.h"

namespace kessadon {
namespace {

std::string Pairs(int lines) {
  static const char* const kLines[] = {"視点方向",   "200", "視点の伏角", "40",  "図の倍率",   "2",
                                       "高さの強調", "3",   "光源方向",   "300", "光源の伏角", "50",
                                       "余分な行"};
  std::string text;
  for (int k = 0; k < lines; ++k) text += std::string(kLines[k]) + "\n";
  return text;
}

TEST(Defaults, TwelveLinesGiveAllSixValues) {
  for (int lines : {12, 13}) {
    DefaultsRead read = ParseDefaults(Pairs(lines));
    EXPECT_TRUE(read.complete);
    EXPECT_EQ(read.values.AlphaDefault, 200);
    EXPECT_EQ(read.values.GammaDefault, 40);
    EXPECT_EQ(read.values.ScaDefault, 2);
    EXPECT_EQ(read.values.VeDefault, 3);
    EXPECT_EQ(read.values.RoDefault, 300);
    EXPECT_EQ(read.values.ThDefault, 50);
  }
  // Without the final line break the twelfth line still counts.
  std::string text = Pairs(12);
  text.pop_back();
  EXPECT_TRUE(ParseDefaults(text).complete);
  EXPECT_EQ(ParseDefaults(text).values.ThDefault, 50);
}

TEST(Defaults, MissingPairsKeepTheBuiltInValues) {
  const ViewLightDefaults builtIn;
  DefaultsRead seven = ParseDefaults(Pairs(7));
  EXPECT_FALSE(seven.complete);
  EXPECT_EQ(seven.values.AlphaDefault, 200);
  EXPECT_EQ(seven.values.GammaDefault, 40);
  EXPECT_EQ(seven.values.ScaDefault, 2);
  EXPECT_EQ(seven.values.VeDefault, builtIn.VeDefault);
  EXPECT_EQ(seven.values.RoDefault, builtIn.RoDefault);
  EXPECT_EQ(seven.values.ThDefault, builtIn.ThDefault);

  DefaultsRead eleven = ParseDefaults(Pairs(11));
  EXPECT_FALSE(eleven.complete);
  EXPECT_EQ(eleven.values.RoDefault, 300);
  EXPECT_EQ(eleven.values.ThDefault, builtIn.ThDefault);

  DefaultsRead empty = ParseDefaults("");
  EXPECT_FALSE(empty.complete);
  EXPECT_EQ(empty.values.AlphaDefault, builtIn.AlphaDefault);
  EXPECT_EQ(empty.values.GammaDefault, builtIn.GammaDefault);
}

TEST(Defaults, ValueLinesFollowTheLeadingNumberRule) {
  DefaultsRead read = ParseDefaults(
      "123\r\n  12.5  \r\n\r\n-3e1\r\ncaption, with \"quotes\"\r\nabc\r\n"
      "\x8c\xf5\r\n\r\n x\r\n 1.5 2.5\r\n\"q\"\r\n\t7deg\r\n");
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(read.values.AlphaDefault, 12.5);  // the caption line "123" is not a value
  EXPECT_EQ(read.values.GammaDefault, -30);
  EXPECT_EQ(read.values.ScaDefault, 0);
  EXPECT_EQ(read.values.VeDefault, 0);
  EXPECT_EQ(read.values.RoDefault, 1.5);
  EXPECT_EQ(read.values.ThDefault, 7);

  const DefaultsRead huge = ParseDefaults("a\n1e999\nb\n-1e400\n");
  EXPECT_EQ(huge.values.AlphaDefault, ViewLightDefaults{}.AlphaDefault);
  EXPECT_EQ(huge.values.GammaDefault, ViewLightDefaults{}.GammaDefault);
}

// Both front ends read the program's defaults file through one call: a
// folder without one says why, and one with it gives its values.
TEST(Defaults, TheProgramsFolderHoldsTheFile) {
  testing::TempFolder folder;
  const Result<DefaultsRead> missing = ReadProgramDefaults(folder.path());
  EXPECT_FALSE(missing);
  std::ofstream(folder / kDefaultsFileName) << Pairs(12);
  const Result<DefaultsRead> read = ReadProgramDefaults(folder.path());
  ASSERT_TRUE(read) << read.failure().message;
  EXPECT_TRUE(read->complete);
  EXPECT_EQ(read->values.RoDefault, 300);
}

}  // namespace
}  // namespace kessadon
