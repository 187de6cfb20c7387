#include "DataDisplayCommands.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>

#include "Controls.h"
#include "DisplayCommands.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "PictureRecipe.h"
#include "Platform.h"
#include "ViewCommands.h"
#include "io/NumberText.h"
#include "overlay/DataDistribution.h"

namespace kessadon::app {
namespace {

void txtChrSize_Change(MainContext& context) {
  QLineEdit* box = context.panel.dataDisplay->txtChrSize;
  // Text without a number keeps the size; its edit, once finished, says why.
  const bool blank = IsBlankField(FromQ(box->text()));
  if (!blank && !FieldNumber(box)) return;
  double size = FieldValue(box);
  if (size < 1) {
    size = 1;
    box->setText("1");
    // The reset empties the field on its way to the default; only a typed size is news.
    if (!blank) context.ShowStatus("文字の大きさは 1 より小さくできないため 1 にしました");
  }
  context.state.ChrSize = size;
}

}  // namespace

DataDisplaySettings DisplaySettings(const MainContext& context) {
  const AppState& s = context.state;
  const DataDisplayFrame& d = *context.panel.dataDisplay;
  return {d.opt_sd->isChecked(), d.chkDip->isChecked(), s.SdBai, s.ChrSize, s.DataTextColor};
}

void UpdateDataOptions(MainContext& context) {
  DataDisplayFrame& d = *context.panel.dataDisplay;
  const bool symbols = d.opt_sd->isChecked();
  d.chkDip->setEnabled(symbols);
  d.txtSdBai->setEnabled(symbols);
}

void cmdDisplayData_Click(MainContext& context) {
  AppState& s = context.state;
  ShowImageWindow(context);
  PictureBox& picImage = *context.formImage->picImage;
  RasterSurface& surface = picImage.Surface();
  UpdatePixelScale(s.View, s.Grid, MeasuredExtent(context), surface.ScaleWidth(),
                   surface.ScaleHeight());
  BusyPointer busy(*context.platform);
  // Many points take a while: the status says what is being drawn meanwhile.
  const std::int32_t points = s.Data.Records.Ndata();
  const bool many = points >= 10'000;
  if (many) {
    context.ShowStatus(QString("測定データ %1 個を描いています…").arg(points));
    if (context.statusBar != nullptr) context.statusBar->repaint();
  }
  const bool crowded =
      DrawMeasuredData(surface, s.Grid, s.View, s.Data.Records, DisplaySettings(context));
  picImage.Changed();
  RecordDataOverlay(context, DisplaySettings(context));
  // Said of the points drawn, those the surface hides not counted.
  if (crowded) {
    context.ShowStatus(
        QString("測定点が %1 個と多く、数値が重なって読めないため、印だけを描きました")
            .arg(points));
  } else if (many) {
    context.ShowStatus(QString("測定データ %1 個を描きました").arg(points));
  }
}

void cmdDataView_Click(MainContext& context) {
  AppState& s = context.state;
  ShowImageWindow(context);
  BusyPointer busy(*context.platform);
  PictureBox& picImage = *context.formImage->picImage;
  const bool hasGrid = s.GridLoaded == 1;
  if (!hasGrid) {
    picImage.Cls();
    MeasuredDataState& data = s.Data;
    const FittedDataWindow fitted =
        FitDataWindow(data.Prepared, MeasuredExtent(context), data.ZminH, data.ZmaxH);
    PlaceDataWindow(s.Grid, fitted);
    data.XminH = fitted.extent.XminH;
    data.XmaxH = fitted.extent.XmaxH;
    data.YminH = fitted.extent.YminH;
    data.YmaxH = fitted.extent.YmaxH;
    cmd2D_Click(context);
  }
  DrawDataDistribution(picImage.Surface(), s.View, MapWindowOf(s.Grid), s.Data.Records,
                       DisplaySettings(context), hasGrid ? &s.Grid : nullptr);
  picImage.Changed();
  RecordDataDistribution(context, DisplaySettings(context), MapWindowOf(s.Grid), hasGrid);
}

void ConnectDataDisplayFrame(MainContext& context) {
  DataDisplayFrame& d = *context.panel.dataDisplay;
  AppState& s = context.state;
  // Either option changing turns opt_sd on or off.
  QObject::connect(d.opt_sd, &QRadioButton::toggled, d.opt_sd,
                   [&context] { UpdateDataOptions(context); });
  QObject::connect(d.txtChrSize, &QLineEdit::textChanged, d.txtChrSize,
                   [&context] { txtChrSize_Change(context); });
  QObject::connect(d.txtSdBai, &QLineEdit::textChanged, d.txtSdBai, [&s, &d] {
    s.SdBai = static_cast<float>(FieldNumber(d.txtSdBai).value_or(s.SdBai));
  });
  QObject::connect(d.OptDataBlack, &QRadioButton::toggled, d.OptDataBlack, [&s](bool on) {
    if (on) s.DataTextColor = kBlack;
  });
  QObject::connect(d.OptDataWhite, &QRadioButton::toggled, d.OptDataWhite, [&s](bool on) {
    if (on) s.DataTextColor = kWhite;
  });
  QObject::connect(context.panel.display->cmdDisplayData, &QPushButton::clicked,
                   context.panel.display->cmdDisplayData,
                   [&context] { cmdDisplayData_Click(context); });
}

}  // namespace kessadon::app
