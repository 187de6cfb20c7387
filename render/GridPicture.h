// Every picture of the grid as both front ends draw it, whatever the display:
// the front fills the settings from its panel or its arguments, shows the
// refusal if there is one, reads the colour shade's palette when that display
// needs it, and draws. A new kind of output plugs in here once.
#pragma once

#include <optional>
#include <string>

#include "color/ColorModes.h"
#include "color/ColorTable.h"
#include "color/ContourLevels.h"
#include "color/Shading.h"
#include "io/Result.h"
#include "render/DrawingSurface.h"
#include "render/RenderSurface.h"
#include "render/ViewProjection.h"

namespace kessadon {

struct GridPictureSettings {
  DisplayMode mode = DisplayMode::Grid;  // Nothing draws nothing
  RenderOptions options;                 // lines, frame and ticks; its mode is taken from `mode`
  LightSettings light;                   // of the shade and the colour shade
  // What the colour display paints with, as the front read it: the colour
  // table for the colour contour, the palette for the colour shade.
  ColorTable table;
  ContourLevels levels;
  double bands = 0;  // the band count the front shows beside the levels
};

// Why the colour displays cannot draw with these levels, as the message box
// says it; nothing when they can, and for every other display. The colour
// shade's reason does not depend on its palette, which may be read after.
std::optional<std::string> GridPictureRefusal(const GridPictureSettings& settings);

// The palette a colour display paints with and its legend reads again; an
// empty one for the other displays.
Palette GridPicturePalette(const GridPictureSettings& settings);

// The whole picture, or the refusal. The view is left with its pixel scale
// refreshed and the cell colours holding the nodes' colours (the background
// for lines), as the display commands leave them.
Status DrawGridPicture(DrawingSurface& surface, const GridData& grid, ViewProjection& view,
                       const DataExtent& data, NodeArray<Color>& cellColors,
                       const GridPictureSettings& settings);

}  // namespace kessadon
