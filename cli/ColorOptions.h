// The shaded and coloured pictures on the command line: the light, the colour
// table and the legend picture, taken from the program's folder as the
// desktop takes them.
#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "color/ColorTable.h"
#include "color/Shading.h"
#include "io/Defaults.h"
#include "io/ProgramFiles.h"

namespace kessadon {

struct ColorOptions {
  std::vector<double> light;  // RO,TH
  bool equalize = false;
  std::string palette = "1";
  std::string legend;  // picture file of the legend, when asked for

  void Add(CLI::App& command);

  LightSettings Light(const ViewLightDefaults& defaults) const;
  // Pattern 1 ... 4 beside the program, or a table file.
  Result<ColorTable> Table() const;
};

// The colour-shade palette beside the program.
Result<ColorTable> ShadePalette();

}  // namespace kessadon
