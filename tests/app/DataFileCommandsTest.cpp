#include <QCoreApplication>
#include <QInputDialog>
#include <QListWidget>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AppFixture.h"
#include "app/FieldDialog.h"
#include "app/QtPlatform.h"
#include "app/ReportView.h"
#include "estimate/EstimationRun.h"
#include "io/NumberText.h"
#include "raster/Gdal.h"
#include "raster/GridFiles.h"

namespace kessadon::testing {
namespace {

class DataFileCommandsTest : public AppTest {
 protected:
  QStringList Listed() {
    QStringList items;
    auto* list = Find<QListWidget>("lstDataFile");
    for (int k = 0; k < list->count(); ++k) items << list->item(k)->text();
    return items;
  }
};

TEST_F(DataFileCommandsTest, NewLoadShowsTheSummaryAndSwitchesTheCommands) {
  // Ten lines: the last is not a record.
  std::ostringstream text;
  for (int k = 1; k <= 10; ++k)
    text << 'p' << k << ',' << k * 10 << ',' << k << ',' << 100 + k << '\n';
  const std::string path = WriteFile("ten.txt", text.str());
  Load("cmdOpenData", path);

  EXPECT_EQ(platform.busyDepth, 0);
  EXPECT_EQ(state().Data.Records.Ndata(), 9);
  EXPECT_EQ(Caption("lblNh"), "9");
  EXPECT_EQ(Caption("lblNd"), "0");
  EXPECT_EQ(Caption("lblXminH"), "10");
  EXPECT_EQ(Caption("lblXmaxH"), "90");
  EXPECT_EQ(Caption("lblYmaxH"), "9");
  EXPECT_EQ(Caption("lblZminH"), "101");
  EXPECT_EQ(Caption("lblZmaxH"), "109");
  EXPECT_EQ(state().DataReady, 1);
  EXPECT_FALSE(Enabled("cmdOpenData"));
  EXPECT_TRUE(Enabled("cmdOpenDataAdd"));
  EXPECT_TRUE(Enabled("cmdDataView"));
  EXPECT_TRUE(Enabled("cmdDataView2"));
  EXPECT_FALSE(Enabled("cmdDisplayData")) << "data alone never open a display command";
  EXPECT_EQ(Listed(), QStringList{QString::fromStdString(path)});
}

// Each sample in its own layout: counts follow from the files' line counts
// (layout 4: 60 heights, the separator, 80 dips and the final line).
// The status bar tells what was read and what was skipped, so that a point lost
// as the end line of a file written without one shows.
TEST_F(DataFileCommandsTest, EveryLoadSaysWhatItReadAndSkipped) {
  const std::string header = WriteFile("h.txt", "id,x,y,z\na,0,0,5\nb,10,10,7\n c,5,5,6 \n");
  Load("cmdOpenData", header);
  EXPECT_EQ(Status(),
            "h.txt: 2 件（位置データ 2、傾斜データ 0）。"
            "読み飛ばした行：1 行目（見出し）、最終行「c,5,5,6」（終わりの行）");
  EXPECT_EQ(Caption("lblZminH"), "5") << "no point at (0, 0, 0) from the header";
  QCoreApplication::processEvents();  // the status bar paints its message on the next round
  EXPECT_TRUE(form->grab().save(QString(KESSADON_SCREENS_DIR) + "/formMain-data-loaded.png"));

  // Long end lines are cut; Shift_JIS ones read as text.
  std::string endLine = "\x8f\x49";  // 終
  for (int k = 0; k < 20; ++k) endLine += ",0";
  const std::string dips =
      WriteFile("d.txt", "a,0,0,9e9,0,90,45\nb,1,1,3,0,45,30\n" + endLine + "\n");
  Load("cmdOpenDataAdd", dips, 3);
  EXPECT_EQ(Status(), "d.txt: 2 件（位置データ 1、傾斜データ 2）。読み飛ばした行：最終行「終" +
                          QString(",0").repeated(9) + ",…」（終わりの行）");
  const std::string grid = WriteFile("g.grd", "2 2 100 100 1 1\n1 2 3 4\n");
  Load("cmdOpenDataAdd", grid, 5);
  EXPECT_EQ(Status(), "g.grd: 4 件（位置データ 4、傾斜データ 0）を読み込みました");
}

TEST_F(DataFileCommandsTest, EverySampleLoadsInItsLayout) {
  struct Sample {
    const char* file;
    int layout;
    const char *nh, *nd;
  };
  const Sample samples[] = {{"hill_points.txt", 1, "200", "0"},
                            {"bounds.txt", 2, "120", "0"},
                            {"fold_dips.txt", 3, "100", "100"},
                            {"fold_sections.txt", 4, "60", "80"},
                            {"hill.grd", 5, "1271", "0"}};
  for (const Sample& sample : samples) {
    SCOPED_TRACE(sample.file);
    Click("cmdClear");
    std::string relative = "data/samples/";
    relative += sample.file;
    Load("cmdOpenData", SourcePath(relative), sample.layout);
    EXPECT_EQ(Caption("lblNh"), sample.nh);
    EXPECT_EQ(Caption("lblNd"), sample.nd);
    EXPECT_EQ(state().DataReady, 1) << Status().toStdString();
  }
}

TEST_F(DataFileCommandsTest, AdditionalLoadsMixLayoutsAndListInOrder) {
  const std::string first = WriteFile("a.txt", "a,0,0,5\nb,10,10,7\nend,0,0,0,0,0,0\n");
  const std::string grid = WriteFile("g.grd", "2 2 100 100 1 1\n1 2 3 4\n");
  const std::string bounds = WriteFile("b.txt", "c,5,5,9,1\nend,0,0,0,0,0,0\n");
  Load("cmdOpenData", first, 1);
  Load("cmdOpenDataAdd", grid, 5);
  Load("cmdOpenDataAdd", bounds, 2);
  EXPECT_EQ(state().Data.Records.Ndata(), 2 + 4 + 1);
  EXPECT_EQ(Caption("lblNh"), "7");
  EXPECT_EQ(Caption("lblXmaxH"), "101");
  EXPECT_TRUE(state().Data.Prepared.HasBoundData);
  EXPECT_EQ(Text("txtAlphaMin"), "0.25") << "bound data bring their own defaults";
  EXPECT_EQ(Text("txtNitr"), "6");
  EXPECT_EQ(Listed(), (QStringList{QString::fromStdString(first), QString::fromStdString(grid),
                                   QString::fromStdString(bounds)}));
}

TEST_F(DataFileCommandsTest, DipDataOpenTheRatio) {
  Load("cmdOpenData", WriteFile("d.txt", "a,0,0,9e9,0,90,45\nb,1,1,3,0,9e9,9e9\nend,0,0,0,0,0,0\n"),
       3);
  EXPECT_EQ(Caption("lblNh"), "1");
  EXPECT_EQ(Caption("lblNd"), "1");
  EXPECT_TRUE(state().Data.Prepared.HasDipData);
  EXPECT_EQ(Text("txtRatio"), "1");
  EXPECT_TRUE(Enabled("txtRatio"));
}

// A failed load leaves the records, counts, captions and list as they were.
TEST_F(DataFileCommandsTest, BadFilesLeaveTheLoadedDataInPlace) {
  const std::string good = WriteFile("good.txt", "a,1,2,3\nb,4,5,6\nend,0,0,0,0,0,0\n");
  Load("cmdOpenData", good);
  const MeasuredData before = state().Data.Records;

  const std::pair<const char*, std::pair<const char*, int>> bad[] = {
      {"code.txt", {"a,1,2,3,40000\nend,0,0,0,0,0,0\n", 2}},
      {"noseparator.txt", {"a,1,2,3,0\nb,4,5,6,0\nend,0,0,0,0,0,0\n", 4}},
      {"short.grd", {"3 3 0 0 1 1\n1 2 3\n", 5}},
  };
  for (const auto& [name, content] : bad) {
    SCOPED_TRACE(name);
    const std::string path = WriteFile(name, content.first);
    Load("cmdOpenDataAdd", path, content.second);
    EXPECT_EQ(platform.busyDepth, 0);
    EXPECT_EQ(state().Data.Records, before);
    EXPECT_EQ(Caption("lblNh"), "2");
    EXPECT_EQ(Listed(), QStringList{QString::fromStdString(good)});
    EXPECT_TRUE(Status().startsWith(QString::fromStdString(path))) << Status().toStdString();
  }

  // A new load that fails leaves the commands as they were.
  Click("cmdClear");
  Load("cmdOpenData", files / "missing.txt");
  EXPECT_TRUE(Status().contains("missing.txt"));
  EXPECT_TRUE(Enabled("cmdOpenData"));
  EXPECT_FALSE(Enabled("cmdOpenDataAdd"));
  EXPECT_EQ(state().DataReady, 0);
}

TEST_F(DataFileCommandsTest, TwentyFirstFileIsRefused) {
  const std::string path = WriteFile("one.txt", "a,1,1,1\nend,0,0,0,0,0,0\n");
  Load("cmdOpenData", path);
  for (int k = 2; k <= 20; ++k) Load("cmdOpenDataAdd", path);
  ASSERT_EQ(Listed().size(), 20);
  Load("cmdOpenDataAdd", path);
  EXPECT_EQ(Listed().size(), 20);
  EXPECT_EQ(state().Data.Records.Ndata(), 20);
  EXPECT_TRUE(Status().contains("19 個まで")) << Status().toStdString();
}

TEST_F(DataFileCommandsTest, ClearResetsEverything) {
  Load("cmdOpenData", WriteFile("a.txt", "a,1,1,1,1\nend,0,0,0,0,0,0\n"), 2);
  platform.openAnswers.push_back(QString::fromStdString(SourcePath("data/samples/hill.grd")));
  Click("cmdOpenGridData");
  // A grid read keeps the data, which do not depend on it.
  EXPECT_EQ(state().DataReady, 1);
  EXPECT_EQ(state().Data.Records.Ndata(), 1);
  EXPECT_EQ(Caption("lblNh"), "1");
  EXPECT_EQ(Listed().size(), 1);
  EXPECT_TRUE(Find<QRadioButton>("optData2")->isChecked());
  EXPECT_FALSE(Enabled("cmdOpenData"));
  EXPECT_TRUE(Enabled("cmdOpenDataAdd"));

  Click("cmdClear");
  Load("cmdOpenData", WriteFile("b.txt", "a,1,1,1,1\nend,0,0,0,0,0,0\n"), 2);
  platform.openAnswers.push_back(QString::fromStdString(SourcePath("data/samples/hill.grd")));
  Click("cmdOpenGridData");
  EXPECT_FALSE(Caption("lblZmax").isEmpty());
  form->Legend().show();
  Click("cmdClear");
  // Nothing of the grid that went stays on the panel or the screen.
  EXPECT_EQ(Caption("lblZmax"), "");
  EXPECT_EQ(Caption("lblGridFileName"), "格子データは開かれていません");
  EXPECT_EQ(Caption("lblGridOnOff"), "格子データの状態");
  EXPECT_FALSE(form->Legend().isVisible());
  EXPECT_EQ(state().Data.Records.Ndata(), 0);
  EXPECT_EQ(state().DataReady, 0);
  EXPECT_EQ(state().GridLoaded, 0);
  EXPECT_FALSE(state().Data.Prepared.HasBoundData);
  EXPECT_EQ(Text("txtAlphaMin"), "32");
  EXPECT_EQ(Caption("lblNh"), "");
  EXPECT_TRUE(Listed().isEmpty());
  EXPECT_TRUE(Enabled("cmdOpenData"));
  EXPECT_FALSE(Enabled("cmdOpenDataAdd"));
}

TEST_F(DataFileCommandsTest, ReportLabelsShowTheRun) {
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  EstimationParameters params;
  params.Xmin = 0;
  params.Ymin = 0;
  params.Xmax = 1000;
  params.Ymax = 1000;
  params.Nx = params.Ny = 11;
  Result<EstimationResult> run = RunEstimation(state().Data.Prepared, params);
  ASSERT_TRUE(run) << Describe(run.failure());
  WriteEstimationReport(*context().panel.report, run->Report);
  EXPECT_EQ(Caption("lblNhdt"), QString::number(run->Report.CH));
  // Six significant digits of the fifteen the command line prints.
  EXPECT_EQ(Caption("lblQj2"), QString::number(run->Report.J2, 'g', 6));
  EXPECT_EQ(Caption("lblNddt"), "") << "no dip data: the dip labels keep their text";
  EXPECT_EQ(Caption("lblQdrn"), "");
}

// Twelve GeoJSON points 10 m apart in the system of the EPSG code, or in
// longitude and latitude (WGS 84, GeoJSON's own) 0.0001° apart near Tokyo.
std::string Layer(const char* epsg, const char* fields) {
  std::ostringstream text;
  text.precision(10);
  const bool degrees = *epsg == 0;
  text << R"({"type":"FeatureCollection",)";
  if (!degrees) {
    text << R"("crs":{"type":"name","properties":{"name":"urn:ogc:def:crs:EPSG::)" << epsg
         << R"("}},)";
  }
  text << R"("features":[)";
  const double x0 = degrees ? 139.7 : 0, y0 = degrees ? 35.7 : 0, step = degrees ? 1e-4 : 10;
  for (int k = 0; k < 12; ++k) {
    text << (k == 0 ? "" : ",") << R"({"type":"Feature","properties":{)" << fields << 100 + k
         << R"(},"geometry":{"type":"Point","coordinates":[)" << x0 + step * (k % 4) << ','
         << y0 + step * (k / 4) << "]}}";
  }
  return text.str() + "]}";
}

TEST_F(DataFileCommandsTest, LayersAndTablesLoadByTheirFieldsWithTheirCoordinateSystem) {
  // Fields found by their common names: nothing is asked.
  Load("cmdOpenData", WriteFile("p.geojson", Layer("6677", R"("elev":)")));
  EXPECT_EQ(state().Data.Records.Ndata(), 12);
  EXPECT_TRUE(platform.fieldQuestions.empty());
  EXPECT_TRUE(Status().contains("EPSG:6677")) << Status().toStdString();

  // The estimate lies in the layer's system, and a GeoTIFF keeps it.
  for (const auto& [field, text] : {std::pair{"txtXGridH", "7"}, std::pair{"txtYGridH", "5"}}) {
    Type(field, text);
  }
  Click("cmdHorizon");
  ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
  const std::string tiff = files / "p.tif";
  platform.saveAnswers.push_back(QString::fromStdString(tiff));
  Click("cmdSaveGridData");
  const Result<LoadedGrid> saved = ReadAnyGrid(tiff);
  ASSERT_TRUE(saved) << Status().toStdString();
  EXPECT_NE(CrsDescription(saved->crs).find("EPSG:6677"), std::string::npos);
  // Asked with the grid's own preselected, then the zones; a code typed, or a zone picked.
  const QStringList offered = platform.choiceItems.back();
  EXPECT_TRUE(offered.value(1).contains("EPSG:6677")) << offered.join('/').toStdString();
  EXPECT_TRUE(offered.contains("JGD2011 平面直角座標系 第XIX系 (EPSG:6687)"));
  for (const auto& [answer, expected] :
       {std::pair{"6669", "EPSG:6669"},
        std::pair{"JGD2011 平面直角座標系 第II系 (EPSG:6670)", "EPSG:6670"}}) {
    const std::string other = files / (std::string(expected).substr(5) + ".tif");
    platform.saveAnswers.push_back(QString::fromStdString(other));
    platform.textAnswers.push_back(QString(answer));
    Click("cmdSaveGridData");
    const Result<LoadedGrid> again = ReadAnyGrid(other);
    ASSERT_TRUE(again) << Status().toStdString();
    EXPECT_NE(CrsDescription(again->crs).find(expected), std::string::npos) << answer;
  }
  EXPECT_TRUE(platform.choiceItems.back().contains("EPSG:6669")) << "a recent one";
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(
      NewItemOrTextQuestion(form.get(), platform.questions.back(), platform.choiceItems.back(), 1)
          ->grab()
          .save(QString(KESSADON_SCREENS_DIR) + "/dlgSaveCrs.png"));

  // Columns no common name finds: asked, with the names listed.
  const std::string table = WriteFile("t.csv", "E,N,H\n1,2,3\n4,5,6\n7,8,9\n");
  platform.saveChoices.push_back(SaveChoice::Discard);
  Click("cmdClear");
  platform.fieldAnswers.push_back(std::nullopt);  // cancelled: nothing changes
  Load("cmdOpenData", table);
  EXPECT_EQ(state().Data.Records.Ndata(), 0);
  platform.fieldAnswers.push_back(FieldAnswer{{1, 0, 2, -1, -1, -1, -1}, false});
  Load("cmdOpenData", table);
  ASSERT_EQ(platform.fieldQuestions.size(), 2u);
  const FieldQuestion& asked = platform.fieldQuestions.back();
  EXPECT_EQ(asked.names, (QStringList{"E", "N", "H"}));
  EXPECT_EQ(asked.chosen[2], -1);
  ASSERT_EQ(state().Data.Records.Ndata(), 3) << Status().toStdString();
  EXPECT_EQ(state().Data.Records.DataX[1], 5);  // N chosen as x
  EXPECT_EQ(state().Data.Records.DataZ[2], 9);
  EXPECT_TRUE(state().Data.Crs.empty());

  // The dialog as a person sees it.
  FieldDialog dialog(nullptr, asked);
  EXPECT_TRUE(dialog.grab().save(QString(KESSADON_SCREENS_DIR) + "/dlgFields.png"));
}

// Degrees are no metres: a layer in longitude and latitude is brought into
// the projected system picked from those that hold it; later layers and
// fault traces follow the data into it.
TEST_F(DataFileCommandsTest, LayersInDegreesAreBroughtIntoAProjectedSystem) {
  const std::string degrees = WriteFile("d.geojson", Layer("", R"("elev":)"));
  platform.textAnswers.push_back(QString());  // cancelled: nothing loaded
  Load("cmdOpenData", degrees);
  EXPECT_EQ(state().Data.Records.Ndata(), 0);
  EXPECT_TRUE(Status().contains("やめました")) << Status().toStdString();
  EXPECT_TRUE(platform.questions.back().contains("経緯度"))
      << platform.questions.back().toStdString();
  EXPECT_TRUE(platform.choiceItems.back().value(0).contains("(EPSG:6677)"))
      << platform.choiceItems.back().join('/').toStdString();
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(
      NewItemOrTextQuestion(form.get(), platform.questions.back(), platform.choiceItems.back(), 0)
          ->grab()
          .save(QString(KESSADON_SCREENS_DIR) + "/dlgProjectedCrs.png"));

  Load("cmdOpenData", degrees);  // the first offered: zone IX
  ASSERT_EQ(state().Data.Records.Ndata(), 12) << Status().toStdString();
  EXPECT_TRUE(Status().contains("に変換しました（12 点）")) << Status().toStdString();
  EXPECT_NE(CrsDescription(state().Data.Crs).find("EPSG:6677"), std::string::npos);
  // About 9 m a step of 0.0001° east at 35.7°N, 11 m north, near the zone's origin.
  const MeasuredData& d = state().Data.Records;
  EXPECT_NEAR(d.DataX[1] - d.DataX[0], 9.04, 0.05);
  EXPECT_NEAR(d.DataY[4] - d.DataY[0], 11.09, 0.05);

  Load("cmdOpenDataAdd", WriteFile("q.geojson", Layer("6669", R"("elev":)")));
  EXPECT_EQ(state().Data.Records.Ndata(), 24);
  EXPECT_TRUE(Status().contains("(EPSG:6669) から")) << Status().toStdString();
  EXPECT_NE(CrsDescription(state().Data.Crs).find("EPSG:6677"), std::string::npos);

  platform.openAnswers.push_back(QString::fromStdString(WriteFile(
      "f.geojson",
      R"({"type":"FeatureCollection","features":[{"type":"Feature","properties":{},)"
      R"("geometry":{"type":"LineString","coordinates":[[139.7,35.7],[139.7003,35.7002]]}}]})")));
  Click("cmdOpenFaults");
  ASSERT_EQ(state().Data.Faults.traces.size(), 1u) << Status().toStdString();
  EXPECT_NEAR(state().Data.Faults.traces[0].x[0], d.DataX[0], 1e-6);
  EXPECT_TRUE(Status().contains("に変換しました（2 点）")) << Status().toStdString();
}

}  // namespace
}  // namespace kessadon::testing
