// kessadon contours: the contour lines of a grid as line features for GIS tools.
#pragma once

#include <ostream>

namespace CLI {
class App;
}

namespace kessadon {

void AddContoursCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);

}  // namespace kessadon
