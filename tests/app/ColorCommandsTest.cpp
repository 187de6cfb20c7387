#include <QCheckBox>
#include <QRadioButton>
#include <filesystem>
#include <sstream>

#include "AppFixture.h"
#include "app/ColorCommands.h"
#include "app/PictureBox.h"
#include "cli/Cli.h"

namespace kessadon::testing {
namespace {

class ColorCommandsTest : public AppTest {
 protected:
  QColor PreviewBottom() { return Find<PictureBox>("picColor")->Image().pixelColor(20, 159); }
  bool Checked(const char* name) { return Find<QAbstractButton>(name)->isChecked(); }
  // The hill in plan with automatic levels and the default light.
  void ReadyHill() {
    OpenGrid(SourcePath("data/samples/hill.grd"));
    Click("cmd2D");
    Click("cmdContourAuto");
    Click("cmdDefaultLight");
  }
  QString LastMessage() { return platform.messages.empty() ? QString() : platform.messages.back(); }
};

TEST_F(ColorCommandsTest, PatternsAndFilesLoadAndAFailedLoadKeepsTheTable) {
  EXPECT_EQ(Text("txtSepInt"), "20");
  EXPECT_EQ(state().Colors.NColor, 20);
  const QColor first = PreviewBottom();
  EXPECT_NE(first, Qt::white) << "start-up shows pattern 1";

  Find<QRadioButton>("opt_2")->click();
  EXPECT_EQ(Text("txtSepInt"), "43");
  EXPECT_EQ(state().Colors.NColor, 43);
  EXPECT_NE(PreviewBottom(), first);

  const std::string tooMany = WriteFile("many.txt", "300\n1,2,3\n");
  platform.openAnswers.push_back(QString::fromStdString(tooMany));
  Click("cmdColorTable");
  EXPECT_TRUE(Status().contains("many.txt")) << Status().toStdString();
  EXPECT_EQ(state().Colors.NColor, 43);

  platform.openAnswers.push_back(
      QString::fromStdString(WriteFile("two.txt", "2\n9,9,9\n200,0,0\n")));
  Click("cmdColorTable");
  EXPECT_EQ(state().Colors.NColor, 2);
  EXPECT_EQ(PreviewBottom(), QColor(9, 9, 9));
  EXPECT_EQ(Text("txtSepInt"), "43") << "a file leaves the divisions alone";
  EXPECT_TRUE(Checked("opt_2"));

  std::filesystem::remove(programDir / "Color3.txt");
  Find<QRadioButton>("opt_3")->click();
  EXPECT_TRUE(Status().contains("Color3.txt")) << Status().toStdString();
  EXPECT_TRUE(Checked("opt_2")) << "the choice shown goes back";
  EXPECT_EQ(state().Colors.NColor, 2);
}

TEST_F(ColorCommandsTest, APatternRecomputesAutomaticLevelsAndKeepsTypedOnes) {
  ReadyHill();  // heights 101.15 to 399.92: 101 to 400 by 15 in 20 divisions
  ASSERT_EQ(Text("txtCin"), "15");
  Find<QRadioButton>("opt_4")->click();
  EXPECT_EQ(Text("txtSepInt"), "44");
  EXPECT_EQ(Text("txtCst"), "101");
  EXPECT_EQ(Text("txtCen"), "400");
  EXPECT_EQ(Text("txtCin"), "7") << "299 in 44 divisions";
  EXPECT_EQ(Caption("lblContourColor"), "43");
  EXPECT_EQ(state().Levels.Cin, 7);

  Type("txtCin", "20");
  Find<QRadioButton>("opt_1")->click();
  EXPECT_EQ(Text("txtSepInt"), "20");
  EXPECT_EQ(Text("txtCin"), "20") << "typed levels stay";
  EXPECT_EQ(state().Levels.Cin, 20);
}

TEST_F(ColorCommandsTest, LightEnablesTheShadesAndTheLegendFollowsTheColourDisplays) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd2D");
  EXPECT_FALSE(Enabled("cmdDisplayShade"));
  Click("cmdDefaultLight");
  EXPECT_EQ(Text("txtRo"), "315");
  EXPECT_EQ(Text("txtTh"), "45");
  EXPECT_TRUE(Checked("chkHisto"));
  EXPECT_EQ(state().HistoOn, 1);
  EXPECT_TRUE(Enabled("cmdDisplayShade"));
  EXPECT_FALSE(Enabled("cmdDisplayColorShade")) << "no levels yet";

  Click("cmdDisplayShade");
  EXPECT_EQ(state().DisplayMode, DisplayMode::Shade);
  EXPECT_FALSE(Enabled("cmdColor"));
  const QImage shade = Find<PictureBox>("picImage")->Image();
  int brightest = 0;
  for (int y = 0; y < shade.height(); y += 3) {
    for (int x = 0; x < shade.width(); x += 3) {
      const QColor c = shade.pixelColor(x, y);
      if (c != Qt::white && c != Qt::black) brightest = std::max(brightest, c.red());
    }
  }
  EXPECT_GT(brightest, 100);
  EXPECT_LE(brightest, 128) << "black to mid-grey";

  Click("cmdContourAuto");
  Click("cmdDisplayColorContour");
  EXPECT_EQ(state().DisplayMode, DisplayMode::ColorContour);
  ASSERT_TRUE(Enabled("cmdColor"));
  Click("cmdColor");
  EXPECT_TRUE(form->Legend().isVisible());
  EXPECT_EQ(form->Legend().windowTitle(), "Color Table");
  EXPECT_GT(PixelsOf(Find<PictureBox>("picLegend")->Image(), PreviewBottom()), 100);

  Click("cmdDisplayColorShade");
  EXPECT_EQ(state().DisplayMode, DisplayMode::ColorShade);
  EXPECT_EQ(state().Pal.NPalette, 190);
  Click("cmdDisplayGrid");
  EXPECT_FALSE(Enabled("cmdColor")) << "no legend for lines";
  state().DisplayMode = DisplayMode::Shade;
  cmdColor_Click(context());
  EXPECT_FALSE(form->Legend().isVisible());
}

TEST_F(ColorCommandsTest, TooManyBandsAreRefusedWithTheirMessages) {
  ReadyHill();
  Click("cmdDisplayGrid");
  Type("txtCin", "4");  // 101 to 402: 76 bands
  Click("cmdDisplayColorContour");
  EXPECT_EQ(LastMessage(), "コンターが 20色を超えるときには利用できません");
  // Colour shading, which would refuse too, is not offered, and its tip says why.
  EXPECT_FALSE(Enabled("cmdDisplayColorShade"));
  EXPECT_TRUE(Find<QPushButton>("cmdDisplayColorShade")->toolTip().contains("20 色を超えて"));
  EXPECT_EQ(platform.messages.size(), 1u);
  Type("txtCin", "15");
  EXPECT_TRUE(Enabled("cmdDisplayColorShade"));
  EXPECT_FALSE(Find<QPushButton>("cmdDisplayColorShade")->toolTip().contains("今は使えません"));
  Type("txtCin", "4");
  EXPECT_EQ(state().DisplayMode, DisplayMode::Grid);
  EXPECT_FALSE(Enabled("cmdColor"));
}

// The contour lines of the levels shown go to a GIS layer, as the command
// line writes them for the same levels.
TEST_F(ColorCommandsTest, ContourLinesAreExportedAsTheCommandLineWritesThem) {
  EXPECT_FALSE(Enabled("cmdExportContours"));
  ReadyHill();
  ASSERT_TRUE(Enabled("cmdExportContours"));
  const std::string desktop = files / "desktop.geojson", cli = files / "cli.geojson";
  platform.saveAnswers.push_back(QString::fromStdString(desktop));
  Click("cmdExportContours");
  EXPECT_TRUE(Status().startsWith("コンター線 ")) << Status().toStdString();
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"contours", SourcePath("data/samples/hill.grd"), "-o", cli}, out, err), 0)
      << err.str();
  const std::string lines = out.str().substr(out.str().find(", ", out.str().find("within")) + 2);
  EXPECT_TRUE(Status().startsWith(
      QString::fromStdString("コンター線 " + lines.substr(0, lines.find(' ')) + " 本")))
      << Status().toStdString() << " / " << out.str();
  EXPECT_GT(std::filesystem::file_size(desktop), 1000U);
}

}  // namespace
}  // namespace kessadon::testing
