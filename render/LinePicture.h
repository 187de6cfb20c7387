// The two line pictures, the grid-line picture and the contour-line picture,
// as both front ends draw them: fit the view to the surface, clear it to the
// background opposite the line colour, paint the cells in the background and
// render. The shaded and coloured pictures fill the cell colours differently
// but open the same way.
#pragma once

#include "DrawingSurface.h"
#include "RenderSurface.h"
#include "ViewProjection.h"
#include "color/ContourLevels.h"
#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon {

// The background that goes with a line colour: black behind white lines,
// white behind anything else.
Color BackgroundFor(Color lineColor);

// Makes sure the cell colours hold nodes 0 ... max(Nx, 256) by 0 ... Ny.
void EnsureCellColors(NodeArray<Color>& cellColors, const GridData& grid);

// Refreshes the pixel scale of the view for this surface, clears the surface
// and sets its background to BackgroundFor(LineColor).
void OpenPicture(DrawingSurface& surface, ViewProjection& view, const GridData& grid,
                 const DataExtent& data, Color lineColor);

// The whole grid-line (options.DisplayMode DisplayMode::Grid) or contour-line
// (DisplayMode::Contour) picture. The cell colours are left holding the background,
// the view its refreshed pixel scale, as the display commands leave them.
void DrawLinePicture(DrawingSurface& surface, const GridData& grid, ViewProjection& view,
                     const DataExtent& data, const ContourLevels& levels,
                     NodeArray<Color>& cellColors, const RenderOptions& options);

}  // namespace kessadon
