// The estimation frame: the spacing and the run command follow every edit of
// its fields; the run estimates a grid from the measured data and, when asked,
// draws it with contours and the data.
#pragma once

#include <QString>

#include "estimate/EstimationParameters.h"
#include "estimate/EstimationRun.h"

namespace kessadon::app {

class EstimationFrame;
struct MainContext;

// What the fields ask for, each read by the leading-number rule; node counts
// to the nearest integer, ties to even.
EstimationParameters ReadEstimationFields(const EstimationFrame& frame);

// The spacing labels, and whether the run command may be used.
void UpdateEstimationControls(MainContext& context);

void cmdHorizon_Click(MainContext& context);
// alpha(min) (and with bounds alpha(max), in step) chosen by generalized
// cross-validation, its reasons on the report panel; the fields stay
// editable.
void cmdAutoWeights_Click(MainContext& context);

// Plan view, automatic contour levels, the contour picture and the data on it.
void DrawAfterEstimation(MainContext& context);

// Draws the standard deviations of the estimate's heights in colour bands in
// the plan view, computing them first when not yet done.
void cmdDisplayUncertainty_Click(MainContext& context);

// "推定中：3 / 6 回目 連立方程式の分解 45%".
QString EstimationProgressText(const EstimationProgressStep& step);
// The share of the whole run done, 0 ... 1, each pass an equal part.
double RunShare(const EstimationProgressStep& step);

void ConnectEstimationFrame(MainContext& context);

}  // namespace kessadon::app
