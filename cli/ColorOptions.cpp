#include "ColorOptions.h"

#include "io/ProgramFiles.h"

namespace kessadon {
namespace {

Result<ColorTable> ReadTable(const std::string& path) {
  Result<ColorTable> table = LoadColorTable(path, ColorTable{});
  if (!table) return Failure{path + ": " + Describe(table.failure())};
  return table;
}

}  // namespace

void ColorOptions::Add(CLI::App& command) {
  command
      .add_option("--light", light,
                  "light direction clockwise from north and dip below the horizontal RO,TH "
                  "(default: the defaults file's)")
      ->delimiter(',')
      ->expected(2);
  command.add_flag("--equalize", equalize,
                   "spread the shading's grey levels evenly (histogram equalisation)");
  command.add_option("--palette", palette,
                     "colour table of the colour contour: built-in pattern 1, 2, 3 or 4, or a "
                     "table file (default 1)");
  command.add_option(
      "--legend", legend,
      "also write the legend of a colour picture to this file (.bmp, .png, .svg, .pdf)");
}

LightSettings ColorOptions::Light(const ViewLightDefaults& defaults) const {
  LightSettings settings;
  settings.Ro = light.empty() ? defaults.RoDefault : light[0];
  settings.Th = light.empty() ? defaults.ThDefault : light[1];
  settings.HistoOn = equalize ? 1 : 0;
  return settings;
}

Result<ColorTable> ColorOptions::Table() const {
  for (std::size_t k = 0; k < kPatternFileNames.size(); ++k) {
    if (palette == std::to_string(k + 1)) {
      return ReadTable((ProgramFolder() / kPatternFileNames[k]).string());
    }
  }
  return ReadTable(palette);
}

Result<ColorTable> ShadePalette() {
  return ReadTable((ProgramFolder() / kShadePaletteFileName).string());
}

}  // namespace kessadon
