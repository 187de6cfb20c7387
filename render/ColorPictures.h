// The filled pictures as both front ends draw them: fit the view to the
// surface, clear it to the background opposite the line colour, colour every
// node and render. options.DisplayMode is set here.
#pragma once

#include <cstdint>

#include "color/ColorModes.h"
#include "color/Shading.h"
#include "render/DrawingSurface.h"
#include "render/RenderSurface.h"
#include "render/ViewProjection.h"

namespace kessadon {

// What every filled picture draws from.
struct FilledPicture {
  DrawingSurface& surface;
  const GridData& grid;
  ViewProjection& view;  // its pixel scale is refreshed
  const DataExtent& data;
  const ContourLevels& levels;
  NodeArray<Color>& cellColors;  // left holding the nodes' colours
};

// Black to mid-grey relief shading.
void DrawShadePicture(const FilledPicture& picture, RenderOptions options,
                      const LightSettings& light);

// The colour of each node's band from the palette.
void DrawColorContourPicture(const FilledPicture& picture, RenderOptions options,
                             const Palette& palette);

// The band colours lightened and darkened by the shading; `palette` is the
// colour-shade palette.
void DrawColorShadePicture(const FilledPicture& picture, RenderOptions options,
                           const LightSettings& light, const Palette& palette);

}  // namespace kessadon
