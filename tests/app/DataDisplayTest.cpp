#include <QCheckBox>
#include <QRadioButton>
#include <filesystem>

#include "AppFixture.h"
#include "app/PictureBox.h"

namespace kessadon::testing {
namespace {

class DataDisplayTest : public AppTest {
 protected:
  QImage Picture() { return Find<PictureBox>("picImage")->Image(); }
  void Choose(const char* name) { Find<QRadioButton>(name)->click(); }
};

// The options, then the distribution view before any grid: a plan window fitted
// around the data.
TEST_F(DataDisplayTest, OptionsAndTheDistributionViewWithoutAGrid) {
  Type("txtChrSize", "0.5");
  EXPECT_EQ(Text("txtChrSize"), "1");
  EXPECT_TRUE(Status().startsWith("文字の大きさは 1 より小さくできない")) << Status().toStdString();
  Type("txtSdBai", "0.5");
  EXPECT_EQ(state().SdBai, 0.5f);
  Choose("opt_z");
  EXPECT_FALSE(Enabled("chkDip"));
  EXPECT_FALSE(Enabled("txtSdBai"));
  Choose("OptDataWhite");
  Click("cmdClear");
  EXPECT_TRUE(Enabled("chkDip")) << "the reset applies the options again";
  EXPECT_EQ(state().SdBai, 1);
  EXPECT_EQ(state().DataTextColor, kBlack);

  Load("cmdOpenData",
       WriteFile("two.txt", "a,1000,500,10,0,90,30\nb,3000,1500,20,0,9e9,9e9\nend,0,0,0,0,0,0\n"),
       3);
  Click("cmdDataView2");
  const GridData& grid = state().Grid;
  EXPECT_EQ(grid.Xmin, 900);
  EXPECT_EQ(grid.Ymax, 2650);
  EXPECT_EQ(grid.Ycen, 1550);
  EXPECT_EQ(Text("txtAlpha"), "180");
  EXPECT_FALSE(Enabled("cmdDisplayData")) << "still no grid";
  EXPECT_GT(PixelsOf(Picture(), Qt::red), 20) << "the strike/dip symbol";

  Click("cmdClear");
  Load("cmdOpenData", SourcePath("data/samples/fold_dips.txt"), 3);
  Click("cmdDataView");
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(
      form->Image().grab().save(QString(KESSADON_SCREENS_DIR) + "/formImage-data-view.png"));
}

// Fewer marks over a 3-D block than looking straight down, where none hides.
TEST_F(DataDisplayTest, OverlayHidesPointsBehindTheSurface) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Click("cmd2D");
  Click("cmdDisplayData");
  const int plan = PixelsOf(Picture(), QColor(255, 128, 0));
  Click("cmd3DDefault");
  Type("txtAlpha", "200");
  Type("txtGamma", "25");
  Type("txtVe", "3");
  Click("cmdContourAuto");
  Click("cmdDisplayContour");
  Click("cmdDisplayData");
  const int block = PixelsOf(Picture(), QColor(255, 128, 0));
  EXPECT_LT(block, plan * 9 / 10);
  EXPECT_GT(block, plan / 10);
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(
      form->Image().grab().save(QString(KESSADON_SCREENS_DIR) + "/formImage-overlay-3d.png"));
}

}  // namespace
}  // namespace kessadon::testing
