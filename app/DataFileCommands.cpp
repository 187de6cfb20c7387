#include "DataFileCommands.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStringDecoder>

#include "AppReset.h"
#include "Controls.h"
#include "MainContext.h"
#include "Platform.h"
#include "ReportView.h"
#include "UnsavedWork.h"
#include "io/MeasuredData.h"
#include "io/NumberText.h"
#include "raster/FaultLayers.h"

namespace kessadon::app {
namespace {

const QString kAllFiles = "すべてのファイル (*.*)|*.*";

int SelectedLayout(const MainContext& context) {
  // The option buttons give 1 ... 5; any other value reads a grid file, as layout 5 does.
  return static_cast<int>(context.state.Data.DataType);
}

void ReportFailure(MainContext& context, const QString& path, const Failure& failure) {
  context.ShowStatus(path + ": " + ToQ(Describe(failure)));
}

// Bytes of a data file as text: UTF-8 when they are, else Shift_JIS.
QString FileText(const std::string& bytes) {
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8(QByteArray::fromStdString(bytes));
  if (!utf8.hasError()) return text;
  QStringDecoder shiftJis("Shift_JIS");
  return shiftJis(QByteArray::fromStdString(bytes));
}

// What the load read and what it skipped, so that a lost point shows: a file
// without an end line gives its last point as the end record. The file goes
// by its name (the list above shows its path), so that the rest fits the bar.
QString LoadSummary(const QString& path, const MeasuredFileSummary& file) {
  QString line = QString("%1: %2 件（位置データ %3、傾斜データ %4）")
                     .arg(QFileInfo(path).fileName())
                     .arg(file.records)
                     .arg(file.heights)
                     .arg(file.dips);
  if (!file.endLine) return line + "を読み込みました";
  // Kept short enough for the status bar of the window as it opens.
  constexpr int kShown = 20;
  QString end = FileText(*file.endLine).trimmed();
  if (end.size() > kShown) end = end.left(kShown) + "…";
  return line + "。読み飛ばした行：" + (file.headerSkipped ? "1 行目（見出し）、" : "") +
         "最終行「" + end + "」（終わりの行）";
}

// What every successful load ends with.
void FinishLoad(MainContext& context, const QString& path) {
  PrepareMeasuredData(context);
  context.panel.dataFile->lstDataFile->addItem(path);
  context.panel.estimation->cmdDataView->setEnabled(true);
  context.ShowStatus(LoadSummary(path, context.state.Data.Records.LastFile));
}

}  // namespace

void PrepareMeasuredData(MainContext& context) {
  MeasuredDataState& data = context.state.Data;
  data.Prepared = kessadon::PrepareMeasuredData(data.Records);
  const PreparedData& p = data.Prepared;
  data.XminH = p.XminH;
  data.XmaxH = p.XmaxH;
  data.YminH = p.YminH;
  data.YmaxH = p.YmaxH;
  data.ZminH = p.ZminH;
  data.ZmaxH = p.ZmaxH;
  data.Nh = p.Nh();
  data.Nd = p.Nd();
  context.state.HasDipData = p.HasDipData;
  context.state.HasBoundData = p.HasBoundData;

  EstimationFrame& e = *context.panel.estimation;
  SetCaption(e.lblXminH, data.XminH);
  SetCaption(e.lblYminH, data.YminH);
  SetCaption(e.lblXmaxH, data.XmaxH);
  SetCaption(e.lblYmaxH, data.YmaxH);
  SetCaption(e.lblZminH, data.ZminH);
  SetCaption(e.lblZmaxH, data.ZmaxH);
  SetCaption(e.lblNh, data.Nh);
  SetCaption(e.lblNd, data.Nd);

  context.state.DataReady = 1;
  UpdateDisplayCommands(context);
  ResetEstimationPanel(context);
  // A first range to estimate over, which a person may type over: what the data cover.
  if (data.Nh + data.Nd > 0) {
    const std::pair<QLineEdit*, double> range[] = {{e.txtXmin, data.XminH},
                                                   {e.txtYmin, data.YminH},
                                                   {e.txtXmax, data.XmaxH},
                                                   {e.txtYmax, data.YmaxH}};
    for (const auto& [box, value] : range) {
      if (box->text().isEmpty()) SetText(box, value);
    }
  }
}

void cmdOpenData_Click(MainContext& context) {
  std::optional<QString> path = context.platform->OpenFileName(context.window, kAllFiles);
  if (!path) return;
  BusyPointer busy(*context.platform);
  // Parse into new records; the loaded ones stay until the whole file was read.
  Result<MeasuredData> records = LoadMeasuredData(FromQ(*path), SelectedLayout(context));
  if (!records) {
    ReportFailure(context, *path, records.failure());
    return;
  }
  context.state.Data.Records = std::move(*records);
  // The report was of the data before these.
  ClearEstimationReport(*context.panel.report);
  FinishLoad(context, *path);
  DataFileFrame& f = *context.panel.dataFile;
  context.panel.estimation->cmdDataView2->setEnabled(true);
  f.cmdOpenData->setEnabled(false);
  f.cmdOpenDataAdd->setEnabled(true);
}

void cmdOpenDataAdd_Click(MainContext& context) {
  std::optional<QString> path = context.platform->OpenFileName(context.window, kAllFiles);
  if (!path) return;
  BusyPointer busy(*context.platform);
  Status added =
      AppendMeasuredData(context.state.Data.Records, FromQ(*path), SelectedLayout(context));
  if (!added) {
    ReportFailure(context, *path, added.failure());
    return;
  }
  FinishLoad(context, *path);
}

namespace {

void ShowFaultCount(MainContext& context) {
  const FaultTraces& faults = context.state.Data.Faults;
  DataFileFrame& f = *context.panel.dataFile;
  f.lblFaults->setText(
      faults.traces.empty()
          ? QString("断層線はありません")
          : QString("断層線 %1 本（点 %2 個）").arg(faults.traces.size()).arg(faults.PointCount()));
  f.cmdClearFaults->setEnabled(!faults.traces.empty());
}

}  // namespace

void cmdOpenFaults_Click(MainContext& context) {
  std::optional<QString> path = context.platform->OpenFileName(
      context.window,
      "断層線 (*.txt *.gpkg *.shp *.geojson *.json *.kml)|*.txt;*.gpkg;*.shp;*.geojson;*.json;"
      "*.kml|" +
          QString(kAllFiles));
  if (!path) return;
  BusyPointer busy(*context.platform);
  // Nothing changes unless the whole file was read.
  Result<FaultTraces> traces = ReadFaultTraces(FromQ(*path));
  if (!traces) {
    ReportFailure(context, *path, traces.failure());
    return;
  }
  context.state.Data.Faults.Add(*traces);
  ShowFaultCount(context);
  context.ShowStatus(
      *path +
      QString(": 断層線 %1 本を読みました。次の推定と図に使います").arg(traces->traces.size()));
}

void cmdClearFaults_Click(MainContext& context) {
  context.state.Data.Faults = FaultTraces{};
  ShowFaultCount(context);
  context.ShowStatus("断層線をクリアしました。次の推定と図から使いません");
}

void cmdClear_Click(MainContext& context) {
  // The reset below lets the grid go as well.
  if (!ConfirmDiscardGrids(context)) return;
  context.state.Data.Records = MeasuredData{};
  context.state.Data.Prepared = PreparedData{};
  context.state.Data.Faults = FaultTraces{};
  ShowFaultCount(context);
  ResetAppState(context);
  ResetEstimationPanel(context);
  UpdateDisplayCommands(context);
}

}  // namespace kessadon::app
