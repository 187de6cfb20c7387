#include "ColorPictures.h"

#include "render/LinePicture.h"

namespace kessadon {
namespace {

// Opens the picture and readies the cell colours for every node.
void Open(const FilledPicture& p, const RenderOptions& options) {
  OpenPicture(p.surface, p.view, p.grid, p.data, options.LineColor);
  EnsureCellColors(p.cellColors, p.grid);
}

void Render(const FilledPicture& p, const RenderOptions& options) {
  RenderSurface(p.surface, p.grid, p.view, p.cellColors, p.levels, options);
}

}  // namespace

void DrawShadePicture(const FilledPicture& picture, RenderOptions options,
                      const LightSettings& light) {
  options.DisplayMode = DisplayMode::Shade;
  Open(picture, options);
  ShadeGrid(picture.grid, light, picture.cellColors);
  GreysFromLevels(picture.grid.Nx, picture.grid.Ny, picture.cellColors);
  Render(picture, options);
}

void DrawColorContourPicture(const FilledPicture& picture, RenderOptions options,
                             const Palette& palette) {
  options.DisplayMode = DisplayMode::ColorContour;
  Open(picture, options);
  FillColorContour(picture.grid, picture.levels, palette, picture.cellColors);
  Render(picture, options);
}

void DrawColorShadePicture(const FilledPicture& picture, RenderOptions options,
                           const LightSettings& light, const Palette& palette) {
  options.DisplayMode = DisplayMode::ColorShade;
  Open(picture, options);
  ShadeGrid(picture.grid, light, picture.cellColors);
  FillColorShade(picture.grid, picture.levels, palette, picture.cellColors);
  Render(picture, options);
}

}  // namespace kessadon
