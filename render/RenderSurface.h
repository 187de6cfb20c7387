// The surface renderer: the grid as a projected surface with a pedestal, scale
// ticks, every cell a four-cornered polygon painted far to near so that nearer
// cells hide farther ones, each cell's contour pieces right after it, and a
// frame along the edges. Node (i, j) is i along x, j along y, both from 1.
#pragma once

#include <cstdint>
#include <string>

#include "DrawingSurface.h"
#include "ViewProjection.h"
#include "color/ContourLevels.h"
#include "io/GridData.h"
#include "io/NodeArray.h"

namespace kessadon {

// What drew the picture, numbered as the panel's state always has been. The
// renderer tells only grid lines (outlines) from the rest (filled cells).
enum class DisplayMode {
  Nothing = 0,
  Grid = 1,
  Contour = 2,
  ColorContour = 3,
  Shade = 4,
  ColorShade = 5,
};

struct RenderOptions {
  kessadon::DisplayMode DisplayMode = kessadon::DisplayMode::Grid;
  Color LineColor = Rgb(0, 0, 0);  // of lines, frame and contours
  bool ScaleLine = false;          // chkScaleLine: scale ticks
  bool Contour = false;            // chkContour: contour lines in every mode
  bool Waku = true;                // chkWaku: the frame
  bool Waku4 = true;               // optWaku4 selected: all four sides, else the two near ones
  bool ScaleBar = false;           // a scale bar and a north arrow over a plan picture
  std::string MapUnit;             // the scale bar's unit ("m"); none when unknown
  // Cells (by their node of least i and j) left without contour lines, as
  // where a fault cuts them; none when null.
  const NodeArray<std::uint8_t>* Uncontoured = nullptr;
};

// From this many cells on, a surface that splits into bands (BandSplitting)
// has its cells drawn by RenderThreads() threads, each band on one of them,
// into the picture one thread draws; below it the threads cost more than
// they save. A thread count chosen with SetRenderThreads is used from
// kChosenBandedCells on.
inline constexpr std::int64_t kBandedCells = 1 << 16;
inline constexpr std::int64_t kChosenBandedCells = 1 << 12;

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
