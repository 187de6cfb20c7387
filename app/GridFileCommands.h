// Reading and saving grid data files, and showing a new grid on the panel.
#pragma once

#include <QString>
#include <optional>

#include "io/GridData.h"

namespace kessadon::app {

struct MainContext;

void cmdOpenGridData_Click(MainContext& context);
void cmdSaveGridData_Click(MainContext& context);
// Asks for a file and writes `grid` into it (the format by its extension),
// saying in the status bar how it went; the path once written.
std::optional<QString> SaveGridAs(MainContext& context, const GridData& grid);
// The current grid was just saved as `path`: shows the name, no longer unsaved.
void NameGridFile(MainContext& context, const QString& path);
// Reads a digital elevation map sheet as the current grid.
void cmdOpenMem_Click(MainContext& context);

// Derives the geometry of the current grid and shows it: the grid figures,
// the contour guide, the default base height, and enables saving.
void ShowGridGeometry(MainContext& context);
// Only the figures of the current grid and the contour guide.
void ShowGridFigures(MainContext& context);

// Makes `grid` (Nx, Ny, Xmin, Ymin, Dx, Dy and Z filled) the current grid and
// its original copy, shows it, closes the way back to a resampled grid, and
// raises GridLoaded.
void InstallNewGrid(MainContext& context, GridData grid);

}  // namespace kessadon::app
