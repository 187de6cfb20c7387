#include "GridFileCommands.h"

#include <algorithm>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "AppReset.h"
#include "Controls.h"
#include "MainContext.h"
#include "Platform.h"
#include "SavePath.h"
#include "ViewCommands.h"
#include "io/ElevationMap.h"
#include "io/GridFile.h"

namespace kessadon {

namespace {
const QString kAllFiles = "すべてのファイル (*.*)|*.*";
}

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
  KeepOriginalGrid(s.Grid);
  ShowGridGeometry(context);
  GridChangeFrame& change = *context.panel.gridChange;
  SetCaption(change.lblXGridG, s.Grid.Nx);
  SetCaption(change.lblYGridG, s.Grid.Ny);
  SetCaption(change.lblDxG, s.Grid.Dx);
  SetCaption(change.lblDyG, s.Grid.Dy);
  // A resampled grid belonged to the grid before this one.
  s.Refined.reset();
  change.cmdGridChange->setEnabled(false);
  s.GridLoaded = 1;
  s.CellColors = NodeArray<Color>(std::max(s.Grid.Nx, 256), s.Grid.Ny);
  // The projection must refer to the new grid even when the base text stayed the same.
  UpdateViewProjection(context);
}

void cmdOpenGridData_Click(MainContext& context) {
  std::optional<QString> path = context.platform->OpenFileName(context.window, kAllFiles);
  if (!path) return;
  BusyPointer busy(*context.platform);
  // Read into a new grid; the current one stays until the whole file was read.
  Result<GridData> grid = ReadGridFile(FromQ(*path));
  if (!grid) {
    context.ShowStatus(*path + ": " + ToQ(Describe(grid.failure())));
    return;
  }
  ResetAppState(context);
  InstallNewGrid(context, std::move(*grid));
  context.state.GridFileName = FromQ(*path);
  context.panel.gridFile->lblGridFileName->setText(*path);
  context.panel.gridFile->lblGridOnOff->setText("読み込んだ格子データ");
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
  context.state.MemFileName = FromQ(*path);
  ResetAppState(context);
  InstallNewGrid(context, std::move(map->grid));
  GridFileFrame& frame = *context.panel.gridFile;
  frame.lblGridFileName->setText(*path);
  frame.lblGridOnOff->setText("読み込んだ数値地図");
  frame.lblMem->setText(ToQ(map->sheetName));
  frame.lblMemLbl->show();
  frame.lblMem->show();
}

void cmdSaveGridData_Click(MainContext& context) {
  std::optional<QString> path = AskSavePath(context, kAllFiles);
  if (!path) return;
  BusyPointer busy(*context.platform);
  Status written = WriteGridFile(FromQ(*path), context.state.Grid);
  if (!written) {
    context.ShowStatus(*path + " に保存できませんでした: " + ToQ(Describe(written.failure())));
    return;
  }
  // The file now holds the current grid, whatever its source, so name it.
  context.state.GridFileName = FromQ(*path);
  context.panel.gridFile->lblGridFileName->setText(*path);
  context.ShowStatus("格子データを保存しました: " + *path);
}

}  // namespace kessadon
