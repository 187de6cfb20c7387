#include "ColorCommands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "AppReset.h"
#include "ContourCommands.h"
#include "Controls.h"
#include "DisplayCommands.h"
#include "FormColor.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "Platform.h"
#include "io/NumberText.h"
#include "raster/Gdal.h"
#include "render/Legend.h"
#include "render/VectorSurface.h"

namespace kessadon::app {
namespace {

QString ProgramFile(const MainContext& context, const char* name) {
  return context.programDir + "/" + name;
}

// Reads a table into a new one; on failure the status bar says why and the
// table in use stays.
std::optional<ColorTable> ReadTable(MainContext& context, const QString& path) {
  Result<ColorTable> table = LoadColorTable(FromQ(path), context.state.Colors);
  if (!table) {
    context.ShowStatus(path + ": " + ToQ(Describe(table.failure())) +
                       "（カラーテーブルは前のままです）");
    return std::nullopt;
  }
  return *table;
}

void ShowTable(MainContext& context, ColorTable table) {
  context.state.Colors = table;
  PictureBox& preview = *context.panel.colorTable->picColor;
  DrawColorPreview(preview.Surface(), context.state.Colors);
  preview.Changed();
}

bool Refused(MainContext& context, const GridPictureSettings& settings) {
  const std::optional<std::string> refusal = GridPictureRefusal(settings);
  if (!refusal) return false;
  context.platform->ShowMessage(context.window, ToQ(*refusal));
  return true;
}

// A colour display leaves its palette for the legend.
void StartColorDisplay(MainContext& context, const GridPictureSettings& settings) {
  context.state.DisplayMode = settings.mode;
  context.panel.display->cmdColor->setEnabled(true);
  context.state.Pal = GridPicturePalette(settings);
  context.state.UncertaintyShown = false;
}

}  // namespace

void opt_Click(MainContext& context, int pattern) {
  ColorTableFrame& frame = *context.panel.colorTable;
  std::optional<ColorTable> table =
      ReadTable(context, ProgramFile(context, kPatternFileNames[pattern - 1]));
  if (!table) {
    // The choice shown goes back to the pattern still in use.
    frame.opt[context.state.ColorPattern - 1]->setChecked(true);
    return;
  }
  // Automatic levels follow the pattern's count, so the picture uses the whole
  // palette; levels the person typed stay.
  const bool automatic = context.state.GridLoaded == 1 && LevelsAreAutomatic(context);
  ShowTable(context, *table);
  context.state.ColorPattern = pattern;
  context.panel.contour->txtSepInt->setText(NumberText(context.state.Colors.NColor));
  if (automatic) AutoContourLevels(context);
}

void cmdColorTable_Click(MainContext& context) {
  std::optional<QString> path =
      context.platform->OpenFileName(context.window, "すべてのファイル (*.*)|*.*");
  if (!path) return;
  std::optional<ColorTable> table = ReadTable(context, *path);
  if (!table) return;
  ShowTable(context, *table);
  context.ShowStatus("カラーテーブルを読み込みました: " + *path);
}

void TakeLightSettings(MainContext& context) {
  BusyPointer busy(*context.platform);
  AppState& s = context.state;
  const LightFrame& light = *context.panel.light;
  s.Ro = FieldNumber(light.txtRo).value_or(s.Ro);
  s.Th = FieldNumber(light.txtTh).value_or(s.Th);
  s.HistoOn = light.chkHisto->isChecked() ? 1 : 0;
  s.LightReady = 1;
  UpdateDisplayCommands(context);
}

void cmdDefaultLight_Click(MainContext& context) {
  LightFrame& light = *context.panel.light;
  SetText(light.txtRo, context.state.Defaults.RoDefault);
  SetText(light.txtTh, context.state.Defaults.ThDefault);
  light.chkHisto->setChecked(true);
  TakeLightSettings(context);
}

void cmdDisplayShade_Click(MainContext& context) {
  context.state.DisplayMode = DisplayMode::Shade;
  context.panel.display->cmdColor->setEnabled(false);
  ShowGridPicture(context, PanelPictureSettings(context, DisplayMode::Shade));
}

void cmdDisplayColorContour_Click(MainContext& context) {
  const GridPictureSettings settings = PanelPictureSettings(context, DisplayMode::ColorContour);
  if (Refused(context, settings)) return;
  StartColorDisplay(context, settings);
  ShowGridPicture(context, settings);
}

void cmdDisplayColorShade_Click(MainContext& context) {
  GridPictureSettings settings = PanelPictureSettings(context, DisplayMode::ColorShade);
  if (Refused(context, settings)) return;
  const QString path = ProgramFile(context, kShadePaletteFileName);
  Result<ColorTable> shades = LoadColorTable(FromQ(path), ColorTable{});
  if (!shades) {
    context.ShowStatus(path + ": " + ToQ(Describe(shades.failure())) +
                       "（カラー陰影は描けません）");
    return;
  }
  settings.table = *shades;
  StartColorDisplay(context, settings);
  ShowGridPicture(context, settings);
}

namespace {

// The legend of the picture shown: of the standard deviations, with levels of
// their own, when those were drawn last. False for a picture without one.
bool DrawShownLegend(const MainContext& context, DrawingSurface& surface) {
  const AppState& s = context.state;
  const GridData& shown = s.UncertaintyShown && s.Uncertainty ? *s.Uncertainty : s.Grid;
  const ContourLevels& levels = &shown == &s.Grid ? s.Levels : s.UncertaintyLevels;
  // What the colours measure, in the heights' unit where the grid's coordinate system names it.
  const std::string unit = CrsUnitsOf(s.GridCrs).vertical;
  const std::string title = std::string(&shown == &s.Grid ? "標高" : "標準偏差") +
                            (unit.empty() ? "" : "（" + unit + "）");
  return DrawLegend(surface, s.DisplayMode, s.Pal, levels, shown.Zmin, shown.Zmax, title);
}

void SaveLegend(MainContext& context) {
  PictureBox& legend = *context.formColor->picLegend;
  SavePictureAsked(context, legend.Image(),
                   [&context, &legend](const std::string& path, PictureFormat format) -> Status {
                     VectorSurface vector(static_cast<int>(legend.Surface().ScaleWidth()),
                                          static_cast<int>(legend.Surface().ScaleHeight()), true);
                     if (!DrawShownLegend(context, vector)) {
                       return Failure{"凡例のある色の図がありません"};
                     }
                     return vector.Save(path, format);
                   });
}

}  // namespace

void cmdColor_Click(MainContext& context) {
  FormColor& window = *context.formColor;
  window.ShowBeside(context.formImage->frameGeometry());
  PictureBox& legend = *window.picLegend;
  if (!DrawShownLegend(context, legend.Surface())) {
    window.hide();
    return;
  }
  legend.Changed();
}

void ConnectColorCommands(MainContext& context) {
  ColorTableFrame& table = *context.panel.colorTable;
  LightFrame& light = *context.panel.light;
  DisplayFrame& d = *context.panel.display;
  for (int k = 0; k < 4; ++k) {
    QObject::connect(table.opt[k], &QRadioButton::clicked, table.opt[k],
                     [&context, k] { opt_Click(context, k + 1); });
  }
  OnClick(context, table.cmdColorTable, cmdColorTable_Click);
  for (QLineEdit* field : {light.txtRo, light.txtTh}) {
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [&context] { TakeLightSettings(context); });
  }
  // Only the user's click takes the light: the reset unticks the box without
  // making the shading available.
  OnClick(context, light.chkHisto, TakeLightSettings);
  OnClick(context, light.cmdDefaultLight, cmdDefaultLight_Click);
  OnClick(context, d.cmdDisplayShade, cmdDisplayShade_Click);
  OnClick(context, d.cmdDisplayColorContour, cmdDisplayColorContour_Click);
  OnClick(context, d.cmdDisplayColorShade, cmdDisplayColorShade_Click);
  OnClick(context, d.cmdColor, cmdColor_Click);
  QAction* save = context.formColor->actSaveLegend;
  QObject::connect(save, &QAction::triggered, save, [&context] { SaveLegend(context); });
}

}  // namespace kessadon::app
