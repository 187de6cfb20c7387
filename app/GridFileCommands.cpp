#include "GridFileCommands.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "AppReset.h"
#include "Controls.h"
#include "CrsQuestions.h"
#include "DataFileCommands.h"
#include "MainContext.h"
#include "Platform.h"
#include "SavePath.h"
#include "UnsavedWork.h"
#include "ViewCommands.h"
#include "io/ElevationMap.h"
#include "raster/Gdal.h"
#include "raster/GridFiles.h"

namespace kessadon::app {

namespace {
// The program's own grid data files first, then any name, then the rasters
// GIS tools trade in. A name typed without an extension gets the first one of
// the chosen type.
const QString kRasterFilters =
    "|ESRI ASCII グリッド (*.asc)|*.asc|netCDF (*.nc)|*.nc|ERDAS Imagine (*.img)|*.img";
const QString kGridFileFilter =
    "格子データファイル (*.grd *.txt)|*.grd; *.txt|すべてのファイル (*.*)|*.*";
const QString kOpenFilters =
    kGridFileFilter + "|GeoTIFF (*.tif *.tiff)|*.tif; *.tiff" + kRasterFilters;
const QString kSaveFilters = kGridFileFilter + "|GeoTIFF (*.tif)|*.tif" + kRasterFilters;

// Where a grid read from a map sheet says so, as cmdOpenMem does.
void ShowMapSheet(MainContext& context, const QString& path, const std::string& sheetName) {
  context.state.MemFileName = FromQ(path);
  GridFileFrame& frame = *context.panel.gridFile;
  frame.lblGridFileName->setText(path);
  frame.lblGridOnOff->setText("読み込んだ数値地図");
  frame.lblMem->setText(ToQ(sheetName));
  frame.lblMemLbl->show();
  frame.lblMem->show();
}
}  // namespace

void ShowGridGeometry(MainContext& context) {
  AppState& s = context.state;
  GridData& grid = s.Grid;
  UpdateGridGeometry(grid);
  s.View.Zbase = DefaultZbase(grid.Zmin);
  SetText(context.panel.view->txtZbase, s.View.Zbase);
  ShowGridFigures(context);
  context.panel.gridFile->cmdSaveGridData->setEnabled(true);
}

void ShowGridFigures(MainContext& context) {
  const GridData& grid = context.state.Grid;
  GridSpecFrame& figures = *context.panel.gridSpec;
  SetCaption(figures.lblXGrid, grid.Nx);
  SetCaption(figures.lblYGrid, grid.Ny);
  SetCaption(figures.lblDx, grid.Dx);
  SetCaption(figures.lblDy, grid.Dy);
  SetCaption(figures.lblXmin, grid.Xmin);
  SetCaption(figures.lblXmax, grid.Xmax);
  SetCaption(figures.lblYmin, grid.Ymin);
  SetCaption(figures.lblYmax, grid.Ymax);
  SetCaption(figures.lblZmin, grid.Zmin);
  SetCaption(figures.lblZmax, grid.Zmax);
  SetCaption(context.panel.contour->lblContourZmin, grid.Zmin);
  SetCaption(context.panel.contour->lblContourZmax, grid.Zmax);
}

void InstallNewGrid(MainContext& context, GridData grid) {
  AppState& s = context.state;
  s.Grid = std::move(grid);
  s.GridCrs.clear();  // a raster's reader sets it again
  KeepOriginalGrid(s.Grid);
  ShowGridGeometry(context);
  GridChangeFrame& change = *context.panel.gridChange;
  SetCaption(change.lblXGridG, s.Grid.Nx);
  SetCaption(change.lblYGridG, s.Grid.Ny);
  SetCaption(change.lblDxG, s.Grid.Dx);
  SetCaption(change.lblDyG, s.Grid.Dy);
  // A resampled grid belonged to the grid before this one.
  s.Refined.reset();
  s.LastEstimate.reset();
  s.Uncertainty.reset();
  context.panel.gridFile->cmdSaveUncertainty->setEnabled(false);
  s.UncertaintyShown = false;
  s.OriginalUnsaved = s.RefinedUnsaved = false;
  change.cmdGridChange->setEnabled(false);
  s.GridLoaded = 1;
  s.CellColors = NodeArray<Color>(std::max(s.Grid.Nx, 256), s.Grid.Ny);
  // The picture shown belongs to the grid before.
  ForgetPicture(context);
  // The projection must refer to the new grid even when the base text stayed the same.
  ShowViewInFields(context);
  UpdateViewProjection(context);
}

void cmdOpenGridData_Click(MainContext& context) {
  std::optional<QString> path = context.platform->OpenFileName(context.window, kOpenFilters);
  if (!path) return;
  BusyPointer busy(*context.platform);
  // Read into a new grid; the current one stays until the whole file was read.
  Result<LoadedGrid> read = ReadAnyGrid(FromQ(*path));
  if (!read) {
    context.ShowStatus(*path + ": " + ToQ(Describe(read.failure())));
    return;
  }
  if (!ConfirmDiscardGrids(context)) return;
  ResetKeepingData(context);
  InstallNewGrid(context, std::move(read->grid));
  if (read->kind == GridFileKind::ElevationMap) {
    ShowMapSheet(context, *path, read->sheetName);
    return;
  }
  context.state.GridFileName = FromQ(*path);
  context.state.GridCrs = read->crs;
  context.panel.gridFile->lblGridFileName->setText(*path);
  context.panel.gridFile->lblGridOnOff->setText("読み込んだ格子データ");
  if (read->kind == GridFileKind::Raster) {
    const std::string crs = read->crs.empty() ? "なし" : CrsDescription(read->crs);
    context.ShowStatus(*path + ": " + ToQ(RasterFormatName(read->driver)) + "、座標系 " + ToQ(crs));
  }
}

void cmdOpenMem_Click(MainContext& context) {
  std::optional<QString> path = context.platform->OpenFileName(
      context.window, "Mem or SEM File|*.mem; *.sem|すべてのファイル (*.*)|*.*|");
  if (!path) return;
  BusyPointer busy(*context.platform);
  // Read into a new grid; the current one stays until the whole sheet was read.
  Result<ElevationMap> map = ReadElevationMap(FromQ(*path));
  if (!map) {
    context.ShowStatus(*path + ": " + ToQ(Describe(map.failure())));
    return;
  }
  if (!ConfirmDiscardGrids(context)) return;
  ResetKeepingData(context);
  InstallNewGrid(context, std::move(map->grid));
  ShowMapSheet(context, *path, map->sheetName);
}

namespace {

// The coordinate system a raster is saved in, asked with the grid's own
// preselected, then the recent ones and the plane rectangular zones; WKT, ""
// for none. Nothing when cancelled or refused (the refusal shown). A grid
// data file keeps none: the grid's is handed on, and the writer says so.
std::optional<std::string> AskSaveCrs(MainContext& context, const QString& path) {
  AppState& s = context.state;
  if (RasterDriverForExtension(FromQ(path)).empty()) return s.GridCrs;
  const QString none = "座標系なし";
  const QString own = "この格子の座標系：" + ToQ(CrsDescription(s.GridCrs));
  QStringList items{none};
  if (!s.GridCrs.empty()) items << own;
  for (const std::string& recent : s.RecentCrs) items << ToQ(recent);
  items << PlaneRectangularZones();
  const std::optional<QString> answer = context.platform->AskItemOrText(
      context.window, "保存する格子の座標系を選ぶか、EPSG コード（例 6677）などで入力してください",
      items, s.GridCrs.empty() ? 0 : 1);
  if (!answer) return std::nullopt;
  const QString text = answer->trimmed();
  if (text == none || text.isEmpty()) return std::string();
  if (text == own) return s.GridCrs;
  return CrsOfAnswer(context, text);
}

}  // namespace

std::optional<QString> SaveGridAs(MainContext& context, const GridData& grid) {
  std::optional<QString> path = AskSavePath(context, kSaveFilters);
  if (!path) return std::nullopt;
  const std::optional<std::string> crs = AskSaveCrs(context, *path);
  if (!crs) return std::nullopt;
  BusyPointer busy(*context.platform);
  // The extension decides: a raster format by its own, else a grid data file.
  bool crsDropped = false;
  Status written = WriteAnyGrid(FromQ(*path), grid, *crs, {}, &crsDropped);
  if (!written) {
    context.ShowStatus(*path + " に保存できませんでした: " + ToQ(Describe(written.failure())));
    return std::nullopt;
  }
  // Saved in it, the grid lies in that system from now on.
  if (!RasterDriverForExtension(FromQ(*path)).empty()) context.state.GridCrs = *crs;
  context.ShowStatus(
      "格子データを保存しました: " + *path +
      (crsDropped ? "（格子データファイルには座標系を保存できません。.tif か .nc なら保存されます）"
                  : ""));
  return path;
}

void NameGridFile(MainContext& context, const QString& path) {
  // The file now holds the current grid, whatever its source, so name it.
  context.state.GridFileName = FromQ(path);
  context.panel.gridFile->lblGridFileName->setText(path);
  MarkShownGridSaved(context.state);
}

void cmdSaveGridData_Click(MainContext& context) {
  if (std::optional<QString> path = SaveGridAs(context, context.state.Grid)) {
    NameGridFile(context, *path);
  }
}

}  // namespace kessadon::app
