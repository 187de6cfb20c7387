#include "EstimationCommands.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <functional>
#include <iterator>
#include <memory>
#include <optional>

#include "AppReset.h"
#include "BackgroundRun.h"
#include "ContourCommands.h"
#include "Controls.h"
#include "DataDisplayCommands.h"
#include "DisplayCommands.h"
#include "FieldHelp.h"
#include "FormImage.h"
#include "GridFileCommands.h"
#include "MainContext.h"
#include "PictureBox.h"
#include "Platform.h"
#include "ReportView.h"
#include "UnsavedWork.h"
#include "ViewCommands.h"
#include "estimate/SurfaceEstimate.h"
#include "io/NumberText.h"
#include "render/GridPicture.h"

namespace kessadon::app {
namespace {

// Counts beyond any grid are kept large, for the run to refuse with its reason.
std::int32_t NodeCount(const QLineEdit* box) {
  const double count = FieldValue(box);
  return ToLong(count).value_or(count > 0 ? INT32_MAX : 0);
}

// The estimation's progress as the background run shows it: its text, its
// share of the whole run, a new stage with each pass or stage.
EstimationProgress Shown(const BackgroundProgress& progress) {
  return [&progress](const EstimationProgressStep& step) {
    return progress({EstimationProgressText(step), RunShare(step),
                     step.pass * 16 + static_cast<int>(step.stage)});
  };
}

}  // namespace

EstimationParameters ReadEstimationFields(const EstimationFrame& e) {
  EstimationParameters p;
  p.Xmin = FieldValue(e.txtXmin);
  p.Ymin = FieldValue(e.txtYmin);
  p.Xmax = FieldValue(e.txtXmax);
  p.Ymax = FieldValue(e.txtYmax);
  p.Nx = NodeCount(e.txtXGridH);
  p.Ny = NodeCount(e.txtYGridH);
  p.Xexp = FieldValue(e.txtXexp);
  p.Yexp = FieldValue(e.txtYexp);
  p.M1 = FieldValue(e.txtM1);
  p.M2 = FieldValue(e.txtM2);
  p.Ratio = FieldValue(e.txtRatio);
  p.AlphaMin = FieldValue(e.txtAlphaMin);
  p.AlphaMax = FieldValue(e.txtAlphaMax);
  p.Nitr = FieldValue(e.txtNitr);
  return p;
}

void UpdateEstimationControls(MainContext& context) {
  const AppState& s = context.state;
  EstimationFrame& e = *context.panel.estimation;
  const EstimationParameters p = ReadEstimationFields(e);
  if (p.Xmax - p.Xmin != 0 && p.Nx > 1) SetCaption(e.lblDxH, (p.Xmax - p.Xmin) / (p.Nx - 1));
  if (p.Ymax - p.Ymin != 0 && p.Ny > 1) SetCaption(e.lblDyH, (p.Ymax - p.Ymin) / (p.Ny - 1));

  const std::vector<std::string>& files = s.Data.Records.DataFileName;
  bool ready = !files.empty() && !files.front().empty() && s.DataReady == 1 && p.Nx > 1 && p.Ny > 1;
  for (const QLineEdit* field : {e.txtXmin, e.txtYmin, e.txtXmax, e.txtYmax}) {
    if (field->text().isEmpty()) ready = false;
  }
  e.cmdAutoWeights->setEnabled(ready);
  if (s.Data.Prepared.HasBoundData && !(p.AlphaMin < p.AlphaMax && p.Nitr >= 1)) ready = false;
  e.cmdHorizon->setEnabled(ready);
}

namespace {

struct StageShown {
  const char* caption;
  double start, end;  // its part of a pass, for the share of the whole run
};

// Building the equations and preparing the factor are the smaller parts of a pass.
StageShown Shown(EstimationStage stage) {
  switch (stage) {
    case EstimationStage::Building:
      return {"方程式の組み立て", 0, 0.1};
    case EstimationStage::Analysing:
      return {"連立方程式の準備", 0.1, 0.2};
    case EstimationStage::Iterating:
      return {"連立方程式の反復解法", 0.1, 1};
    case EstimationStage::ChoosingWeights:
      return {"重みの選択（一般化交差検証）", 0, 1};
    case EstimationStage::Uncertainty:
      return {"推定の標準偏差の計算", 0, 1};
    case EstimationStage::Statistics:
      return {"当てはまりの統計の計算", 0, 1};
    case EstimationStage::Factorising:
      break;
  }
  return {"連立方程式の分解", 0.2, 1};
}

}  // namespace

QString EstimationProgressText(const EstimationProgressStep& step) {
  const QString stage = Shown(step.stage).caption;
  const int percent = static_cast<int>(std::floor(step.fraction * 100));
  if (step.stage == EstimationStage::ChoosingWeights ||
      step.stage == EstimationStage::Uncertainty || step.stage == EstimationStage::Statistics) {
    return QString("%1 %2%").arg(stage).arg(percent);
  }
  return QString("推定中：%1 / %2 回目　%3 %4%")
      .arg(step.pass)
      .arg(step.passes)
      .arg(stage)
      .arg(percent);
}

double RunShare(const EstimationProgressStep& step) {
  const StageShown shown = Shown(step.stage);
  const double stage = shown.start + (shown.end - shown.start) * step.fraction;
  return std::clamp((step.pass - 1 + stage) / std::max(step.passes, 1), 0.0, 1.0);
}

namespace {

// What the fields ask for, with the loaded faults; nothing when a field
// cannot be read (the refusal shown) or the grid has no cells. The weight
// fields are checked only when `weights`: the automatic choice sets them.
std::optional<EstimationParameters> AskedParameters(MainContext& context, bool weights) {
  const EstimationFrame& e = *context.panel.estimation;
  EstimationParameters params = ReadEstimationFields(e);
  if (!(params.Nx > 1 && params.Ny > 1)) return std::nullopt;
  params.Faults = context.state.Data.Faults;
  if (RefuseFieldProblems(
          context, {e.txtXmin, e.txtYmin, e.txtXmax, e.txtYmax, e.txtXGridH, e.txtYGridH, e.txtXexp,
                    e.txtYexp, e.txtM1, e.txtM2, e.txtRatio}) ||
      (weights && RefuseFieldProblems(context, {e.txtAlphaMin, e.txtAlphaMax, e.txtNitr}))) {
    return std::nullopt;
  }
  return params;
}

}  // namespace

namespace {

// What the status line says of a finished run.
QString EstimatedText(const GridData& grid, const EstimationSummary& summary) {
  QString done = QString("格子データを推定しました（%1 × %2、繰り返し %3 回")
                     .arg(grid.Nx)
                     .arg(grid.Ny)
                     .arg(summary.passes);
  if (summary.faults) {
    done += QString("、断層で切った格子間 %1 本").arg(summary.cutLinks);
    if (summary.droppedData > 0) {
      done += QString("、使えなかったデータ %1 個").arg(summary.droppedData);
    }
    if (summary.tiedBlocks > 0) {
      done += QString("、データで決まらない小区画 %1 個を隣の面に弱く結合").arg(summary.tiedBlocks);
    }
  }
  if (summary.iterations > 0) {
    done += QString("、反復解法 %1 回、相対残差 %2")
                .arg(summary.iterations)
                .arg(summary.residual, 0, 'g', 3);
  }
  return done + "）";
}

}  // namespace

void cmdHorizon_Click(MainContext& context) {
  AppState& s = context.state;
  Panel& p = context.panel;
  const std::optional<EstimationParameters> asked = AskedParameters(context, true);
  if (!asked) return;
  const EstimationParameters& params = *asked;
  if (!ConfirmDiscardGrids(context)) return;
  BusyPointer busy(*context.platform);

  // The weights the automatic choice put into the fields, while they are
  // still there: the run then has the choice's figures, and its noise.
  SurfaceRequest request;
  if (s.LastChoice && s.LastChoice->params == params) request.choice = s.LastChoice->choice;
  // A stopped or refused run, or one whose first pass fails, changes nothing.
  std::optional<Result<SurfaceEstimate>> finished =
      RunWithProgress<SurfaceEstimate>(context, "推定", [&](const BackgroundProgress& progress) {
        return EstimateSurface(s.Data.Prepared, params, request, Shown(progress));
      });
  SurfaceEstimate* estimate =
      Outcome(context, finished, "推定を中止しました（格子データ、図と表示は前のままです）");
  if (estimate == nullptr) return;
  EstimationResult* run = &estimate->run;

  s.M1 = params.M1;
  s.M2 = params.M2;
  s.AlphaMin = params.AlphaMin;
  s.AlphaMax = s.Data.Prepared.HasBoundData ? params.AlphaMax : params.AlphaMin;
  s.Nitr = s.Data.Prepared.HasBoundData ? params.Nitr : 1;
  s.Beta = run->Report.Beta;
  for (const EstimationReport& report : run->PassReports) WriteEstimationReport(*p.report, report);
  const EstimationSummary summary = SummaryOf(*run, !params.Faults.traces.empty());
  WriteFaultReport(*p.report, summary.faults, summary.cutLinks, summary.droppedData);

  // A copy: the deviations beyond the exact size read the delivered heights
  // from the run kept below.
  InstallNewGrid(context, run->Grid);
  // From GIS layers, the grid lies in their coordinate system.
  s.GridCrs = s.Data.Crs;
  // Kept so that the standard deviations of the heights can be asked for.
  s.LastEstimate = std::make_shared<const EstimateInputs>(
      EstimateInputs{s.Data.Prepared, params, *run, estimate->fit});
  s.OriginalUnsaved = true;
  s.GridFileName.clear();
  p.gridFile->lblGridFileName->setText("推定された格子データ（未ファイル化）");
  p.gridFile->lblGridOnOff->setText("推定された格子データ");
  if (p.estimation->chkDrawCon->isChecked()) {
    // The run's last share said 100 %; the drawing says what it does meanwhile.
    context.ShowStatus("推定した格子データと測定データを描いています…");
    if (context.statusBar != nullptr) context.statusBar->repaint();
    DrawAfterEstimation(context);
  } else {
    // Nothing drawn: the plan view is set so that every picture can be asked
    // for, and the picture of the grid before goes rather than pass for this one.
    cmd2D_Click(context);
    context.formImage->picImage->Cls();
  }
  UpdateDisplayCommands(context);

  context.ShowStatus(run->StoppedAtPass > 0 ? ToQ(run->StopReason)
                                            : EstimatedText(s.Grid, summary));
}

namespace {

// A chosen weight into its field: the shortest text that reads back as the
// same number, so the estimate uses the weight the choice found, shown from
// its first digit.
void SetExactly(QLineEdit* field, double value) {
  char text[32];
  const std::to_chars_result written = std::to_chars(std::begin(text), std::end(text), value);
  field->setText(QString::fromLatin1(text, static_cast<int>(written.ptr - text)));
  field->setCursorPosition(0);
}

}  // namespace

void cmdAutoWeights_Click(MainContext& context) {
  AppState& s = context.state;
  Panel& p = context.panel;
  const std::optional<EstimationParameters> asked = AskedParameters(context, false);
  if (!asked) return;
  const EstimationParameters& params = *asked;
  BusyPointer busy(*context.platform);
  std::optional<Result<WeightChoice>> finished =
      RunWithProgress<WeightChoice>(context, "重みの選択", [&](const BackgroundProgress& progress) {
        SurfaceRequest request;
        request.gcv = s.WeightOptions;
        return ChooseWeights(s.Data.Prepared, params, request, Shown(progress));
      });
  const WeightChoice* choice =
      Outcome(context, finished, "重みの選択を中止しました（α(min) は前のままです）");
  if (choice == nullptr) return;
  const WeightChoice& chosen = *choice;
  EstimationParameters applied = params;
  const bool bounds = s.Data.Prepared.HasBoundData;
  ApplyWeightChoice(applied, chosen, bounds, false);
  // With bounds the schedule keeps its shape: alpha(max) grows as alpha(min) did.
  if (bounds) SetExactly(p.estimation->txtAlphaMax, applied.AlphaMax);
  SetExactly(p.estimation->txtAlphaMin, applied.AlphaMin);
  QString ratio;
  if (chosen.RatioChosen) {
    SetExactly(p.estimation->txtRatio, applied.Ratio);
    ratio = QString(" と Beta/Alpha（%1）").arg(chosen.Ratio, 0, 'g', 4);
  }
  // The earlier run's figures belong to a weight no longer in the fields.
  ClearEstimationReport(*p.report);
  WriteWeightsReport(*p.report, &chosen, bounds);
  s.LastChoice = ChosenWeights{chosen, applied};
  QString grid;
  if (chosen.Thinned) {
    grid = QString("、%1 × %2 の格子で選択").arg(chosen.GridNx).arg(chosen.GridNy);
  }
  QString few;
  if (FewDegreesOfFreedom(chosen.Count, chosen.Edf)) {
    few = QString("。σ は残る自由度 %1 だけによる粗い推定です")
              .arg(chosen.Count - chosen.Edf, 0, 'f', 1);
  }
  context.ShowStatus(
      QString("α(min)%1 を一般化交差検証で選びました（α = %2、GCV %3、EDF %4、σ %5%6）%7")
          .arg(ratio)
          .arg(chosen.Alpha, 0, 'g', 4)
          .arg(chosen.Gcv, 0, 'g', 4)
          .arg(chosen.Edf, 0, 'f', 1)
          .arg(chosen.Sigma, 0, 'g', 3)
          .arg(grid)
          .arg(few));
}

namespace {

// The standard deviations of the estimate's heights, computed on the worker
// thread; false when stopped or refused (the refusal shown).
bool ComputeUncertainty(MainContext& context) {
  AppState& s = context.state;
  const EstimateInputs& in = *s.LastEstimate;
  const UncertaintySettings options = s.UncertaintyOptions;
  BusyPointer busy(*context.platform);
  std::optional<Result<Uncertainty>> finished = RunWithProgress<Uncertainty>(
      context, "推定の標準偏差の計算", [&](const BackgroundProgress& progress) {
        return UncertaintyOfSurface(in.data, in.params, in.run, in.fit, options, Shown(progress));
      });
  const Uncertainty* computed = Outcome(context, finished, "推定の標準偏差の計算を中止しました");
  if (computed == nullptr) return false;
  const Uncertainty& found = *computed;
  GridData sd = found.Sd;
  UpdateGridGeometry(sd);
  QString done = QString("推定の標準偏差を求めました（σ = %1、EDF %2、最小 %3、最大 %4")
                     .arg(found.Sigma, 0, 'g', 3)
                     .arg(found.Edf, 0, 'f', 1)
                     .arg(sd.Zmin, 0, 'g', 3)
                     .arg(sd.Zmax, 0, 'g', 3);
  if (FewDegreesOfFreedom(found.Count, found.Edf)) {
    done +=
        QString("、σ は残る自由度 %1 だけによる粗い推定").arg(found.Count - found.Edf, 0, 'f', 1);
  }
  if (!found.Exact) {
    done += QString("、二段階の近似で相対誤差 約 %1%（最大 %2%）")
                .arg(found.RelativeError * 100, 0, 'g', 2)
                .arg(found.LargestError * 100, 0, 'g', 2);
  }
  context.ShowStatus(done + "）");
  s.Uncertainty = std::move(sd);
  context.panel.gridFile->cmdSaveUncertainty->setEnabled(true);
  return true;
}

}  // namespace

void cmdDisplayUncertainty_Click(MainContext& context) {
  AppState& s = context.state;
  if (!s.LastEstimate || (!s.Uncertainty && !ComputeUncertainty(context))) return;
  // A map, in the plan view, where the data drawn over it fall in place.
  cmd2D_Click(context);
  GridPictureSettings settings = PanelPictureSettings(context, DisplayMode::ColorContour);
  // Round levels of their own, as many bands as the colour table now has at most.
  s.UncertaintyLevels = RoundContourLevels(s.Uncertainty->Zmin, s.Uncertainty->Zmax,
                                           static_cast<int>(s.Colors.NColor));
  settings.levels = s.UncertaintyLevels;
  const ContourLevels& l = s.UncertaintyLevels;
  settings.bands = l.Cin != 0 ? std::round((l.Cen - l.Cst) / l.Cin) : 0;
  if (const std::optional<std::string> refusal = GridPictureRefusal(settings)) {
    context.platform->ShowMessage(context.window, ToQ(*refusal));
    return;
  }
  ShowImageWindow(context);
  PictureBox& picImage = *context.formImage->picImage;
  if (DrawGridPictureWithFaults(context, picImage.Surface(), *s.Uncertainty, s.View,
                                MeasuredExtent(context), s.CellColors, settings)) {
    RecordGridPicture(context, settings, true);
  }
  picImage.Changed();
  s.DisplayMode = DisplayMode::ColorContour;
  s.Pal = GridPicturePalette(settings);
  s.UncertaintyShown = true;
  context.panel.display->cmdColor->setEnabled(true);
}

void DrawAfterEstimation(MainContext& context) {
  AppState& s = context.state;
  Panel& p = context.panel;
  ShowImageWindow(context);
  PictureBox& picImage = *context.formImage->picImage;
  picImage.Cls();
  p.dataDisplay->OptDataBlack->setChecked(true);
  s.DataTextColor = kBlack;
  // Black lines on white, with the box that would say otherwise unticked.
  p.pictureOptions->chkBack->setChecked(false);
  picImage.SetBackColor(kWhite);
  s.LineColor = kBlack;

  cmd2D_Click(context);
  p.contour->txtSepInt->setText("20");
  AutoContourLevels(context);  // ticks the contour lines when the levels allow them
  cmdDisplayContour_Click(context);
  cmdDataView_Click(context);
}

void ConnectEstimationFrame(MainContext& context) {
  EstimationFrame& e = *context.panel.estimation;
  for (QLineEdit* field : {e.txtXmin, e.txtXmax, e.txtYmin, e.txtYmax, e.txtXGridH, e.txtYGridH,
                           e.txtXexp, e.txtYexp, e.txtAlphaMin, e.txtAlphaMax, e.txtNitr}) {
    QObject::connect(field, &QLineEdit::textChanged, field,
                     [&context] { UpdateEstimationControls(context); });
  }
  QObject::connect(e.cmdHorizon, &QPushButton::clicked, e.cmdHorizon,
                   [&context] { cmdHorizon_Click(context); });
  QObject::connect(e.cmdAutoWeights, &QPushButton::clicked, e.cmdAutoWeights,
                   [&context] { cmdAutoWeights_Click(context); });
  QPushButton* uncertainty = context.panel.display->cmdDisplayUncertainty;
  QObject::connect(uncertainty, &QPushButton::clicked, uncertainty,
                   [&context] { cmdDisplayUncertainty_Click(context); });
  QPushButton* save = context.panel.gridFile->cmdSaveUncertainty;
  QObject::connect(save, &QPushButton::clicked, save, [&context] {
    if (context.state.Uncertainty) SaveGridAs(context, *context.state.Uncertainty);
  });
  // The reasons shown belong to the chosen alpha(min) only.
  QObject::connect(e.txtAlphaMin, &QLineEdit::textEdited, e.txtAlphaMin,
                   [&context] { WriteWeightsReport(*context.panel.report, nullptr); });
  QObject::connect(context.cmdStop, &QPushButton::clicked, context.cmdStop, [&context] {
    context.run.stop = true;
    context.ShowStatus(context.run.stopping);
  });
  // The second button only runs the first.
  for (QPushButton* button : {e.cmdDataView, e.cmdDataView2}) {
    QObject::connect(button, &QPushButton::clicked, button,
                     [&context] { cmdDataView_Click(context); });
  }
}

}  // namespace kessadon::app
