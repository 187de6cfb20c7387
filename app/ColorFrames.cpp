#include "ColorFrames.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "Controls.h"
#include "PictureBox.h"

namespace kessadon::app {

ContourFrame::ContourFrame(QWidget* parent) : QGroupBox("コンターの設定", parent) {
  setObjectName("fraContour");
  QGridLayout* layout = NewGridLayout(this);
  FieldColumn fields{this, layout};
  txtCst = fields.AddText("txtCst", "開始値");
  txtCen = fields.AddText("txtCen", "終了値");
  txtCin = fields.AddText("txtCin", "間　隔");
  txtSepInt = fields.AddText("txtSepInt", "分割数");
  int row = fields.row;
  cmdContourAuto = NewButton(this, "cmdContourAuto", "自動");
  layout->addWidget(cmdContourAuto, row - 1, 2);
  lblContourColor = NewValueLabel(this, "lblContourColor");
  lblContourColor->setMinimumWidth(50);
  layout->addWidget(lblContourColor, 0, 2);
  layout->addWidget(NewCaption(this, "色"), 0, 3);
  chkContour = NewCheckBox(this, "chkContour", "コンター線を描く", false);
  layout->addWidget(chkContour, row++, 0, 1, 3);
  lblContourZmin = NewValueLabel(this, "lblContourZmin");
  lblContourZmax = NewValueLabel(this, "lblContourZmax");
  layout->addWidget(NewCaption(this, "Z min （最小値）"), row, 0);
  layout->addWidget(lblContourZmin, row++, 1, 1, 2);
  layout->addWidget(NewCaption(this, "Z Max（最大値）"), row, 0);
  layout->addWidget(lblContourZmax, row++, 1, 1, 2);
  cmdExportContours = NewButton(this, "cmdExportContours", "コンター線の書き出し");
  layout->addWidget(cmdExportContours, row++, 0, 1, 3);
}

ColorTableFrame::ColorTableFrame(QWidget* parent) : QGroupBox("カラーテーブル選択", parent) {
  setObjectName("fraColorTable");
  QGridLayout* layout = NewGridLayout(this);
  static const char* const kNames[] = {"opt_1", "opt_2", "opt_3", "opt_4"};
  static const char* const kCaptions[] = {"パターン１(20色)", "パターン２(43色)",
                                          "パターン３(36色)", "パターン４(44色)"};
  for (int k = 0; k < 4; ++k) {
    opt[k] = NewOption(this, kNames[k], kCaptions[k], k == 0);
    layout->addWidget(opt[k], k, 0);
  }
  cmdColorTable = NewButton(this, "cmdColorTable", "ファイルを指定");
  layout->addWidget(cmdColorTable, 4, 0);
  picColor = new PictureBox(this);
  picColor->setObjectName("picColor");
  picColor->SetFixedSurfaceSize(40, 160);
  layout->addWidget(picColor, 0, 1, 5, 1);
}

LightFrame::LightFrame(QWidget* parent) : QGroupBox("光源の設定", parent) {
  setObjectName("fraLight");
  QGridLayout* layout = NewGridLayout(this);
  FieldColumn fields{this, layout};
  txtRo = fields.AddText("txtRo", "光源方向（北から時計回り）");
  txtTh = fields.AddText("txtTh", "光源伏角（水平から下向き）");
  chkHisto = NewCheckBox(this, "chkHisto", "ヒストグラム平滑化をおこなう", false);
  layout->addWidget(chkHisto, 2, 0, 1, 2);
  cmdDefaultLight = NewButton(this, "cmdDefaultLight", "デフォルト値を代入");
  layout->addWidget(cmdDefaultLight, 3, 0);
}

DataDisplayFrame::DataDisplayFrame(QWidget* parent) : QGroupBox("測定データの表示", parent) {
  setObjectName("fraDataDisplay");
  QGridLayout* layout = NewGridLayout(this);
  opt_sd = NewOption(this, "opt_sd", "走向・傾斜記号を表示する", true);
  opt_z = NewOption(this, "opt_z", "標高データのみを表示する", false);
  chkDip = NewCheckBox(this, "chkDip", "傾斜値（と標高)を表示する", true);
  txtSdBai = NewTextBox(this, "txtSdBai");
  layout->addWidget(opt_sd, 0, 0, 1, 2);
  layout->addWidget(opt_z, 1, 0, 1, 2);
  layout->addWidget(chkDip, 2, 0, 1, 2);
  layout->addWidget(NewCaption(this, "走向・傾斜記号の倍率"), 3, 0);
  layout->addWidget(txtSdBai, 3, 1);

  // The label options form a group of their own inside this frame.
  auto* characters = new QGroupBox("表示する文字", this);
  characters->setObjectName("fraCharacters");
  QGridLayout* inner = NewGridLayout(characters);
  txtChrSize = NewTextBox(characters, "txtChrSize");
  OptDataBlack = NewOption(characters, "OptDataBlack", "黒", true);
  OptDataWhite = NewOption(characters, "OptDataWhite", "白", false);
  inner->addWidget(NewCaption(characters, "文字の大きさ（5～18）"), 0, 0);
  inner->addWidget(txtChrSize, 0, 1);
  inner->addWidget(OptDataBlack, 1, 0);
  inner->addWidget(OptDataWhite, 1, 1);
  layout->addWidget(characters, 4, 0, 1, 2);
}

}  // namespace kessadon::app
