#include "DisplayCommands.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>

#include "Controls.h"
#include "FormImage.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "Platform.h"
#include "SavePath.h"
#include "ViewCommands.h"
#include "render/LinePicture.h"
#include "render/PictureFile.h"

namespace kessadon {
namespace {

void DrawLines(MainContext& context, int mode) {
  ShowImageWindow(context);
  BusyPointer busy(*context.platform);
  AppState& s = context.state;
  const PictureOptionsFrame& o = *context.panel.pictureOptions;
  RenderOptions options;
  options.DisplayMode = mode;
  options.LineColor = s.LineColor;
  options.ScaleLine = o.chkScaleLine->isChecked();
  options.Contour = context.panel.contour->chkContour->isChecked();
  options.Waku = o.chkWaku->isChecked();
  options.Waku4 = o.optWaku4->isChecked();
  PictureBox& picImage = *context.formImage->picImage;
  DrawLinePicture(picImage.Surface(), s.Grid, s.View, MeasuredExtent(context), s.Levels,
                  s.CellColors, options);
  s.DisplayMode = mode;
  picImage.Changed();
}

}  // namespace

void ShowImageWindow(MainContext& context) {
  FormImage& window = *context.formImage;
  if (window.isVisible()) {
    window.raise();
    return;
  }
  window.Load();
  window.picImage->Cls();
}

void cmdDisplayGrid_Click(MainContext& context) { DrawLines(context, kDisplayGrid); }
void cmdDisplayContour_Click(MainContext& context) { DrawLines(context, kDisplayContour); }

void cmdSaveImage_Click(MainContext& context) {
  std::optional<QString> path =
      AskSavePath(context, "ビットマップファイル (*.bmp)|*.bmp|すべてのファイル (*.*)|*.*");
  if (!path) return;
  Status saved = SavePicture(context.formImage->picImage->Image(), FromQ(*path));
  if (!saved) {
    context.ShowStatus(*path + " に保存できませんでした: " + ToQ(Describe(saved.failure())));
    return;
  }
  context.ShowStatus("画像を保存しました: " + *path);
}

void cmdCopyImage_Click(MainContext& context) {
  context.platform->PutImageOnClipboard(context.formImage->picImage->Image());
}

void ConnectDisplayCommands(MainContext& context) {
  DisplayFrame& d = *context.panel.display;
  OutputFrame& out = *context.panel.output;
  auto on = [&context](QPushButton* button, void (*handler)(MainContext&)) {
    QObject::connect(button, &QPushButton::clicked, button, [&context, handler] { handler(context); });
  };
  on(d.cmdDisplayGrid, cmdDisplayGrid_Click);
  on(d.cmdDisplayContour, cmdDisplayContour_Click);
  on(out.cmdSaveImage, cmdSaveImage_Click);
  on(out.cmdCopyImage, cmdCopyImage_Click);
}

}  // namespace kessadon
