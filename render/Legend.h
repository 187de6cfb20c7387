// The two colour strips: the preview of a colour table beside the table
// choice, and the legend of the last colour drawing with its levels. Colour 1
// is at the bottom of both.
#pragma once

#include <string>

#include "color/ColorModes.h"
#include "color/ColorTable.h"
#include "color/ContourLevels.h"
#include "render/DrawingSurface.h"
#include "render/RenderSurface.h"

namespace kessadon {

// The legend window's inner size as it first opens: tall enough for two
// pixels a slot of the 190-slot colour-shade palette, so its labels stay apart.
inline constexpr int kLegendWidth = 203;
inline constexpr int kLegendHeight = 440;

// One band per colour from the bottom up, each Int(H / NColor) high; when the
// count is whole the last band reaches the top edge.
void DrawColorPreview(DrawingSurface& surface, const ColorTable& table);

// The palette as boxes in the middle of the surface with the levels to their
// right. The colour contour shows only the colours that the
// heights zmin ... zmax take: one box per band, spread over the strip, with
// the levels at their boundaries (every second or third where they would
// crowd), and on top the colour of the heights above the end level. The
// colour shade shows the whole palette with a label every ninth slot.
// `title`, when given, stands at the top left: what the colours measure
// ("標高（m）"). Draws nothing and returns false for any other display, whose
// window the caller then hides.
bool DrawLegend(DrawingSurface& surface, DisplayMode displayMode, const Palette& palette,
                const ContourLevels& levels, double zmin, double zmax,
                const std::string& title = {});

}  // namespace kessadon
