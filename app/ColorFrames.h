// The frames of the contour levels, the colour table and the light.
#pragma once

#include <QGroupBox>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kessadon::app {

class PictureBox;

// "コンターの設定".
class ContourFrame : public QGroupBox {
 public:
  explicit ContourFrame(QWidget* parent);

  QLineEdit *txtCst, *txtCen, *txtCin, *txtSepInt;
  QPushButton* cmdContourAuto;
  QLabel* lblContourColor;
  QCheckBox* chkContour;
  QLabel *lblContourZmin, *lblContourZmax;
  // The contour lines of these levels written for GIS tools.
  QPushButton* cmdExportContours;
};

// "カラーテーブル選択": four built-in patterns or a table file, and a preview.
class ColorTableFrame : public QGroupBox {
 public:
  explicit ColorTableFrame(QWidget* parent);

  // opt[0] ... opt[3] are opt_1 ... opt_4.
  std::array<QRadioButton*, 4> opt;
  QPushButton* cmdColorTable;
  PictureBox* picColor;
};

// "光源の設定".
class LightFrame : public QGroupBox {
 public:
  explicit LightFrame(QWidget* parent);

  QLineEdit *txtRo, *txtTh;
  QCheckBox* chkHisto;
  QPushButton* cmdDefaultLight;
};

// "測定データの表示": symbols, labels and their size and colour.
class DataDisplayFrame : public QGroupBox {
 public:
  explicit DataDisplayFrame(QWidget* parent);

  QRadioButton *opt_sd, *opt_z;
  QCheckBox* chkDip;
  QLineEdit *txtSdBai, *txtChrSize;
  QRadioButton *OptDataBlack, *OptDataWhite;
};

}  // namespace kessadon::app
