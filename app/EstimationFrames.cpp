#include "EstimationFrames.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <array>

#include "Controls.h"
#include "estimate/EstimationReport.h"

namespace kessadon::app {

EstimationFrame::EstimationFrame(QWidget* parent) : QGroupBox("格子データ推定", parent) {
  setObjectName("fraEstimation");
  QGridLayout* layout = NewGridLayout(this);

  // Left column: what the prepared data cover.
  FieldColumn left{this, layout, 0};
  lblXminH = left.AddValue("lblXminH", "X min");
  lblYminH = left.AddValue("lblYminH", "Y min");
  lblXmaxH = left.AddValue("lblXmaxH", "X Max");
  lblYmaxH = left.AddValue("lblYmaxH", "Y Max");
  lblZminH = left.AddValue("lblZminH", "Z min");
  lblZmaxH = left.AddValue("lblZmaxH", "Z Max");
  lblNh = left.AddValue("lblNh", "位置データ");
  lblNd = left.AddValue("lblNd", "傾斜データ");

  // Right column: the grid to produce and the weights.
  FieldColumn right{this, layout, 2};
  txtXmin = right.AddText("txtXmin", "X min");
  txtYmin = right.AddText("txtYmin", "Y min");
  txtXmax = right.AddText("txtXmax", "X Max");
  txtYmax = right.AddText("txtYmax", "Y Max");
  txtXGridH = right.AddText("txtXGridH", "Nx(X Grid)");
  txtYGridH = right.AddText("txtYGridH", "Ny(Y Grid)");
  lblDxH = right.AddValue("lblDxH", "Dx(X Grid)");
  lblDyH = right.AddValue("lblDyH", "Dy(Y Grid)");
  txtM1 = right.AddText("txtM1", "m1", "lblM1", &lblM1);
  txtM2 = right.AddText("txtM2", "m2", "lblM2", &lblM2);
  txtRatio = right.AddText("txtRatio", "Beta/Alpha", "lblRatio", &lblRatio);
  const int alphaRow = right.row;
  txtAlphaMin = right.AddText("txtAlphaMin", "α(min)", "lblAlphaMin", &lblAlphaMin);
  cmdAutoWeights = NewButton(this, "cmdAutoWeights", "自動");
  layout->addWidget(cmdAutoWeights, alphaRow, 4);
  txtAlphaMax = right.AddText("txtAlphaMax", "α(max)", "lblAlphaMax", &lblAlphaMax);
  txtNitr = right.AddText("txtNitr", "繰り返し回数", "lblNitr", &lblNitr);

  // The extension of the estimation grid, under the summary.
  layout->addWidget(NewCaption(this, "推定する範囲を拡張"), left.row++, 0, 1, 2);
  txtXexp = left.AddText("txtXexp", "Ｘ（％）");
  txtYexp = left.AddText("txtYexp", "Ｙ（％）");
  layout->addWidget(NewCaption(this, "0～50(%)"), left.row++, 1);

  int row = std::max(right.row, left.row);
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
  };
  // Empty until the first run; the captions are the report's own.
  const std::array<Entry, kReportCaptions.size()> entries = {{
      {&lblQj1, "lblQj1"},
      {&lblQj2, "lblQj2"},
      {&lblNhdt, "lblNhdt"},
      {&lblQhrn, "lblQhrn"},
      {&lblQhav, "lblQhav"},
      {&lblNddt, "lblNddt"},
      {&lblQdrn, "lblQdrn"},
      {&lblQdav, "lblQdav"},
      {&lblQjres, "lblQjres"},
      {&lblQj, "lblQj"},
      {&lblRes, "lblRes"},
  }};
  for (std::size_t k = 0; k < entries.size(); ++k) {
    const int row = static_cast<int>(k);
    *entries[k].label = NewValueLabel(this, entries[k].name);
    layout->addWidget(NewCaption(this, kReportCaptions[k]), row, 0, Qt::AlignRight);
    layout->addWidget(*entries[k].label, row, 1);
  }
  lblFaultCaption = NewCaption(this, "断層 =");
  lblFaultCuts = NewValueLabel(this, "lblFaultCuts");
  lblFaultCuts->setToolTip(
      "断層が切った隣り合う格子点の間の数と、断層のため面に結び付けられなかったデータの数");
  lblWeightsCaption = NewCaption(this, "自動の重み =");
  lblWeights = NewValueLabel(this, "lblWeights");
  const int row = static_cast<int>(entries.size());
  layout->addWidget(lblFaultCaption, row, 0, Qt::AlignRight);
  layout->addWidget(lblFaultCuts, row, 1);
  layout->addWidget(lblWeightsCaption, row + 1, 0, Qt::AlignRight);
  layout->addWidget(lblWeights, row + 1, 1);
  // Hidden until a run has faults or chosen weights, their room kept, so
  // that the window is made tall enough for them from the start.
  for (QLabel* label : {lblFaultCaption, lblFaultCuts, lblWeightsCaption, lblWeights}) {
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->hide();
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

}  // namespace kessadon::app
