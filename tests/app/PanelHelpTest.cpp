// What a person new to the panel relies on: tooltips, fields that say what is
// wrong with them, sensible first values, and numbers only of what is shown.
#include <QAbstractButton>
#include <QCheckBox>
#include <QListWidget>

#include "AppFixture.h"
#include "app/Controls.h"
#include "app/PictureBox.h"
#include "app/WindowPlacement.h"
#include "io/GridData.h"
#include "render/RenderSurface.h"

namespace kessadon::testing {
namespace {

using PanelHelpTest = AppTest;

TEST_F(PanelHelpTest, EveryControlHasATooltip) {
  QList<QWidget*> controls;
  for (auto* w : form->findChildren<QAbstractButton*>()) controls << w;
  for (auto* w : form->findChildren<QLineEdit*>()) controls << w;
  for (auto* w : form->findChildren<QListWidget*>()) controls << w;
  for (QWidget* control : controls) {
    // The tab bar's own scroll buttons are Qt's.
    if (control->objectName().isEmpty() || control->objectName().startsWith("Scroll")) continue;
    EXPECT_FALSE(control->toolTip().isEmpty()) << control->objectName().toStdString();
  }
}

TEST_F(PanelHelpTest, FieldsThatHoldNoNumberOrLeaveTheirRangeAreNamed) {
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Type("txtXGridH", "11");
  Type("txtYGridH", "9");
  struct Case {
    const char* field;
    const char* text;
    const char* said;  // nothing when the run goes ahead
  };
  const Case cases[] = {
      {"txtXmin", "abc", "「X min」に数値がありません"},
      {"txtXexp", "80", "「推定する範囲を拡張 Ｘ（％）」は 0〜50 にしてください"},
      {"txtYexp", "-5", "「推定する範囲を拡張 Ｙ（％）」は 0〜50 にしてください"},
      {"txtM2", "-1", "「m2」は 0〜1000000000000 にしてください"},
      {"txtAlphaMin", "0", "「α(min)」は 0 より大きく 1000000000000 以下にしてください"},
      {"txtAlphaMin", "1e308", "「α(min)」は 0 より大きく 1000000000000 以下にしてください"},
      {"txtYGridH", "1e308", "「Ny(Y Grid)」は 2〜100000 にしてください"},
      {"txtXexp", "50", nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field + std::string(" = ") + c.text);
    const QString before = Text(c.field);
    Type(c.field, c.text);
    platform.messages.clear();
    Click("cmdHorizon");
    if (c.said) {
      ASSERT_EQ(platform.messages.size(), 1u);
      EXPECT_TRUE(platform.messages.back().startsWith(c.said))
          << platform.messages.back().toStdString();
      EXPECT_EQ(state().GridLoaded, 0);
    } else {
      EXPECT_TRUE(platform.messages.empty());
      EXPECT_EQ(state().GridLoaded, 1);
    }
    Type(c.field, before);
  }
  // A field's message goes once the field is mended, and only then.
  Type("txtM2", "-1");
  Find<QLineEdit>("txtM2")->editingFinished();
  EXPECT_TRUE(Status().startsWith("「m2」")) << Status().toStdString();
  Type("txtM1", "1");
  Find<QLineEdit>("txtM1")->editingFinished();
  EXPECT_TRUE(Status().startsWith("「m2」")) << "another field mends nothing";
  Type("txtM2", "1");
  Find<QLineEdit>("txtM2")->editingFinished();
  EXPECT_EQ(Status(), "");
}

// Numbers typed with a Japanese input method mean what their ASCII forms mean;
// text without one is no number at all.
TEST_F(PanelHelpTest, FullWidthNumbersReadAsTheirAsciiForms) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd3DDefault");
  Type("txtGamma", "４５．５");
  Type("txtVe", "－２");
  Type("txtCin", "１ｅ１");
  EXPECT_EQ(state().View.Gamma, 45.5);
  EXPECT_EQ(state().View.Ve, -2);
  EXPECT_EQ(state().Levels.Cin, 10);
  Type("txtXGridG", "８１");
  Type("txtYGridG", "６１");
  Click("cmdG2g");
  EXPECT_EQ(state().Grid.Nx, 81);

  // Text that still holds no number keeps the view, and says why once typed.
  Type("txtGamma", "north");
  EXPECT_EQ(state().View.Gamma, 45.5) << "not silently 0";
  Find<QLineEdit>("txtGamma")->editingFinished();
  EXPECT_TRUE(Status().startsWith("「視点伏角」に数値がありません")) << Status().toStdString();
}

TEST_F(PanelHelpTest, LoadedDataFillTheEmptyRangeFields) {
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  for (const auto& [field, label] : {std::pair{"txtXmin", "lblXminH"},
                                     {"txtYmin", "lblYminH"},
                                     {"txtXmax", "lblXmaxH"},
                                     {"txtYmax", "lblYmaxH"}}) {
    EXPECT_FALSE(Text(field).isEmpty());
    EXPECT_EQ(Text(field), Caption(label)) << field;
  }
}

TEST_F(PanelHelpTest, TheReportShowsOnlyTheRunShown) {
  Load("cmdOpenData", SourcePath("data/samples/fold_dips.txt"), 3);
  Type("txtXGridH", "11");
  Type("txtYGridH", "9");
  Click("cmdHorizon");
  ASSERT_FALSE(Caption("lblNddt").isEmpty());
  ASSERT_FALSE(Caption("lblQdav").isEmpty());

  platform.saveChoices.push_back(SaveChoice::Discard);
  Click("cmdClear");
  for (const char* label : {"lblQj1", "lblNhdt", "lblNddt", "lblQdrn", "lblRes"}) {
    EXPECT_TRUE(Caption(label).isEmpty()) << label;
  }
  Load("cmdOpenData", SourcePath("data/samples/hill_points.txt"));
  Type("txtXGridH", "11");
  Type("txtYGridH", "9");
  Click("cmdHorizon");
  EXPECT_FALSE(Caption("lblQj1").isEmpty());
  for (const char* label : {"lblNddt", "lblQdrn", "lblQdav"}) {
    EXPECT_TRUE(Caption(label).isEmpty()) << label << " holds " << Caption(label).toStdString();
  }
}

TEST_F(PanelHelpTest, TheViewAndBaseFollowTheGridShown) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd3DDefault");
  const ViewProjection view = state().View;
  OpenGrid(SourcePath("data/samples/plane.grd"));
  // The next picture uses the view taken before; the fields say which.
  EXPECT_EQ(Text("txtAlpha"), NumberText(view.Alpha));
  EXPECT_EQ(Text("txtGamma"), NumberText(view.Gamma));
  EXPECT_EQ(Text("txtSca"), NumberText(view.Sca));
  EXPECT_EQ(Text("txtVe"), NumberText(view.Ve));

  // A resampled grid overshoots the original's lowest node.
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Type("txtXGridG", "161");
  Type("txtYGridG", "121");
  Click("cmdG2g");
  for (int k = 0; k < 2; ++k) {
    EXPECT_EQ(state().View.Zbase, DefaultZbase(state().Grid.Zmin));
    EXPECT_EQ(Text("txtZbase"), NumberText(DefaultZbase(state().Grid.Zmin)));
    EXPECT_EQ(state().View.Zcen, state().Grid.Zcen) << "the projection is of the grid shown";
    Click("cmdGridChange");
  }
}

TEST_F(PanelHelpTest, SoFineAContourIntervalAsksFirst) {
  OpenGrid(SourcePath("data/samples/hill.grd"));
  Click("cmd2D");
  Type("txtCst", "0");
  Type("txtCen", "400");
  Type("txtCin", "0.001");
  ASSERT_TRUE(Find<QCheckBox>("chkContour")->isChecked());
  platform.yesNoAnswers.push_back(false);
  Click("cmdDisplayContour");
  ASSERT_EQ(platform.questions.size(), 1u);
  EXPECT_TRUE(platform.questions.back().contains("298,771 本"))
      << platform.questions.back().toStdString();
  EXPECT_EQ(state().DisplayMode, DisplayMode::Nothing) << "nothing drawn";

  Type("txtCin", "10");
  Click("cmdDisplayContour");
  EXPECT_EQ(platform.questions.size(), 1u);
  EXPECT_EQ(state().DisplayMode, DisplayMode::Contour);
}

TEST(WindowPlacement, TheDrawingWindowKeepsClearOfTheMainWindow) {
  struct Case {
    QRect screen, main, expected;
  };
  const Case cases[] = {
      // A wide screen: the right half, as a square.
      {{0, 0, 1920, 1040}, {0, 0, 760, 680}, {960, 0, 960, 960}},
      // A laptop screen: beside the main window, shrunk to the room left.
      {{0, 0, 1366, 740}, {0, 0, 760, 680}, {760, 0, 606, 606}},
      // Short and wide: no taller than the screen.
      {{0, 0, 2560, 700}, {0, 0, 760, 680}, {1280, 0, 700, 700}},
      // No room for a usable picture beside it: the right half after all.
      {{0, 0, 800, 600}, {0, 0, 760, 580}, {400, 0, 400, 400}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DrawingWindowPlace(c.screen, c.main), c.expected)
        << c.screen.width() << " x " << c.screen.height();
  }
  const QRect screen(0, 0, 1366, 740), drawing(760, 0, 606, 606);
  // No room right of it or below it: left of it, beside the picture.
  EXPECT_EQ(LegendWindowPlace(screen, drawing, {220, 470}), QRect(540, 0, 220, 470));
  EXPECT_EQ(LegendWindowPlace({0, 0, 1366, 1100}, drawing, {220, 470}), QRect(1146, 606, 220, 470));
  EXPECT_EQ(LegendWindowPlace({0, 0, 800, 600}, {400, 0, 400, 400}, {500, 470}),
            QRect(300, 0, 500, 470));
  EXPECT_EQ(LegendWindowPlace({0, 0, 1920, 1040}, {960, 0, 700, 700}, {220, 470}),
            QRect(1660, 0, 220, 470));
}

}  // namespace
}  // namespace kessadon::testing
