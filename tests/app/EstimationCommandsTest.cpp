#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/EstimationCommands.h"
#include "app/PictureBox.h"
#include "cli/Cli.h"
#include "estimate/SurfaceEstimate.h"
#include "io/GridFile.h"

namespace kessadon::testing {
namespace {

std::string Slurp(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class EstimationTest : public AppTest {
 protected:
  void Ask(const QStringList& range, const QString& nx, const QString& ny) {
    const char* names[] = {"txtXmin", "txtYmin", "txtXmax", "txtYmax"};
    for (int k = 0; k < 4; ++k) Type(names[k], range[k]);
    Type("txtXGridH", nx);
    Type("txtYGridH", ny);
  }
  QImage Picture() { return Find<PictureBox>("picImage")->Image(); }
};

TEST_F(EstimationTest, RunCommandOpensOnlyWithEverythingItNeeds) {
  Load("cmdOpenData", SourcePath("data/samples/bounds.txt"), 2);
  EXPECT_FALSE(Enabled("cmdHorizon"));
  Ask({"0", "0", "1000", "700"}, "11", "8");
  EXPECT_TRUE(Enabled("cmdHorizon"));
  EXPECT_EQ(Caption("lblDxH"), "100");
  EXPECT_EQ(Caption("lblDyH"), "100");

  struct Case {
    const char* field;
    const char* text;
    bool enabled;
  };
  for (const Case& c : {Case{"txtXGridH", "1", false}, Case{"txtYGridH", "1.5", true},
                        Case{"txtXmin", "", false}, Case{"txtAlphaMax", "0.25", false},
                        Case{"txtNitr", "0.5", false}, Case{"txtNitr", "1", true}}) {
    const QString before = Text(c.field);
    Type(c.field, c.text);
    EXPECT_EQ(Enabled("cmdHorizon"), c.enabled) << c.field << " = " << c.text;
    Type(c.field, before);
  }
  // Ties go to the even count: 2.5 nodes are 2, one cell of 1000.
  Type("txtXGridH", "2.5");
  EXPECT_EQ(Caption("lblDxH"), "1000");

  // Numbers typed in full width, as Japanese input gives them, read as their ASCII forms.
  Ask({"\u2212１００", "０", "１．０ｅ３", "７００"}, "１２", "８");
  EXPECT_EQ(Caption("lblDxH"), "100");
  EXPECT_TRUE(Enabled("cmdHorizon"));
}

// The same fields on the panel and on the command line give the same file and report.
TEST_F(EstimationTest, DesktopRunGivesTheCommandLinesGridAndReport) {
  struct Case {
    const char* sample;
    int layout;
    QStringList range;
    const char *nx, *ny, *extend, *passes;
  };
  // The first is large enough for the iterative solver.
  for (const Case& c :
       {Case{"hill_points.txt", 1, {"0", "0", "1000", "600"}, "320", "310", "0", "1"},
        Case{"fold_dips.txt", 3, {"0", "0", "1000", "800"}, "26", "21", "10", "1"},
        Case{"bounds.txt", 2, {"0", "0", "1000", "700"}, "21", "15", "0", "6"}}) {
    Start();
    const std::string sample = SourcePath(std::string("data/samples/") + c.sample);
    Load("cmdOpenData", sample, c.layout);
    Ask(c.range, c.nx, c.ny);
    Type("txtXexp", c.extend);
    Type("txtYexp", c.extend);
    Click("cmdHorizon");
    ASSERT_EQ(state().GridLoaded, 1) << c.sample << ": " << Status().toStdString();
    EXPECT_EQ(platform.busyDepth, 0);
    EXPECT_TRUE(Status().contains(QString("繰り返し %1 回").arg(c.passes)))
        << Status().toStdString();
    EXPECT_EQ(Status().contains("反復解法"), std::string(c.nx) == "320") << Status().toStdString();
    EXPECT_EQ(Caption("lblGridFileName"), "推定された格子データ（未ファイル化）");
    EXPECT_EQ(Caption("lblGridOnOff"), "推定された格子データ");
    EXPECT_EQ(Caption("lblXGridG"), c.nx);
    // Drawn afterwards: the plan view, contour lines and the data's marks.
    EXPECT_EQ(Text("txtAlpha"), "180");
    EXPECT_EQ(state().DisplayMode, DisplayMode::Contour);
    EXPECT_TRUE(Find<QCheckBox>("chkContour")->isChecked());
    EXPECT_GT(PixelsOf(Picture(), QColor(255, 128, 0)), 100) << "elevation marks";

    const std::string desktop = files / (std::string(c.sample) + ".desktop.grd");
    const std::string cli = files / (std::string(c.sample) + ".cli.grd");
    platform.saveAnswers.push_back(QString::fromStdString(desktop));
    Click("cmdSaveGridData");
    std::ostringstream out, err;
    ASSERT_EQ(RunCli({"estimate", "--layout", std::to_string(c.layout), sample, "--nodes",
                      std::string(c.nx) + "," + c.ny, "--range", c.range.join(',').toStdString(),
                      "--extend", std::string(c.extend) + "," + c.extend, "-o", cli},
                     out, err),
              0)
        << err.str();
    EXPECT_EQ(Slurp(desktop), Slurp(cli)) << c.sample;

    // The command line prints the counts, then the report values the panel shows.
    std::istringstream lines(out.str());
    std::string line;
    QStringList printed, shown;
    while (std::getline(lines, line)) {
      // The counts come first; the iterative solver's steps and residual last.
      if (line.rfind("N", 0) != 0 && line.rfind("iterations", 0) != 0 &&
          line.rfind("residual", 0) != 0) {
        printed << QString::fromStdString(line.substr(line.find("= ") + 2));
      }
    }
    for (const char* name : {"lblQj1", "lblQj2", "lblNhdt", "lblQhrn", "lblQhav", "lblNddt",
                             "lblQdrn", "lblQdav", "lblQjres", "lblQj", "lblRes"}) {
      if (!Caption(name).isEmpty()) shown << Caption(name);
    }
    // The panel shows six significant digits of what the command line prints to fifteen.
    ASSERT_EQ(shown.size(), printed.size()) << c.sample;
    for (qsizetype k = 0; k < shown.size(); ++k) {
      EXPECT_LE(shown[k].size(), 12) << shown[k].toStdString();
      const double value = printed[k].toDouble();
      EXPECT_NEAR(shown[k].toDouble(), value, 5e-6 * std::abs(value)) << c.sample;
    }
    if (state().Data.Prepared.HasBoundData) {
      // Without dip data a R is alpha RH, alpha being 16 in the last of the six passes.
      EXPECT_NEAR(Caption("lblRes").toDouble(), 16 * Caption("lblQhrn").toDouble(),
                  1e-5 * Caption("lblRes").toDouble());
    }
  }
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(
      form->Image().grab().save(QString(KESSADON_SCREENS_DIR) + "/formImage-estimated.png"));
  Find<QTabWidget>("tabParameter")->setCurrentIndex(1);
  EXPECT_TRUE(form->grab().save(QString(KESSADON_SCREENS_DIR) + "/formMain-estimated.png"));
}

// The weights chosen go to the estimate to the last digit, so the desktop
// and the command line with --auto-weights save the same grid.
TEST_F(EstimationTest, AutoWeightsGiveTheCommandLinesGrid) {
  const std::string sample = SourcePath("data/samples/fold_dips.txt");
  Load("cmdOpenData", sample, 3);
  Ask({"0", "0", "1000", "800"}, "26", "21");
  Type("txtXexp", "10");
  Type("txtYexp", "10");
  Click("cmdHorizon");
  ASSERT_FALSE(Caption("lblQj").isEmpty());
  // The weights chosen afterwards leave no figure of that run beside them.
  Click("cmdAutoWeights");
  EXPECT_TRUE(Caption("lblQj").isEmpty());
  EXPECT_FALSE(Find<QLabel>("lblWeights")->isHidden());
  platform.saveChoices.push_back(SaveChoice::Discard);
  Click("cmdHorizon");
  ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
  const std::string desktop = files / "auto.desktop.grd", cli = files / "auto.cli.grd";
  platform.saveAnswers.push_back(QString::fromStdString(desktop));
  Click("cmdSaveGridData");
  std::ostringstream out, err;
  ASSERT_EQ(RunCli({"estimate", "--layout", "3", sample, "--nodes", "26,21", "--range",
                    "0,0,1000,800", "--extend", "10,10", "--auto-weights", "-o", cli},
                   out, err),
            0)
      << err.str();
  EXPECT_EQ(Slurp(desktop), Slurp(cli));
}

// The faulted sample with its fault file: the estimate breaks along the
// trace, the picture draws it in dark red, and a bad file changes nothing.
TEST_F(EstimationTest, FaultTracesBreakTheSurfaceAndAreDrawn) {
  Load("cmdOpenData", SourcePath("data/samples/fault_bed.txt"), 3);
  platform.openAnswers.push_back(QString::fromStdString(WriteFile("one.txt", "1,2\n")));
  Click("cmdOpenFaults");
  EXPECT_EQ(Caption("lblFaults"), "断層線はありません");
  EXPECT_TRUE(Status().contains("1 行目")) << Status().toStdString();
  platform.openAnswers.push_back(
      QString::fromStdString(SourcePath("data/samples/fault_bed_faults.txt")));
  Click("cmdOpenFaults");
  EXPECT_EQ(Caption("lblFaults"), "断層線 1 本（点 4 個）");
  EXPECT_TRUE(Enabled("cmdClearFaults"));

  Ask({"0", "0", "1000", "800"}, "101", "81");
  // The weight chosen from the data, with its reasons: the sample's
  // heights carry noise of 0.5 m.
  Click("cmdAutoWeights");
  EXPECT_NE(Text("txtAlphaMin"), "32");
  EXPECT_TRUE(Status().contains("一般化交差検証")) << Status().toStdString();
  EXPECT_FALSE(Find<QLabel>("lblWeights")->isHidden());
  const QString weights = Caption("lblWeights");
  const double sigma = weights.mid(weights.indexOf("σ ") + 2).toDouble();
  EXPECT_NEAR(sigma, 0.5, 0.1) << weights.toStdString();
  Click("cmdHorizon");
  ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
  EXPECT_TRUE(Status().contains("断層で切った格子間 95 本")) << Status().toStdString();
  EXPECT_EQ(Caption("lblFaultCuts"), "切断 95 本、除外 0 個");
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  Find<QTabWidget>("tabParameter")->setCurrentIndex(1);
  EXPECT_TRUE(form->grab().save(QString(KESSADON_SCREENS_DIR) + "/formMain-faults-report.png"));
  // The step across the fault: west of it (x = 420) the bed lies 80 m
  // higher than east of it (x = 480), less its dip over the 60 m between.
  const GridData& grid = state().Grid;
  EXPECT_GT(grid.Z(43, 20) - grid.Z(49, 20), 70);
  EXPECT_GT(PixelsOf(Picture(), QColor(139, 0, 0)), 100) << "the trace";
  EXPECT_TRUE(form->Image().grab().save(QString(KESSADON_SCREENS_DIR) + "/formImage-faults.png"));
  Find<QTabWidget>("tabParameter")->setCurrentIndex(0);
  EXPECT_TRUE(form->grab().save(QString(KESSADON_SCREENS_DIR) + "/formMain-faults.png"));

  Click("cmdClearFaults");
  EXPECT_EQ(Caption("lblFaults"), "断層線はありません");
  EXPECT_FALSE(Enabled("cmdClearFaults"));
  // Clearing the data goes back to the start: no fault either.
  platform.openAnswers.push_back(
      QString::fromStdString(SourcePath("data/samples/fault_bed_faults.txt")));
  Click("cmdOpenFaults");
  platform.saveChoices.push_back(SaveChoice::Discard);  // the unsaved estimate may go
  Click("cmdClear");
  EXPECT_EQ(Caption("lblFaults"), "断層線はありません");
  EXPECT_TRUE(state().Data.Faults.traces.empty());
}

// The hill's estimate and how sure it is: the standard deviations drawn in
// colour bands of their own, with the data over them and their legend.
TEST_F(EstimationTest, UncertaintyOfTheEstimateIsDrawnWithItsOwnLevels) {
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"), 1);
  Ask({"0", "0", "1000", "700"}, "51", "36");
  EXPECT_FALSE(Enabled("cmdDisplayUncertainty"));
  Click("cmdHorizon");
  ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
  ASSERT_TRUE(Enabled("cmdDisplayUncertainty"));
  const ContourLevels heights = state().Levels;
  Click("cmdDisplayUncertainty");
  ASSERT_TRUE(state().Uncertainty) << Status().toStdString();
  EXPECT_TRUE(Status().contains("標準偏差")) << Status().toStdString();
  const GridData& sd = *state().Uncertainty;
  EXPECT_GT(sd.Zmin, 0);
  EXPECT_GT(sd.Zmax, 2 * sd.Zmin);  // least at the data, most far from them
  // Levels of the deviations' range, the heights' kept.
  EXPECT_LE(state().UncertaintyLevels.Cst, sd.Zmin);
  EXPECT_GE(state().UncertaintyLevels.Cen, sd.Zmax);
  EXPECT_EQ(state().Levels.Cst, heights.Cst);
  Click("cmdDisplayData");
  std::filesystem::create_directories(KESSADON_SCREENS_DIR);
  EXPECT_TRUE(
      form->Image().grab().save(QString(KESSADON_SCREENS_DIR) + "/formImage-uncertainty.png"));
  // Drawn again as vectors: the deviations' bands and the data's labels.
  const std::string svg = files / "sd.svg";
  platform.saveAnswers.push_back(QString::fromStdString(svg));
  Click("cmdSaveImage");
  EXPECT_TRUE(Status().startsWith("画像を保存しました")) << Status().toStdString();
  EXPECT_NE(Slurp(svg).find("> 300.52</text>"), std::string::npos) << "a height label";
  // Saved as a grid, the deviations as computed.
  ASSERT_TRUE(Enabled("cmdSaveUncertainty"));
  const std::string saved = files / "sd.grd";
  platform.saveAnswers.push_back(QString::fromStdString(saved));
  Click("cmdSaveUncertainty");
  const Result<GridData> read = ReadGridFile(saved);
  ASSERT_TRUE(read);
  EXPECT_NEAR(read->Z(10, 10), sd.Z(10, 10), 1e-9 * sd.Z(10, 10));
  ASSERT_TRUE(Enabled("cmdColor"));
  Click("cmdColor");
  EXPECT_TRUE(
      form->Legend().grab().save(QString(KESSADON_SCREENS_DIR) + "/formColor-uncertainty.png"));
  // The legend saved from its window, titled with what its colours measure.
  for (const char* name : {"legend.svg", "legend.png"}) {
    const std::string legend = files / name;
    platform.saveAnswers.push_back(QString::fromStdString(legend));
    form->Legend().findChild<QAction*>("actSaveLegend")->trigger();
    EXPECT_TRUE(Status().startsWith("画像を保存しました")) << Status().toStdString();
    EXPECT_TRUE(std::filesystem::exists(legend)) << name;
  }
  EXPECT_NE(Slurp(files / "legend.svg").find("標準偏差"), std::string::npos);
  // A grid read from a file has no estimate behind it.
  platform.saveChoices.push_back(SaveChoice::Discard);
  OpenGrid(SourcePath("data/samples/hill.grd"));
  EXPECT_FALSE(Enabled("cmdDisplayUncertainty"));
  EXPECT_FALSE(Enabled("cmdSaveUncertainty"));
  EXPECT_FALSE(state().Uncertainty);
}

// Beyond the exact size (made small here) the deviations come in two levels
// from the estimate the window keeps, which still holds its heights after the
// grid went to the window; they are drawn in no more bands than colours, and
// saved.
TEST_F(EstimationTest, UncertaintyBeyondTheExactSizeIsDrawnAndSaved) {
  for (const std::int64_t exactUpTo : {std::int64_t{1'200'000}, std::int64_t{500}}) {
    Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"), 1);
    Ask({"0", "0", "1000", "700"}, "51", "36");
    platform.saveChoices.push_back(SaveChoice::Discard);
    Click("cmdHorizon");
    ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
    state().UncertaintyOptions.exactUpTo = exactUpTo;
    EXPECT_EQ(state().LastEstimate->run.Grid.Z(20, 20), state().Grid.Z(20, 20));
    Click("cmdDisplayUncertainty");
    ASSERT_TRUE(state().Uncertainty) << Status().toStdString();
    EXPECT_EQ(Status().contains("二段階の近似"), exactUpTo < 1000) << Status().toStdString();
    const ContourLevels& l = state().UncertaintyLevels;
    EXPECT_LE(std::round((l.Cen - l.Cst) / l.Cin), state().Colors.NColor);
    EXPECT_EQ(state().DisplayMode, DisplayMode::ColorContour);
    const std::string saved = files / ("sd" + std::to_string(exactUpTo) + ".grd");
    platform.saveAnswers.push_back(QString::fromStdString(saved));
    Click("cmdSaveUncertainty");
    const Result<GridData> read = ReadGridFile(saved);
    ASSERT_TRUE(read) << Status().toStdString();
    EXPECT_NEAR(read->Z(30, 20), state().Uncertainty->Z(30, 20), 1e-9);
  }
}

// The desktop's separate commands run the command line's one estimation:
// alpha(max) grown by its rule, and on a grid the choice thins, the noise of
// the surface delivered handed to the standard deviations.
TEST_F(EstimationTest, BothFrontsTakeTheSameWeightsAndNoise) {
  // Noisy heights of a smooth surface: a choice that leaves degrees of freedom.
  std::ostringstream noisy;
  unsigned seed = 7;
  for (int k = 0; k < 300; ++k) {
    const auto next = [&seed] { return (seed = seed * 1103515245u + 12345u) / 4294967296.0; };
    const double x = 1000 * next(), y = 700 * next();
    noisy << 'p' << k << ',' << x << ',' << y << ','
          << 100 + 0.05 * x + 5 * std::sin(x / 150) + 4 * (next() - 0.5) << '\n';
  }
  struct Case {
    std::string path;
    int layout;
    bool uncertainty;
  };
  const Case cases[] = {{SourcePath("data/samples/bounds.txt"), 2, false},
                        {WriteFile("noisy.txt", noisy.str() + "end,0,0,0\n"), 1, true}};
  for (const Case& c : cases) {
    Load("cmdOpenData", c.path, c.layout);
    Ask({"0", "0", "1000", "700"}, "41", "29");
    state().WeightOptions.gridNodesUpTo = 500;
    SurfaceRequest request;
    request.chooseWeights = true;
    request.uncertainty = c.uncertainty;
    request.gcv = state().WeightOptions;
    const Result<SurfaceEstimate> library = EstimateSurface(
        state().Data.Prepared, ReadEstimationFields(*context().panel.estimation), request);
    ASSERT_TRUE(library) << library.failure().message;
    ASSERT_TRUE(library->choice->Thinned);

    Click("cmdAutoWeights");
    EXPECT_EQ(FieldValue(Find<QLineEdit>("txtAlphaMin")), library->params.AlphaMin) << c.path;
    EXPECT_EQ(FieldValue(Find<QLineEdit>("txtAlphaMax")), library->params.AlphaMax) << c.path;
    if (!c.uncertainty) {
      Click("cmdClear");
      continue;
    }
    platform.saveChoices.push_back(SaveChoice::Discard);
    Click("cmdHorizon");
    ASSERT_EQ(state().GridLoaded, 1) << Status().toStdString();
    Click("cmdDisplayUncertainty");
    ASSERT_TRUE(library->sd) << library->sdRefusal->message;
    ASSERT_TRUE(state().Uncertainty) << platform.messages.back().toStdString();
    ASSERT_TRUE(library->fit->reckoned);
    EXPECT_TRUE(Status().contains(QString("σ = %1").arg(library->fit->fit.Sigma, 0, 'g', 3)))
        << Status().toStdString();
    EXPECT_EQ(state().Uncertainty->Z, library->sd->Sd.Z);
  }
}

// An estimate not drawn afterwards can be drawn at once in the plan view,
// and the picture of the grid before does not stay to pass for it.
TEST_F(EstimationTest, AnEstimateNotDrawnLeavesNoOldPictureAndCanBeDrawn) {
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"), 1);
  Ask({"0", "0", "1000", "700"}, "41", "29");
  Click("cmdHorizon");
  ASSERT_GT(PixelsOf(Picture(), QColor(255, 128, 0)), 100) << "drawn, with the data's marks";
  Find<QCheckBox>("chkDrawCon")->setChecked(false);
  Ask({"0", "0", "1000", "700"}, "51", "36");
  platform.saveChoices.push_back(SaveChoice::Discard);
  Click("cmdHorizon");
  ASSERT_EQ(state().Grid.Nx, 51) << Status().toStdString();
  const QImage blank = Picture();
  EXPECT_EQ(PixelsOf(blank, QColor(255, 255, 255)), blank.width() * blank.height());
  EXPECT_EQ(Text("txtAlpha"), "180");
  EXPECT_TRUE(Enabled("cmdDisplayGrid"));
  EXPECT_TRUE(Enabled("cmdDisplayData"));
  Click("cmdDisplayGrid");
  EXPECT_LT(PixelsOf(Picture(), QColor(255, 255, 255)), blank.width() * blank.height());
}

// With bounds the chosen weights' figures are those of alpha(min) without the
// bounds, not of the surface the passes deliver: a mark, and the tip says so.
TEST_F(EstimationTest, AutoWeightsWithBoundsSayWhatTheirFiguresDescribe) {
  Load("cmdOpenData", SourcePath("data/samples/bounds.txt"), 2);
  Ask({"0", "0", "1000", "700"}, "41", "29");
  Click("cmdAutoWeights");
  const QLabel* weights = Find<QLabel>("lblWeights");
  ASSERT_FALSE(weights->isHidden()) << Status().toStdString();
  EXPECT_TRUE(weights->text().endsWith("※")) << weights->text().toStdString();
  EXPECT_TRUE(weights->toolTip().contains("α(min) の面")) << weights->toolTip().toStdString();
}

TEST_F(EstimationTest, RefusalsKeepTheGridAndAVanishingWeightStillEstimates) {
  const std::string hill = SourcePath("data/samples/hill.grd");
  OpenGrid(hill);
  Load("cmdOpenData", SourcePath("data/samples/bounds.txt"), 2);
  Ask({"0", "0", "1000", "700"}, "11", "8");
  struct Case {
    const char* field;
    const char* text;
    const char* reason;
  };
  for (const Case& c : {Case{"txtNitr", "1", "繰り返し回数"}, Case{"txtAlphaMin", "-1", "α(min)"},
                        Case{"txtXmin", "5000", "X Max"}, Case{"txtM2", "0", "m1 か m2"}}) {
    const QString before = Text(c.field);
    Type(c.field, c.text);
    platform.messages.clear();
    Click("cmdHorizon");
    ASSERT_EQ(platform.messages.size(), 1u) << c.field;
    EXPECT_TRUE(platform.messages[0].contains(c.reason)) << platform.messages[0].toStdString();
    EXPECT_EQ(state().Grid.Nx, 41) << "the grid read stays";
    EXPECT_EQ(Caption("lblGridFileName"), QString::fromStdString(hill));
    Type(c.field, before);
  }

  // Pass 2 loses its lower bound's row; a vanishing curvature weight still
  // holds the corner node, in any units, so every pass runs.
  std::ostringstream text;
  int id = 0;
  const auto plane = [](double x, double y) { return 250 + 0.8 * x - 0.35 * y; };
  for (double x = 0; x <= 3; ++x) {
    for (double y = 0; y <= 3; ++y) {
      text << "p" << ++id << ',' << x << ',' << y << ',' << plane(x, y) << ",0\n";
      for (double dx : {-0.25, 0.25}) {
        for (double dy : {-0.25, 0.25}) {
          const bool corner = x == 0 && y == 0 && dx < 0 && dy < 0;
          text << "p" << ++id << ',' << x + dx << ',' << y + dy << ','
               << plane(x + dx, y + dy) - (corner ? 50 : 0) << ',' << (corner ? 1 : 0) << '\n';
        }
      }
    }
  }
  text << "end,0,0,0,0\n";
  Click("cmdClear");
  Load("cmdOpenData", WriteFile("stops.txt", text.str()), 2);
  Ask({"0", "0", "3", "3"}, "4", "4");
  Type("txtM2", "1e-10");
  platform.messages.clear();
  Click("cmdHorizon");
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(state().Grid.Nx, 4);
  EXPECT_EQ(Caption("lblGridOnOff"), "推定された格子データ");
  EXPECT_TRUE(Status().contains("繰り返し 6 回）")) << Status().toStdString();
}

// The status line names the pass and the stage; the bar grows over the whole run.
TEST(EstimationProgress, TextAndShareOfTheWholeRun) {
  using S = EstimationStage;
  struct Case {
    EstimationProgressStep step;
    const char* text;
    double share;
  };
  const Case cases[] = {
      {{1, 2, S::Building, 0.5}, "推定中：1 / 2 回目　方程式の組み立て 50%", 0.025},
      {{1, 2, S::Analysing, 1}, "推定中：1 / 2 回目　連立方程式の準備 100%", 0.1},
      {{2, 2, S::Factorising, 0.25}, "推定中：2 / 2 回目　連立方程式の分解 25%", 0.7},
      {{2, 2, S::Factorising, 1}, "推定中：2 / 2 回目　連立方程式の分解 100%", 1},
      {{1, 1, S::Iterating, 0.5}, "推定中：1 / 1 回目　連立方程式の反復解法 50%", 0.55},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EstimationProgressText(c.step), c.text);
    EXPECT_DOUBLE_EQ(RunShare(c.step), c.share) << c.text;
  }
}

// A run stopped halfway leaves the grid, the picture and every caption as they
// were; while it works the pages take no clicks and the stop shows.
TEST_F(EstimationTest, AStoppedRunChangesNothing) {
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Ask({"0", "0", "1000", "750"}, "41", "31");
  Click("cmdHorizon");
  ASSERT_EQ(state().GridLoaded, 1);
  const GridData before = state().Grid;
  const QImage picture = Picture();
  const QStringList names = {"lblGridFileName", "lblGridOnOff", "lblXGrid",
                             "lblZmax",         "lblQj",        "lblRes"};
  QStringList captions;
  for (const QString& name : names) captions << Caption(name.toUtf8().constData());

  auto* cmdStop = Find<QPushButton>("cmdStop");
  EXPECT_EQ(cmdStop->shortcut(), QKeySequence(Qt::Key_Escape));
  EXPECT_FALSE(cmdStop->isVisible());
  bool sawRun = false;
  QTimer watch;
  QElapsedTimer clock;
  clock.start();
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (!cmdStop->isVisible() || sawRun) return;
    // Well into the factorisation, or after a while on a stage that does not move.
    if (Find<QProgressBar>("prgRun")->value() < 300 && clock.elapsed() < 5000) return;
    sawRun = true;
    EXPECT_FALSE(Find<QTabWidget>("tabParameter")->currentWidget()->isEnabled());
    EXPECT_TRUE(Status().startsWith("推定中")) << Status().toStdString();
    std::filesystem::create_directories(KESSADON_SCREENS_DIR);
    EXPECT_TRUE(form->grab().save(QString(KESSADON_SCREENS_DIR) + "/formMain-run-in-progress.png"));
    cmdStop->click();
    EXPECT_EQ(Status(), "推定を中止しています…");
  });
  watch.start(20);
  Find<QTabWidget>("tabParameter")->setCurrentIndex(1);
  Ask({"0", "0", "1000", "750"}, "500", "400");
  platform.saveChoices.push_back(SaveChoice::Discard);
  Click("cmdHorizon");

  EXPECT_TRUE(sawRun);
  EXPECT_TRUE(Status().startsWith("推定を中止しました")) << Status().toStdString();
  EXPECT_EQ(state().Grid.Nx, before.Nx);
  EXPECT_EQ(state().Grid.Z, before.Z);
  EXPECT_EQ(Picture(), picture);
  for (int k = 0; k < names.size(); ++k)
    EXPECT_EQ(Caption(names[k].toUtf8().constData()), captions[k]);
  EXPECT_FALSE(cmdStop->isVisible());
  EXPECT_TRUE(Find<QTabWidget>("tabParameter")->currentWidget()->isEnabled());
  EXPECT_TRUE(state().OriginalUnsaved) << "the estimate kept is still unsaved";
}

}  // namespace
}  // namespace kessadon::testing
