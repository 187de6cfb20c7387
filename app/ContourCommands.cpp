#include "ContourCommands.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "AppReset.h"
#include "Controls.h"
#include "MainContext.h"
#include "Platform.h"
#include "SavePath.h"
#include "color/ContourLevels.h"
#include "io/NumberText.h"
#include "raster/ContourExport.h"

namespace kessadon::app {
namespace {

ContourTexts Texts(const ContourFrame& c) {
  return {NumberFieldText(c.txtCst), NumberFieldText(c.txtCen), NumberFieldText(c.txtCin)};
}

// The levels as the fields read, or automatic ones from the divisions field
// when `automatic`; the grid's heights serve the automatic levels.
ChosenLevels Chosen(const MainContext& context, bool automatic) {
  const ContourFrame& c = *context.panel.contour;
  const AppState& s = context.state;
  LevelRequest request;
  if (automatic) {
    request.divisions = FoldFullWidth(FromQ(c.txtSepInt->text()));
  } else {
    request.typed = Texts(c);
  }
  request.previous = s.Levels;
  return ChooseContourLevels(request, s.Grid.Zmin, s.Grid.Zmax);
}

// The change event shared by the three level fields.
void LevelField_Change(MainContext& context) {
  if (std::optional<double> bands = Chosen(context, false).bands) {
    SetCaption(context.panel.contour->lblContourColor, *bands);
  }
  TakeContourLevels(context);
}

}  // namespace

void TakeContourLevels(MainContext& context) {
  AppState& s = context.state;
  ContourFrame& c = *context.panel.contour;
  s.Levels = Chosen(context, false).levels;
  // Ticking runs the box's own check; a box ticked already is checked again, so
  // that levels whose start meets their end never leave it ticked.
  if (c.chkContour->isChecked()) {
    chkContour_Click(context);
  } else {
    c.chkContour->setChecked(true);
  }
  if (s.Levels.ContourReady == 1) s.ContourReady = 1;
  UpdateDisplayCommands(context);
}

void AutoContourLevels(MainContext& context) {
  ContourFrame& c = *context.panel.contour;
  const ChosenLevels chosen = Chosen(context, true);
  // Each field's change takes the levels so far, as typing would.
  if (chosen.divisions) c.txtSepInt->setText(ToQ(*chosen.divisions));
  c.txtCst->setText(ToQ(chosen.texts.Cst));
  c.txtCen->setText(ToQ(chosen.texts.Cen));
  c.txtCin->setText(ToQ(chosen.texts.Cin));
  TakeContourLevels(context);
}

bool LevelsAreAutomatic(const MainContext& context) {
  const ContourFrame& c = *context.panel.contour;
  const GridData& grid = context.state.Grid;
  const AutoContourTexts automatic =
      kessadon::AutoContourLevels(FromQ(c.txtSepInt->text()), grid.Zmin, grid.Zmax);
  const ContourTexts shown = Texts(c);
  return shown.Cst == automatic.Cst && shown.Cen == automatic.Cen && shown.Cin == automatic.Cin;
}

void chkContour_Click(MainContext& context) {
  QCheckBox* box = context.panel.contour->chkContour;
  QPushButton* command = context.panel.display->cmdDisplayContour;
  // Unticking runs this handler again, which closes the command.
  if (box->isChecked() && !ContourLinesPossible(context.state.Levels)) {
    box->setChecked(false);
    return;
  }
  if (!box->isChecked()) command->setEnabled(false);
  if (box->isChecked() && context.state.ViewReady == 1) command->setEnabled(true);
}

bool ConfirmContourWork(MainContext& context) {
  // About two seconds of drawing on a two-core desktop of 2026 (250 ns a piece).
  constexpr double kSlowPieces = 8e6;
  const AppState& s = context.state;
  if (!context.panel.contour->chkContour->isChecked() || s.GridLoaded != 1) return true;
  const ContourWork work = EstimateContourWork(s.Grid, s.Levels);
  if (work.pieces <= kSlowPieces) return true;
  return context.platform->AskYesNo(
      context.window, QString("間隔 %1 ではコンター線が %2 本になり，描くのに時間がかかります．"
                              "\r\n描きますか？")
                          .arg(NumberText(s.Levels.Cin))
                          .arg(QLocale(QLocale::Japanese).toString(work.levels, 'f', 0)));
}

void cmdExportContours_Click(MainContext& context) {
  const AppState& s = context.state;
  if (s.GridLoaded != 1 || s.Levels.ContourReady != 1) return;
  Result<std::vector<double>> values = ContourLevelValues(s.Levels, s.Grid.Zmin, s.Grid.Zmax);
  if (!values) {
    context.platform->ShowMessage(context.window, ToQ(values.failure().message));
    return;
  }
  const std::optional<QString> path =
      AskSavePath(context,
                  "GeoPackage (*.gpkg)|*.gpkg|GeoJSON (*.geojson)|*.geojson|"
                  "シェープファイル (*.shp)|*.shp|すべてのファイル (*.*)|*.*");
  if (!path) return;
  BusyPointer busy(*context.platform);
  const Result<std::int64_t> lines =
      ExportContours(FromQ(*path), s.Grid, *values, s.GridCrs, {}, s.Data.Faults);
  if (!lines) {
    context.ShowStatus(*path + " に書き出せませんでした: " + ToQ(Describe(lines.failure())));
    return;
  }
  context.ShowStatus(QString("コンター線 %1 本（%2 から %3 まで %4 おき）を書き出しました: %5")
                         .arg(*lines)
                         .arg(NumberText(s.Levels.Cst))
                         .arg(NumberText(s.Levels.Cen))
                         .arg(NumberText(s.Levels.Cin))
                         .arg(*path));
}

void ConnectContourFrame(MainContext& context) {
  OnClick(context, context.panel.contour->cmdExportContours, cmdExportContours_Click);
  ContourFrame& c = *context.panel.contour;
  for (QLineEdit* field : {c.txtCst, c.txtCen, c.txtCin}) {
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [&context] { LevelField_Change(context); });
  }
  QObject::connect(c.cmdContourAuto, &QPushButton::clicked, c.cmdContourAuto,
                   [&context] { AutoContourLevels(context); });
  QObject::connect(c.chkContour, &QCheckBox::toggled, c.chkContour,
                   [&context] { chkContour_Click(context); });
}

}  // namespace kessadon::app
