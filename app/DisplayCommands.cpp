#include "DisplayCommands.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "ContourCommands.h"
#include "Controls.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "PictureRecipe.h"
#include "Platform.h"
#include "SavePath.h"
#include "ViewCommands.h"
#include "io/NumberText.h"
#include "overlay/FaultOverlay.h"
#include "raster/Gdal.h"
#include "render/PictureFile.h"
#include "render/ScaleBar.h"
#include "render/VectorSurface.h"

namespace kessadon::app {
namespace {

// The picture drawn again as vectors for SVG and PDF, at the window's size.
Status SaveVectorPicture(MainContext& context, const std::string& path, PictureFormat format) {
  const RasterSurface& shown = context.formImage->picImage->Surface();
  const PictureRecipe& recipe = context.picture;
  const bool flat = !recipe.grid || SeenFromAbove(recipe.grid->view);
  VectorSurface vector(static_cast<int>(shown.ScaleWidth()), static_cast<int>(shown.ScaleHeight()),
                       flat);
  vector.SetBackColor(shown.BackColor());
  if (!shown.AutoRedraw()) {
    return Failure{"AutoRedraw が off の間に描いた図は保存されないため、ベクトル図にできません"};
  }
  const BusyPointer busy(*context.platform);
  if (!RedrawPicture(context, vector, RedrawOptions{})) {
    return Failure{
        "この図は描き直せないのでベクトル図にできません。図を描いてから保存してください"};
  }
  return vector.Save(path, format);
}

// What the options frame and the contour check box ask of every picture.
RenderOptions PictureRenderOptions(const MainContext& context) {
  const PictureOptionsFrame& o = *context.panel.pictureOptions;
  RenderOptions options;
  options.LineColor = context.state.LineColor;
  options.ScaleLine = o.chkScaleLine->isChecked();
  options.ScaleBar = o.chkScaleBar->isChecked();
  // The bar's lengths in the grid's own units, where its coordinate system names them.
  if (options.ScaleBar) options.MapUnit = CrsUnitsOf(context.state.GridCrs).horizontal;
  options.Contour = context.panel.contour->chkContour->isChecked();
  options.Waku = o.chkWaku->isChecked();
  options.Waku4 = o.optWaku4->isChecked();
  return options;
}

void DrawLines(MainContext& context, DisplayMode mode) {
  if (!ShowGridPicture(context, PanelPictureSettings(context, mode))) return;
  // No legend goes with lines.
  context.panel.display->cmdColor->setEnabled(false);
  context.state.DisplayMode = mode;
}

}  // namespace

GridPictureSettings PanelPictureSettings(const MainContext& context, DisplayMode mode) {
  const AppState& s = context.state;
  GridPictureSettings settings;
  settings.mode = mode;
  settings.options = PictureRenderOptions(context);
  settings.light = {s.Ro, s.Th, s.HistoOn};
  settings.table = s.Colors;
  settings.levels = s.Levels;
  // The colour displays read the band count back from its caption.
  settings.bands = ParseLeadingNumber(FromQ(context.panel.contour->lblContourColor->text()));
  return settings;
}

Status DrawGridPictureWithFaults(const MainContext& context, DrawingSurface& surface,
                                 const GridData& grid, ViewProjection& view, const DataExtent& data,
                                 NodeArray<Color>& cellColors,
                                 const GridPictureSettings& settings) {
  return DrawFaultedGridPicture(surface, grid, view, data, cellColors, settings,
                                context.state.Data.Faults);
}

bool ShowGridPicture(MainContext& context, const GridPictureSettings& settings) {
  if (!ConfirmContourWork(context)) return false;
  ShowImageWindow(context);
  BusyPointer busy(*context.platform);
  AppState& s = context.state;
  PictureBox& picImage = *context.formImage->picImage;
  // The handlers showed any refusal before the window opened.
  if (DrawGridPictureWithFaults(context, picImage.Surface(), s.Grid, s.View,
                                MeasuredExtent(context), s.CellColors, settings)) {
    RecordGridPicture(context, settings);
  }
  picImage.Changed();
  return true;
}

void ShowImageWindow(MainContext& context) {
  FormImage& window = *context.formImage;
  if (window.isVisible()) {
    window.raise();
    return;
  }
  window.Load(context.window->frameGeometry());
  window.picImage->Cls();
}

void cmdDisplayGrid_Click(MainContext& context) { DrawLines(context, DisplayMode::Grid); }
void cmdDisplayContour_Click(MainContext& context) { DrawLines(context, DisplayMode::Contour); }

void SavePictureAsked(MainContext& context, const QImage& shown,
                      const std::function<Status(const std::string&, PictureFormat)>& vector) {
  std::optional<QString> path =
      AskSavePath(context,
                  "ビットマップファイル (*.bmp)|*.bmp|PNG 画像 (*.png)|*.png|"
                  "SVG ベクトル図 (*.svg)|*.svg|PDF ベクトル図 (*.pdf)|*.pdf|"
                  "すべてのファイル (*.*)|*.*");
  if (!path) return;
  const std::optional<PictureFormat> format = PictureFormatOf(FromQ(*path));
  // A name without an ending is saved as BMP; one whose ending says another
  // format is never given bitmap bytes.
  if (!format && !QFileInfo(*path).suffix().isEmpty()) {
    context.platform->ShowMessage(context.window,
                                  *path + "：名前の終わりが画像の形式ではありません。" +
                                      ToQ(PictureEndings()) +
                                      " のどれかで終えてください（保存していません）");
    return;
  }
  Status saved = format && IsVectorFormat(*format) ? vector(FromQ(*path), *format)
                                                   : SavePicture(shown, FromQ(*path));
  if (!saved) {
    context.ShowStatus(*path + " に保存できませんでした: " + ToQ(Describe(saved.failure())));
    return;
  }
  context.ShowStatus("画像を保存しました: " + *path);
}

void cmdSaveImage_Click(MainContext& context) {
  SavePictureAsked(context, context.formImage->picImage->Image(),
                   [&context](const std::string& path, PictureFormat format) {
                     return SaveVectorPicture(context, path, format);
                   });
}

void cmdCopyImage_Click(MainContext& context) {
  const QImage& image = context.formImage->picImage->Image();
  context.platform->PutImageOnClipboard(image);
  context.ShowStatus(QString("画像をクリップボードにコピーしました（%1 × %2 ピクセル）")
                         .arg(image.width())
                         .arg(image.height()));
}

void chkWaku_Click(MainContext& context, bool on) {
  if (on) return;
  PictureOptionsFrame& o = *context.panel.pictureOptions;
  // Exclusive options cannot all be off; let go of that while clearing them.
  for (QRadioButton* option : {o.optWaku2, o.optWaku4}) {
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
  }
}

void ConnectDisplayCommands(MainContext& context) {
  DisplayFrame& d = *context.panel.display;
  OutputFrame& out = *context.panel.output;
  PictureOptionsFrame& o = *context.panel.pictureOptions;
  OnClick(context, d.cmdDisplayGrid, cmdDisplayGrid_Click);
  OnClick(context, d.cmdDisplayContour, cmdDisplayContour_Click);
  OnClick(context, out.cmdSaveImage, cmdSaveImage_Click);
  OnClick(context, out.cmdCopyImage, cmdCopyImage_Click);
  QObject::connect(d.cmdImageClear, &QPushButton::clicked, d.cmdImageClear,
                   [&context] { context.formImage->picImage->Cls(); });

  // Check boxes and options react to every change of value, whether the user
  // or the program made it.
  QObject::connect(o.chkBack, &QCheckBox::toggled, o.chkBack, [&context](bool black) {
    context.formImage->picImage->SetBackColor(black ? kBlack : kWhite);
    context.state.LineColor = black ? kWhite : kBlack;
  });
  QObject::connect(o.chkAutoRedraw, &QCheckBox::toggled, o.chkAutoRedraw,
                   [&context](bool on) { context.formImage->picImage->SetAutoRedraw(on); });
  QObject::connect(o.chkWaku, &QCheckBox::toggled, o.chkWaku,
                   [&context](bool on) { chkWaku_Click(context, on); });
  for (QRadioButton* option : {o.optWaku2, o.optWaku4}) {
    QObject::connect(option, &QRadioButton::toggled, option, [&o](bool on) {
      if (on) o.chkWaku->setChecked(true);
    });
  }
}

}  // namespace kessadon::app
