#include "EstimationFrames.h"

#include <algorithm>

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "Controls.h"

namespace kessadon {

EstimationFrame::EstimationFrame(QWidget* parent) : QGroupBox("格子データ推定", parent) {
  setObjectName("fraEstimation");
  QGridLayout* layout = NewGridLayout(this);

  // Left column: what the prepared data cover.
  int row = 0;
  auto summary = [&](QLabel** label, const char* name, const char* caption) {
    *label = NewValueLabel(this, name);
    layout->addWidget(NewCaption(this, caption), row, 0);
    layout->addWidget(*label, row, 1);
    ++row;
  };
  summary(&lblXminH, "lblXminH", "X min");
  summary(&lblYminH, "lblYminH", "Y min");
  summary(&lblXmaxH, "lblXmaxH", "X Max");
  summary(&lblYmaxH, "lblYmaxH", "Y Max");
  summary(&lblZminH, "lblZminH", "Z min");
  summary(&lblZmaxH, "lblZmaxH", "Z Max");
  summary(&lblNh, "lblNh", "位置データ");
  summary(&lblNd, "lblNd", "傾斜データ");

  // Right column: the grid to produce and the weights.
  row = 0;
  auto field = [&](QLineEdit** box, const char* name, QLabel** caption, const char* captionName,
                   const char* text) {
    *box = NewTextBox(this, name);
    QLabel* label = NewCaption(this, text, captionName);
    if (caption) *caption = label;
    layout->addWidget(label, row, 2);
    layout->addWidget(*box, row, 3);
    ++row;
  };
  field(&txtXmin, "txtXmin", nullptr, nullptr, "X min");
  field(&txtYmin, "txtYmin", nullptr, nullptr, "Y min");
  field(&txtXmax, "txtXmax", nullptr, nullptr, "X Max");
  field(&txtYmax, "txtYmax", nullptr, nullptr, "Y Max");
  field(&txtXGridH, "txtXGridH", nullptr, nullptr, "Nx(X Grid)");
  field(&txtYGridH, "txtYGridH", nullptr, nullptr, "Ny(Y Grid)");
  lblDxH = NewValueLabel(this, "lblDxH");
  layout->addWidget(NewCaption(this, "Dx(X Grid)"), row, 2);
  layout->addWidget(lblDxH, row++, 3);
  lblDyH = NewValueLabel(this, "lblDyH");
  layout->addWidget(NewCaption(this, "Dy(Y Grid)"), row, 2);
  layout->addWidget(lblDyH, row++, 3);
  field(&txtM1, "txtM1", &lblM1, "lblM1", "m1");
  field(&txtM2, "txtM2", &lblM2, "lblM2", "m2");
  field(&txtRatio, "txtRatio", &lblRatio, "lblRatio", "Beta/Alpha");
  field(&txtAlphaMin, "txtAlphaMin", &lblAlphaMin, "lblAlphaMin", "α(min)");
  field(&txtAlphaMax, "txtAlphaMax", &lblAlphaMax, "lblAlphaMax", "α(max)");
  field(&txtNitr, "txtNitr", &lblNitr, "lblNitr", "繰り返し回数");

  // The extension of the estimation grid, under the summary.
  int left = 8;
  layout->addWidget(NewCaption(this, "推定する範囲を拡張"), left++, 0, 1, 2);
  txtXexp = NewTextBox(this, "txtXexp");
  txtYexp = NewTextBox(this, "txtYexp");
  layout->addWidget(NewCaption(this, "Ｘ（％）"), left, 0);
  layout->addWidget(txtXexp, left++, 1);
  layout->addWidget(NewCaption(this, "Ｙ（％）"), left, 0);
  layout->addWidget(txtYexp, left++, 1);
  layout->addWidget(NewCaption(this, "0～50(%)"), left++, 1);

  row = std::max(row, left);
  cmdHorizon = NewButton(this, "cmdHorizon", "推定実行");
  chkDrawCon = NewCheckBox(this, "chkDrawCon", "推定後にデータとコンターを描く", true);
  cmdDataView = NewButton(this, "cmdDataView", "データ分布の表示");
  cmdDataView2 = NewButton(this, "cmdDataView2", "データの表示");
  layout->addWidget(cmdHorizon, row, 2, 1, 2);
  layout->addWidget(chkDrawCon, row++, 0, 1, 2);
  layout->addWidget(cmdDataView, row, 0, 1, 2);
  layout->addWidget(cmdDataView2, row, 2, 1, 2);
}

ReportFrame::ReportFrame(QWidget* parent) : QGroupBox("格子推定結果のレポート", parent) {
  setObjectName("fraReport");
  QGridLayout* layout = NewGridLayout(this);
  struct Entry {
    QLabel** label;
    const char* name;
    const char* caption;
    const char* design;  // shown until the first run
  };
  const Entry entries[] = {
      {&lblQj1, "lblQj1", "J1 =", "Qj1"},       {&lblQj2, "lblQj2", "J2 =", "Qj2"},
      {&lblNhdt, "lblNhdt", "H : data =", "Nhdt"}, {&lblQhrn, "lblQhrn", "RH =", "Qhrn"},
      {&lblQhav, "lblQhav", "Error =", "Qhav"},  {&lblNddt, "lblNddt", "D : data =", "Nddt"},
      {&lblQdrn, "lblQdrn", "RD =", "Qdrn"},     {&lblQdav, "lblQdav", "Error =", "Qdav"},
      {&lblQjres, "lblQjres", "Q =", "Qj+res"},  {&lblQj, "lblQj", "J =", "Qj"},
      {&lblRes, "lblRes", "a R =", "Res"},
  };
  int row = 0;
  for (const Entry& entry : entries) {
    *entry.label = NewValueLabel(this, entry.name, entry.design);
    layout->addWidget(NewCaption(this, entry.caption), row, 0, Qt::AlignRight);
    layout->addWidget(*entry.label, row, 1);
    ++row;
  }
  layout->setColumnStretch(1, 1);
}

GridChangeFrame::GridChangeFrame(QWidget* parent) : QGroupBox("格子数の変更", parent) {
  setObjectName("fraGridChange");
  QGridLayout* layout = NewGridLayout(this);
  layout->addWidget(NewCaption(this, "格子を細かくするとき，Nx', Ny'を入力して実行"), 0, 0, 1, 4);
  layout->addWidget(NewCaption(this, "オリジナル格子データ"), 1, 0, 1, 2);
  layout->addWidget(NewCaption(this, "変更後の格子データ"), 1, 2, 1, 2);
  lblXGridG = NewValueLabel(this, "lblXGridG");
  lblYGridG = NewValueLabel(this, "lblYGridG");
  lblDxG = NewValueLabel(this, "lblDxG");
  lblDyG = NewValueLabel(this, "lblDyG");
  txtXGridG = NewTextBox(this, "txtXGridG");
  txtYGridG = NewTextBox(this, "txtYGridG");
  lblDxxG = NewValueLabel(this, "lblDxxG");
  lblDyyG = NewValueLabel(this, "lblDyyG");
  layout->addWidget(NewCaption(this, "格子数"), 2, 0, 1, 2);
  layout->addWidget(NewCaption(this, "格子数"), 2, 2, 1, 2);
  layout->addWidget(NewCaption(this, "Ｘ Grid (Nx)"), 3, 0);
  layout->addWidget(lblXGridG, 3, 1);
  layout->addWidget(NewCaption(this, "Ｘ Grid (Nx')"), 3, 2);
  layout->addWidget(txtXGridG, 3, 3);
  layout->addWidget(NewCaption(this, "Ｙ Grid (Ny)"), 4, 0);
  layout->addWidget(lblYGridG, 4, 1);
  layout->addWidget(NewCaption(this, "Ｙ Grid (Ny')"), 4, 2);
  layout->addWidget(txtYGridG, 4, 3);
  layout->addWidget(NewCaption(this, "格子間隔"), 5, 0, 1, 2);
  layout->addWidget(NewCaption(this, "格子間隔"), 5, 2, 1, 2);
  layout->addWidget(lblDxG, 6, 0);
  layout->addWidget(lblDyG, 6, 1);
  layout->addWidget(lblDxxG, 6, 2);
  layout->addWidget(lblDyyG, 6, 3);
  cmdG2g = NewButton(this, "cmdG2g", "格子数変更の実行");
  cmdGridChange = NewButton(this, "cmdGridChange", "オリジナルに戻す");
  layout->addWidget(cmdG2g, 7, 0, 1, 2);
  layout->addWidget(cmdGridChange, 7, 2, 1, 2);
}

}  // namespace kessadon
