// kessadon convert INPUT -o OUTPUT: a grid data file, an elevation map sheet
// or a raster saved as a grid data file or a raster.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace kessadon {

void AddConvertCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);

}  // namespace kessadon
