// The frames of the picture settings: the view, the display commands, the
// options to tick before drawing, output and the size of the drawing window.
#pragma once

#include <QGroupBox>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kessadon::app {

// The view: direction, dip, exaggeration, magnification, base and perspective.
class ViewFrame : public QGroupBox {
 public:
  explicit ViewFrame(QWidget *parent);

  QLineEdit *txtAlpha, *txtGamma, *txtVe, *txtSca, *txtZbase, *txtDist, *txtPpz;
  QCheckBox *chkBase, *chkPers;
  QPushButton *cmd3DDefault, *cmd2D;
};

// "表示の方法": one command per kind of picture, and the picture clear.
class DisplayFrame : public QGroupBox {
 public:
  explicit DisplayFrame(QWidget *parent);

  QPushButton *cmdDisplayGrid, *cmdDisplayContour, *cmdDisplayShade, *cmdDisplayColorContour,
      *cmdDisplayColorShade, *cmdDisplayData, *cmdColor, *cmdImageClear;
  QPushButton *cmdDisplayUncertainty;  // the estimate's standard deviations in colour bands
};

// "画像選択前にチェック".
class PictureOptionsFrame : public QGroupBox {
 public:
  explicit PictureOptionsFrame(QWidget *parent);

  QCheckBox *chkBack, *chkAutoRedraw, *chkScaleLine, *chkScaleBar, *chkWaku;
  QRadioButton *optWaku2, *optWaku4;
};

// "出力コマンド".
class OutputFrame : public QGroupBox {
 public:
  explicit OutputFrame(QWidget *parent);

  QPushButton *cmdSaveImage, *cmdCopyImage;
};

// "描画ウィンドウの領域（ピクセル）".
class WindowAreaFrame : public QGroupBox {
 public:
  explicit WindowAreaFrame(QWidget *parent);

  QLabel *lblWinX, *lblWinY;
};

// "視線と光源（方向と伏角）": a compass and a dip quadrant explaining the angles.
class AngleDiagramFrame : public QGroupBox {
 public:
  explicit AngleDiagramFrame(QWidget *parent);
};

}  // namespace kessadon::app
