#include "ReportView.h"

#include <QLabel>
#include <array>

#include "Controls.h"
#include "EstimationFrames.h"
#include "estimate/EstimationReport.h"
#include "estimate/WeightChoice.h"

namespace kessadon::app {
namespace {

constexpr const char* kWeightsTip =
    "自動で選んだ α(min) の理由：一般化交差検証の値 GCV、有効自由度 EDF、位置データの誤差の推定 σ";

std::array<QLabel*, 11> Labels(ReportFrame& f) {
  return {f.lblQj1,  f.lblQj2,  f.lblNhdt,  f.lblQhrn, f.lblQhav, f.lblNddt,
          f.lblQdrn, f.lblQdav, f.lblQjres, f.lblQj,   f.lblRes};
}

// A report value to six significant digits, which is what a reader can
// weigh; counts and short values as they stand.
QString Shown(const QString& full) {
  bool number = false;
  const double value = full.toDouble(&number);
  if (!number || full.size() <= 8) return full;
  return QString::number(value, 'g', 6);
}

}  // namespace

void WriteEstimationReport(ReportFrame& f, const EstimationReport& report) {
  const std::array<QLabel*, 11> labels = Labels(f);
  const std::array<ReportLine, 11> lines = ReportLines(report);
  for (std::size_t k = 0; k < labels.size(); ++k) {
    const QString full = lines[k].value ? ToQ(*lines[k].value) : QString();
    labels[k]->setText(Shown(full));
  }
}

void WriteFaultReport(ReportFrame& f, bool faults, std::int64_t cutLinks, std::int32_t dropped) {
  f.lblFaultCaption->setVisible(faults);
  f.lblFaultCuts->setVisible(faults);
  f.lblFaultCuts->setText(faults ? QString("切断 %1 本、除外 %2 個").arg(cutLinks).arg(dropped)
                                 : QString());
}

void WriteWeightsReport(ReportFrame& f, const WeightChoice* choice, bool bounded) {
  f.lblWeightsCaption->setVisible(choice != nullptr);
  f.lblWeights->setVisible(choice != nullptr);
  f.lblWeights->setToolTip(kWeightsTip);
  if (choice == nullptr) {
    f.lblWeights->clear();
    return;
  }
  QString text = QString("GCV %1、EDF %2、σ %3")
                     .arg(choice->Gcv, 0, 'g', 4)
                     .arg(choice->Edf, 0, 'f', 1)
                     .arg(choice->Sigma, 0, 'g', 3);
  // What the figures describe where it is not the surface the run delivers,
  // in the tip: the label has no room for it, and a mark says to look.
  QStringList notes;
  if (choice->Thinned) {
    notes << QString("値は、間引いた %1 × %2 の格子で選んだときのものです")
                 .arg(choice->GridNx)
                 .arg(choice->GridNy);
  }
  if (bounded)
    notes << "値は、上下限データを除いた α(min) "
             "の面のもので、推定の最後の繰り返しの面のものではありません";
  if (FewDegreesOfFreedom(choice->Count, choice->Edf)) {
    notes << QString("σ は、残る自由度 %1（位置データ %2 個 − EDF）だけによる粗い推定です")
                 .arg(choice->Count - choice->Edf, 0, 'f', 1)
                 .arg(choice->Count);
  }
  if (!notes.isEmpty()) {
    text += " ※";
    f.lblWeights->setToolTip(QString(kWeightsTip) + "\n※ " + notes.join("\n※ "));
  }
  f.lblWeights->setText(text);
}

void ClearEstimationReport(ReportFrame& f) {
  for (QLabel* label : Labels(f)) label->clear();
  WriteFaultReport(f, false, 0, 0);
  WriteWeightsReport(f, nullptr);
}

}  // namespace kessadon::app
