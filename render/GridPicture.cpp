#include "GridPicture.h"

#include "render/ColorPictures.h"
#include "render/LinePicture.h"
#include "render/ScaleBar.h"

namespace kessadon {

std::optional<std::string> GridPictureRefusal(const GridPictureSettings& settings) {
  switch (settings.mode) {
    case DisplayMode::ColorContour:
      return ColorContourRefusal(settings.bands, settings.table.NColor, settings.levels);
    case DisplayMode::ColorShade:
      return ColorShadeRefusal(settings.bands, settings.levels);
    default:
      return std::nullopt;
  }
}

Palette GridPicturePalette(const GridPictureSettings& settings) {
  const bool colored =
      settings.mode == DisplayMode::ColorContour || settings.mode == DisplayMode::ColorShade;
  return colored ? PaletteFromTable(settings.table) : Palette{};
}

Status DrawGridPicture(DrawingSurface& surface, const GridData& grid, ViewProjection& view,
                       const DataExtent& data, NodeArray<Color>& cellColors,
                       const GridPictureSettings& settings) {
  if (std::optional<std::string> refusal = GridPictureRefusal(settings)) return Failure{*refusal};
  const FilledPicture picture{surface, grid, view, data, settings.levels, cellColors};
  switch (settings.mode) {
    case DisplayMode::Nothing:
      break;
    case DisplayMode::Grid:
    case DisplayMode::Contour: {
      RenderOptions options = settings.options;
      options.DisplayMode = settings.mode;
      DrawLinePicture(surface, grid, view, data, settings.levels, cellColors, options);
      break;
    }
    case DisplayMode::Shade:
      DrawShadePicture(picture, settings.options, settings.light);
      break;
    case DisplayMode::ColorContour:
      DrawColorContourPicture(picture, settings.options, GridPicturePalette(settings));
      break;
    case DisplayMode::ColorShade:
      DrawColorShadePicture(picture, settings.options, settings.light,
                            GridPicturePalette(settings));
      break;
  }
  if (settings.options.ScaleBar && settings.mode != DisplayMode::Nothing) {
    DrawScaleBar(surface, view, settings.options.LineColor, settings.options.MapUnit);
  }
  return Ok();
}

}  // namespace kessadon
