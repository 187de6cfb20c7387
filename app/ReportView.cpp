#include "ReportView.h"

#include <QLabel>
#include <array>

#include "Controls.h"
#include "EstimationFrames.h"
#include "estimate/EstimationReport.h"
#include "estimate/WeightChoice.h"

namespace kessadon::app {
namespace {

std::array<QLabel*, 11> Labels(ReportFrame& f) {
  return {f.lblQj1,  f.lblQj2,  f.lblNhdt,  f.lblQhrn, f.lblQhav, f.lblNddt,
          f.lblQdrn, f.lblQdav, f.lblQjres, f.lblQj,   f.lblRes};
}

}  // namespace

void WriteEstimationReport(ReportFrame& f, const EstimationReport& report) {
  const std::array<QLabel*, 11> labels = Labels(f);
  const std::array<ReportLine, 11> lines = ReportLines(report);
  for (std::size_t k = 0; k < labels.size(); ++k) {
    labels[k]->setText(lines[k].value ? ToQ(*lines[k].value) : QString());
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
  if (choice == nullptr) {
    f.lblWeights->clear();
    return;
  }
  QString text = QString("GCV %1、EDF %2、σ %3")
                     .arg(choice->Gcv, 0, 'g', 4)
                     .arg(choice->Edf, 0, 'f', 1)
                     .arg(choice->Sigma, 0, 'g', 3);
  // What the figures describe where it is not the surface the run delivers.
  QStringList of;
  if (choice->Thinned) of << QString("%1×%2 の格子").arg(choice->GridNx).arg(choice->GridNy);
  if (bounded) of << "α(min) の面";
  if (!of.isEmpty()) text += "（" + of.join("、") + "）";
  if (FewDegreesOfFreedom(choice->Count, choice->Edf)) {
    text += QString("、残る自由度 %1 のみ").arg(choice->Count - choice->Edf, 0, 'f', 1);
  }
  f.lblWeights->setText(text);
}

void ClearEstimationReport(ReportFrame& f) {
  for (QLabel* label : Labels(f)) label->clear();
  WriteFaultReport(f, false, 0, 0);
  WriteWeightsReport(f, nullptr);
}

}  // namespace kessadon::app
