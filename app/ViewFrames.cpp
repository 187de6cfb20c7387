#include "ViewFrames.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "Controls.h"

namespace kessadon::app {

ViewFrame::ViewFrame(QWidget* parent) : QGroupBox("描画ウィンドウへの投影設定", parent) {
  setObjectName("fraView");
  QGridLayout* layout = NewGridLayout(this);
  FieldColumn fields{this, layout};
  txtAlpha = fields.AddText("txtAlpha", "視点方向（北から時計回り）");
  txtGamma = fields.AddText("txtGamma", "視点伏角（水平から下向き）");
  txtVe = fields.AddText("txtVe", "高さの強調");
  txtSca = fields.AddText("txtSca", "図の拡大率");
  txtZbase = fields.AddText("txtZbase", "底面の高さ");
  // Unticked by design, so that the first reset's ticking writes the base field.
  chkBase = NewCheckBox(this, "chkBase", "台座を描く", false);
  layout->addWidget(chkBase, fields.row - 1, 2);
  txtDist = fields.AddText("txtDist", "視点距離");
  txtPpz = fields.AddText("txtPpz", "透視面");
  chkPers = NewCheckBox(this, "chkPers", "透視投影をおこなう", false);
  layout->addWidget(chkPers, fields.row - 2, 2);
  const int row = fields.row;
  cmd3DDefault = NewButton(this, "cmd3DDefault", "３次元設定（デフォルト値）");
  cmd2D = NewButton(this, "cmd2D", "２次元表示設定");
  layout->addWidget(cmd3DDefault, row, 0);
  layout->addWidget(cmd2D, row, 1, 1, 2);
}

DisplayFrame::DisplayFrame(QWidget* parent) : QGroupBox("表示の方法", parent) {
  setObjectName("fraDisplay");
  QGridLayout* layout = NewGridLayout(this);
  cmdDisplayGrid = NewButton(this, "cmdDisplayGrid", "格子線図");
  cmdDisplayContour = NewButton(this, "cmdDisplayContour", "コンター線図");
  cmdDisplayShade = NewButton(this, "cmdDisplayShade", "白黒陰影");
  cmdDisplayColorContour = NewButton(this, "cmdDisplayColorContour", "カラ-コンタ-");
  cmdDisplayColorShade = NewButton(this, "cmdDisplayColorShade", "カラー陰影");
  cmdDisplayData = NewButton(this, "cmdDisplayData", "測定データ");
  cmdColor = NewButton(this, "cmdColor", "凡例の表示");
  cmdImageClear = NewButton(this, "cmdImageClear", "画面クリア");
  cmdDisplayUncertainty = NewButton(this, "cmdDisplayUncertainty", "推定の標準偏差");
  layout->addWidget(cmdDisplayGrid, 0, 0);
  layout->addWidget(cmdDisplayContour, 0, 1);
  layout->addWidget(cmdDisplayShade, 1, 0);
  layout->addWidget(cmdDisplayColorContour, 1, 1);
  layout->addWidget(cmdDisplayColorShade, 2, 0);
  layout->addWidget(cmdDisplayData, 2, 1);
  layout->addWidget(cmdColor, 3, 0);
  layout->addWidget(cmdImageClear, 3, 1);
  layout->addWidget(cmdDisplayUncertainty, 4, 0, 1, 2);
}

PictureOptionsFrame::PictureOptionsFrame(QWidget* parent)
    : QGroupBox("画像選択前にチェック", parent) {
  setObjectName("fraPictureOptions");
  QGridLayout* layout = NewGridLayout(this);
  chkBack = NewCheckBox(this, "chkBack", "背景を黒くする", false);
  chkAutoRedraw = NewCheckBox(this, "chkAutoRedraw", "AutoRedraw", true);
  chkScaleLine = NewCheckBox(this, "chkScaleLine", "スケール線を描く", false);
  chkScaleBar = NewCheckBox(this, "chkScaleBar", "縮尺と方位を描く（平面図）", false);
  chkWaku = NewCheckBox(this, "chkWaku", "格子枠線を描く", true);
  optWaku2 = NewOption(this, "optWaku2", "２辺", false);
  optWaku4 = NewOption(this, "optWaku4", "４辺", true);
  layout->addWidget(chkBack, 0, 0, 1, 2);
  layout->addWidget(chkAutoRedraw, 1, 0, 1, 2);
  layout->addWidget(chkScaleLine, 2, 0, 1, 2);
  layout->addWidget(chkScaleBar, 3, 0, 1, 2);
  layout->addWidget(chkWaku, 4, 0, 1, 2);
  layout->addWidget(optWaku2, 5, 0);
  layout->addWidget(optWaku4, 5, 1);
}

OutputFrame::OutputFrame(QWidget* parent) : QGroupBox("出力コマンド", parent) {
  setObjectName("fraOutput");
  auto* layout = new QVBoxLayout(this);
  cmdSaveImage = NewButton(this, "cmdSaveImage", "BMP画像を名前を付けて保存");
  cmdCopyImage = NewButton(this, "cmdCopyImage", "画像をクリップボードへコピー");
  layout->addWidget(cmdSaveImage);
  layout->addWidget(cmdCopyImage);
}

WindowAreaFrame::WindowAreaFrame(QWidget* parent)
    : QGroupBox("描画ウィンドウの領域（ピクセル）", parent) {
  setObjectName("fraWindowArea");
  auto* layout = new QHBoxLayout(this);
  lblWinX = NewValueLabel(this, "lblWinX");
  lblWinY = NewValueLabel(this, "lblWinY");
  layout->addWidget(lblWinX);
  layout->addWidget(NewCaption(this, "x"));
  layout->addWidget(lblWinY);
}

namespace {

// Directions on a compass, dips on a quarter circle below the horizon.
class AngleDiagram : public QWidget {
 public:
  explicit AngleDiagram(QWidget* parent) : QWidget(parent) { setMinimumSize(300, 150); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const int radius = std::min(width() / 4, height() / 2) - metrics.height() - 4;
    const QPoint compass(width() / 4, height() / 2);
    painter.drawEllipse(compass, radius, radius);
    painter.drawLine(compass - QPoint(radius, 0), compass + QPoint(radius, 0));
    painter.drawLine(compass - QPoint(0, radius), compass + QPoint(0, radius));
    auto text = [&](QPoint at, const QString& label, Qt::Alignment align) {
      const QRect box(at.x() - 100, at.y() - 50, 200, 100);
      painter.drawText(
          box.adjusted(align & Qt::AlignLeft ? 100 : 0, align & Qt::AlignTop ? 50 : 0,
                       align & Qt::AlignRight ? -100 : 0, align & Qt::AlignBottom ? -50 : 0),
          static_cast<int>(align), label);
    };
    text(compass - QPoint(0, radius + 2), "0 (北)", Qt::AlignHCenter | Qt::AlignBottom);
    text(compass + QPoint(0, radius + 2), "180 (南)", Qt::AlignHCenter | Qt::AlignTop);
    text(compass + QPoint(radius + 3, 0), "90 (東)", Qt::AlignLeft | Qt::AlignVCenter);
    text(compass - QPoint(radius + 3, 0), "270 (西)", Qt::AlignRight | Qt::AlignVCenter);

    // Dip: 0 along the horizon, 90 straight down.
    const QPoint corner(width() * 5 / 8, height() / 2 - radius / 2);
    painter.drawLine(corner, corner + QPoint(radius * 3 / 2, 0));
    painter.drawLine(corner, corner + QPoint(0, radius * 3 / 2));
    painter.drawArc(QRect(corner - QPoint(radius, radius), QSize(2 * radius, 2 * radius)), 0,
                    -90 * 16);
    const int diagonal = static_cast<int>(radius * 0.7071);
    painter.drawLine(corner, corner + QPoint(diagonal, diagonal) * 3 / 2);
    text(corner + QPoint(radius * 3 / 2 + 3, 0), "0", Qt::AlignLeft | Qt::AlignVCenter);
    text(corner + QPoint(diagonal, diagonal) * 3 / 2 + QPoint(2, 2), "45",
         Qt::AlignLeft | Qt::AlignTop);
    text(corner + QPoint(0, radius * 3 / 2 + 2), "90", Qt::AlignHCenter | Qt::AlignTop);
  }
};

}  // namespace

AngleDiagramFrame::AngleDiagramFrame(QWidget* parent)
    : QGroupBox("視線と光源（方向と伏角）", parent) {
  setObjectName("fraAngleDiagram");
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new AngleDiagram(this));
}

}  // namespace kessadon::app
