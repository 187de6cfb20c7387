// kessadon estimate: load measured data, run the estimation, save the grid and
// print the report of the last pass.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace kessadon {

void AddEstimateCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);

}  // namespace kessadon
