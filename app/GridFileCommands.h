// Reading and saving grid data files, and showing a new grid on the panel.
#pragma once

#include "io/GridData.h"

namespace kessadon {

struct MainContext;

void cmdOpenGridData_Click(MainContext& context);
void cmdSaveGridData_Click(MainContext& context);
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

}  // namespace kessadon
