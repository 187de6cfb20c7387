// The surface renderer: the grid as a projected surface with a pedestal, scale
// ticks, every cell a four-cornered polygon painted far to near so that nearer
// cells hide farther ones, each cell's contour pieces right after it, and a
// frame along the edges. Node (i, j) is i along x, j along y, both from 1.
#pragma once

#include <cstdint>

#include "DrawingSurface.h"
#include "ViewProjection.h"
#include "color/ContourLevels.h"
#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon {

// What drew the picture: 0 nothing, 1 grid lines, 2 contour lines, 3 colour
// contour, 4 black-and-white shade, 5 colour shade. The renderer tells only
// grid lines (outlines) from the rest (filled cells).
inline constexpr int kDisplayNothing = 0;
inline constexpr int kDisplayGrid = 1;
inline constexpr int kDisplayContour = 2;
inline constexpr int kDisplayColorContour = 3;
inline constexpr int kDisplayShade = 4;
inline constexpr int kDisplayColorShade = 5;

struct RenderOptions {
  int DisplayMode = kDisplayGrid;
  Color LineColor = Rgb(0, 0, 0);  // of lines, frame and contours
  bool ScaleLine = false;          // chkScaleLine: scale ticks
  bool Contour = false;            // chkContour: contour lines in every mode
  bool Waku = true;                // chkWaku: the frame
  bool Waku4 = true;               // optWaku4 selected: all four sides, else the two near ones
};

// Draws onto the surface without clearing it. Cell (i, j) takes the colour of
// cellColors(i, j) at its corner farthest from the eye. Under perspective,
// lines and cells keep the part that lies in front of the near plane (a cut
// cell without its contour lines); whatever else cannot be projected is left
// out, with every cell and line that needs it. Leaves the pen at LineColor,
// solid, width 1; the fill transparent after grid lines, solid in the last
// cell's colour otherwise.
void RenderSurface(DrawingSurface& surface, const GridData& grid, const ViewProjection& view,
                   const NodeArray<Color>& cellColors, const ContourLevels& levels,
                   const RenderOptions& options);

}  // namespace kessadon
