#include <QCheckBox>
#include <QGuiApplication>
#include <QListWidget>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <fstream>

#include "AppFixture.h"
#include "app/AppReset.h"
#include "app/PictureBox.h"

namespace kessadon::testing {
namespace {

using StartupTest = AppTest;

bool Checked(QWidget* widget) {
  if (auto* box = qobject_cast<QCheckBox*>(widget)) return box->isChecked();
  return qobject_cast<QRadioButton*>(widget)->isChecked();
}

TEST_F(StartupTest, WindowsCarryTheirCaptions) {
  EXPECT_EQ(form->windowTitle(), "Kessadon 2001");
  EXPECT_EQ(form->objectName(), "formMain");
  EXPECT_EQ(form->Image().windowTitle(), "Image");
  EXPECT_NE(Find<QTabWidget>("tabParameter"), nullptr);
  EXPECT_EQ(form->pos(), QPoint(0, 0));
}

TEST_F(StartupTest, DrawingWindowIsASquareOnTheRightHalf) {
  const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
  const QRect outer = form->Image().frameGeometry();
  EXPECT_EQ(outer.left(), screen.left() + screen.width() / 2);
  EXPECT_EQ(outer.top(), screen.top());
  EXPECT_EQ(outer.width(), screen.width() / 2);
  EXPECT_EQ(outer.height(), outer.width());
  EXPECT_EQ(Find<PictureBox>("picImage")->geometry(), form->Image().rect());
  EXPECT_EQ(Caption("lblWinX"), QString::number(outer.width()));
  EXPECT_EQ(Caption("lblWinY"), QString::number(outer.height()));

  form->Image().resize(300, 200);
  EXPECT_EQ(Caption("lblWinX"), QString::number(form->Image().frameGeometry().width()));
  EXPECT_EQ(Caption("lblWinY"), QString::number(form->Image().frameGeometry().height()));
  EXPECT_EQ(Find<PictureBox>("picImage")->size(), QSize(300, 200));
}

TEST_F(StartupTest, FieldsAndCommandsStartAsReset) {
  for (const char* name : {"cmdDisplayGrid",
                           "cmdDisplayContour",
                           "cmdDisplayShade",
                           "cmdDisplayColorContour",
                           "cmdDisplayColorShade",
                           "cmdDisplayData",
                           "cmdOpenDataAdd",
                           "cmdSaveGridData",
                           "cmdHorizon",
                           "cmdDataView",
                           "cmdDataView2",
                           "cmdG2g",
                           "cmdGridChange",
                           "cmdColor",
                           "txtDist",
                           "txtPpz",
                           "txtAlphaMax",
                           "txtNitr",
                           "txtRatio",
                           "lblAlphaMax",
                           "lblNitr",
                           "lblRatio"}) {
    EXPECT_FALSE(Enabled(name)) << name;
  }
  EXPECT_TRUE(Enabled("cmdOpenData"));
  EXPECT_EQ(Text("txtSepInt"), "20");
  EXPECT_EQ(Text("txtXexp"), "0");
  EXPECT_EQ(Text("txtYexp"), "0");
  EXPECT_EQ(Text("txtChrSize"), "7");
  EXPECT_EQ(Text("txtSdBai"), "1");
  EXPECT_EQ(Text("txtAlphaMin"), "32");
  EXPECT_EQ(Text("txtM1"), "0");
  EXPECT_EQ(Text("txtM2"), "1");
  EXPECT_EQ(Text("txtZbase"), "0") << "ticking the pedestal writes the saved base, 0 at first";
  EXPECT_TRUE(Enabled("txtZbase"));
  for (const char* name :
       {"txtAlpha",  "txtGamma",    "txtDist",   "txtPpz",   "txtSca",  "txtVe",
        "txtCst",    "txtCen",      "txtCin",    "txtRo",    "txtTh",   "txtXGridG",
        "txtYGridG", "txtAlphaMax", "txtNitr",   "txtRatio", "txtXmin", "txtYmin",
        "txtXmax",   "txtYmax",     "txtXGridH", "txtYGridH"}) {
    EXPECT_EQ(Text(name), "") << name;
  }
  EXPECT_FALSE(Find<QLabel>("lblMemLbl")->isVisibleTo(form.get()));
  EXPECT_FALSE(Find<QLabel>("lblMem")->isVisibleTo(form.get()));
  EXPECT_EQ(Caption("lblGridFileName"), "格子データは開かれていません");
  EXPECT_EQ(Caption("lblGridOnOff"), "格子データの状態");
  EXPECT_EQ(Caption("lblQj1"), "") << "no report before the first run";
  EXPECT_EQ(Caption("lblQjres"), "");
  // Qt's own texts (dialogs, message box buttons) speak Japanese too.
  EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), "キャンセル");

  for (const char* name : {"chkDrawCon", "chkBase", "chkAutoRedraw", "chkWaku", "optWaku4",
                           "optData1", "opt_sd", "chkDip", "OptDataBlack", "opt_1"}) {
    EXPECT_TRUE(Checked(Find<QWidget>(name))) << name;
  }
  for (const char* name : {"chkContour", "chkHisto", "chkPers", "chkScaleLine", "chkBack"}) {
    EXPECT_FALSE(Checked(Find<QWidget>(name))) << name;
  }

  const AppState& s = state();
  EXPECT_EQ(s.GridLoaded + s.ContourReady + s.LightReady + s.ViewReady + s.DataReady + s.HistoOn,
            0);
  EXPECT_FALSE(s.Data.Prepared.HasDipData || s.Data.Prepared.HasBoundData);
  EXPECT_EQ(s.View.Dist, 1e10);
  EXPECT_EQ(s.Data.DataType, 1);
  EXPECT_EQ(s.ChrSize, 7);
  EXPECT_EQ(s.SdBai, 1.0f);
  EXPECT_EQ(s.DataTextColor, kBlack);
  EXPECT_EQ(s.LineColor, kBlack);
  EXPECT_EQ(s.AlphaMin, 32);
  EXPECT_TRUE(Find<PictureBox>("picImage")->AutoRedraw());
  EXPECT_EQ(Find<PictureBox>("picImage")->BackColor(), kWhite);
}

// The reset sets check boxes through their handlers, so their effects follow.
TEST_F(StartupTest, ResetRunsTheHandlersOfChangedCheckBoxes) {
  auto* picImage = Find<PictureBox>("picImage");
  Find<QCheckBox>("chkBack")->click();
  EXPECT_EQ(picImage->BackColor(), kBlack);
  EXPECT_EQ(state().LineColor, kWhite);
  EXPECT_EQ(picImage->Image().pixelColor(3, 3), Qt::black);
  Find<QCheckBox>("chkAutoRedraw")->click();
  EXPECT_FALSE(picImage->AutoRedraw());
  Find<QRadioButton>("optData4")->click();
  EXPECT_EQ(state().Data.DataType, 4);
  Find<QListWidget>("lstDataFile")->addItem("old.txt");

  ResetAppState(context());
  EXPECT_EQ(picImage->BackColor(), kWhite);
  EXPECT_EQ(picImage->Image().pixelColor(3, 3), Qt::white);
  EXPECT_EQ(state().LineColor, kBlack);
  EXPECT_TRUE(picImage->AutoRedraw());
  EXPECT_EQ(state().Data.DataType, 1);
  EXPECT_TRUE(Find<QRadioButton>("optData1")->isChecked());
  EXPECT_EQ(Find<QListWidget>("lstDataFile")->count(), 0);
}

TEST_F(StartupTest, DefaultsComeFromTheFileBesideTheProgram) {
  std::ofstream(programDir / "default.txt") << "a\n10\nb\n 20 \nc\n3\nd\n4\ne\n50\nf\n60\n";
  Start();
  const ViewLightDefaults& d = state().Defaults;
  EXPECT_EQ(d.AlphaDefault, 10);
  EXPECT_EQ(d.GammaDefault, 20);
  EXPECT_EQ(d.ScaDefault, 3);
  EXPECT_EQ(d.VeDefault, 4);
  EXPECT_EQ(d.RoDefault, 50);
  EXPECT_EQ(d.ThDefault, 60);
  EXPECT_EQ(Status(), "");
}

TEST_F(StartupTest, MissingOrShortDefaultsFileFallsBackAndSaysWhich) {
  std::filesystem::remove(programDir / "default.txt");
  Start();
  const ViewLightDefaults builtIn;
  EXPECT_EQ(state().Defaults.AlphaDefault, builtIn.AlphaDefault);
  EXPECT_EQ(state().Defaults.ThDefault, builtIn.ThDefault);
  EXPECT_TRUE(Status().contains("default.txt")) << Status().toStdString();

  std::ofstream(programDir / "default.txt") << "a\n10\nb\n20\n";
  Start();
  EXPECT_EQ(state().Defaults.AlphaDefault, 10);
  EXPECT_EQ(state().Defaults.GammaDefault, 20);
  EXPECT_EQ(state().Defaults.ScaDefault, builtIn.ScaDefault);
  EXPECT_EQ(state().Defaults.ThDefault, builtIn.ThDefault);
  EXPECT_TRUE(Status().contains("default.txt")) << Status().toStdString();
}

TEST_F(StartupTest, ShippedDefaultsFileIsComplete) {
  // The file copied beside the program must hold all six pairs.
  EXPECT_EQ(Status(), "");
  const ViewLightDefaults builtIn;
  EXPECT_EQ(state().Defaults.AlphaDefault, builtIn.AlphaDefault);
  EXPECT_EQ(state().Defaults.RoDefault, builtIn.RoDefault);
}

TEST_F(StartupTest, VersionAndEnd) {
  Click("cmdVersion");
  ASSERT_EQ(platform.messages.size(), 1u);
  const QString& line = platform.messages[0];
  EXPECT_FALSE(line.contains('\n'));
  EXPECT_TRUE(line.contains("Kessadon") && line.contains("2001") && line.contains("2001/07/13"));
  // The version label is the package's, as kessadon --version prints it.
  EXPECT_TRUE(line.contains(QString("バージョン %1 ").arg(KESSADON_VERSION))) << line.toStdString();

  Click("cmdEnd");
  EXPECT_FALSE(form->isVisible());
  EXPECT_FALSE(form->Image().isVisible());
}

}  // namespace
}  // namespace kessadon::testing
