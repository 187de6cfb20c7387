#include "DataFileCommands.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

#include "AppReset.h"
#include "Controls.h"
#include "CrsQuestions.h"
#include "MainContext.h"
#include "Platform.h"
#include "ReportView.h"
#include "UnsavedWork.h"
#include "io/MeasuredData.h"
#include "io/NumberText.h"
#include "raster/FaultLayers.h"
#include "raster/Gdal.h"
#include "raster/MeasuredFiles.h"
#include "raster/PointLayers.h"
#include "raster/Reprojection.h"

namespace kessadon::app {
namespace {

const QString kAllFiles = "すべてのファイル (*.*)|*.*";
const QString kDataFiles =
    "測定データ・表 (*.txt *.csv *.tsv)|*.txt;*.csv;*.tsv|"
    "GIS のレイヤー・表計算 (*.gpkg *.shp *.geojson *.json *.kml *.fgb *.xlsx *.ods)|"
    "*.gpkg;*.shp;*.geojson;*.json;*.kml;*.fgb;*.xlsx;*.ods|" +
    kAllFiles;

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
void FinishLoad(MainContext& context, const QString& path, const MeasuredFileRead& read) {
  PrepareMeasuredData(context);
  context.panel.dataFile->lstDataFile->addItem(path);
  context.panel.estimation->cmdDataView->setEnabled(true);
  QString summary = LoadSummary(path, context.state.Data.Records.LastFile);
  for (const std::string& note : read.notes) summary += "。" + ToQ(note);
  if (!read.crs.empty()) summary += "。座標系 " + ToQ(CrsDescription(read.crs));
  context.ShowStatus(summary);
}

// The layer of a GIS file to read, asked when several could be meant.
// Nothing when cancelled.
std::optional<PointLayer> AskLayer(MainContext& context, const QString& path,
                                   const std::vector<PointLayer>& layers) {
  std::vector<PointLayer> candidates;
  for (const PointLayer& layer : layers) {
    if (layer.points) candidates.push_back(layer);
  }
  if (candidates.empty()) candidates = layers;
  int chosen = 0;
  if (candidates.size() > 1) {
    QStringList names;
    for (const PointLayer& layer : candidates) names << ToQ(layer.name);
    const std::optional<int> answer = context.platform->AskChoice(
        context.window, QFileInfo(path).fileName() + " のどのレイヤーを読みますか", names, 0);
    if (!answer || *answer < 0) return std::nullopt;
    chosen = *answer;
  }
  return candidates[static_cast<std::size_t>(chosen)];
}

// A .csv or .tsv file whose first line holds names, none of them those
// the columns are found by: a table whose columns the person names.
bool HeaderOfOtherNames(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix != "csv" && suffix != "tsv") return false;
  Result<std::vector<std::string>> names = TableColumnNames(FromQ(path));
  if (!names || names->size() < 2) return false;
  // A number or an empty cell is a record's, not a name.
  return std::none_of(names->begin(), names->end(),
                      [](const std::string& name) { return CellNumber(name).ok(); });
}

// How to read the file: its layer and fields asked of the person where the
// common names do not settle them. Nothing when cancelled.
std::optional<MeasuredFileOptions> AskReadOptions(MainContext& context, const QString& path) {
  MeasuredFileOptions options;
  options.layout = SelectedLayout(context);
  std::vector<std::string> names;
  bool points = false;
  QString source = QFileInfo(path).fileName();
  if (IsPointLayerFile(FromQ(path))) {
    Result<std::vector<PointLayer>> layers = ListPointLayers(FromQ(path));
    if (!layers || layers->empty()) return options;  // the reader says why
    const std::optional<PointLayer> layer = AskLayer(context, path, *layers);
    if (!layer) return std::nullopt;
    options.layer = layer->name;
    names = layer->fields;
    points = layer->points;
    source += "（レイヤー " + ToQ(options.layer) + "）";
  } else if (IsTableFile(FromQ(path), options) || HeaderOfOtherNames(path)) {
    Result<std::vector<std::string>> header = TableColumnNames(FromQ(path));
    if (!header) return options;  // the reader says why
    names = std::move(*header);
  } else {
    return options;
  }
  Result<std::vector<int>> found = FindColumns(names, {}, "");
  if (!found) return options;
  const std::vector<int>& c = *found;
  const bool placed = points || (c[0] >= 0 && c[1] >= 0);
  if (placed && (c[2] >= 0 || (c[4] >= 0 && c[5] >= 0))) return options;
  FieldQuestion question;
  question.source = source;
  for (const std::string& name : names) question.names << ToQ(name);
  std::copy(c.begin(), c.end(), question.chosen.begin());
  question.needsXY = !points;
  const std::optional<FieldAnswer> answer = context.platform->AskFields(context.window, question);
  if (!answer) return std::nullopt;
  ColumnChoice choice;
  for (int k = 0; k < kDataColumns; ++k) {
    const int at = answer->chosen[static_cast<std::size_t>(k)];
    choice.name[static_cast<std::size_t>(k)] =
        at >= 0 ? names[static_cast<std::size_t>(at)] : std::string(kLeftOut);
  }
  options.fields = choice;
  options.swapXY = answer->swapXY;
  return options;
}

// The middle of the points in the file's own coordinates.
std::pair<double, double> Centre(const MeasuredData& data) {
  if (data.DataX.empty()) return {NAN, NAN};
  const auto [west, east] = std::minmax_element(data.DataX.begin(), data.DataX.end());
  const auto [south, north] = std::minmax_element(data.DataY.begin(), data.DataY.end());
  return {(*west + *east) / 2, (*south + *north) / 2};
}

// Brings the points of a file into the system the data loaded so far lie in
// (`adding`), else the grid's, else the file's own where it is projected; a
// file in degrees alone asks for a projected one. A note says what was
// transformed. False when cancelled or refused (the refusal shown).
bool BringIntoWorkingCrs(MainContext& context, const QString& path, MeasuredFileRead& read,
                         bool adding) {
  const AppState& s = context.state;
  const auto [longitude, latitude] = Centre(read.data);
  Result<std::string> working = WorkingCrs(
      {}, {adding ? s.Data.Crs : std::string(), s.GridCrs, read.crs}, longitude, latitude, {});
  std::optional<std::string> target;
  if (working) {
    target = *working;
  } else {
    target = AskProjectedCrs(context, QFileInfo(path).fileName(), read.crs, longitude, latitude);
  }
  if (!target) {
    context.ShowStatus(path + ": 読み込みをやめました");
    return false;
  }
  std::string note;
  Status moved = ReprojectData(read.data, read.crs, *target, &note);
  if (!moved) {
    ReportFailure(context, path, moved.failure());
    return false;
  }
  if (!note.empty()) read.notes.push_back(note);
  if (!read.crs.empty()) read.crs = *target;
  return true;
}

// Reads the file as AskReadOptions settles; nothing when cancelled or
// refused (the refusal shown).
std::optional<MeasuredFileRead> ReadDataFile(MainContext& context, const QString& path,
                                             bool adding) {
  const std::optional<MeasuredFileOptions> options = AskReadOptions(context, path);
  if (!options) {
    context.ShowStatus(path + ": 読み込みをやめました");
    return std::nullopt;
  }
  Result<MeasuredFileRead> read = [&] {
    BusyPointer busy(*context.platform);
    return ReadMeasuredFile(FromQ(path), *options);
  }();
  if (!read) {
    ReportFailure(context, path, read.failure());
    return std::nullopt;
  }
  if (!BringIntoWorkingCrs(context, path, *read, adding)) return std::nullopt;
  return std::move(*read);
}

}  // namespace

void PrepareMeasuredData(MainContext& context) {
  MeasuredDataState& data = context.state.Data;
  data.Prepared = kessadon::PrepareMeasuredData(data.Records);
  // A weight choice speaks only for the data it was made on.
  context.state.LastChoice.reset();
  const PreparedData& p = data.Prepared;
  data.XminH = p.XminH;
  data.XmaxH = p.XmaxH;
  data.YminH = p.YminH;
  data.YmaxH = p.YmaxH;
  data.ZminH = p.ZminH;
  data.ZmaxH = p.ZmaxH;
  data.Nh = p.Nh();
  data.Nd = p.Nd();

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
  std::optional<QString> path = context.platform->OpenFileName(context.window, kDataFiles);
  if (!path) return;
  // Parse into new records; the loaded ones stay until the whole file was read.
  std::optional<MeasuredFileRead> read = ReadDataFile(context, *path, false);
  if (!read) return;
  context.state.Data.Records = std::move(read->data);
  context.state.Data.Crs = read->crs;
  // The report was of the data before these.
  ClearEstimationReport(*context.panel.report);
  FinishLoad(context, *path, *read);
  DataFileFrame& f = *context.panel.dataFile;
  context.panel.estimation->cmdDataView2->setEnabled(true);
  f.cmdOpenData->setEnabled(false);
  f.cmdOpenDataAdd->setEnabled(true);
}

void cmdOpenDataAdd_Click(MainContext& context) {
  std::optional<QString> path = context.platform->OpenFileName(context.window, kDataFiles);
  if (!path) return;
  std::optional<MeasuredFileRead> read = ReadDataFile(context, *path, true);
  if (!read) return;
  MeasuredDataState& data = context.state.Data;
  Status added = AppendRecords(data.Records, read->data, FromQ(*path));
  if (!added) {
    ReportFailure(context, *path, added.failure());
    return;
  }
  if (!read->crs.empty()) data.Crs = read->crs;
  FinishLoad(context, *path, *read);
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
  // Nothing changes unless the whole file was read. A layer comes into the
  // system of the data, else of the grid.
  const AppState& s = context.state;
  std::string moved;
  Result<FaultTraces> traces =
      ReadFaultTraces(FromQ(*path), s.Data.Crs.empty() ? s.GridCrs : s.Data.Crs, &moved);
  if (!traces) {
    ReportFailure(context, *path, traces.failure());
    return;
  }
  context.state.Data.Faults.Add(*traces);
  ShowFaultCount(context);
  QString status =
      *path +
      QString(": 断層線 %1 本を読みました。次の推定と図に使います").arg(traces->traces.size());
  if (!moved.empty()) status += "。" + ToQ(moved);
  const GridData& g = s.Grid;
  if (s.GridLoaded == 1) {
    if (auto outside = OutsideTracesNote(*traces, g.Xmin, g.Xmax, g.Ymin, g.Ymax)) {
      status += "。" + ToQ(*outside);
    }
  }
  context.ShowStatus(status);
}

void cmdClearFaults_Click(MainContext& context) {
  context.state.Data.Faults = FaultTraces{};
  ShowFaultCount(context);
  context.ShowStatus("断層線をクリアしました。次の推定と図から使いません");
}

void ResetKeepingData(MainContext& context) {
  AppState& s = context.state;
  DataFileFrame& f = *context.panel.dataFile;
  const bool loaded = s.DataReady == 1;
  MeasuredDataState data = std::move(s.Data);
  QStringList files;
  for (int k = 0; k < f.lstDataFile->count(); ++k) files << f.lstDataFile->item(k)->text();
  ResetAppState(context);
  s.Data.Faults = std::move(data.Faults);
  ShowFaultCount(context);
  if (!loaded) return;
  s.Data = std::move(data);
  const auto layout = static_cast<int>(s.Data.DataType);
  if (layout >= 1 && layout <= static_cast<int>(f.optData.size())) {
    f.optData[layout - 1]->setChecked(true);
  }
  f.lstDataFile->addItems(files);
  PrepareMeasuredData(context);
  context.panel.estimation->cmdDataView->setEnabled(true);
  context.panel.estimation->cmdDataView2->setEnabled(true);
  f.cmdOpenData->setEnabled(false);
  f.cmdOpenDataAdd->setEnabled(true);
}

void cmdClear_Click(MainContext& context) {
  // The reset below lets the grid go as well.
  if (!ConfirmDiscardGrids(context)) return;
  context.state.Data.Records = MeasuredData{};
  context.state.Data.Prepared = PreparedData{};
  context.state.Data.Faults = FaultTraces{};
  context.state.Data.Crs.clear();
  ShowFaultCount(context);
  ResetAppState(context);
  ResetEstimationPanel(context);
  UpdateDisplayCommands(context);
}

}  // namespace kessadon::app
