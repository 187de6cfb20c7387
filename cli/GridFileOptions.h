// The options every subcommand that reads or writes grids shares: the
// output's format and coordinate system, and the filling of raster holes.
#pragma once

#include <ostream>
#include <string>

#include "raster/GridFiles.h"

namespace CLI {
class App;
}

namespace kessadon {

struct GridOutputArguments {
  std::string output, format, crs;
};

// -o/--output, --format and --crs.
void AddGridOutputOptions(CLI::App& command, GridOutputArguments& a);

// --fill-nodata.
void AddGridInputOptions(CLI::App& command, GridReadOptions& options);

// Reads a grid given on the command line as the desktop opens one: the
// original copy kept and the geometry derived. The failure names the file.
Result<LoadedGrid> ReadGridInput(const std::string& path, const GridReadOptions& options);

// Writes the grid where -o says, in the coordinate system --crs gives or else
// `inputCrs`. A grid data file keeps none: a note on `err` says so when one is
// dropped. The failure names the file.
Status WriteGridOutput(const GridOutputArguments& a, const GridData& grid,
                       const std::string& inputCrs, std::ostream& err);

// The coordinate system --crs gives as WKT, or `inputCrs` without it.
Result<std::string> OutputCrs(const GridOutputArguments& a, const std::string& inputCrs);

}  // namespace kessadon
