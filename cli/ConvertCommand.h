// kessadon convert MAPFILE -o GRIDFILE: an elevation map sheet saved as a
// grid data file.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace kessadon {

void AddConvertCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);

}  // namespace kessadon
