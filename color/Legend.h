// The two colour strips: the preview of a colour table beside the table
// choice, and the legend of the last colour drawing with its levels. Colour 1
// is at the bottom of both.
#pragma once

#include "ColorModes.h"
#include "ColorTable.h"
#include "ContourLevels.h"
#include "render/DrawingSurface.h"

namespace kessadon {

// The legend window's inner size as it first opens: tall enough for two
// pixels a slot of the 190-slot colour-shade palette, so its labels stay apart.
inline constexpr int kLegendWidth = 203;
inline constexpr int kLegendHeight = 440;

// One band per colour from the bottom up, each Int(H / NColor) high; when the
// count is whole the last band reaches the top edge.
void DrawColorPreview(DrawingSurface& surface, const ColorTable& table);

// The palette as boxes in the middle of the surface with the levels to their
// right: for the colour contour (displayMode 3) one label per box boundary, for
// the colour shade (5) one for every ninth slot. Draws nothing and returns
// false for any other display, whose window the caller then hides.
bool DrawLegend(DrawingSurface& surface, int displayMode, const Palette& palette,
                const ContourLevels& levels);

}  // namespace kessadon
