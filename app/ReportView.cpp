#include "ReportView.h"

#include <QLabel>

#include "Controls.h"
#include "EstimationFrames.h"
#include "estimate/EstimationReport.h"

namespace kessadon {

void WriteEstimationReport(ReportFrame& f, const EstimationReport& report) {
  QLabel* const labels[11] = {f.lblQj1,  f.lblQj2,  f.lblNhdt,  f.lblQhrn, f.lblQhav, f.lblNddt,
                              f.lblQdrn, f.lblQdav, f.lblQjres, f.lblQj,   f.lblRes};
  const auto texts = ReportTexts(report);
  for (int k = 0; k < 11; ++k) {
    if (texts[k]) labels[k]->setText(ToQ(*texts[k]));
  }
}

}  // namespace kessadon
