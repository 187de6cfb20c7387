#include "AppReset.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>

#include "ColorCommands.h"
#include "Controls.h"
#include "DataDisplayCommands.h"
#include "FormColor.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "ReportView.h"
#include "color/ColorModes.h"
#include "estimate/EstimationParameters.h"
#include "io/Defaults.h"
#include "io/NumberText.h"
#include "io/ProgramFiles.h"

namespace kessadon::app {

namespace {

// The six view and light defaults from the file beside the program. A missing
// or short file leaves the built-in values for what it lacks, and says so.
void ReadDefaultsFile(MainContext& context) {
  const QString path = context.programDir + "/" + kDefaultsFileName;
  context.state.Defaults = ViewLightDefaults{};
  const Result<DefaultsRead> read = ReadProgramDefaults(FromQ(context.programDir));
  if (!read) {
    context.ShowStatus(path + " が読めないため，組み込みの既定値を使います（" +
                       ToQ(read.failure().message) + "）");
    return;
  }
  context.state.Defaults = read->values;
  if (!read->complete) {
    context.ShowStatus(path + " の行が12行に足りないため，足りない値は組み込みの既定値を使います");
  }
}

void Clear(std::initializer_list<QLineEdit*> boxes) {
  for (QLineEdit* box : boxes) box->clear();
}

void Clear(std::initializer_list<QLabel*> labels) {
  for (QLabel* label : labels) label->clear();
}

void Enable(std::initializer_list<QWidget*> widgets, bool enabled) {
  for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

// The text fields of the panel, empty or at their starting values.
void ClearPanelFields(Panel& p) {
  EstimationFrame& e = *p.estimation;
  GridChangeFrame& g = *p.gridChange;
  ViewFrame& v = *p.view;
  ContourFrame& c = *p.contour;
  Clear({g.txtXGridG, g.txtYGridG, e.txtAlphaMin, e.txtAlphaMax, e.txtNitr, e.txtRatio});
  e.txtXexp->setText("0");
  e.txtYexp->setText("0");
  Clear({v.txtAlpha, v.txtGamma, v.txtDist, v.txtPpz, v.txtSca, v.txtVe, v.txtZbase, c.txtCst,
         c.txtCen, c.txtCin});
  c.txtSepInt->setText("20");
  Clear({p.light->txtRo, p.light->txtTh, p.dataDisplay->txtChrSize, p.dataDisplay->txtSdBai});

  Enable({v.txtDist, v.txtPpz}, false);
}

void ClearReadyFlags(AppState& s) {
  s.GridLoaded = s.ContourReady = s.LightReady = s.ViewReady = 0;
  s.Levels.ContourReady = 0;
  s.DataReady = s.HistoOn = 0;
}

// No report, no ranges or sizes of a grid or data, and none of the commands
// that work on them.
void ShowNothingLoaded(Panel& p) {
  EstimationFrame& e = *p.estimation;
  GridChangeFrame& g = *p.gridChange;
  ContourFrame& c = *p.contour;
  GridSpecFrame& figures = *p.gridSpec;

  ClearEstimationReport(*p.report);
  p.gridFile->lblMemLbl->hide();
  p.gridFile->lblMem->hide();

  Clear({e.lblXminH,       e.lblYminH,       e.lblXmaxH,       e.lblYmaxH,      e.lblZminH,
         e.lblZmaxH,       e.lblNh,          e.lblNd,          e.lblDxH,        e.lblDyH,
         g.lblXGridG,      g.lblYGridG,      g.lblDxG,         g.lblDyG,        c.lblContourZmin,
         c.lblContourZmax, figures.lblXGrid, figures.lblYGrid, figures.lblXmin, figures.lblYmin,
         figures.lblXmax,  figures.lblYmax,  figures.lblDx,    figures.lblDy,   figures.lblZmin,
         figures.lblZmax});
  p.gridFile->lblGridFileName->setText("格子データは開かれていません");
  p.gridFile->lblGridOnOff->setText("格子データの状態");

  Enable({e.cmdHorizon, e.cmdDataView, e.cmdDataView2, g.cmdG2g, g.cmdGridChange,
          p.display->cmdColor, p.gridFile->cmdSaveGridData, p.gridFile->cmdSaveUncertainty},
         false);
}

void ResetDataFileFrame(AppState& s, DataFileFrame& f) {
  f.cmdOpenData->setEnabled(true);
  f.cmdOpenDataAdd->setEnabled(false);

  s.Data.DataType = 1;
  f.optData[0]->setChecked(true);
  f.lstDataFile->clear();
}

// The check boxes and option buttons of the frames and picture options. Each
// of these runs its own handler when the value changes.
void ResetTicks(MainContext& context) {
  Panel& p = context.panel;
  PictureOptionsFrame& o = *p.pictureOptions;
  p.estimation->chkDrawCon->setChecked(true);
  p.contour->chkContour->setChecked(false);
  p.view->chkBase->setChecked(true);
  p.light->chkHisto->setChecked(false);
  p.view->chkPers->setChecked(false);
  o.chkAutoRedraw->setChecked(true);
  context.formImage->picImage->SetAutoRedraw(true);
  o.chkScaleLine->setChecked(false);
  o.chkScaleBar->setChecked(false);
  o.chkBack->setChecked(false);
  o.chkWaku->setChecked(true);
  o.optWaku4->setChecked(true);
}

// The view, the contour levels, the grid and data geometry, and the marks of
// unsaved work.
void ForgetGridAndData(AppState& s) {
  s.View.Dist = NoPerspective;
  s.Levels.Cst = s.Levels.Cen = s.Levels.Cin = 0;
  s.View.Ppz = 0;
  GridData& grid = s.Grid;
  grid.Dx = grid.Dy = 0;
  grid.Xmin = grid.Xmax = grid.Ymin = grid.Ymax = 0;
  MeasuredDataState& data = s.Data;
  data.XminH = data.XmaxH = data.YminH = data.YmaxH = data.ZminH = data.ZmaxH = 0;
  data.Nh = data.Nd = 0;
  grid.Nx = grid.Ny = 0;
  s.GridCrs.clear();
  s.OriginalUnsaved = s.RefinedUnsaved = false;
}

void ResetDataDisplay(MainContext& context) {
  AppState& s = context.state;
  DataDisplayFrame& d = *context.panel.dataDisplay;
  s.ChrSize = 7;
  d.txtChrSize->setText("7");
  s.DataTextColor = kBlack;
  d.OptDataBlack->setChecked(true);
  s.SdBai = 1;
  d.txtSdBai->setText("1");
  d.opt_sd->setChecked(true);
  d.chkDip->setChecked(true);
  UpdateDataOptions(context);
}

// The first colour pattern, a white picture, black lines.
void ResetColors(MainContext& context) {
  opt_Click(context, 1);
  context.panel.colorTable->opt[0]->setChecked(true);

  context.formImage->picImage->SetBackColor(kWhite);
  context.state.LineColor = kBlack;
}

}  // namespace

void ResetAppState(MainContext& context) {
  // Keep the order: the handlers the ticks run read the ready flags, already
  // cleared, and the perspective numbers, not yet cleared.
  context.state.DisplayMode = DisplayMode::Nothing;
  ClearPanelFields(context.panel);
  ClearReadyFlags(context.state);
  ShowNothingLoaded(context.panel);
  ResetDataFileFrame(context.state, *context.panel.dataFile);
  ResetTicks(context);
  ForgetGridAndData(context.state);
  ResetDataDisplay(context);
  ResetColors(context);
  ReadDefaultsFile(context);
  // The legend belonged to the picture of the grid that went.
  if (context.formColor != nullptr) context.formColor->hide();
}

void ResetEstimationPanel(MainContext& context) {
  AppState& s = context.state;
  EstimationFrame& e = *context.panel.estimation;

  Clear({e.txtXmin, e.txtYmin, e.txtXmax, e.txtYmax, e.txtXGridH, e.txtYGridH});
  Enable({e.txtAlphaMax, e.txtNitr, e.txtRatio, e.lblAlphaMax, e.lblNitr, e.lblRatio}, false);

  const EstimationDefaults defaults = DefaultEstimationParameters(s.Data.Prepared);
  s.AlphaMin = defaults.AlphaMin;
  SetText(e.txtAlphaMin, s.AlphaMin);
  if (defaults.Ratio) {
    s.AlphaStep = *defaults.Ratio;
    SetText(e.txtRatio, s.AlphaStep);
    Enable({e.lblRatio, e.txtRatio}, true);
  }
  if (defaults.AlphaMax && defaults.Nitr) {
    s.AlphaMax = *defaults.AlphaMax;
    s.Nitr = *defaults.Nitr;
    SetText(e.txtAlphaMax, s.AlphaMax);
    SetText(e.txtNitr, s.Nitr);
    Enable({e.lblAlphaMax, e.lblNitr, e.txtAlphaMax, e.txtNitr}, true);
  }
  s.M1 = defaults.M1;
  s.M2 = defaults.M2;
  SetText(e.txtM1, s.M1);
  SetText(e.txtM2, s.M2);
}

namespace {

// Enables a button, or disables it with the reason in its tooltip after what
// it does.
void Offer(QAbstractButton* button, bool on, const QString& why) {
  if (!button->property("kessadonTip").isValid()) {
    button->setProperty("kessadonTip", button->toolTip());
  }
  const QString tip = button->property("kessadonTip").toString();
  button->setEnabled(on);
  button->setToolTip(on || why.isEmpty() ? tip : tip + "\n（今は使えません：" + why + "）");
}

}  // namespace

void UpdateDisplayCommands(MainContext& context) {
  const AppState& s = context.state;
  DisplayFrame& d = *context.panel.display;
  // The first reason that holds for every picture.
  QString none;
  if (s.GridLoaded != 1) {
    none = "格子データを開くか推定してください";
  } else if (s.ViewReady != 1) {
    none = "「図の表示」で平面図か立体図の視点を決めてください";
  }
  const bool ready = none.isEmpty();
  const QString levels = "コンターの開始値・終了値・間隔を決めてください";
  const QString light = "光源を決めてください";
  Offer(d.cmdDisplayGrid, ready, none);
  Offer(d.cmdDisplayContour, ready && context.panel.contour->chkContour->isChecked(),
        ready ? "コンター線のチェックを入れてください" : none);
  Offer(d.cmdDisplayColorContour, ready && s.ContourReady == 1, ready ? levels : none);
  Offer(d.cmdDisplayShade, ready && s.LightReady == 1, ready ? light : none);
  // Colour shading takes at most kShadeBands bands: not offered beyond.
  const double bands = ParseLeadingNumber(FromQ(context.panel.contour->lblContourColor->text()));
  QString shade = !ready                ? none
                  : s.ContourReady != 1 ? levels
                  : s.LightReady != 1   ? light
                                        : QString();
  if (shade.isEmpty() && bands > kShadeBands) {
    shade = QString("コンターが %1 色を超えています").arg(kShadeBands);
  }
  Offer(d.cmdDisplayColorShade, ready && shade.isEmpty(), shade);
  Offer(context.panel.contour->cmdExportContours, s.GridLoaded == 1 && s.ContourReady == 1,
        s.GridLoaded != 1 ? "格子データを開くか推定してください" : levels);
  Offer(d.cmdDisplayData, ready && s.DataReady == 1,
        ready ? "測定データを読み込んでください" : none);
  // The estimate's own grid, not one resampled from it.
  Offer(d.cmdDisplayUncertainty,
        ready && s.LastEstimate && s.Grid.Nx == s.LastEstimate->run.Grid.Nx &&
            s.Grid.Ny == s.LastEstimate->run.Grid.Ny,
        ready ? "格子データを推定してください（格子数を変更した格子は元に戻してください）" : none);
}

}  // namespace kessadon::app
