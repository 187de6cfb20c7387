#include <filesystem>
#include <fstream>
#include <sstream>

#include "AppFixture.h"
#include "app/SavePath.h"
#include "io/GridFile.h"
#include "raster/Gdal.h"
#include "raster/RasterGrid.h"

namespace kessadon::testing {
namespace {

const QString kAllFiles = "すべてのファイル (*.*)|*.*";
const QString kGridFiles = "格子データファイル (*.grd *.txt)|*.grd; *.txt|";

class GridFileCommandsTest : public AppTest {
 protected:
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
};

TEST_F(GridFileCommandsTest, ReadingAGridShowsItsFigures) {
  const std::string path = WriteFile("small.grd", "3 2 100 200 10 20\n1 2 3 4 5 6\n");
  state().ViewReady = 1;
  Find<QLineEdit>("txtAlpha")->setText("45");
  OpenGrid(path);

  EXPECT_TRUE(
      platform.openFilters.back().startsWith(kGridFiles + kAllFiles + "|GeoTIFF (*.tif *.tiff)|"));
  EXPECT_EQ(platform.busyDepth, 0);
  EXPECT_EQ(platform.busyCount, 1);
  EXPECT_EQ(Status(), "") << "the reset on the way says nothing";
  const AppState& s = state();
  EXPECT_EQ(s.GridLoaded, 1);
  EXPECT_EQ(s.ViewReady, 0) << "a new grid starts from the reset state";
  EXPECT_EQ(Text("txtAlpha"), "");
  EXPECT_EQ(s.Grid.Z(3, 1), 5);
  EXPECT_EQ(s.Grid.ZOrg(2, 2), 4);
  EXPECT_EQ(s.Grid.NxOrg, 3);
  EXPECT_EQ(s.Grid.DyOrg, 20);
  EXPECT_EQ(s.View.Zbase, 0);
  EXPECT_EQ(s.CellColors.UpperI(), 256);
  EXPECT_EQ(s.CellColors.UpperJ(), 2);

  const std::pair<const char*, const char*> captions[] = {{"lblXGrid", "3"},
                                                          {"lblYGrid", "2"},
                                                          {"lblXmin", "100"},
                                                          {"lblXmax", "120"},
                                                          {"lblYmin", "200"},
                                                          {"lblYmax", "220"},
                                                          {"lblZmin", "1"},
                                                          {"lblZmax", "6"},
                                                          {"lblDx", "10"},
                                                          {"lblDy", "20"},
                                                          {"lblContourZmin", "1"},
                                                          {"lblContourZmax", "6"},
                                                          {"lblXGridG", "3"},
                                                          {"lblYGridG", "2"},
                                                          {"lblDxG", "10"},
                                                          {"lblDyG", "20"},
                                                          {"lblGridOnOff", "読み込んだ格子データ"}};
  for (const auto& [name, text] : captions) EXPECT_EQ(Caption(name), text) << name;
  EXPECT_EQ(Caption("lblGridFileName"), QString::fromStdString(path));
  EXPECT_EQ(Text("txtZbase"), "0");
  EXPECT_TRUE(Enabled("cmdSaveGridData"));
  EXPECT_FALSE(Enabled("cmdDisplayGrid")) << "no view settings yet";
  // A disabled picture says why in its tip, and says nothing once offered.
  const auto tip = [this](const char* name) { return Find<QPushButton>(name)->toolTip(); };
  EXPECT_TRUE(tip("cmdDisplayGrid").contains("視点を決めてください"))
      << tip("cmdDisplayGrid").toStdString();
  Click("cmd2D");
  EXPECT_TRUE(Enabled("cmdDisplayGrid"));
  EXPECT_FALSE(tip("cmdDisplayGrid").contains("今は使えません"));
  EXPECT_TRUE(tip("cmdDisplayData").contains("測定データを読み込んでください"));
}

TEST_F(GridFileCommandsTest, CancelledDialogChangesNothing) {
  platform.openAnswers.push_back(QString());
  state().ViewReady = 1;
  Click("cmdOpenGridData");
  EXPECT_EQ(state().ViewReady, 1);
  EXPECT_EQ(platform.busyCount, 0);
  EXPECT_EQ(Caption("lblGridFileName"), "格子データは開かれていません");
}

// A bad file must leave the grid, the captions and the flags as they were.
TEST_F(GridFileCommandsTest, BadFilesLeaveThePreviousGridInPlace) {
  const std::string good = WriteFile("good.grd", "2 2 0 0 1 1\n1 2 3 4\n");
  OpenGrid(good);
  state().ViewReady = 1;
  Find<QLineEdit>("txtAlpha")->setText("30");

  const std::pair<const char*, const char*> bad[] = {
      {"truncated.grd", "3 2 100 200 10 20\n1 2 3 4 5\n"},
      {"zero.grd", "0 5 0 0 1 1\n"},
      {"huge.grd", "100000 100000 0 0 1 1\n1 2 3\n"},
      {"header.grd", "4 4 0\n"},
  };
  for (const auto& [name, text] : bad) {
    SCOPED_TRACE(name);
    const std::string path = WriteFile(name, text);
    OpenGrid(path);
    EXPECT_EQ(platform.busyDepth, 0);
    EXPECT_EQ(state().GridLoaded, 1);
    EXPECT_EQ(state().ViewReady, 1);
    EXPECT_EQ(state().Grid.Nx, 2);
    EXPECT_EQ(state().Grid.Z(2, 2), 4);
    EXPECT_EQ(Caption("lblXGrid"), "2");
    EXPECT_EQ(Caption("lblZmax"), "4");
    EXPECT_EQ(Caption("lblGridFileName"), QString::fromStdString(good));
    EXPECT_EQ(Text("txtAlpha"), "30");
    EXPECT_TRUE(Status().startsWith(QString::fromStdString(path))) << Status().toStdString();
    EXPECT_FALSE(Status().contains('\n'));
  }
  EXPECT_TRUE(Status().contains("途中で終わって")) << Status().toStdString();

  OpenGrid(WriteFile("huge2.grd", "100000 100000 0 0 1 1\n"));
  EXPECT_TRUE(Status().contains(QString::number(kMaxGridNodes))) << "names the limit";
  OpenGrid((files / "missing.grd"));
  EXPECT_TRUE(Status().contains("missing.grd"));
}

TEST_F(GridFileCommandsTest, FieldWithoutANumberReadsAsZero) {
  OpenGrid(WriteFile("words.grd", "2 1 0 0 1 1\nabc 7\n"));
  EXPECT_EQ(state().GridLoaded, 1);
  EXPECT_EQ(state().Grid.Z(1, 1), 0);
  EXPECT_EQ(Caption("lblZmin"), "0");
}

TEST_F(GridFileCommandsTest, SavedGridReadsBackTheSame) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  const std::string target = files / "copy.grd";
  platform.saveAnswers.push_back(QString::fromStdString(target));
  Click("cmdSaveGridData");
  EXPECT_TRUE(platform.saveFilters.back().startsWith(kGridFiles + kAllFiles + "|GeoTIFF (*.tif)|"));
  EXPECT_TRUE(platform.questions.empty()) << "a new name needs no question";

  Result<GridData> back = ReadGridFile(target);
  ASSERT_TRUE(back) << Describe(back.failure());
  const GridData& grid = state().Grid;
  ASSERT_EQ(back->Nx, grid.Nx);
  ASSERT_EQ(back->Ny, grid.Ny);
  EXPECT_EQ(back->Xmin, grid.Xmin);
  EXPECT_EQ(back->Dy, grid.Dy);
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) ASSERT_EQ(back->Z(i, j), grid.Z(i, j)) << i << "," << j;
  }
  EXPECT_EQ(Caption("lblGridFileName"), QString::fromStdString(target));
}

// A GeoTIFF opens like a grid data file and keeps its coordinate system
// through a save as netCDF; a grid data file cannot hold it and says so.
TEST_F(GridFileCommandsTest, RastersOpenAndSaveWithTheirCoordinateSystem) {
  Result<GridData> hill = ReadGridFile(SourcePath("data/samples/hill.grd"));
  Result<std::string> crs = CrsFromDefinition("EPSG:6677");
  ASSERT_TRUE(hill && crs);
  const std::string tiff = files / "hill.tif";
  ASSERT_TRUE(WriteRaster(tiff, *hill, *crs));
  OpenGrid(tiff);
  EXPECT_EQ(state().GridLoaded, 1);
  EXPECT_EQ(Caption("lblXGrid"), QString::number(hill->Nx));
  EXPECT_EQ(Caption("lblGridOnOff"), "読み込んだ格子データ");
  EXPECT_TRUE(Status().contains("GeoTIFF")) << Status().toStdString();
  EXPECT_TRUE(Status().contains("EPSG:6677")) << Status().toStdString();

  const std::string netcdf = files / "hill.nc";
  platform.saveAnswers.push_back(QString::fromStdString(netcdf));
  Click("cmdSaveGridData");
  Result<RasterGrid> back = ReadRaster(netcdf);
  ASSERT_TRUE(back) << back.failure().message;
  EXPECT_EQ(back->grid.Z(3, 4), hill->Z(3, 4));
  EXPECT_NE(CrsDescription(back->crs).find("CS IX"), std::string::npos);

  platform.saveAnswers.push_back(QString::fromStdString(files / "hill2.grd"));
  Click("cmdSaveGridData");
  EXPECT_TRUE(ReadGridFile(files / "hill2.grd"));
  EXPECT_TRUE(Status().contains("座標系を保存できません")) << Status().toStdString();

  // A new grid from a file without one leaves no coordinate system behind.
  OpenGrid(SourcePath("data/samples/hill.grd"));
  EXPECT_EQ(state().GridCrs, "");
}

TEST_F(GridFileCommandsTest, OverwriteAsksFirstAndNoKeepsTheFile) {
  OpenGrid(WriteFile("a.grd", "1 1 0 0 1 1\n5\n"));
  const std::string existing = WriteFile("existing.grd", "keep me");
  const QString question = QString::fromStdString(existing) +
                           " はすでに存在しています．\r\n既存のファイルに上書きしますか？";
  EXPECT_EQ(OverwriteQuestion(QString::fromStdString(existing)), question);

  platform.saveAnswers.push_back(QString::fromStdString(existing));
  platform.yesNoAnswers.push_back(false);
  Click("cmdSaveGridData");
  ASSERT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(platform.questions[0], question);
  EXPECT_EQ(Slurp(existing), "keep me");

  platform.saveAnswers.push_back(QString::fromStdString(existing));
  platform.yesNoAnswers.push_back(true);
  Click("cmdSaveGridData");
  Result<GridData> back = ReadGridFile(existing);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Z(1, 1), 5);
}

TEST_F(GridFileCommandsTest, FailedSaveSaysSoAndLeavesNoFile) {
  OpenGrid(WriteFile("a.grd", "1 1 0 0 1 1\n5\n"));
  const std::string target = files / "no-such-folder/out.grd";
  platform.saveAnswers.push_back(QString::fromStdString(target));
  Click("cmdSaveGridData");
  EXPECT_FALSE(std::filesystem::exists(target));
  EXPECT_TRUE(Status().contains("out.grd")) << Status().toStdString();
  EXPECT_EQ(platform.busyDepth, 0);
  EXPECT_NE(Caption("lblGridFileName"), QString::fromStdString(target));
}

}  // namespace
}  // namespace kessadon::testing
