// The frames of the surface estimation: its parameters, the report of the last
// pass, and the change of the node count of the current grid.
#pragma once

#include <QGroupBox>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kessadon::app {

// "格子データ推定": summary of the prepared data (left), run parameters (right).
class EstimationFrame : public QGroupBox {
 public:
  explicit EstimationFrame(QWidget *parent);

  QLabel *lblXminH, *lblYminH, *lblXmaxH, *lblYmaxH, *lblZminH, *lblZmaxH;
  QLabel *lblNh, *lblNd;
  QLineEdit *txtXmin, *txtYmin, *txtXmax, *txtYmax;
  QLineEdit *txtXGridH, *txtYGridH;
  QLabel *lblDxH, *lblDyH;
  QLineEdit *txtM1, *txtM2, *txtRatio, *txtAlphaMin, *txtAlphaMax, *txtNitr;
  QLabel *lblM1, *lblM2, *lblRatio, *lblAlphaMin, *lblAlphaMax, *lblNitr;
  QLineEdit *txtXexp, *txtYexp;
  QPushButton *cmdHorizon;
  QPushButton *cmdAutoWeights;  // alpha(min) by cross-validation
  QCheckBox *chkDrawCon;
  QPushButton *cmdDataView, *cmdDataView2;
};

// "格子推定結果のレポート": eleven caption/value pairs.
class ReportFrame : public QGroupBox {
 public:
  explicit ReportFrame(QWidget *parent);

  QLabel *lblQj1, *lblQj2, *lblNhdt, *lblQhrn, *lblQhav, *lblNddt, *lblQdrn, *lblQdav;
  QLabel *lblQjres, *lblQj, *lblRes;
  // With faults only: the links they cut and the data left out.
  QLabel *lblFaultCaption, *lblFaultCuts;
  // After weights were chosen automatically: GCV, EDF and sigma.
  QLabel *lblWeightsCaption, *lblWeights;
};

// "格子数の変更": the original node counts and spacing, and the requested ones.
class GridChangeFrame : public QGroupBox {
 public:
  explicit GridChangeFrame(QWidget *parent);

  QLabel *lblXGridG, *lblYGridG, *lblDxG, *lblDyG;
  QLineEdit *txtXGridG, *txtYGridG;
  QLabel *lblDxxG, *lblDyyG;
  QPushButton *cmdG2g, *cmdGridChange;
};

}  // namespace kessadon::app
