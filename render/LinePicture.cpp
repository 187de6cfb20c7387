#include "LinePicture.h"

#include <algorithm>

namespace kessadon {

Color BackgroundFor(Color lineColor) {
  return lineColor == Rgb(255, 255, 255) ? Rgb(0, 0, 0) : Rgb(255, 255, 255);
}

void EnsureCellColors(NodeArray<Color>& cellColors, const GridData& grid) {
  const int ni = std::max(grid.Nx, 256);
  if (cellColors.UpperI() < ni || cellColors.UpperJ() < grid.Ny) {
    cellColors = NodeArray<Color>(ni, grid.Ny);
  }
}

void OpenPicture(DrawingSurface& surface, ViewProjection& view, const GridData& grid,
                 const DataExtent& data, Color lineColor) {
  UpdatePixelScale(view, grid, data, surface.ScaleWidth(), surface.ScaleHeight());
  surface.Cls();
  surface.SetBackColor(BackgroundFor(lineColor));
}

void DrawLinePicture(DrawingSurface& surface, const GridData& grid, ViewProjection& view,
                     const DataExtent& data, const ContourLevels& levels,
                     NodeArray<Color>& cellColors, const RenderOptions& options) {
  OpenPicture(surface, view, grid, data, options.LineColor);
  const Color background = BackgroundFor(options.LineColor);
  EnsureCellColors(cellColors, grid);
  for (int i = 1; i <= grid.Nx; ++i) {
    for (int j = 1; j <= grid.Ny; ++j) cellColors(i, j) = background;
  }
  RenderSurface(surface, grid, view, cellColors, levels, options);
}

}  // namespace kessadon
