// kessadon grid-info GRIDFILE: the derived geometry of a grid data file.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace kessadon {

// Adds the subcommand; when it runs, `status` receives its exit status.
void AddGridInfoCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);

}  // namespace kessadon
