// kessadon refine GRIDFILE --nodes NX,NY -o OUTFILE: resample a grid data file
// to other node counts by bicubic refinement and save the result.
#pragma once

#include <iosfwd>

namespace CLI {
class App;
}

namespace kessadon {

// Adds the subcommand; when it runs, `status` receives its exit status.
void AddRefineCommand(CLI::App& app, std::ostream& out, std::ostream& err, int& status);

}  // namespace kessadon
